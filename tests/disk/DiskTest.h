#ifndef KORIL_TESTS_DISK_DISKTEST_H
#define KORIL_TESTS_DISK_DISKTEST_H

// What the disk tests share: the whole library, the scratch helpers, and the listings and guards
// that several of them need. Test files live in this namespace so that one include replaces
// each file's own block of declarations.

#include "support/Scratch.h"

#include <koril/filesystem.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace koril::filesystem::disktest {

namespace fs = std::filesystem;
using namespace koril::testing;

// Exact text: path equality would ignore case and composition, which these tests check.
inline std::string text(Path const& path) {
    return path.string().toUTF8String();
}

// Every entry of a listing, in the order the library gives them.
inline std::vector<DirectoryEntry> listEntries(Path const& directory) {
    std::vector<DirectoryEntry> entries;
    DirectoryEntry const end;
    for (DirectoryIterator it(directory); *it != end; ++it)
        entries.push_back(*it);
    return entries;
}

inline void expectStatus(FileStatus actual, FileType type, unsigned permissions,
                         std::string const& what) {
    EXPECT_EQ(actual.getType(), type) << what;
    EXPECT_EQ(actual.getPermissions(), permissions) << what;
}

// Whole-file writes and reads by native path, for names the library spells differently.
inline void writeRaw(fs::path const& path, std::string const& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}
inline std::string readRaw(fs::path const& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool isEmptyDirectory(Path const& path) {
    return fs::is_directory(toStd(path)) && fs::is_empty(toStd(path));
}

// Probes `file` from a fresh process of this test binary. The answer is 64 | 1 (saw it in use)
// | 2 (could lock it) | 4 (a lock-checking open let it in), or -1 when no process started.
// `asNobody` (POSIX, as root) makes the child drop to uid and gid 65534 first.
int probeInAnotherProcess(Path const& file, bool asNobody = false);
constexpr int seenInUse = 64 | 1;
constexpr int freeToTake = 64 | 2 | 4;

// Puts the process's current directory back, also when a test fails.
class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard() : saved_(fs::current_path()) {}
    CurrentDirectoryGuard(CurrentDirectoryGuard const&) = delete;
    CurrentDirectoryGuard& operator=(CurrentDirectoryGuard const&) = delete;
    ~CurrentDirectoryGuard() {
        std::error_code ignored;
        fs::current_path(saved_, ignored);
    }

private:
    fs::path saved_;
};

} // namespace koril::filesystem::disktest

#endif
