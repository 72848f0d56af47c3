// _wsplitpath_s as the runtime computes it: the text ends at its first NUL, a drive is a second
// unit ':', the directory runs to the last '\' or '/', and the extension starts at the last '.'
// of what follows. With buffers one longer than the text the call cannot run out of room.

#include "platform/Platform.h"

namespace koril::filesystem::platform {

bool splitPath(std::wstring const& path, SplitPath& parts) {
    std::wstring::size_type const end = path.find(L'\0');
    std::wstring const text = path.substr(0, end);

    std::wstring::size_type position = 0;
    if (text.size() >= 2 && text[1] == L':')
        position = 2;
    parts.drive = text.substr(0, position);

    std::wstring::size_type const lastSeparator = text.find_last_of(L"\\/");
    std::wstring::size_type nameStart = position;
    if (lastSeparator != std::wstring::npos && lastSeparator >= position)
        nameStart = lastSeparator + 1;
    parts.directory = text.substr(position, nameStart - position);

    std::wstring::size_type dot = text.rfind(L'.');
    if (dot == std::wstring::npos || dot < nameStart)
        dot = text.size();
    parts.fileName = text.substr(nameStart, dot - nameStart);
    parts.extension = text.substr(dot);
    return true;
}

} // namespace koril::filesystem::platform
