// Changing permissions: only the owner's write bit reaches the disk.

#include "support/Scratch.h"

#include <koril/filesystem/Operations.h>

#include <gtest/gtest.h>

namespace koril::filesystem {
namespace {

using koril::testing::ScratchDirectory;
using koril::testing::writeFile;

TEST(SetPermissions, OnlyTheOwnerWriteBitCounts) {
    struct Case {
        Permissions given;
        Permissions plain;      // what status reports then for notes.txt
        Permissions executable; // and for setup.exe
    } const cases[] = {
        {OwnerRead, OwnerRead, OwnerRead | OwnerExecute},
        {OwnerRead | OwnerWrite, OwnerRead | OwnerWrite, OwnerRead | OwnerWrite | OwnerExecute},
        {NoPermissions, OwnerRead, OwnerRead | OwnerExecute},
        {OwnerWrite, OwnerRead | OwnerWrite, OwnerRead | OwnerWrite | OwnerExecute},
        {OwnerRead | OwnerExecute, OwnerRead, OwnerRead | OwnerExecute},
        {PermissionsUnknown, OwnerRead | OwnerWrite, OwnerRead | OwnerWrite | OwnerExecute},
    };
    ScratchDirectory scratch;
    Path const plain = scratch / "notes.txt";
    Path const executable = scratch / "setup.exe";
    writeFile(plain, "x");
    writeFile(executable, "x");
    // Each case starts from the opposite state, so that a call that does nothing shows.
    for (Case const& c : cases) {
        SCOPED_TRACE(static_cast<unsigned>(c.given));
        Permissions const opposite =
            (c.plain & OwnerWrite) != NoPermissions ? OwnerRead : OwnerRead | OwnerWrite;
        for (Path const& path : {plain, executable})
            ASSERT_TRUE(setPermissions(path, opposite));
        EXPECT_TRUE(setPermissions(plain, c.given));
        EXPECT_TRUE(setPermissions(executable, c.given));
        EXPECT_EQ(status(plain).getPermissions(), c.plain);
        EXPECT_EQ(status(executable).getPermissions(), c.executable);
    }
}

TEST(SetPermissions, AReadOnlyFileResistsRemovalUntilMadeWritable) {
    ScratchDirectory scratch;
    writeFile(scratch / "file", "x");
    ASSERT_TRUE(setPermissions(scratch / "file", OwnerRead));
    EXPECT_FALSE(remove(scratch / "file"));
    EXPECT_TRUE(koril::testing::existsOnDisk(scratch / "file"));
    ASSERT_TRUE(setPermissions(scratch / "file", OwnerRead | OwnerWrite));
    EXPECT_TRUE(remove(scratch / "file"));
}

TEST(SetPermissions, FailsOnAMissingPath) {
    ScratchDirectory scratch;
    EXPECT_FALSE(setPermissions(scratch / "missing", OwnerRead));
    EXPECT_FALSE(setPermissions(scratch / "missing", OwnerRead | OwnerWrite));
    EXPECT_FALSE(koril::testing::existsOnDisk(scratch / "missing"));
}

} // namespace
} // namespace koril::filesystem
