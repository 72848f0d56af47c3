#ifndef KORIL_FILESYSTEM_FILELOCK_H
#define KORIL_FILESYSTEM_FILELOCK_H

#include <koril/filesystem/Export.h>
#include <koril/filesystem/Path.h>

#include <functional>

/// @file
/// `FileLock`: an exclusive lock on a whole file, seen by other processes.

namespace koril::filesystem {

/// An exclusive lock over the whole of one existing regular file (also bytes it gains later),
/// held through a handle the object owns, until `unlockFile` or destruction. Other handles, in
/// this process and others, can still open the file but cannot read or write it while the lock
/// is held. Not copyable; a move leaves the source holding nothing.
///
/// Nothing here throws of its own: every failure is a `false` result. One object must not be
/// used from two threads at once; different objects may.
class KORIL_FILESYSTEM_EXPORT FileLock {
public:
    /// Holds nothing.
    FileLock() = default;
    /// Calls `lockFile`; a caller that needs its result constructs empty and calls it itself.
    /// @param path The file to lock.
    explicit FileLock(Path const& path);
    FileLock(FileLock const&) = delete;
    FileLock& operator=(FileLock const&) = delete;
    /// Takes over the other object's lock; `other` then holds nothing.
    /// @param other The lock to take over.
    FileLock(FileLock&& other) noexcept;
    /// Releases the lock held so far and takes over the other object's; `other` then holds
    /// nothing.
    /// @param other The lock to take over.
    /// @return This lock.
    FileLock& operator=(FileLock&& other) noexcept;
    /// Releases the lock as `unlockFile` does; never throws.
    ~FileLock();

    /// Replaces the lock held so far by a lock on `path`. Never creates the file.
    /// @param path An existing regular file.
    /// @return True if the new lock is held. False for a directory, with the old lock kept;
    ///     false for a missing or unopenable file, a lock held elsewhere, or a path the
    ///     validation callback refuses, with the old lock already released. An exception from
    ///     the validation callback passes through after the old lock is released.
    bool lockFile(Path const& path);
    /// Releases the lock and closes the handle; safe to call repeatedly. Failures are ignored.
    void unlockFile();

    /// Whether a file is in use: it exists but cannot be opened for exclusive use now, because
    /// it is locked or held open anywhere (by this process too), or cannot be read. Locks and
    /// opens nothing that outlives the call; never throws for a file-system failure.
    /// @param path The file to test.
    /// @return True when the file is in use; false when it can be opened exclusively, and always
    ///     false for a missing path and for a directory.
    static bool isFileLocked(Path const& path);
    /// Installs the process-wide callback that every `lockFile` consults first, replacing the
    /// previous one. Not synchronised: install it before other threads lock files. The callback
    /// runs on the thread that calls `lockFile`; `isFileLocked` never consults it.
    /// @param callback Returns false to refuse a lock on the path it is given; an empty
    ///     function removes the callback.
    static void setValidationCallback(std::function<bool(Path const&)> callback);

private:
    void* handle_ = nullptr;
};

} // namespace koril::filesystem

#endif
