// Finding, after a tree operation failed, the entries it could not handle.

#include "TreeFailures.h"

#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <koril/filesystem/Operations.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kfs {
namespace {

using koril::testing::existsOnDisk;
using koril::testing::makeDirectories;
using koril::testing::makeReadOnly;
using koril::testing::ScratchDirectory;
using koril::testing::writeFile;

// A file with the directories above it.
void put(ScratchDirectory const& scratch, std::string const& file, std::string const& contents) {
    makeDirectories((scratch / file).parentPath());
    writeFile(scratch / file, contents);
}

// The failed entries relative to `base`, sorted, with '/' separators.
std::vector<std::string> names(TreeFailures const& failures, ScratchDirectory const& base) {
    std::vector<std::string> result;
    std::size_t const prefix = base.path().string().size() + 1;
    for (Path const& path : failures.first()) {
        std::string name = path.string().substr(prefix).toUTF8String();
        std::replace(name.begin(), name.end(), '\\', '/');
        result.push_back(name);
    }
    std::sort(result.begin(), result.end());
    return result;
}

TEST(FindUncopied, NamesMissingAndShortCopiesButNothingBelowAMissingDirectory) {
    ScratchDirectory scratch;
    for (char const* file : {"from/same.txt", "from/short.txt", "from/missing.txt",
                             "from/sub/deep.txt", "from/gone/inner/x.txt"}) {
        put(scratch, file, "contents");
    }
    put(scratch, "to/same.txt", "contents");
    put(scratch, "to/short.txt", "cont");
    makeDirectories(scratch / "to/sub");
    // A directory where the source has a file is a copy of another type.
    put(scratch, "from/kind", "file");
    makeDirectories(scratch / "to/kind");

    TreeFailures const all = findUncopied(scratch / "from", scratch / "to", true);
    EXPECT_EQ(names(all, scratch),
              (std::vector<std::string>{"from/gone", "from/kind", "from/missing.txt",
                                        "from/short.txt", "from/sub/deep.txt"}));
    EXPECT_EQ(all.count(), 5u);

    // Without recursion only the children were copied, subdirectories empty.
    TreeFailures const flat = findUncopied(scratch / "from", scratch / "to", false);
    EXPECT_EQ(
        names(flat, scratch),
        (std::vector<std::string>{"from/gone", "from/kind", "from/missing.txt", "from/short.txt"}));
}

TEST(RemoveWhatRemains, RemovesTheRestAndNamesOnlyWhatRefused) {
    ScratchDirectory scratch;
    for (char const* file :
         {"tree/a/keep.txt", "tree/a/other.txt", "tree/b/c/d.txt", "tree/e.txt"}) {
        put(scratch, file, "x");
    }
    makeDirectories(scratch / "tree/empty");
    makeReadOnly(scratch / "tree/a/keep.txt");

    TreeFailures const failures = removeWhatRemains(scratch / "tree");
    EXPECT_EQ(names(failures, scratch), (std::vector<std::string>{"tree/a/keep.txt"}));
    EXPECT_EQ(failures.count(), 1u);
    EXPECT_TRUE(existsOnDisk(scratch / "tree/a/keep.txt"));
    for (char const* gone : {"tree/a/other.txt", "tree/b", "tree/e.txt", "tree/empty"}) {
        EXPECT_FALSE(existsOnDisk(scratch / gone)) << gone;
    }
}

TEST(RemoveMatchingRemains, TouchesOnlyMatchingChildren) {
    ScratchDirectory scratch;
    for (char const* file : {"dir/x1.txt", "dir/x2.txt", "dir/y.txt", "dir/xsub/inner.txt"}) {
        put(scratch, file, "x");
    }
    makeReadOnly(scratch / "dir/x1.txt");

    TreeFailures const flat = removeMatchingRemains(scratch / "dir", String("x*"), false);
    EXPECT_EQ(names(flat, scratch), (std::vector<std::string>{"dir/x1.txt", "dir/xsub"}));
    EXPECT_FALSE(existsOnDisk(scratch / "dir/x2.txt"));
    EXPECT_TRUE(existsOnDisk(scratch / "dir/y.txt"));

    TreeFailures const deep = removeMatchingRemains(scratch / "dir", String("x*"), true);
    EXPECT_EQ(names(deep, scratch), (std::vector<std::string>{"dir/x1.txt"}));
    EXPECT_FALSE(existsOnDisk(scratch / "dir/xsub"));
    EXPECT_TRUE(existsOnDisk(scratch / "dir/y.txt"));
}

} // namespace
} // namespace kfs
