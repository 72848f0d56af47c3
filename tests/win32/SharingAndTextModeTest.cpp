// What other handles on a file let the library do, and the runtime's text mode in comparisons.

#include "support/Scratch.h"

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>

namespace koril::testing::win32 {
namespace {

namespace platform = koril::filesystem::platform;
using koril::filesystem::Path;

TEST(Win32Sharing, AFileOpenElsewhereIsQueriedAsItsSharingAllows) {
    struct Row {
        char const* holder;
        DWORD access;
        DWORD share;
        // The queries open with read access and read sharing only: a writer elsewhere stops them.
        bool queriesOpen;
    } const rows[] = {
        {"a writer sharing everything", GENERIC_WRITE,
         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false},
        {"a reader sharing reads", GENERIC_READ, FILE_SHARE_READ, true},
        {"a lock holder", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
    };
    ScratchDirectory scratch;
    Path const file = scratch / "file.txt";
    Path const copy = scratch / "copy.txt";
    writeFile(file, "contents");
    writeFile(copy, "contents");
    std::wstring const native = file.nativeString();
    for (Row const& row : rows) {
        SCOPED_TRACE(row.holder);
        HANDLE const holder = CreateFileW(native.c_str(), row.access, row.share, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        long long ticks = 0;
        EXPECT_TRUE(platform::exists(platform::atPath(native)));
        EXPECT_EQ(platform::status(file).getType(), row.queriesOpen
                                                        ? koril::filesystem::RegularFile
                                                        : koril::filesystem::FileNotFound);
        EXPECT_EQ(platform::fileSize(file), row.queriesOpen ? 8 : -1);
        EXPECT_EQ(platform::lastWriteTime(platform::atPath(native), ticks), row.queriesOpen);
        // Any other handle makes the file count as in use.
        EXPECT_TRUE(platform::isFileLocked(file));
        // The comparison's streams let everyone in, but its sizes come from the final path.
        EXPECT_EQ(
            platform::compareFiles(platform::atPath(native), platform::atPath(copy.nativeString())),
            row.queriesOpen);
        std::filebuf buffer;
        EXPECT_TRUE(platform::openFileBuffer(buffer, file, std::ios_base::in));
        CloseHandle(holder);
    }
    EXPECT_FALSE(platform::isFileLocked(file));
}

TEST(Win32TextMode, FilesOfEqualSizeThatReadAlikeInTextModeAreEqual) {
    struct Row {
        char const* what;
        std::string a;
        std::string b;
        bool equal;
    } const rows[] = {
        {"CR LF reads as LF, and 0x1A ends the input", "a\r\nb", std::string("a\nb\x1a", 4), true},
        {"bytes after 0x1A are never read",
         std::string("ab\x1a"
                     "x",
                     4),
         std::string("ab\x1a"
                     "y",
                     4),
         true},
        {"a lone CR stays", "a\rb\n", "a\nb\n", false},
        {"different bytes before 0x1A", std::string("ab\x1a", 3), std::string("ac\x1a", 3), false},
    };
    ScratchDirectory scratch;
    for (Row const& row : rows) {
        SCOPED_TRACE(row.what);
        ASSERT_EQ(row.a.size(), row.b.size());
        writeFile(scratch / "a", row.a);
        writeFile(scratch / "b", row.b);
        EXPECT_EQ(platform::compareFiles(platform::atPath((scratch / "a").nativeString()),
                                         platform::atPath((scratch / "b").nativeString())),
                  row.equal);
    }
}

} // namespace
} // namespace koril::testing::win32
