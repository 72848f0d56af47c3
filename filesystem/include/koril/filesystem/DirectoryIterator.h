#ifndef KORIL_FILESYSTEM_DIRECTORYITERATOR_H
#define KORIL_FILESYSTEM_DIRECTORYITERATOR_H

#include <koril/filesystem/Export.h>
#include <koril/filesystem/FileStatus.h>
#include <koril/filesystem/Path.h>

#include <cstdint>
#include <memory>
#include <string>

/// @file
/// Listing one directory: `DirectoryIterator` and the `DirectoryEntry` values it produces.

namespace koril::filesystem {

/// A path with the two statuses that the listing gave for it. The entry with the empty path is
/// the end marker of a listing. A value type; like its `Path`, one entry must not be used from
/// two threads at once.
class KORIL_FILESYSTEM_EXPORT DirectoryEntry {
public:
    /// The end marker: an empty path with two `StatusUnknown` statuses.
    DirectoryEntry();
    /// An entry with the given path and statuses, stored as given; nothing is asked of the disk.
    /// @param path The entry's path.
    /// @param status Its status, links followed.
    /// @param symlinkStatus Its own status, as a link if it is one.
    DirectoryEntry(Path const& path, FileStatus status, FileStatus symlinkStatus);
    /// Copies the path and both statuses.
    DirectoryEntry(DirectoryEntry const&);
    /// Takes the path over; the source may then only be destroyed or assigned to.
    DirectoryEntry(DirectoryEntry&&) noexcept;
    /// Copies the path and both statuses.
    /// @return This entry.
    DirectoryEntry& operator=(DirectoryEntry const&);
    /// Takes the path over; the source may then only be destroyed or assigned to.
    /// @return This entry.
    DirectoryEntry& operator=(DirectoryEntry&&) noexcept;
    /// Releases the path; nothing on disk is touched.
    ~DirectoryEntry();

    /// @return The entry's path: the listed directory joined with the entry's name.
    Path const& getPath() const { return path_; }
    /// The status, links followed.
    /// @return The cached status; when that is `StatusUnknown` and the path exists, the result
    ///     of a fresh `status` query, which is not stored. An entry made by the iterator never
    ///     needs the query. Never throws for a file-system failure.
    FileStatus getStatus() const;
    /// The entry's own status, as a link if it is one.
    /// @return The cached link status; when that is `StatusUnknown` and the path exists, the
    ///     result of a fresh `symbolicLinkStatus` query, which is not stored.
    FileStatus getSymlinkStatus() const;
    /// Replaces the whole path (not just its file name) and both statuses; nothing on disk is
    /// renamed.
    /// @param path The new path.
    /// @param status The new status, links followed.
    /// @param symlinkStatus The new link status.
    void replaceFilename(Path const& path, FileStatus status, FileStatus symlinkStatus);

    /// @name Ordering
    ///@{

    /// Compares the path strings code point by code point (not the case-blind path
    /// comparison); the statuses take no part.
    /// @param other The entry to compare with.
    /// @return The result of the comparison of the two path strings.
    bool operator==(DirectoryEntry const& other) const;
    bool operator!=(DirectoryEntry const& other) const;
    bool operator<(DirectoryEntry const& other) const;
    bool operator<=(DirectoryEntry const& other) const;
    bool operator>(DirectoryEntry const& other) const;
    bool operator>=(DirectoryEntry const& other) const;
    ///@}

private:
    Path path_;
    FileStatus status_;
    FileStatus symlinkStatus_;
};

/// A single-pass cursor over the entries of one directory, in the platform's order, without
/// "." and "..". It never descends into subdirectories and never changes the disk.
///
/// Copies share one platform search: advancing one copy moves the search under all of them.
/// Copies may be destroyed on different threads (the shared search is reference-counted
/// atomically), but advancing copies of one iterator from several threads is not supported.
/// Entries added or removed while the listing runs are seen or not as the platform's search
/// sees them. Loop while `*it != *DirectoryIterator()`.
class KORIL_FILESYSTEM_EXPORT DirectoryIterator {
public:
    /// The end iterator; `canIterate()` is false.
    DirectoryIterator();
    /// Opens the search and positions on the first entry. A directory that is missing, is not a
    /// directory or cannot be read gives an iterator at the end with `canIterate()` false; no
    /// exception is thrown for it and no error is stored. Only allocation failures throw.
    /// @param directory The directory to list.
    explicit DirectoryIterator(Path const& directory);
    /// Shares the other iterator's search and copies its current entry.
    DirectoryIterator(DirectoryIterator const&);
    /// Shares the other iterator's search and copies its current entry.
    /// @return This iterator.
    DirectoryIterator& operator=(DirectoryIterator const&);
    /// Closes the search when this is its last owner.
    ~DirectoryIterator();

    /// @return The current entry; the entry with the empty path at the end.
    DirectoryEntry const& operator*() const { return currentEntry_; }
    /// @return The current entry, for member access.
    DirectoryEntry const* operator->() const { return &currentEntry_; }
    /// Moves to the next entry, or to the end; an iterator at the end stays there. A platform
    /// failure in the middle of a listing is not told apart from its end.
    /// @return This iterator.
    DirectoryIterator& operator++();
    /// @return Whether the directory could be opened for listing (an empty directory can).
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
