// Native strings and library paths of names and locations.

#include "platform/win32/Handles.h"

namespace koril::filesystem::platform {

NativeName nativeOf(Path const& path) {
    return path.nativeString();
}

NativeName nativeOf(std::wstring const& nativeString) {
    return nativeString;
}

String textOfName(NativeName const& name) {
    return String(name);
}

std::wstring_view unitsOfName(NativeName const& name, std::wstring&) {
    return name;
}

Path pathOf(Location location) {
    if (location.directory == nullptr)
        return Path(String(location.name));
    return pathOf(*location.directory) / Path(textOfName(location.name));
}

namespace win32 {

std::wstring nativeOf(Location location) {
    if (location.directory == nullptr)
        return location.name;
    DirectoryState const* const state = location.directory->state();
    if (state == nullptr || state->native.empty())
        return location.name;
    // The name is joined as listed: no normalisation may change which entry it names.
    std::wstring native = state->native;
    wchar_t const last = native.back();
    if (last != L'\\' && last != L'/')
        native += L'\\';
    return native += location.name;
}

} // namespace win32

} // namespace koril::filesystem::platform
