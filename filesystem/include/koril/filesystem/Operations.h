#ifndef KORIL_FILESYSTEM_OPERATIONS_H
#define KORIL_FILESYSTEM_OPERATIONS_H

#include <koril/filesystem/Export.h>
#include <koril/filesystem/FileStatus.h>
#include <koril/filesystem/Path.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <ratio>
#include <string>

/// @file
/// The free functions of the library.
///
/// None of them throws for a file-system failure: a failure is folded into the result (false,
/// an empty path, a status of `FileNotFound` or `StatusUnknown`, a size of -1, a time of zero
/// ticks, a null `FILE*`), and no error code is stored. The few exceptions are named where they
/// can occur; allocation failures always propagate as `std::bad_alloc`.
///
/// Threads: unless a function says otherwise, it shares no state with other calls, and any
/// number of threads may call these functions at once on distinct `Path` objects. What they do
/// on disk is not synchronised with other threads or processes: a tree that changes during a
/// walk is seen as the platform's listing sees it.

namespace koril::filesystem {

/// 100-nanosecond ticks.
using Ticks = std::chrono::duration<long long, std::ratio<1, 10000000>>;
/// A point in time, in 100-nanosecond ticks since 1970-01-01 00:00:00 UTC.
using TimePoint = std::chrono::time_point<std::chrono::system_clock, Ticks>;

/// A predicate on paths. In traversal, `true` means go on.
using PathPredicate = std::function<bool(Path const&)>;

/// @name Status
///@{

/// The status of what a path finally names, links followed. Never changes the disk.
/// @param p The path to ask about.
/// @return The type and permissions; `FileNotFound` when the path cannot be resolved,
///     `StatusUnknown` when its attributes cannot be read, both with `PermissionsUnknown`.
KORIL_FILESYSTEM_EXPORT FileStatus status(Path const& p);
/// The status of a path itself: a link is reported as a link, never followed.
/// @param p The path to ask about.
/// @return The type and permissions; `StatusUnknown` with `PermissionsUnknown` on any failure,
///     also for a missing path.
KORIL_FILESYSTEM_EXPORT FileStatus symbolicLinkStatus(Path const& p);
/// Whether a path names anything.
/// @param p The path to ask about.
/// @return True when it exists; false on any failure.
KORIL_FILESYSTEM_EXPORT bool exists(Path const& p);
/// Whether a path names a directory.
/// @param p The path to ask about.
/// @return True for a directory, and for a link that the platform reports as one; false on any
///     failure.
KORIL_FILESYSTEM_EXPORT bool isDirectory(Path const& p);
/// The size of what a path finally names.
/// @param p The path to ask about.
/// @return The full 64-bit size in bytes, or -1 on any failure.
KORIL_FILESYSTEM_EXPORT long long fileSize(Path const& p);
///@}

/// @name Canonical form
///@{

/// The final path of an existing file or directory as the volume stores it: links and short
/// names resolved, each name spelled as stored. Opens the path for reading and closes it again.
/// @param path The path to resolve.
/// @return The canonical path; the empty path when it does not exist or cannot be opened for
///     reading (for example while another process holds it open for writing).
KORIL_FILESYSTEM_EXPORT Path canonical(Path const& path);
/// A path without "." and ".." elements. Every prefix that exists on disk is replaced by its
/// canonical form, so ".." leaves the real parent; the rest is resolved as text. Leading ".." of
/// a relative path vanish. Changes nothing on disk.
/// @param path The path to resolve.
/// @return The resolved path; when an existing prefix cannot be opened, the remaining elements
///     joined to the empty path.
KORIL_FILESYSTEM_EXPORT Path resolveDots(Path const& path);
///@}

/// @name Creating and removing
///@{

/// Creates one directory whose parent exists.
/// @param p The directory to create.
/// @return True when it was created, and also when anything of that name already exists (which
///     is left alone). False, with nothing created, for a missing parent or a path that fails
///     `isValidDirectoryPathLength`.
KORIL_FILESYSTEM_EXPORT bool createDirectory(Path const& p);
/// Creates a directory and its missing ancestors, from the top down; a relative path's first
/// element is created in the current directory.
/// @param p The directory to create.
/// @return True when the directory exists afterwards; false when a level could not be made
///     (the levels made before it stay), for example below a root that does not exist.
KORIL_FILESYSTEM_EXPORT bool createDirectories(Path const& p);
/// Removes one file, link or empty directory. Never removes a read-only file, a non-empty
/// directory, or what a link names.
/// @param p The path to remove.
/// @return True when it was removed; false for a missing path, a read-only file, a file held
///     open elsewhere, a non-empty directory, or any other refusal.
KORIL_FILESYSTEM_EXPORT bool remove(Path const& p);
/// Removes a file, a link or a whole tree. Links are never followed: a link inside the tree is
/// removed as a link.
/// @param p The path to remove.
/// @return True when everything was removed. False for a missing path, and when an entry could
///     not be removed: the removal stops there, and what went before stays removed.
KORIL_FILESYSTEM_EXPORT bool removeAll(Path const& p);
///@}

/// @name Copying, moving and links
///@{

/// Copies a file, a directory tree (as `copyDirectory` with `recursive`) or a link (as
/// `copySymbolicLink`). Never overwrites anything. The source's links are followed to decide
/// what it is, so a link to a directory is copied as a tree of its target's contents.
/// @param from The source.
/// @param to The destination, which must not exist.
/// @return True on success; false when the destination exists or any part failed. Throws
///     `std::logic_error` as `createSymbolicLink` does when a link cannot be made.
KORIL_FILESYSTEM_EXPORT bool copy(Path const& from, Path const& to);
/// Copies a file's contents, links followed. Never copies a directory.
/// @param from The file to copy.
/// @param to The destination file.
/// @param failIfExists True to refuse an existing destination; false to replace it.
/// @return True when the copy exists afterwards; false when the source is a directory, the
///     destination exists and may not be replaced, or the platform refused.
KORIL_FILESYSTEM_EXPORT bool copyFile(Path const& from, Path const& to, bool failIfExists);
/// Copies a directory into a destination that must not exist, creating it. Every entry is
/// attempted even after a failure, and nothing in the new tree is overwritten. Links inside are
/// copied as the files they name; a link to a directory fails.
/// @param from The directory to copy.
/// @param to The new directory.
/// @param recursive True to copy the whole tree; false to copy the files of the top level and
///     recreate its subdirectories empty.
/// @return True when every entry was copied; false when `from` is no directory, `to` exists,
///     or any entry failed (the partial tree stays; nothing is undone).
KORIL_FILESYSTEM_EXPORT bool copyDirectory(Path const& from, Path const& to, bool recursive);
/// Makes a link to the fully resolved final target of a link (not to the text the old link
/// holds).
/// @param from An existing symbolic link.
/// @param to The new link.
/// @param failIfExists True to refuse an existing `to`; false to remove it first.
/// @return True when the new link was made; false when `from` is no link, `to` exists and may
///     not be replaced or cannot be removed, or the link resolves to itself. Throws
///     `std::logic_error` as `createSymbolicLink` does.
KORIL_FILESYSTEM_EXPORT bool copySymbolicLink(Path const& from, Path const& to, bool failIfExists);
/// Makes a symbolic link; a directory target gets a directory link.
/// @param target What the link points to; it need not exist.
/// @param link The link to make.
/// @return True. Never returns false: when the platform refuses (no privilege, an existing
///     name), throws `std::logic_error` with the message "createSymbolicLink: GetLastError() = "
///     followed by the platform's error number.
KORIL_FILESYSTEM_EXPORT bool createSymbolicLink(Path const& target, Path const& link);
/// Renames a file, link or directory. Never replaces an existing destination.
/// @param from The current path.
/// @param to The new path.
/// @return True on success; false when the platform refuses, also across volumes.
KORIL_FILESYSTEM_EXPORT bool rename(Path const& from, Path const& to);
/// Renames, or (where a rename is not possible, as across volumes) copies with `copy` and then
/// removes the source as `removeAll` does. Never replaces an existing destination.
/// @param from The current path.
/// @param to The new path.
/// @return True when the source is gone and the destination complete. False when the copy
///     failed (the source is untouched, a partial copy may stay) or when the source could not
///     be fully removed afterwards (both stay). Throws `std::logic_error` as `copy` does.
KORIL_FILESYSTEM_EXPORT bool move(Path const& from, Path const& to);
///@}

/// @name Times, permissions and the current directory
///@{

/// The last-write time, exact to 100 ns.
/// @param p The path to ask about.
/// @return The time; zero ticks (1970-01-01 00:00:00 UTC) on any failure, which a caller cannot
///     tell from a file that really has that time.
KORIL_FILESYSTEM_EXPORT TimePoint getModificationTime(Path const& p);
/// Sets the last-write time, exact to 100 ns. Changes no other time and no contents.
/// @param p The file or directory.
/// @param time The new time.
/// @return True on success; false on any failure, including times before 1970 or beyond what
///     the platform's calendar functions represent.
KORIL_FILESYSTEM_EXPORT bool setModificationTime(Path const& p, TimePoint const& time);
/// Makes a path read-only or writable. Only `OwnerWrite` counts; no other bit can change.
/// @param p The file or directory.
/// @param permissions With `OwnerWrite` the path becomes writable, without it read-only.
/// @return True on success; false on any failure.
KORIL_FILESYSTEM_EXPORT bool setPermissions(Path const& p, Permissions permissions);
/// The process's current directory, of any length. It is process-wide state: another thread
/// may change it at any moment.
/// @return The current directory; the empty path on failure.
KORIL_FILESYSTEM_EXPORT Path getCurrentDirectory();
/// Changes the process's current directory, for every thread. Concurrent calls race as the
/// platform lets them.
/// @param p The new current directory.
/// @return True on success; false on any failure, with the current directory unchanged.
KORIL_FILESYSTEM_EXPORT bool setCurrentDirectory(Path const& p);
///@}

/// @name Name and path algorithms
///@{

/// Whether the whole of a path's text matches a glob pattern: `*` stands for any run of
/// characters and `?` for one; every other character keeps its meaning in an ECMAScript
/// regular expression. Case-sensitive. Works on the text alone; the disk is never asked.
/// @param path The path whose whole text is matched.
/// @param pattern The glob pattern.
/// @return Whether it matches; false when the matching itself fails (such as on the engine's
///     complexity limits). Throws `std::regex_error` when the pattern does not compile.
KORIL_FILESYSTEM_EXPORT bool matchesGlobPattern(Path const& path, String const& pattern);
/// A path safe to use as a name anywhere. Works on the text alone.
/// @param path The path to clean.
/// @return `path` with every code point outside ASCII letters, digits, `\` and
///     " !#$&'()-@^_`{}~." replaced by `_`; as long as `path`. Never fails.
KORIL_FILESYSTEM_EXPORT Path sanitize(Path const& path);
/// An MS-DOS 8.3 name for a path, free on disk. Reads the disk; creates nothing.
/// @param path The long path.
/// @return The parent joined with an upper-case 8.3 form of the file name that names nothing on
///     disk, numbered with `~N` tails while it exists; once a tail no longer fits into eight
///     characters, the last candidate. Always a path.
KORIL_FILESYSTEM_EXPORT Path toDos8Dot3(Path const& path);
/// A path spelled as its directories store it (letter case and Unicode composition), found by
/// listing them. Renames nothing. A directory that changes during the walk gives a result that
/// reflects some moment of it.
/// @param path The path as given.
/// @param fromRoot True to look up every element from the root down; false to return an
///     existing path as it is and start at the deepest existing ancestor.
/// @return The stored spelling; the empty path when an element has no match in a directory that
///     can be listed, or (without `fromRoot`) when no ancestor exists. A directory that cannot
///     be listed keeps the name as given.
KORIL_FILESYSTEM_EXPORT Path findSimilarName(Path const& path, bool fromRoot);
/// Replaces a path by `findSimilarName(path, fromRoot)` when that is not empty.
/// @param path The path to correct in place; unchanged when the result is false.
/// @param fromRoot As for `findSimilarName`.
/// @return True when a stored spelling was found.
KORIL_FILESYSTEM_EXPORT bool correctFileCaseAndComposition(Path& path, bool fromRoot);
/// A path for display, with a run of middle elements replaced by an ellipsis. Works on the text
/// alone; never fails.
/// @param path The path to show.
/// @param maxLength The length in code points to fit in.
/// @param ellipsis The text that stands for the elements left out, such as "...".
/// @return The shortened text. The first and the last element are always kept, so the result
///     may be longer than `maxLength`.
KORIL_FILESYSTEM_EXPORT String generateElidedPath(Path const& path, size_t maxLength,
                                                  String const& ellipsis);
/// A path made absolute against a base, by text alone.
/// @param path The path to complete.
/// @param base A complete path (one with a root directory).
/// @return `path` joined to `base` (or to its root name, for a path that has a root directory);
///     `path` unchanged when `base` is not complete or `path` has a root name.
KORIL_FILESYSTEM_EXPORT Path complete(Path const& path, Path const& base);
/// A path made absolute against the current directory, which other threads may change.
/// @param path The path to complete.
/// @return As `complete(path, getCurrentDirectory())`; `path` unchanged when the current
///     directory cannot be read.
KORIL_FILESYSTEM_EXPORT Path systemComplete(Path const& path);
///@}

/// @name Opening files
///@{

/// `fopen` on the path's native string.
/// @param path The file to open.
/// @param mode An `fopen` mode such as "r", "wb" or "a+".
/// @return The open stream, which the caller closes with `fclose`; null on failure.
KORIL_FILESYSTEM_EXPORT std::FILE* fopenWrapper(Path const& path, std::string const& mode);
/// The same, but refuses a file in use (`FileLock::isFileLocked`) without opening, creating or
/// truncating it. The check and the open are two steps: another process may take the file
/// between them.
/// @param path The file to open.
/// @param mode An `fopen` mode.
/// @return The open stream; null when the file is in use or the open failed.
KORIL_FILESYSTEM_EXPORT std::FILE* fopenWrapperWithLockCheck(Path const& path,
                                                             std::string const& mode);
/// Opens a stream on the path, letting other handles read and write the file meanwhile.
/// @param stream The stream to open; an open stream fails to open again.
/// @param path The file to open.
/// @param mode The standard open-mode bits (`std::ios::in`, `out`, `binary`, ...).
/// @post Success clears the stream's state; failure sets failbit (which may throw if the caller
///     enabled exceptions for it).
KORIL_FILESYSTEM_EXPORT void fstreamWrapper(std::basic_fstream<char>& stream, Path const& path,
                                            int mode);
/// The same, but leaves the stream closed and its state untouched when the file is in use; the
/// caller tests `is_open()`.
/// @param stream The stream to open.
/// @param path The file to open.
/// @param mode The standard open-mode bits.
KORIL_FILESYSTEM_EXPORT void fstreamWrapperWithLockCheck(std::basic_fstream<char>& stream,
                                                         Path const& path, int mode);
///@}

/// @name Traversal with callbacks
/// Changes made while a directory is walked (by the callback or another process) are seen or
/// not as the platform's listing sees them. An exception from the callback passes through.
///@{

/// Calls `callback` with each child of a directory (not deeper) until it returns false.
/// @param directory The directory to walk.
/// @param callback Called with each child's path; false stops the walk.
/// @return True only when at least one child was visited and every call returned true; false
///     for a missing, unreadable or empty directory. An empty callback throws
///     `std::bad_function_call` at the first child.
KORIL_FILESYSTEM_EXPORT bool forEach(Path const& directory, PathPredicate callback);
/// The same for the children whose file name matches a glob pattern; a skipped child counts as
/// go on.
/// @param directory The directory to walk.
/// @param pattern The glob pattern (as `matchesGlobPattern`) for the file names.
/// @param callback Called with each matching child's path; false stops the walk.
/// @return As `forEach`. A bad pattern throws `std::regex_error` at the first child tested.
KORIL_FILESYSTEM_EXPORT bool forEachMatching(Path const& directory, String const& pattern,
                                             PathPredicate callback);
/// Removes the matching children with `remove`: files, links and empty directories.
/// @param directory The directory whose children are removed.
/// @param pattern The glob pattern for the file names.
/// @return True when every matching child was removed; false at the first that could not be
///     (the others after it stay), and for a missing or empty directory. A bad pattern throws
///     `std::regex_error` at the first child tested.
KORIL_FILESYSTEM_EXPORT bool removeMatching(Path const& directory, String const& pattern);
/// Removes the matching children with `removeAll`, trees included; links are never followed.
/// @param directory The directory whose children are removed.
/// @param pattern The glob pattern for the file names.
/// @return As `removeMatching`.
KORIL_FILESYSTEM_EXPORT bool removeAllMatching(Path const& directory, String const& pattern);
///@}

/// @name Comparing files and trees
/// Read-only: nothing is changed on disk.
///@{

/// Whether two files hold the same bytes: equal sizes and equal contents, read in text mode in
/// blocks of 1024 bytes.
/// @param a One file.
/// @param b The other file.
/// @return True when they are equal. Two paths of equal reported size that cannot both be opened
///     compare equal.
KORIL_FILESYSTEM_EXPORT bool compareFiles(Path const& a, Path const& b);
/// Whether two trees hold the same names (by path comparison), kinds and contents, recursively,
/// links followed. A directory already on the current recursion path on both sides (a link
/// cycle) ends that branch and counts as equal.
/// @param a One directory.
/// @param b The other directory.
/// @return True when they are equal; false when they differ or either is missing.
KORIL_FILESYSTEM_EXPORT bool compareDirectories(Path const& a, Path const& b);
///@}

/// @name Temporary directories
///@{

/// The platform's temporary directory. Creates nothing.
/// @return The directory, or the empty path when the platform gives no usable one.
KORIL_FILESYSTEM_EXPORT Path getOSTemporaryDirectory();
/// Where temporary files go now. Reads the process-wide stack of `TemporaryDirectory` objects,
/// which is not synchronised: call it from the thread that manages them.
/// @return The innermost live `TemporaryDirectory`, or `getOSTemporaryDirectory()`.
KORIL_FILESYSTEM_EXPORT Path getTemporaryDirectory();
///@}

#if !defined(_WIN32)
/// POSIX only: maps a drive root name such as "T:" to a POSIX directory, so that paths in drive
/// form reach the disk. Unmapped drives, UNC and device paths name nothing. The table is
/// process-wide and safe to use from several threads.
/// @param rootName A letter and a colon, in either case.
/// @param directory The POSIX directory the drive stands for; empty to remove the mapping.
/// @return True when the mapping was set or removed; false for a root name that is not a letter
///     and a colon, and for a directory that names nothing.
KORIL_FILESYSTEM_EXPORT bool setDriveMapping(String const& rootName, Path const& directory);
#endif

} // namespace koril::filesystem

#endif
