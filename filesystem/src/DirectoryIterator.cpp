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

platform::Directory* listingOf(std::shared_ptr<void> const& search) {
    return static_cast<platform::Directory*>(search.get());
}

} // namespace

DirectoryIterator::DirectoryIterator() = default;

DirectoryIterator::DirectoryIterator(Path const& directory) : directoryPath_(directory) {
    auto listing = std::make_unique<platform::Directory>();
    if (!platform::openDirectory(directoryPath_, platform::DirectoryUse::list, *listing))
        return;
    opened_ = true;
    // Copies share the listing; the last one closes it.
    searchHandle_ = std::shared_ptr<void>(
        listing.release(), [](void* shared) { delete static_cast<platform::Directory*>(shared); });
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
    platform::Directory* const listing = listingOf(searchHandle_);
    if (listing == nullptr)
        return;
    platform::DirectoryRecord record;
    // A listing that fails midway ends like one that is complete.
    if (platform::readDirectory(*listing, record) != platform::ReadResult::entry) {
        searchHandle_.reset();
        currentEntry_ = DirectoryEntry();
        return;
    }
    Path path = directoryPath_ / Path(platform::textOfName(record.name));
    FileStatus const status = detail::statusFromAttributes(path, record.attributes.bits);
    FileStatus const linkStatus =
        status.getType() == SymbolicLinkFile ? symbolicLinkStatus(path) : status;
    currentEntry_ = DirectoryEntry(std::move(path), status, linkStatus);
}

} // namespace koril::filesystem
