// Streams and file buffers. POSIX lets root write any file, but Windows never opens a read-only
// file for writing, so a file whose owner may not write is refused for every mode that would
// change it, before anything changes.

#include "platform/posix/Handles.h"

#include <string>

namespace koril::filesystem::platform {

using namespace posix;

namespace {

bool refusedForWriting(struct stat const& info, bool writes) {
    return S_ISDIR(info.st_mode) ||
           (writes && S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0);
}

} // namespace

std::FILE* openStream(Path const& path, std::string const& mode) {
    // The runtime's letters that mean something here; `b`, `t`, the Windows-only letters and a
    // ",ccs=" encoding do not.
    char const kind = mode.empty() ? '\0' : mode.front();
    bool update = false;
    bool exclusive = false;
    for (char const letter : mode) {
        if (letter == ',' || letter == '\0')
            break;
        update = update || letter == '+';
        exclusive = exclusive || letter == 'x';
    }
    int flags = update ? O_RDWR : kind == 'r' ? O_RDONLY : O_WRONLY;
    if (kind == 'w' || kind == 'a')
        flags |= O_CREAT | (kind == 'a' ? O_APPEND : 0) | (exclusive ? O_EXCL : 0);
    else if (kind != 'r') {
        errno = EINVAL;
        return nullptr;
    }
    // Opened without truncation, so that a refused file stays intact.
    Descriptor file(openAt(AT_FDCWD, nativeOf(path).c_str(), flags, 0666));
    struct stat info;
    if (!file || systemCalls.fstat(file.get(), &info) != 0)
        return nullptr;
    if (refusedForWriting(info, kind != 'r' || update)) {
        file.reset();
        errno = EACCES;
        return nullptr;
    }
    if (kind == 'w' && S_ISREG(info.st_mode) && info.st_size != 0 &&
        retryInterrupted([&] { return systemCalls.ftruncate(file.get(), 0); }) != 0)
        return nullptr;
    // The mark that lets `isFileLocked` see the stream from any process; a file that a
    // `FileLock` holds opens all the same, as on Windows.
    systemCalls.flock(file.get(), LOCK_SH | LOCK_NB);
    std::string const streamMode = update ? std::string(1, kind) + '+' : std::string(1, kind);
    std::FILE* const stream = systemCalls.fdopen(file.get(), streamMode.c_str());
    if (stream != nullptr)
        file.release();
    return stream;
}

bool openFileBuffer(std::filebuf& buffer, Path const& path, std::ios_base::openmode mode) {
    if (buffer.is_open())
        return false;
    NativeName const native = nativeOf(path);
    // The check and the open act on the same object: the buffer reopens the descriptor that was
    // checked. A missing file is created through its path, or fails there as it should.
    Descriptor const object(openAt(AT_FDCWD, native.c_str(), O_PATH));
    if (!object)
        return systemCalls.openFileBuffer(buffer, native.c_str(), mode);
    struct stat info;
    bool const writes =
        (mode & (std::ios_base::out | std::ios_base::app | std::ios_base::trunc)) != 0;
    if (systemCalls.fstat(object.get(), &info) != 0 || refusedForWriting(info, writes))
        return false;
    std::string const self = "/proc/self/fd/" + std::to_string(object.get());
    if (systemCalls.openFileBuffer(buffer, self.c_str(), mode))
        return true;
    // Without /proc, the path has to do.
    return errno == ENOENT && systemCalls.openFileBuffer(buffer, native.c_str(), mode);
}

} // namespace koril::filesystem::platform
