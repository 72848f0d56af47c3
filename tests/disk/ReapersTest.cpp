#include <koril/filesystem/Reapers.h>

#include "support/Scratch.h"

#include <gtest/gtest.h>

#include <string>

namespace koril::filesystem {
namespace {

using koril::testing::existsOnDisk;
using koril::testing::makeDirectories;
using koril::testing::ScratchDirectory;
using koril::testing::writeFile;

enum class Target { File, EmptyDirectory, Tree, Missing };
enum class Reaper { Directory, Path };

struct ReaperCase {
    Reaper reaper;
    Target target;
    bool cancelled;
    bool remains;
};

Path makeTarget(ScratchDirectory const& scratch, Target target) {
    Path const path = scratch / "target";
    switch (target) {
    case Target::File:
        writeFile(path, "x");
        break;
    case Target::EmptyDirectory:
        makeDirectories(path);
        break;
    case Target::Tree:
        makeDirectories(path / Path("sub"));
        writeFile(path / Path("sub\\file.txt"), "x");
        break;
    case Target::Missing:
        break;
    }
    return path;
}

template <typename R> void reap(Path const& path, bool cancelled) {
    R reaper(path);
    EXPECT_EQ(reaper.get().string(), path.string());
    if (cancelled) {
        reaper.cancel();
        EXPECT_TRUE(reaper.get().empty());
    }
}

TEST(ReapersTest, RemoveWhatTheirKindAllows) {
    ReaperCase const cases[] = {
        {Reaper::Directory, Target::Tree, false, false},
        {Reaper::Directory, Target::EmptyDirectory, false, false},
        {Reaper::Directory, Target::File, false, false},
        {Reaper::Directory, Target::Tree, true, true},
        {Reaper::Directory, Target::Missing, false, false},
        {Reaper::Path, Target::Tree, false, true},
        {Reaper::Path, Target::EmptyDirectory, false, false},
        {Reaper::Path, Target::File, false, false},
        {Reaper::Path, Target::File, true, true},
        {Reaper::Path, Target::Missing, false, false},
    };
    for (ReaperCase const& c : cases) {
        SCOPED_TRACE(std::string(c.reaper == Reaper::Directory ? "DirectoryReaper" : "PathReaper") +
                     " target " + std::to_string(static_cast<int>(c.target)) +
                     (c.cancelled ? " cancelled" : ""));
        ScratchDirectory scratch;
        Path const path = makeTarget(scratch, c.target);
        if (c.reaper == Reaper::Directory)
            reap<DirectoryReaper>(path, c.cancelled);
        else
            reap<PathReaper>(path, c.cancelled);
        EXPECT_EQ(existsOnDisk(path), c.remains);
        if (c.target == Target::Tree && c.remains) {
            EXPECT_TRUE(existsOnDisk(path / Path("sub\\file.txt")));
        }
    }
}

} // namespace
} // namespace koril::filesystem
