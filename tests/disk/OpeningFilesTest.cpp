// Opening files as C streams and file streams, with and without the check for files in use.

#include "disk/DiskTest.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <ios>

namespace koril::filesystem::disktest {
namespace {

TEST(OpeningFilesTest, FopenWrapperFollowsTheModeString) {
    struct Case {
        char const* mode;
        char const* before;   // Null when there is no file before.
        char const* written;  // Null when the open must fail.
        char const* expected; // The contents afterwards; null when the file must not exist.
    };
    std::vector<Case> cases = {
        {"wb", nullptr, "new", "new"},     {"w", "old", "new", "new"},
        {"ab", "old", "new", "oldnew"},    {"a", "old", "+new", "old+new"},
        {"a+b", "old", "!", "old!"},       {"r+b", "old", "N", "Nld"},
        {"r+", "old", "N", "Nld"},         {"r", nullptr, nullptr, nullptr},
        {"r+", nullptr, nullptr, nullptr},
    };
#ifndef _WIN32
    // The Windows runtime takes an unknown letter for an invalid parameter and ends the process.
    cases.push_back({"wx", "old", nullptr, "old"});
    cases.push_back({"q", "old", nullptr, "old"});
#endif
    for (Case const& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + (c.before ? " on an existing file" : " on none"));
        ScratchDirectory scratch;
        Path const file = scratch / "file.bin";
        if (c.before != nullptr)
            writeFile(file, c.before);
        std::FILE* stream = fopenWrapper(file, c.mode);
        if (c.written == nullptr) {
            EXPECT_EQ(stream, nullptr);
        } else {
            ASSERT_NE(stream, nullptr);
            std::fputs(c.written, stream);
            std::fclose(stream);
        }
        if (c.expected == nullptr) {
            EXPECT_FALSE(existsOnDisk(file));
        } else {
            EXPECT_EQ(readFile(file), c.expected);
        }
    }
}

TEST(OpeningFilesTest, FopenWithLockCheckRefusesFilesInUseWithoutTouchingThem) {
    ScratchDirectory scratch;
    Path const file = scratch / "data.txt";
    writeFile(file, "contents");
    {
        FileLock lock(file);
        EXPECT_EQ(fopenWrapperWithLockCheck(file, "w"), nullptr);
    }
    EXPECT_EQ(readFile(file), "contents");

    std::FILE* writer = fopenWrapperWithLockCheck(file, "w");
    ASSERT_NE(writer, nullptr);
    std::fclose(writer);
    EXPECT_EQ(readFile(file), "");
    // A missing file is created.
    std::FILE* creator = fopenWrapperWithLockCheck(scratch / "new.txt", "wb");
    ASSERT_NE(creator, nullptr);
    std::fclose(creator);
    EXPECT_TRUE(existsOnDisk(scratch / "new.txt"));

    // Directories are never opened as files.
    errno = 0;
    EXPECT_EQ(fopenWrapper(scratch.path(), "r"), nullptr);
    EXPECT_TRUE(onWindows() || errno == EACCES) << errno;
    EXPECT_EQ(fopenWrapperWithLockCheck(scratch.path(), "rb"), nullptr);
    std::fstream stream;
    fstreamWrapper(stream, scratch.path(), std::ios_base::in);
    EXPECT_FALSE(stream.is_open());
}

TEST(OpeningFilesTest, FstreamWithLockCheckLeavesARefusedStreamAsItWas) {
    ScratchDirectory scratch;
    Path const file = scratch / "data.txt";
    writeFile(file, "contents");
    FileLock lock(file);

    std::fstream fresh;
    fstreamWrapperWithLockCheck(fresh, file, std::ios_base::out | std::ios_base::trunc);
    EXPECT_FALSE(fresh.is_open());
    EXPECT_TRUE(fresh.good());

    std::fstream used;
    used.setstate(std::ios_base::eofbit);
    fstreamWrapperWithLockCheck(used, file, std::ios_base::in);
    EXPECT_FALSE(used.is_open());
    EXPECT_EQ(used.rdstate(), std::ios_base::eofbit);

    lock.unlockFile();
    EXPECT_EQ(readFile(file), "contents");
    fstreamWrapperWithLockCheck(fresh, file, std::ios_base::in);
    EXPECT_TRUE(fresh.is_open());
}

} // namespace
} // namespace koril::filesystem::disktest
