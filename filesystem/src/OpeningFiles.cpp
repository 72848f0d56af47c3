#include <koril/filesystem/FileLock.h>
#include <koril/filesystem/Operations.h>

#include "platform/Platform.h"

namespace koril::filesystem {

std::FILE* fopenWrapper(Path const& path, std::string const& mode) {
    // Mode strings are ASCII: one wide character per byte keeps every letter's value.
    std::wstring wideMode;
    wideMode.reserve(mode.size());
    for (char const c : mode)
        wideMode.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return platform::wfopen(path.nativeString(), wideMode);
}

std::FILE* fopenWrapperWithLockCheck(Path const& path, std::string const& mode) {
    if (FileLock::isFileLocked(path))
        return nullptr;
    return fopenWrapper(path, mode);
}

void fstreamWrapper(std::basic_fstream<char>& stream, Path const& path, int mode) {
    // A buffer that is already open refuses to open again, so the first file stays.
    if (platform::openFileBuffer(*stream.rdbuf(), path.nativeString(),
                                 static_cast<std::ios_base::openmode>(mode)))
        stream.clear();
    else
        stream.setstate(std::ios_base::failbit);
}

void fstreamWrapperWithLockCheck(std::basic_fstream<char>& stream, Path const& path, int mode) {
    // A refused file leaves no trace in the stream's state: callers test is_open().
    if (FileLock::isFileLocked(path))
        return;
    fstreamWrapper(stream, path, mode);
}

} // namespace koril::filesystem
