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

// The free functions of the library. None of them throws for a file-system failure: a failure
// is folded into the result (false, an empty path, a status of `FileNotFound` or
// `StatusUnknown`, a size of -1, a time of zero ticks, a null `FILE*`). The few exceptions are
// named where they can occur; allocation failures always propagate.

namespace koril::filesystem {

// 100-nanosecond ticks.
using Ticks = std::chrono::duration<long long, std::ratio<1, 10000000>>;
// A point in time, in 100-nanosecond ticks since 1970-01-01 00:00:00 UTC.
using TimePoint = std::chrono::time_point<std::chrono::system_clock, Ticks>;

// A predicate on paths. In traversal, `true` means go on.
using PathPredicate = std::function<bool(Path const&)>;

// --- Status -------------------------------------------------------------------------------

// The status of what `p` finally names, links followed: `FileNotFound` when it cannot be
// resolved, `StatusUnknown` when its attributes cannot be read.
KORIL_FILESYSTEM_EXPORT FileStatus status(Path const& p);
// The status of `p` itself (a link is reported as a link); `StatusUnknown` on any failure,
// also for a missing path.
KORIL_FILESYSTEM_EXPORT FileStatus symbolicLinkStatus(Path const& p);
KORIL_FILESYSTEM_EXPORT bool exists(Path const& p);
// True for a directory, and for a link that the platform reports as one.
KORIL_FILESYSTEM_EXPORT bool isDirectory(Path const& p);
// The full 64-bit size of what `p` finally names, or -1.
KORIL_FILESYSTEM_EXPORT long long fileSize(Path const& p);

// --- Canonical form -----------------------------------------------------------------------

// The final path of an existing file or directory as the volume stores it (links and short
// names resolved, stored spelling); the empty path when it cannot be opened for reading.
KORIL_FILESYSTEM_EXPORT Path canonical(Path const& path);
// `path` without "." and ".." elements; every prefix that exists on disk is replaced by its
// canonical form, so ".." leaves the real parent. Leading ".." of a relative path vanish.
KORIL_FILESYSTEM_EXPORT Path resolveDots(Path const& path);

// --- Creating and removing ----------------------------------------------------------------

// Creates one directory whose parent exists; true also when anything of that name exists.
// Refuses (false, nothing created) a path that fails `isValidDirectoryPathLength`.
KORIL_FILESYSTEM_EXPORT bool createDirectory(Path const& p);
// Creates the directory and its missing ancestors from the top down. Stops with false, without
// creating anything relative to the current directory, when no ancestor exists.
KORIL_FILESYSTEM_EXPORT bool createDirectories(Path const& p);
// Removes one file, link or empty directory. A read-only file is refused.
KORIL_FILESYSTEM_EXPORT bool remove(Path const& p);
// Removes a file, a link or a whole tree. Links are never followed: a link inside the tree is
// removed as a link. Stops at the first entry that cannot be removed; what went before stays
// removed.
KORIL_FILESYSTEM_EXPORT bool removeAll(Path const& p);

// --- Copying, moving and links ------------------------------------------------------------

// Copies a file, a directory tree or a link; never overwrites anything.
KORIL_FILESYSTEM_EXPORT bool copy(Path const& from, Path const& to);
// Copies a file's contents (links followed). With `failIfExists` false an existing file is
// replaced.
KORIL_FILESYSTEM_EXPORT bool copyFile(Path const& from, Path const& to, bool failIfExists);
// Copies a directory into a destination that must not exist. Every entry is attempted; false
// when any failed (the partial tree stays). Without `recursive`, subdirectories are recreated
// empty.
KORIL_FILESYSTEM_EXPORT bool copyDirectory(Path const& from, Path const& to, bool recursive);
// Makes `to` a link to the fully resolved target of the link `from`.
KORIL_FILESYSTEM_EXPORT bool copySymbolicLink(Path const& from, Path const& to, bool failIfExists);
// Makes `link` a symbolic link to `target`. Returns true, or throws `std::logic_error` with
// "createSymbolicLink: GetLastError() = " and the platform's error number; never returns false.
KORIL_FILESYSTEM_EXPORT bool createSymbolicLink(Path const& target, Path const& link);
// Renames; never replaces an existing destination.
KORIL_FILESYSTEM_EXPORT bool rename(Path const& from, Path const& to);
// Renames, or copies and then removes the source (across volumes).
KORIL_FILESYSTEM_EXPORT bool move(Path const& from, Path const& to);

// --- Times, permissions and the current directory -----------------------------------------

// The last-write time, exact to 100 ns; zero ticks on failure.
KORIL_FILESYSTEM_EXPORT TimePoint getModificationTime(Path const& p);
// Sets the last-write time, exact to 100 ns. False on failure, including times before 1970 or
// beyond what the platform's calendar functions represent.
KORIL_FILESYSTEM_EXPORT bool setModificationTime(Path const& p, TimePoint const& time);
// Only `OwnerWrite` counts: without it the path becomes read-only, with it writable.
KORIL_FILESYSTEM_EXPORT bool setPermissions(Path const& p, Permissions permissions);
// The process's current directory, of any length; the empty path on failure.
KORIL_FILESYSTEM_EXPORT Path getCurrentDirectory();
KORIL_FILESYSTEM_EXPORT bool setCurrentDirectory(Path const& p);

// --- Name and path algorithms -------------------------------------------------------------

// Whether the whole of `path.string()` matches `pattern`: `*` stands for any run of
// characters and `?` for one; every other character keeps its meaning in an ECMAScript
// regular expression. Case-sensitive. Throws `std::regex_error` when the pattern does not
// compile; a failure while matching gives false.
KORIL_FILESYSTEM_EXPORT bool matchesGlobPattern(Path const& path, String const& pattern);
// `path` with every code point outside ASCII letters, digits, `\` and " !#$&'()-@^_`{}~."
// replaced by `_`.
KORIL_FILESYSTEM_EXPORT Path sanitize(Path const& path);
// The parent joined with an upper-case 8.3 form of the file name that names nothing on disk,
// numbered with `~N` tails while it exists. Stops with the last candidate once a tail no longer
// fits into eight characters.
KORIL_FILESYSTEM_EXPORT Path toDos8Dot3(Path const& path);
// `path` rebuilt from the spellings its directories store (case and composition); the empty
// path when an element has no match in a directory that can be listed. Without `fromRoot` an
// existing path is returned as it is and the walk starts at the deepest existing ancestor.
KORIL_FILESYSTEM_EXPORT Path findSimilarName(Path const& path, bool fromRoot);
// Replaces `path` by `findSimilarName(path, fromRoot)` when that is not empty.
KORIL_FILESYSTEM_EXPORT bool correctFileCaseAndComposition(Path& path, bool fromRoot);
// `path` for display, with a run of middle elements replaced by `ellipsis` so that it fits
// `maxLength` code points; the first and the last element are always kept.
KORIL_FILESYSTEM_EXPORT String generateElidedPath(Path const& path, size_t maxLength,
                                                  String const& ellipsis);
// `path` made absolute against `base` by text alone; unchanged when `base` is not complete or
// `path` has a root name.
KORIL_FILESYSTEM_EXPORT Path complete(Path const& path, Path const& base);
// `path` made absolute against the current directory.
KORIL_FILESYSTEM_EXPORT Path systemComplete(Path const& path);

// --- Opening files ------------------------------------------------------------------------

// `fopen` on the path's native string; null on failure. The caller closes the stream.
KORIL_FILESYSTEM_EXPORT std::FILE* fopenWrapper(Path const& path, std::string const& mode);
// The same, but null without touching the file when it is in use (`FileLock::isFileLocked`).
KORIL_FILESYSTEM_EXPORT std::FILE* fopenWrapperWithLockCheck(Path const& path,
                                                             std::string const& mode);
// Opens `stream` on the path, letting other handles read and write the file meanwhile; failure
// sets failbit, success clears the state.
KORIL_FILESYSTEM_EXPORT void fstreamWrapper(std::basic_fstream<char>& stream, Path const& path,
                                            int mode);
// The same, but leaves the stream closed and its state untouched when the file is in use.
KORIL_FILESYSTEM_EXPORT void fstreamWrapperWithLockCheck(std::basic_fstream<char>& stream,
                                                         Path const& path, int mode);

// --- Traversal with callbacks -------------------------------------------------------------

// Calls `callback` with each child of `directory` (not deeper) until it returns false. True
// only when at least one child was visited and every call returned true. An empty callback
// throws `std::bad_function_call` at the first child.
KORIL_FILESYSTEM_EXPORT bool forEach(Path const& directory, PathPredicate callback);
// The same for the children whose file name matches `pattern`; a skipped child counts as go on.
// A bad pattern throws `std::regex_error` at the first child tested.
KORIL_FILESYSTEM_EXPORT bool forEachMatching(Path const& directory, String const& pattern,
                                             PathPredicate callback);
// Removes the matching children with `remove`; stops with false at the first that cannot be.
KORIL_FILESYSTEM_EXPORT bool removeMatching(Path const& directory, String const& pattern);
// Removes the matching children with `removeAll`; stops with false at the first that cannot be.
KORIL_FILESYSTEM_EXPORT bool removeAllMatching(Path const& directory, String const& pattern);

// --- Comparing files and trees ------------------------------------------------------------

// Equal sizes and equal contents, read in text mode in blocks of 1024 bytes. Two paths of equal
// reported size that cannot both be opened compare equal.
KORIL_FILESYSTEM_EXPORT bool compareFiles(Path const& a, Path const& b);
// The same names (path comparison), kinds and contents, recursively, links followed. A
// directory already on the current recursion path on both sides (a link cycle) ends that branch
// and counts as equal.
KORIL_FILESYSTEM_EXPORT bool compareDirectories(Path const& a, Path const& b);

// --- Temporary directories ----------------------------------------------------------------

// The platform's temporary directory, or the empty path.
KORIL_FILESYSTEM_EXPORT Path getOSTemporaryDirectory();
// The innermost live `TemporaryDirectory`, or `getOSTemporaryDirectory()`.
KORIL_FILESYSTEM_EXPORT Path getTemporaryDirectory();

#if !defined(_WIN32)
// POSIX only: maps a drive root name such as "T:" to a POSIX directory, so that paths in drive
// form reach the disk; an empty `directory` removes the mapping. Unmapped drives, UNC and device
// paths name nothing. Returns false for a root name that is not a letter and a colon.
KORIL_FILESYSTEM_EXPORT bool setDriveMapping(String const& rootName, Path const& directory);
#endif

} // namespace koril::filesystem

#endif
