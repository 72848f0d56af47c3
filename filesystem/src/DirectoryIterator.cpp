// Directory entries and the listing of one directory.

#include "StatusFromAttributes.h"

#include "platform/Platform.h"

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>

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

bool isDotOrDotDot(std::wstring const& name) {
    return name == L"." || name == L"..";
}

// The last owner of a search closes it.
void closeSearch(void* search) {
    if (search != nullptr)
        platform::findClose(search);
}

} // namespace

DirectoryIterator::DirectoryIterator() = default;

DirectoryIterator::DirectoryIterator(Path const& directory) : directoryPath_(directory) {
    platform::FindData record;
    platform::Handle const search =
        platform::findFirstFile((directoryPath_ / Path("*")).nativeString(), record);
    if (search == platform::invalidHandle)
        return;
    opened_ = true;
    searchHandle_ = std::shared_ptr<void>(search, closeSearch);
    while (isDotOrDotDot(record.name)) {
        if (!platform::findNextFile(search, record)) {
            searchHandle_.reset();
            return;
        }
    }
    setEntry(record.name, record.attributes);
}

DirectoryIterator::DirectoryIterator(DirectoryIterator const&) = default;
DirectoryIterator& DirectoryIterator::operator=(DirectoryIterator const&) = default;
DirectoryIterator::~DirectoryIterator() = default;

DirectoryIterator& DirectoryIterator::operator++() {
    platform::Handle const search = searchHandle_.get();
    if (search == nullptr)
        return *this;
    platform::FindData record;
    do {
        if (!platform::findNextFile(search, record)) {
            searchHandle_.reset();
            currentEntry_ = DirectoryEntry();
            return *this;
        }
    } while (isDotOrDotDot(record.name));
    setEntry(record.name, record.attributes);
    return *this;
}

void DirectoryIterator::setEntry(std::wstring const& name, std::uint32_t attributes) {
    Path path = directoryPath_ / Path(String(name));
    FileStatus const status = detail::statusFromAttributes(path, attributes);
    FileStatus const linkStatus =
        status.getType() == SymbolicLinkFile ? symbolicLinkStatus(path) : status;
    currentEntry_ = DirectoryEntry(std::move(path), status, linkStatus);
}

} // namespace koril::filesystem
