#ifndef KORIL_FILESYSTEM_FILELOCK_H
#define KORIL_FILESYSTEM_FILELOCK_H

#include <koril/filesystem/Export.h>
#include <koril/filesystem/Path.h>

#include <functional>

namespace koril::filesystem {

// An exclusive lock over the whole of one existing regular file (also bytes it gains later),
// held through a handle the object owns, until `unlockFile` or destruction. Not copyable; a move
// leaves the source holding nothing.
class KORIL_FILESYSTEM_EXPORT FileLock {
public:
    FileLock() = default;
    // Calls `lockFile`; a caller that needs its result constructs empty and calls it itself.
    explicit FileLock(Path const& path);
    FileLock(FileLock const&) = delete;
    FileLock& operator=(FileLock const&) = delete;
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    ~FileLock();

    // Replaces the lock held so far by a lock on `path`; true if it is held. On a directory,
    // false with the old lock kept; otherwise the old lock is released first. Never creates the
    // file. An exception from the validation callback passes through.
    bool lockFile(Path const& path);
    // Releases the lock and closes the handle; safe to call repeatedly.
    void unlockFile();

    // True when the file exists but cannot be opened for exclusive use now: it is locked or held
    // open elsewhere, or cannot be read. Missing files and directories are never locked.
    static bool isFileLocked(Path const& path);
    // Installs the process-wide callback that every `lockFile` consults first; `false` refuses
    // the lock. An empty function removes it. Not synchronised: install it before other threads
    // lock files.
    static void setValidationCallback(std::function<bool(Path const&)> callback);

private:
    void* handle_ = nullptr;
};

} // namespace koril::filesystem

#endif
