// Directory entries and the listing of one directory.

#include "StatusFromAttributes.h"

#include "platform/Platform.h"

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>

#include <memory>
#include <utility>

namespace koril::filesystem {

DirectoryEntry::DirectoryEntry() = default;

DirectoryEntry::DirectoryEntry(Path const& path, FileStatus status, FileStatus symlinkStatus)
    : path_(path), status_(status), symlinkStatus_(symlinkStatus) {}

DirectoryEntry::DirectoryEntry(DirectoryEntry const&) = default;
DirectoryEntry::DirectoryEntry(DirectoryEntry&&) noexcept = default;
DirectoryEntry& DirectoryEntry::operator=(DirectoryEntry const&) = default;
DirectoryEntry& DirectoryEntry::operator=(DirectoryEntry&&) noexcept = default;
DirectoryEntry::~DirectoryEntry() = default;

FileStatus DirectoryEntry::getStatus() const {
    if (status_.getType() == StatusUnknown && exists(path_))
        return status(path_);
    return status_;
}

FileStatus DirectoryEntry::getSymlinkStatus() const {
    if (symlinkStatus_.getType() == StatusUnknown && exists(path_))
        return symbolicLinkStatus(path_);
    return symlinkStatus_;
}

void DirectoryEntry::replaceFilename(Path const& path, FileStatus status,
                                     FileStatus symlinkStatus) {
    path_ = path;
    status_ = status;
    symlinkStatus_ = symlinkStatus;
}

bool DirectoryEntry::operator==(DirectoryEntry const& other) const {
    return path_.string() == other.path_.string();
}
bool DirectoryEntry::operator!=(DirectoryEntry const& other) const {
    return path_.string() != other.path_.string();
}
bool DirectoryEntry::operator<(DirectoryEntry const& other) const {
    return path_.string() < other.path_.string();
}
bool DirectoryEntry::operator<=(DirectoryEntry const& other) const {
    return path_.string() <= other.path_.string();
}
bool DirectoryEntry::operator>(DirectoryEntry const& other) const {
    return path_.string() > other.path_.string();
}
bool DirectoryEntry::operator>=(DirectoryEntry const& other) const {
    return path_.string() >= other.path_.string();
}

namespace {

// What copies of an iterator share: the open listing, and buffers that each step reuses so that
// an entry costs no allocation beyond its name's text.
struct Listing {
    platform::Directory directory;
    platform::DirectoryRecord record;
    Path path;
};

Listing* listingOf(std::shared_ptr<void> const& search) {
    return static_cast<Listing*>(search.get());
}

} // namespace

DirectoryIterator::DirectoryIterator() = default;

DirectoryIterator::DirectoryIterator(Path const& directory) : directoryPath_(directory) {
    auto listing = std::make_unique<Listing>();
    if (!platform::openDirectory(directoryPath_, platform::DirectoryUse::list, listing->directory))
        return;
    opened_ = true;
    // Copies share the listing; the last one closes it.
    searchHandle_ = std::shared_ptr<void>(
        listing.release(), [](void* shared) { delete static_cast<Listing*>(shared); });
    advance();
}

DirectoryIterator::DirectoryIterator(DirectoryIterator const&) = default;
DirectoryIterator& DirectoryIterator::operator=(DirectoryIterator const&) = default;
DirectoryIterator::~DirectoryIterator() = default;

DirectoryIterator& DirectoryIterator::operator++() {
    advance();
    return *this;
}

void DirectoryIterator::advance() {
    Listing* const listing = listingOf(searchHandle_);
    if (listing == nullptr)
        return;
    platform::DirectoryRecord& record = listing->record;
    // A listing that fails midway ends like one that is complete.
    if (platform::readDirectory(listing->directory, record) != platform::ReadResult::entry) {
        searchHandle_.reset();
        currentEntry_ = DirectoryEntry();
        return;
    }
    // Assigned, not built: the buffers of the shared path and of the current entry's path are
    // reused from one entry to the next.
    Path& path = listing->path;
    path = directoryPath_;
    path /= Path(platform::textOfName(record.name));
    FileStatus const status = detail::statusFromAttributes(path, record.attributes.bits);
    FileStatus const linkStatus =
        status.getType() == SymbolicLinkFile ? symbolicLinkStatus(path) : status;
    currentEntry_.replaceFilename(path, status, linkStatus);
}

} // namespace koril::filesystem
