// Opening files as runtime streams and file streams, optionally refusing files in use.

#include "platform/Platform.h"

#include <koril/filesystem/FileLock.h>
#include <koril/filesystem/Operations.h>

namespace koril::filesystem {

std::FILE* fopenWrapper(Path const& path, std::string const& mode) {
    return platform::openStream(path, mode);
}

std::FILE* fopenWrapperWithLockCheck(Path const& path, std::string const& mode) {
    if (FileLock::isFileLocked(path))
        return nullptr;
    return fopenWrapper(path, mode);
}

void fstreamWrapper(std::basic_fstream<char>& stream, Path const& path, int mode) {
    // A buffer that is already open refuses to open again, so the first file stays.
    if (platform::openFileBuffer(*stream.rdbuf(), path, static_cast<std::ios_base::openmode>(mode)))
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
