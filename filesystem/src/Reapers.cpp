#include <koril/filesystem/Reapers.h>

#include <koril/filesystem/Operations.h>

namespace koril::filesystem {

DirectoryReaper::DirectoryReaper(Path const& path) : path_(path) {}

DirectoryReaper::~DirectoryReaper() {
    if (!path_.empty() && exists(path_))
        removeAll(path_);
}

void DirectoryReaper::cancel() {
    path_.clear();
}

PathReaper::PathReaper(Path const& path) : path_(path) {}

PathReaper::~PathReaper() {
    if (!path_.empty() && exists(path_))
        remove(path_);
}

void PathReaper::cancel() {
    path_.clear();
}

} // namespace koril::filesystem
