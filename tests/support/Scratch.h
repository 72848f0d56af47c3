#ifndef KORIL_TESTS_SUPPORT_SCRATCH_H
#define KORIL_TESTS_SUPPORT_SCRATCH_H

// Test support for disk tests: a fresh scratch directory per test, and small file helpers.
// They use std::filesystem and file streams rather than the library, so that they stay an
// independent witness of what the library did on disk.

#include <koril/filesystem/Path.h>

#include <filesystem>
#include <ostream>
#include <set>
#include <string>

namespace koril::testing {

// A new, empty directory under the system's temporary directory, removed with everything in it
// (read-only entries included) when the object is destroyed.
class ScratchDirectory {
public:
    ScratchDirectory();
    ScratchDirectory(ScratchDirectory const&) = delete;
    ScratchDirectory& operator=(ScratchDirectory const&) = delete;
    ~ScratchDirectory();

    // The directory as a library path.
    koril::filesystem::Path const& path() const { return path_; }
    // The directory joined with a relative UTF-8 name (either separator).
    koril::filesystem::Path operator/(std::string const& relative) const;
    std::filesystem::path const& native() const { return native_; }

private:
    std::filesystem::path native_;
    koril::filesystem::Path path_;
};

// The std::filesystem form of a library path, for checking what happened on disk.
std::filesystem::path toStd(koril::filesystem::Path const& path);

// Writes `contents` as the whole file (binary), creating or truncating it.
void writeFile(koril::filesystem::Path const& path, std::string const& contents);
// The whole file (binary), or an empty string when it cannot be read.
std::string readFile(koril::filesystem::Path const& path);
// Makes a directory (and missing parents) without the library.
void makeDirectories(koril::filesystem::Path const& path);
// Clears every write permission bit (the read-only attribute on Windows).
void makeReadOnly(koril::filesystem::Path const& path);
// The names in a directory as std::filesystem sees them, the independent witness.
std::set<std::string> namesOnDisk(std::filesystem::path const& directory);
// Whether a path exists on disk, as std::filesystem sees it (links not followed).
bool existsOnDisk(koril::filesystem::Path const& path);

// Whether this platform really creates symbolic links here (Wine 8 claims success and creates
// nothing). Tests that need links skip with a reason when this is false.
bool platformCreatesSymbolicLinks();

// True when this Windows build runs under Wine, whose gaps some tests skip.
bool runningUnderWine();

// True on the Windows target.
constexpr bool onWindows() {
#ifdef _WIN32
    return true;
#else
    return false;
#endif
}

} // namespace koril::testing

namespace koril::filesystem {
// GoogleTest would print a Path as a range of Paths (its elements) and recurse without end.
void PrintTo(Path const& path, std::ostream* out);
} // namespace koril::filesystem

#endif
