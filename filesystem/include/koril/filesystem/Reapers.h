#ifndef KORIL_FILESYSTEM_REAPERS_H
#define KORIL_FILESYSTEM_REAPERS_H

#include <koril/filesystem/Export.h>
#include <koril/filesystem/Path.h>

/// @file
/// Reapers: scope guards that remove a path when they end.

namespace koril::filesystem {

/// Removes a path with everything below it (`removeAll`) when it goes out of scope, unless
/// cancelled. Links inside are removed, never followed. A path that no longer exists is left
/// alone. Reapers share nothing; each may be used on any thread, one thread at a time.
class KORIL_FILESYSTEM_EXPORT DirectoryReaper {
public:
    /// Arms the reaper; nothing on disk is touched yet.
    /// @param path The file, link or directory tree to remove at the end of the scope.
    explicit DirectoryReaper(Path const& path);
    DirectoryReaper(DirectoryReaper const&) = delete;
    DirectoryReaper& operator=(DirectoryReaper const&) = delete;
    /// Removes the path with everything below it unless cancelled; a failure is ignored (what
    /// could not be removed stays). Never throws for a file-system failure.
    ~DirectoryReaper();

    /// Disarms the reaper for good; `get()` is empty afterwards.
    void cancel();
    /// @return The path to be removed, or the empty path once cancelled.
    Path const& get() const { return path_; }

private:
    Path path_;
};

/// Removes a file, a link or an empty directory (`remove`) when it goes out of scope, unless
/// cancelled. A non-empty directory and a read-only file stay. Reapers share nothing; each may
/// be used on any thread, one thread at a time.
class KORIL_FILESYSTEM_EXPORT PathReaper {
public:
    /// Arms the reaper; nothing on disk is touched yet.
    /// @param path The file, link or empty directory to remove at the end of the scope.
    explicit PathReaper(Path const& path);
    PathReaper(PathReaper const&) = delete;
    PathReaper& operator=(PathReaper const&) = delete;
    /// Removes the path unless cancelled; a failure is ignored. Never throws for a file-system
    /// failure.
    ~PathReaper();

    /// Disarms the reaper for good; `get()` is empty afterwards.
    void cancel();
    /// @return The path to be removed, or the empty path once cancelled.
    Path const& get() const { return path_; }

private:
    Path path_;
};

} // namespace koril::filesystem

#endif
