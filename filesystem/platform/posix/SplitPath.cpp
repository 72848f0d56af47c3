// _wsplitpath_s as the runtime computes it on UTF-16: the text ends at its first NUL, a drive is
// a second unit ':' (after a first code point that takes one unit), the directory runs to the last
// '\' or '/', and the extension starts at the last '.' of what follows. With buffers one longer
// than the text the call cannot run out of room.

#include "platform/Platform.h"

namespace koril::filesystem::platform {

bool splitPath(String const& text, SplitPath& parts) {
    String const untilNul = text.substr(0, text.find(0u));
    String::size_type const driveEnd =
        untilNul.size() >= 2 && untilNul[0] < 0x10000 && untilNul[1] == ':' ? 2 : 0;
    parts.drive = untilNul.substr(0, driveEnd);

    String::size_type const lastSeparator = untilNul.find_last_of(String("\\/"));
    String::size_type const nameStart =
        lastSeparator != String::npos && lastSeparator >= driveEnd ? lastSeparator + 1 : driveEnd;
    parts.directory = untilNul.substr(driveEnd, nameStart - driveEnd);

    String::size_type dot = untilNul.find_last_of('.');
    if (dot == String::npos || dot < nameStart)
        dot = untilNul.size();
    parts.fileName = untilNul.substr(nameStart, dot - nameStart);
    parts.extension = untilNul.substr(dot);
    return true;
}

} // namespace koril::filesystem::platform
