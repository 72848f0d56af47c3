#ifndef KORIL_FILESYSTEM_DIRECTORYITERATOR_H
#define KORIL_FILESYSTEM_DIRECTORYITERATOR_H

#include <koril/filesystem/Export.h>
#include <koril/filesystem/FileStatus.h>
#include <koril/filesystem/Path.h>

#include <cstdint>
#include <memory>
#include <string>

namespace koril::filesystem {

// A path with the two statuses that the listing gave for it. The entry with the empty path is
// the end marker of a listing.
class KORIL_FILESYSTEM_EXPORT DirectoryEntry {
public:
    DirectoryEntry();
    DirectoryEntry(Path const& path, FileStatus status, FileStatus symlinkStatus);
    DirectoryEntry(DirectoryEntry const&);
    DirectoryEntry(DirectoryEntry&&) noexcept;
    DirectoryEntry& operator=(DirectoryEntry const&);
    DirectoryEntry& operator=(DirectoryEntry&&) noexcept;
    ~DirectoryEntry();

    Path const& getPath() const { return path_; }
    // The cached status; when it is `StatusUnknown` and the path exists, a fresh `status` query
    // (not stored). An entry made by the iterator never needs the query.
    FileStatus getStatus() const;
    // The same for the link status, with `symbolicLinkStatus`.
    FileStatus getSymlinkStatus() const;
    // Replaces the whole path (not just its file name) and both statuses.
    void replaceFilename(Path const& path, FileStatus status, FileStatus symlinkStatus);

    // Compare the path strings code point by code point (not the path comparison); the statuses
    // take no part.
    bool operator==(DirectoryEntry const& other) const;
    bool operator!=(DirectoryEntry const& other) const;
    bool operator<(DirectoryEntry const& other) const;
    bool operator<=(DirectoryEntry const& other) const;
    bool operator>(DirectoryEntry const& other) const;
    bool operator>=(DirectoryEntry const& other) const;

private:
    Path path_;
    FileStatus status_;
    FileStatus symlinkStatus_;
};

// A single-pass cursor over the entries of one directory, in the platform's order, without
// "." and "..". Copies share one platform search: advancing one copy moves the search under all
// of them. Loop while `*it != *DirectoryIterator()`.
class KORIL_FILESYSTEM_EXPORT DirectoryIterator {
public:
    // The end iterator.
    DirectoryIterator();
    // Opens the search and positions on the first entry. A directory that is missing, is not a
    // directory or cannot be read gives an iterator at the end with `canIterate()` false.
    explicit DirectoryIterator(Path const& directory);
    DirectoryIterator(DirectoryIterator const&);
    DirectoryIterator& operator=(DirectoryIterator const&);
    ~DirectoryIterator();

    DirectoryEntry const& operator*() const { return currentEntry_; }
    DirectoryEntry const* operator->() const { return &currentEntry_; }
    // Moves to the next entry, or to the end; an iterator at the end stays there.
    DirectoryIterator& operator++();
    // Whether the directory could be opened for listing (an empty directory can).
    bool canIterate() const { return opened_; }

private:
    // Makes the current entry from the next record of the platform's listing, or ends.
    void advance();

    Path directoryPath_;
    std::shared_ptr<void> searchHandle_;
    DirectoryEntry currentEntry_;
    bool opened_ = false;
};

} // namespace koril::filesystem

#endif
