#ifndef KORIL_FILESYSTEM_REAPERS_H
#define KORIL_FILESYSTEM_REAPERS_H

#include <koril/filesystem/Export.h>
#include <koril/filesystem/Path.h>

namespace koril::filesystem {

// Removes a path with everything below it (`removeAll`) when it goes out of scope, unless
// cancelled. A path that no longer exists is left alone.
class KORIL_FILESYSTEM_EXPORT DirectoryReaper {
public:
    explicit DirectoryReaper(Path const& path);
    DirectoryReaper(DirectoryReaper const&) = delete;
    DirectoryReaper& operator=(DirectoryReaper const&) = delete;
    ~DirectoryReaper();

    // Disarms the reaper for good; `get()` is empty afterwards.
    void cancel();
    Path const& get() const { return path_; }

private:
    Path path_;
};

// Removes a file, a link or an empty directory (`remove`) when it goes out of scope, unless
// cancelled. A non-empty directory stays.
class KORIL_FILESYSTEM_EXPORT PathReaper {
public:
    explicit PathReaper(Path const& path);
    PathReaper(PathReaper const&) = delete;
    PathReaper& operator=(PathReaper const&) = delete;
    ~PathReaper();

    void cancel();
    Path const& get() const { return path_; }

private:
    Path path_;
};

} // namespace koril::filesystem

#endif
