#include <koril/filesystem/FileLock.h>
#include <koril/filesystem/Operations.h>

#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <ios>
#include <string>

namespace koril::filesystem {
namespace {

using koril::testing::existsOnDisk;
using koril::testing::readFile;
using koril::testing::ScratchDirectory;
using koril::testing::writeFile;

struct FopenCase {
    char const* mode;
    bool existsBefore;
    char const* written;  // Null when the open must fail.
    char const* expected; // The contents afterwards; null when the file must not exist.
};

TEST(OpeningFilesTest, FopenWrapperFollowsTheModeString) {
    FopenCase const cases[] = {
        {"wb", false, "new", "new"},    {"wb", true, "new", "new"},
        {"ab", true, "new", "oldnew"},  {"r+b", true, "N", "Nld"},
        {"r", false, nullptr, nullptr}, {"r+", false, nullptr, nullptr},
    };
    for (FopenCase const& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + (c.existsBefore ? " on an existing file" : " on none"));
        ScratchDirectory scratch;
        Path const file = scratch / "file.bin";
        if (c.existsBefore)
            writeFile(file, "old");
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
}

TEST(OpeningFilesTest, FopenWithLockCheckCreatesMissingFilesAndFailsOnDirectories) {
    ScratchDirectory scratch;
    Path const file = scratch / "new.txt";
    std::FILE* stream = fopenWrapperWithLockCheck(file, "wb");
    ASSERT_NE(stream, nullptr);
    std::fclose(stream);
    EXPECT_TRUE(existsOnDisk(file));

    EXPECT_EQ(fopenWrapperWithLockCheck(scratch.path(), "rb"), nullptr);
}

TEST(OpeningFilesTest, FstreamWrapperOpensAndClearsAnOldState) {
    ScratchDirectory scratch;
    Path const file = scratch / "data.txt";
    writeFile(file, "old");
    std::fstream stream;
    stream.setstate(std::ios_base::eofbit);
    fstreamWrapper(stream, file, std::ios_base::in | std::ios_base::out | std::ios_base::binary);
    ASSERT_TRUE(stream.is_open());
    EXPECT_TRUE(stream.good());
    std::string word;
    stream >> word;
    EXPECT_EQ(word, "old");
}

TEST(OpeningFilesTest, FstreamWrapperFailureSetsFailbitOnly) {
    ScratchDirectory scratch;
    Path const missing = scratch / "missing.txt";
    std::fstream stream;
    fstreamWrapper(stream, missing, std::ios_base::in);
    EXPECT_FALSE(stream.is_open());
    EXPECT_EQ(stream.rdstate(), std::ios_base::failbit);
    EXPECT_FALSE(existsOnDisk(missing));

    std::fstream throwing;
    throwing.exceptions(std::ios_base::failbit);
    EXPECT_THROW(fstreamWrapper(throwing, missing, std::ios_base::in), std::ios_base::failure);
}

TEST(OpeningFilesTest, FstreamWrapperOnAnOpenStreamKeepsTheFirstFile) {
    ScratchDirectory scratch;
    Path const first = scratch / "first.txt";
    Path const second = scratch / "second.txt";
    std::fstream stream;
    fstreamWrapper(stream, first, std::ios_base::out | std::ios_base::trunc);
    ASSERT_TRUE(stream.is_open());
    fstreamWrapper(stream, second, std::ios_base::out | std::ios_base::trunc);
    EXPECT_TRUE(stream.fail());
    EXPECT_TRUE(stream.is_open());
    stream.clear();
    stream << "written";
    stream.close();
    EXPECT_EQ(readFile(first), "written");
    EXPECT_FALSE(existsOnDisk(second));
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

TEST(OpeningFilesTest, PathsBeyondTheClassicLimitOpen) {
    ScratchDirectory scratch;
    Path directory = scratch.path();
    std::string const name(60, 'd');
    while (directory.size() < 300)
        directory /= Path(name);
    ASSERT_TRUE(createDirectories(directory));
    Path const file = directory / Path("file.txt");

    std::FILE* writer = fopenWrapper(file, "wb");
    ASSERT_NE(writer, nullptr);
    std::fputs("long", writer);
    std::fclose(writer);

    std::fstream reader;
    fstreamWrapper(reader, file, std::ios_base::in);
    ASSERT_TRUE(reader.is_open());
    std::string word;
    reader >> word;
    EXPECT_EQ(word, "long");
    reader.close();
    // The scratch cleanup may not reach this deep on every platform.
    EXPECT_TRUE(removeAll(scratch / name));
}

} // namespace
} // namespace koril::filesystem
