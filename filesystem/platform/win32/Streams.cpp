// Opening files as runtime streams and file buffers.

#include "platform/win32/SystemCalls.h"

#include "platform/Platform.h"

namespace koril::filesystem::platform {

std::FILE* openStream(Path const& path, std::string const& mode) {
    // Mode strings are ASCII: one wide character per byte.
    std::wstring wideMode;
    for (char const letter : mode)
        wideMode += static_cast<wchar_t>(static_cast<unsigned char>(letter));
    return win32::systemCalls._wfopen(path.nativeString().c_str(), wideMode.c_str());
}

bool openFileBuffer(std::filebuf& buffer, Path const& path, std::ios_base::openmode mode) {
    return win32::systemCalls.openFileBuffer(buffer, path.nativeString().c_str(), mode);
}

} // namespace koril::filesystem::platform
