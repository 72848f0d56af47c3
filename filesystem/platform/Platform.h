#ifndef KORIL_FILESYSTEM_PLATFORM_PLATFORM_H
#define KORIL_FILESYSTEM_PLATFORM_PLATFORM_H

// The seam between the library and the operating system.
//
// Where both systems offer the same operation, a function here wraps it thinly. Where they differ
// (final paths, status, times, locks, errors, walking a tree), a function is a whole library
// operation that `win32/` and `posix/` each do their own way, with the same observable result.
// The Win32 side makes exactly the calls the library's contract names, in its order; the POSIX
// side makes as few system calls as the result allows.
//
// `win32/` and `posix/` hold the same file names, one family of operations each. Every system
// call of a backend goes through its table (`SystemCalls.h` on each side), which tests can
// replace or make fail. Nothing above this layer includes a system header.

#include <koril/filesystem/FileStatus.h>
#include <koril/filesystem/Path.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

namespace koril::filesystem::platform {

// --- Names and locations ------------------------------------------------------------------

// A path or a name in the form the system's calls take: UTF-16 units with the long-path prefix
// on Windows (what `Path::nativeString` gives), bytes on POSIX.
#ifdef _WIN32
using NativeName = std::wstring;
#else
using NativeName = std::string;
#endif

// The native form of a path. On POSIX the UTF-16 text of `nativeString` is translated (drive
// mappings, separators, the name escapes below); a path that names nothing here (an unmapped
// drive, a UNC or device form) gives the empty name, which every call refuses as missing.
NativeName nativeOf(Path const& path);
NativeName nativeOf(std::wstring const& nativeString);

// The library text of one name that a directory holds, such that the text names that entry
// again. POSIX names are bytes and may hold `\`, which the library reads as a separator: a `\`
// byte becomes U+F05C, and bytes that are not UTF-8 (or that encode U+F05C or U+DC80..U+DCFF)
// become U+DC80..U+DCFF, one per byte; `nativeOf` maps both back. Windows names are UTF-16.
String textOfName(NativeName const& name);
// The UTF-16 units of that text (`textOfName(name).toWString()`), for matching a listed name
// against a pattern without building its text: Windows names are those units already; a POSIX
// name is written into `buffer`, whose storage serves one name after another.
std::wstring_view unitsOfName(NativeName const& name, std::wstring& buffer);

struct DirectoryState;
void closeDirectory(DirectoryState* state) noexcept;

// One directory held open by the library: listed, walked, or used as the place of other calls.
// Move-only; closing it closes whatever the backend holds.
class Directory {
public:
    Directory() = default;
    explicit Directory(DirectoryState* state) noexcept : state_(state) {}
    Directory(Directory&& other) noexcept : state_(other.state_) { other.state_ = nullptr; }
    Directory& operator=(Directory&& other) noexcept {
        if (this != &other) {
            close();
            state_ = other.state_;
            other.state_ = nullptr;
        }
        return *this;
    }
    Directory(Directory const&) = delete;
    Directory& operator=(Directory const&) = delete;
    ~Directory() { close(); }

    bool isOpen() const noexcept { return state_ != nullptr; }
    DirectoryState* state() const noexcept { return state_; }
    void close() noexcept {
        if (state_ != nullptr)
            closeDirectory(state_);
        state_ = nullptr;
    }

private:
    DirectoryState* state_ = nullptr;
};

// Where an operation acts: the entry `name` of the open `directory`, or, with no directory, the
// whole native path `name` (a relative one against the current directory). A walk names its
// entries through their directory, never by a path parsed again, so that another process that
// renames or replaces a directory meanwhile cannot send the walk outside its tree.
struct Location {
    Directory const* directory;
    NativeName const& name;
};
inline Location at(Directory const& directory, NativeName const& name) {
    return Location{&directory, name};
}
inline Location atPath(NativeName const& path) {
    return Location{nullptr, path};
}

// The library path of a location: the directory's path joined with the name's text, or the
// text of a whole path.
Path pathOf(Location location);

// --- Attributes and status ----------------------------------------------------------------

// Attribute bits with their Win32 values: the vocabulary of the library's status rules on both
// targets. A POSIX directory is `attributeDirectory`, a link `attributeReparsePoint`, a file
// whose owner may not write `attributeReadOnly`, anything else `attributeNormal`.
constexpr std::uint32_t attributeReadOnly = 0x1;
constexpr std::uint32_t attributeDirectory = 0x10;
constexpr std::uint32_t attributeNormal = 0x80;
constexpr std::uint32_t attributeReparsePoint = 0x400;

struct Attributes {
    std::uint32_t bits = 0;
    // The byte size the system reports (0 for directories and links on POSIX, as on Windows).
    std::uint64_t size = 0;
};

// The attributes of a location itself, a link not followed (GetFileAttributesExW; fstatat
// without following).
bool queryAttributes(Location location, Attributes& attributes);
// The attributes of what a location finally names, links followed: on Windows through the
// final path, as `status` resolves; on POSIX fstatat following links.
bool queryFinalAttributes(Location location, Attributes& attributes);

// PathFileExistsW; on POSIX one fstatat without following (a dangling link exists).
bool exists(Location location);
// PathIsDirectoryW; on POSIX one fstatat following links (a link to a directory counts).
bool isDirectory(Location location);

// The library's status queries, each in its platform's way. `status` resolves the final object
// and takes the executable bit from its name; `symbolicLinkStatus` reports the path itself;
// `fileSize` is the final object's size, or -1.
FileStatus status(Path const& path);
FileStatus symbolicLinkStatus(Path const& path);
long long fileSize(Path const& path);

// The final path of the object a native string names (GetFinalPathNameByHandleW behind an open
// with read access and read sharing; on POSIX the object's path as the kernel resolves it), in
// Windows form; the empty path when it cannot be had.
Path finalPath(std::wstring const& nativeString);

// --- Directories ----------------------------------------------------------------------------

enum class DirectoryUse {
    // A listing for `DirectoryIterator`: records carry attributes; links are followed to the
    // directory, as the platform's search follows them.
    list,
    // A tree walk that never leaves its tree: a link is refused, not followed, and the
    // directory is held so that it stays the one that was opened while it is walked.
    walk,
    // A tree walk that follows links to directories (tree comparison, the root of a copy).
    walkFollowingLinks,
    // A place to create entries in (the destination of a copy): held like `walk`, not listed.
    target,
};

// Opens a directory for `use`: a path given by the caller, or an entry of an open directory.
// False when it is missing, not a directory, a link that `use` refuses, or cannot be read.
bool openDirectory(Path const& path, DirectoryUse use, Directory& directory);
bool openDirectory(Directory const& parent, NativeName const& name, DirectoryUse use,
                   Directory& directory);

enum class EntryKind : std::uint8_t { unknown, file, directory, link, other };

struct DirectoryRecord {
    NativeName name;
    // What the listing says, links not followed; `unknown` when it does not say.
    EntryKind kind = EntryKind::unknown;
    // For `DirectoryUse::list`, and wherever the listing gives them for free.
    bool hasAttributes = false;
    Attributes attributes;
};

enum class ReadResult { entry, end, failed };

// The next entry of a listing, never "." or "..". A failure in the middle of a listing is told
// apart from its end.
ReadResult readDirectory(Directory& directory, DirectoryRecord& record);

// Where two open directories are the same object (a link cycle in a walk that follows links):
// device and inode, or volume serial number and file index.
struct DirectoryIdentity {
    std::uint64_t volume = 0;
    std::uint64_t object = 0;
    bool operator==(DirectoryIdentity const& other) const {
        return volume == other.volume && object == other.object;
    }
};
bool identityOf(Directory const& directory, DirectoryIdentity& identity);

// The library path a directory was opened as.
Path const& pathOf(Directory const& directory);

// --- Creating, removing, copying, renaming --------------------------------------------------

// _wmkdir; mkdirat (mode 0777 less the umask).
bool makeDirectory(Location location);
// _wrmdir: an empty directory, or a link to a directory (the link itself). A read-only
// directory is refused, as Windows refuses it.
bool removeDirectory(Location location);
// DeleteFileW: a file or a link (never followed). A read-only file is refused, as is a file
// that a `FileLock` of this process holds.
bool removeFile(Location location);
// The library's `remove`: false for what does not exist; what the platform reports as a
// directory goes as `removeDirectory` (a link to one as the link itself), anything else as
// `removeFile`. Windows asks PathFileExistsW and PathIsDirectoryW first; on POSIX one fstatat
// without following tells all, and a link goes as itself whatever it leads to.
bool removeEntry(Location location);
// CopyFileW: the contents (links followed), last-write time and read-only state of a file into
// `to`; with `failIfExists` an existing destination is refused, else replaced. A failed copy
// leaves no destination and no temporary file; an existing destination is replaced only when
// the whole copy succeeded. With `followLinks` false a source that is a link is refused.
bool copyFile(Location from, Location to, bool failIfExists, bool followLinks = true);
// _wrename; never replaces an existing destination.
bool rename(Location from, Location to);
// _wchmod with or without `_S_IWRITE`: clears or sets the read-only state.
bool setWritable(Location location, bool writable);
// `createSymbolicLink`: asks whether the target is a directory (the flag Windows needs) and
// makes the link. When it cannot, false with the system's error number (GetLastError; errno) in
// `error`, which the library reports in its exception text.
bool createSymbolicLink(Path const& target, Path const& link, std::uint32_t& error);

// --- Comparing ------------------------------------------------------------------------------

// The library's file comparison: equal sizes (links followed, -1 for a size that cannot be
// read) and equal contents read in text mode; two files of equal size that cannot both be
// opened compare equal.
bool compareFiles(Location a, Location b);

// --- Times, permissions and the current directory ------------------------------------------

// The last-write time in 100-ns ticks since 1970-01-01 UTC, links followed; false on failure.
// The whole seconds of a time before 1970-01-01 00:00:00 or after 3000-12-31 23:59:59 UTC, which
// the runtime's calendar functions cannot represent, read as -1 (the sub-second part is kept).
bool lastWriteTime(Location location, long long& ticks);
// Sets it, exact to 100 ns; false on failure and for a time outside that same range.
bool setLastWriteTime(Location location, long long ticks);

// The current directory, of any length; the empty path on failure.
Path currentDirectory();
bool setCurrentDirectory(Location location);

// The platform's temporary directory, or the empty path.
Path temporaryDirectory();

// --- Volumes and limits ---------------------------------------------------------------------

// The length limits this platform imposes, in UTF-16 units of the native string (prefix
// included) unless said otherwise.
struct PathLengthLimits {
    int classicPath;          // the path limit without long path names
    int longPath;             // the path limit with long path names
    std::size_t relativeText; // code points of a relative path's text
    int fallbackName;         // a name's limit when the volume cannot be asked
};
PathLengthLimits const& pathLengthLimits();

// GetVolumeInformationW's maximum component length for a root path given as text (no long-path
// prefix); false when the volume cannot be asked.
bool volumeMaximumNameLength(String const& rootPath, std::uint32_t& length);

// _wsplitpath_s with every buffer one element longer than the text.
struct SplitPath {
    String drive;
    String directory;
    String fileName;
    String extension;
};
bool splitPath(String const& text, SplitPath& parts);

// --- Locks and opening ----------------------------------------------------------------------

// `FileLock::lockFile` after the validation callback: opens the file (never creating it),
// shared for reading and writing, and locks the whole of it exclusively against every other
// handle in any process. `handle` receives what must later be released, also when the lock
// itself failed.
bool lockWholeFile(Path const& path, void*& handle);
// Unlocks and closes; `handle` becomes null. Nothing is released for a null handle or for one
// whose open failed.
void unlockWholeFile(void*& handle) noexcept;
// True when the file exists but cannot be had for exclusive use now: a lock or an open handle
// elsewhere (on POSIX: a `FileLock` or a stream of `openStream`, in any process), or no read
// access. Missing files and directories are never locked.
bool isFileLocked(Path const& path);

// _wfopen with the mode's letters. On POSIX a file whose owner may not write is never opened
// for writing, appending or truncation, whoever asks.
std::FILE* openStream(Path const& path, std::string const& mode);
// Opens `buffer` on the path with the standard open mode, letting other handles read and write
// the file meanwhile (_SH_DENYNO); the same read-only rule.
bool openFileBuffer(std::filebuf& buffer, Path const& path, std::ios_base::openmode mode);

} // namespace koril::filesystem::platform

#endif
