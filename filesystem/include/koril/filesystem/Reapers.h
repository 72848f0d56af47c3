#ifndef KORIL_FILESYSTEM_REAPERS_H
#define KORIL_FILESYSTEM_REAPERS_H

#include <koril/filesystem/Export.h>
#include <koril/filesystem/Path.h>

/// @file
/// Reapers: scope guards that remove a path when they end.

namespace koril::filesystem {

/// What both reapers hold: the path they remove when their scope ends, until cancelled. Not
/// made on its own.
class KORIL_FILESYSTEM_EXPORT Reaper {
public:
    Reaper(Reaper const&) = delete;
    Reaper& operator=(Reaper const&) = delete;

    /// Disarms the reaper for good; `get()` is empty afterwards.
    void cancel();
    /// @return The path to be removed, or the empty path once cancelled.
    Path const& get() const { return path_; }

protected:
    /// Arms the reaper; nothing on disk is touched yet.
    /// @param path What to remove at the end of the scope.
    explicit Reaper(Path const& path);
    /// Leaves the disk alone; the reapers remove in their own destructors.
    ~Reaper();

    /// @return Whether the reaper is armed and its path still exists.
    bool armed() const;

private:
    Path path_;
};

/// Removes a path with everything below it (`removeAll`) when it goes out of scope, unless
/// cancelled. Links inside are removed, never followed. A path that no longer exists is left
/// alone. Reapers share nothing; each may be used on any thread, one thread at a time.
class KORIL_FILESYSTEM_EXPORT DirectoryReaper : public Reaper {
public:
    /// Arms the reaper; nothing on disk is touched yet.
    /// @param path The file, link or directory tree to remove at the end of the scope.
    explicit DirectoryReaper(Path const& path) : Reaper(path) {}
    /// Removes the path with everything below it unless cancelled; a failure is ignored (what
    /// could not be removed stays). Never throws for a file-system failure.
    ~DirectoryReaper();
};

/// Removes a file, a link or an empty directory (`remove`) when it goes out of scope, unless
/// cancelled. A non-empty directory and a read-only file stay. Reapers share nothing; each may
/// be used on any thread, one thread at a time.
class KORIL_FILESYSTEM_EXPORT PathReaper : public Reaper {
public:
    /// Arms the reaper; nothing on disk is touched yet.
    /// @param path The file, link or empty directory to remove at the end of the scope.
    explicit PathReaper(Path const& path) : Reaper(path) {}
    /// Removes the path unless cancelled; a failure is ignored. Never throws for a file-system
    /// failure.
    ~PathReaper();
};

} // namespace koril::filesystem

#endif
