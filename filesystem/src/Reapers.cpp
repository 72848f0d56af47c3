#include <koril/filesystem/Reapers.h>

#include <koril/filesystem/Operations.h>

namespace koril::filesystem {

Reaper::Reaper(Path const& path) : path_(path) {}

Reaper::~Reaper() = default;

void Reaper::cancel() {
    path_.clear();
}

bool Reaper::armed() const {
    return !path_.empty() && exists(path_);
}

DirectoryReaper::~DirectoryReaper() {
    if (armed())
        removeAll(get());
}

PathReaper::~PathReaper() {
    if (armed())
        remove(get());
}

} // namespace koril::filesystem
