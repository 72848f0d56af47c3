// _wsplitpath_s as the runtime computes it on UTF-16: the text ends at its first NUL, a drive is
// a second unit ':' (after a first code point that takes one unit), the directory runs to the last
// '\' or '/', and the extension starts at the last '.' of what follows. With buffers one longer
// than the text the call cannot run out of room.

#include "platform/Platform.h"

namespace koril::filesystem::platform {

bool splitPath(String const& path, SplitPath& parts) {
    String const text = path.substr(0, path.find(0u));
    String::size_type const driveEnd =
        text.size() >= 2 && text[0] < 0x10000 && text[1] == ':' ? 2 : 0;
    parts.drive = text.substr(0, driveEnd);

    String::size_type const lastSeparator = text.find_last_of(String("\\/"));
    String::size_type const nameStart =
        lastSeparator != String::npos && lastSeparator >= driveEnd ? lastSeparator + 1 : driveEnd;
    parts.directory = text.substr(driveEnd, nameStart - driveEnd);

    String::size_type dot = text.find_last_of('.');
    if (dot == String::npos || dot < nameStart)
        dot = text.size();
    parts.fileName = text.substr(nameStart, dot - nameStart);
    parts.extension = text.substr(dot);
    return true;
}

} // namespace koril::filesystem::platform
