#ifndef KORIL_FILESYSTEM_PLATFORM_WIN32_DIRECTORYSTATE_H
#define KORIL_FILESYSTEM_PLATFORM_WIN32_DIRECTORYSTATE_H

#include "platform/Platform.h"
#include "platform/win32/Handles.h"

namespace koril::filesystem::platform {

struct DirectoryState {
    Path path;
    // Where the directory's entries are named: its native path, to which a name is joined.
    std::wstring native;
    // Held for the walks, and shared for reading and writing only: while it is open the
    // directory can be neither renamed nor removed, so `native` keeps naming this directory.
    win32::FileHandle directory;
    win32::SearchHandle search;
    // FindFirstFileExW delivers the first record with the handle; it waits here until read.
    WIN32_FIND_DATAW record{};
    bool recordPending = false;
    // What reading answers once the search is over (or for a directory that is not listed).
    ReadResult finished = ReadResult::end;
    bool hasIdentity = false;
    DirectoryIdentity identity;
};

namespace win32 {

// The native string of a location: the held directory's native path joined with the name as
// the directory listed it, or the whole native path.
std::wstring nativeOf(Location location);

} // namespace win32

} // namespace koril::filesystem::platform

#endif
