// Every operation that writes, removes or holds handles, run once counting its system calls and
// then once for each of those calls failing in turn. Whatever fails, an operation must return one
// of its specified results without throwing, leak no descriptor or handle, leave its source and
// everything outside its target untouched, and leave no partial destination: a file is either
// complete or absent, and a copied tree holds nothing its source does not.

#include "fault/FaultInjector.h"
#include "support/Scratch.h"

#include <koril/filesystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace koril::filesystem {
namespace {

namespace fs = std::filesystem;
using koril::testing::FaultInjector;
using koril::testing::InjectedFailure;
using koril::testing::makeDirectories;
using koril::testing::readFile;
using koril::testing::ScratchDirectory;
using koril::testing::toStd;
using koril::testing::writeFile;

// Large enough that a copy or a comparison takes more than one transfer.
std::string const largeText = [] {
    std::string text;
    for (int i = 0; text.size() < 80 * 1024; ++i)
        text += "line " + std::to_string(i) + " of a file that must survive every failure\n";
    return text;
}();

// The files of a tree, relative path to contents; directories map to "/".
using TreeSnapshot = std::map<std::string, std::string>;

TreeSnapshot snapshot(fs::path const& root) {
    TreeSnapshot tree;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::string const relative = fs::relative(it->path(), root).generic_u8string();
        if (it->is_directory())
            tree[relative] = "/";
        else
            tree[relative] = readFile(Path(it->path().u8string()));
    }
    return tree;
}

// A fresh set of files for every run: a large source, a tree and its twin, a directory of
// pattern matches, and a sibling that no operation may touch.
class Fixture {
public:
    Fixture() {
        writeFile(*this / "source.txt", largeText);
        writeFile(*this / "existing.txt", "old contents");
        writeFile(*this / "outside.txt", "outside");
        makeDirectories(*this / "tree/sub/deeper");
        makeDirectories(*this / "tree/empty");
        writeFile(*this / "tree/a.txt", "a");
        writeFile(*this / "tree/sub/b.txt", largeText);
        writeFile(*this / "tree/sub/deeper/c.txt", "c");
        fs::copy(toStd(*this / "tree"), toStd(*this / "twin"), fs::copy_options::recursive);
        makeDirectories(*this / "matching/gone.tmp");
        writeFile(*this / "matching/gone.tmp/inner.txt", "inner");
        writeFile(*this / "matching/one.tmp", "one");
        writeFile(*this / "matching/keep.txt", "keep");
        // A stale directory for the temporary-directory sweep, two days old.
        makeDirectories(*this / "temporary/job1/inner");
        writeFile(*this / "temporary/job1/inner/stale.txt", "stale");
        writeFile(*this / "temporary/other.txt", "other");
        setModificationTime(*this / "temporary/job1",
                            TimePoint(std::chrono::time_point_cast<Ticks>(
                                std::chrono::system_clock::now() - std::chrono::hours(48))));
        tree_ = snapshot(toStd(*this / "tree"));
    }

    Path operator/(std::string const& relative) const { return scratch_ / relative; }
    TreeSnapshot const& tree() const { return tree_; }

    // What every run must leave as it was, whatever the operation: the sibling and the twin.
    void checkUntouched() const {
        EXPECT_EQ(readFile(*this / "outside.txt"), "outside");
        EXPECT_EQ(snapshot(toStd(*this / "twin")), tree_);
    }

    // What remains of `relative` holds nothing that the tree does not, and only complete files:
    // what a removal or a move leaves behind is never partial. With `complete`, it is the tree.
    void checkPartOfTree(std::string const& relative, bool complete = false) const {
        fs::path const where = toStd(*this / relative);
        if (!fs::exists(where)) {
            EXPECT_FALSE(complete);
            return;
        }
        TreeSnapshot const found = snapshot(where);
        for (auto const& [name, contents] : found) {
            auto const known = tree_.find(name);
            ASSERT_NE(known, tree_.end()) << "unexpected " << name;
            EXPECT_EQ(contents, known->second) << name;
        }
        if (complete) {
            EXPECT_EQ(found, tree_);
        }
    }

    // A file is either absent or whole.
    bool wholeOrAbsent(std::string const& relative) const {
        return !fs::exists(toStd(*this / relative)) || readFile(*this / relative) == largeText;
    }

    // The names directly in the scratch directory: temporaries would show up here.
    std::vector<std::string> topLevelNames() const {
        std::vector<std::string> names;
        for (auto const& entry : fs::directory_iterator(scratch_.native()))
            names.push_back(entry.path().filename().u8string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    ScratchDirectory scratch_;
    TreeSnapshot tree_;
};

std::vector<std::string> withNames(std::vector<std::string> extra) {
    std::vector<std::string> names = {"existing.txt", "matching", "outside.txt", "source.txt",
                                      "temporary",    "tree",     "twin"};
    names.insert(names.end(), extra.begin(), extra.end());
    std::sort(names.begin(), names.end());
    return names;
}

struct Scenario {
    char const* name;
    std::function<bool(Fixture&)> run;
    // Checks the state after a run that returned `result`.
    std::function<void(Fixture const&, bool result)> check;
};

// The destination of a file copy: complete after a successful copy, else absent or complete. The
// library trusts its existence check after the platform's copy, and a failure of that check
// alone reports false for a copy that is whole.
void checkFileCopy(Fixture const& f, bool result) {
    EXPECT_EQ(readFile(f / "source.txt"), largeText);
    bool const present = fs::exists(toStd(f / "copy.txt"));
    EXPECT_TRUE(present || !result);
    EXPECT_TRUE(f.wholeOrAbsent("copy.txt"));
    EXPECT_EQ(f.topLevelNames(), withNames(present ? std::vector<std::string>{"copy.txt"}
                                                   : std::vector<std::string>{}));
}

long long ticksOf(TimePoint time) {
    return time.time_since_epoch().count();
}

std::vector<Scenario> const& scenarios() {
    static std::vector<Scenario> const all = {
        {"copyFile to a new file",
         [](Fixture& f) { return copyFile(f / "source.txt", f / "copy.txt", true); },
         checkFileCopy},
        {"copyFile over an existing file",
         [](Fixture& f) { return copyFile(f / "source.txt", f / "existing.txt", false); },
         [](Fixture const& f, bool result) {
             EXPECT_EQ(readFile(f / "source.txt"), largeText);
             // As above: a false result may follow a complete copy, never a partial one.
             std::string const existing = readFile(f / "existing.txt");
             if (result || existing != largeText) {
                 EXPECT_EQ(existing, result ? largeText : "old contents");
             }
             EXPECT_EQ(f.topLevelNames(), withNames({}));
         }},
        {"copyDirectory, recursive",
         [](Fixture& f) { return copyDirectory(f / "tree", f / "copied", true); },
         [](Fixture const& f, bool result) {
             EXPECT_EQ(snapshot(toStd(f / "tree")), f.tree());
             f.checkPartOfTree("copied", result);
         }},
        {"copyDirectory, one level",
         [](Fixture& f) { return copyDirectory(f / "tree", f / "copied", false); },
         [](Fixture const& f, bool) {
             EXPECT_EQ(snapshot(toStd(f / "tree")), f.tree());
             f.checkPartOfTree("copied");
         }},
        {"move of a tree", [](Fixture& f) { return move(f / "tree", f / "moved"); },
         [](Fixture const& f, bool) {
             // The contents survive in one place or the other, and nothing is partial.
             f.checkPartOfTree("tree");
             f.checkPartOfTree("moved");
             EXPECT_TRUE(fs::exists(toStd(f / "tree/sub/b.txt")) ||
                         fs::exists(toStd(f / "moved/sub/b.txt")));
         }},
        {"rename", [](Fixture& f) { return rename(f / "source.txt", f / "renamed.txt"); },
         [](Fixture const& f, bool result) {
             EXPECT_EQ(readFile(f / (result ? "renamed.txt" : "source.txt")), largeText);
             EXPECT_EQ(fs::exists(toStd(f / "source.txt")), !result);
         }},
        {"remove", [](Fixture& f) { return remove(f / "source.txt"); },
         [](Fixture const& f, bool result) {
             EXPECT_EQ(fs::exists(toStd(f / "source.txt")), !result);
             EXPECT_TRUE(f.wholeOrAbsent("source.txt"));
         }},
        {"removeAll", [](Fixture& f) { return removeAll(f / "tree"); },
         [](Fixture const& f, bool result) {
             EXPECT_EQ(fs::exists(toStd(f / "tree")), !result);
             f.checkPartOfTree("tree");
         }},
        {"createDirectories", [](Fixture& f) { return createDirectories(f / "made/a/b"); },
         [](Fixture const& f, bool result) {
             EXPECT_EQ(fs::is_directory(toStd(f / "made/a/b")), result);
         }},
        {"setModificationTime",
         [](Fixture& f) {
             return setModificationTime(f / "source.txt", TimePoint(Ticks(15790896001234567)));
         },
         [](Fixture const& f, bool result) {
             EXPECT_EQ(readFile(f / "source.txt"), largeText);
             if (result) {
                 EXPECT_EQ(ticksOf(getModificationTime(f / "source.txt")), 15790896001234567);
             }
         }},
        {"setPermissions", [](Fixture& f) { return setPermissions(f / "source.txt", OwnerRead); },
         [](Fixture const& f, bool result) {
             EXPECT_EQ(readFile(f / "source.txt"), largeText);
             if (result) {
                 EXPECT_EQ(status(f / "source.txt").getPermissions() & OwnerWrite, NoPermissions);
             }
         }},
        {"TemporaryDirectory create, sweep and destroy",
         [](Fixture& f) {
             TemporaryDirectory base(f / "temporary");
             {
                 TemporaryDirectory scratch(String("job"), Ticks(36000000000LL));
                 writeFile(scratch.get() / "work.txt", "work");
             }
             return true;
         },
         [](Fixture const& f, bool) { EXPECT_EQ(snapshot(toStd(f / "tree")), f.tree()); }},
        // Only files match: a matching directory that is not empty would fail every run.
        {"removeMatching", [](Fixture& f) { return removeMatching(f / "matching", "o*.tmp"); },
         [](Fixture const& f, bool) {
             EXPECT_EQ(readFile(f / "matching/keep.txt"), "keep");
             EXPECT_TRUE(fs::exists(toStd(f / "matching/gone.tmp/inner.txt")));
         }},
        {"removeAllMatching", [](Fixture& f) { return removeAllMatching(f / "matching", "*.tmp"); },
         [](Fixture const& f, bool result) {
             EXPECT_EQ(readFile(f / "matching/keep.txt"), "keep");
             if (result) {
                 EXPECT_FALSE(fs::exists(toStd(f / "matching/gone.tmp")));
             }
         }},
        {"FileLock lock and unlock",
         [](Fixture& f) {
             FileLock lock;
             bool const locked = lock.lockFile(f / "source.txt");
             lock.unlockFile();
             return locked;
         },
         [](Fixture const& f, bool) {
             EXPECT_FALSE(FileLock::isFileLocked(f / "source.txt"));
             EXPECT_EQ(readFile(f / "source.txt"), largeText);
         }},
        {"fopenWrapper and fstreamWrapper",
         [](Fixture& f) {
             bool opened = true;
             if (std::FILE* const in = fopenWrapperWithLockCheck(f / "source.txt", "rb"))
                 std::fclose(in);
             else
                 opened = false;
             if (std::FILE* const out = fopenWrapper(f / "written.txt", "wb")) {
                 std::fputs("written", out);
                 std::fclose(out);
             } else {
                 opened = false;
             }
             std::fstream stream;
             fstreamWrapperWithLockCheck(stream, f / "existing.txt", std::ios::in);
             opened = opened && stream.is_open();
             return opened;
         },
         [](Fixture const& f, bool) {
             EXPECT_EQ(readFile(f / "source.txt"), largeText);
             EXPECT_EQ(readFile(f / "existing.txt"), "old contents");
         }},
        {"queries that hold handles",
         [](Fixture& f) {
             bool answered = status(f / "source.txt").getType() == RegularFile;
             answered = symbolicLinkStatus(f / "tree").getType() == DirectoryFile && answered;
             answered =
                 fileSize(f / "source.txt") == static_cast<long long>(largeText.size()) && answered;
             answered = canonical(f / "tree/sub") == f / "tree/sub" && answered;
             answered = ticksOf(getModificationTime(f / "source.txt")) != 0 && answered;
             std::size_t listed = 0;
             for (DirectoryIterator it(f / "tree"), end; *it != *end; ++it)
                 ++listed;
             return answered && listed == 3;
         },
         [](Fixture const& f, bool) { EXPECT_EQ(readFile(f / "source.txt"), largeText); }},
        {"compareFiles and compareDirectories",
         [](Fixture& f) {
             return compareFiles(f / "tree/sub/b.txt", f / "twin/sub/b.txt") &&
                    compareDirectories(f / "tree", f / "twin");
         },
         [](Fixture const& f, bool) { EXPECT_EQ(snapshot(toStd(f / "tree")), f.tree()); }},
    };
    return all;
}

// The failure to inject at one call: the failures rotate over the calls, and every call that
// moves bytes also gets a short transfer.
std::vector<InjectedFailure> failuresFor(std::size_t call, std::string const& entry) {
    std::vector<InjectedFailure> errors;
    std::vector<InjectedFailure> const& all = koril::testing::injectedFailures();
    for (InjectedFailure const& failure : all)
        if (failure.kind == FaultInjector::Kind::error)
            errors.push_back(failure);
    std::vector<InjectedFailure> chosen = {errors[call % errors.size()]};
    if (koril::testing::movesBytes(entry))
        for (InjectedFailure const& failure : all)
            if (failure.kind == FaultInjector::Kind::shortTransfer)
                chosen.push_back(failure);
    return chosen;
}

class FaultScenarioTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FaultScenarioTest, EveryFailingCallLeavesAConsistentState) {
    Scenario const& scenario = scenarios()[GetParam()];
    SCOPED_TRACE(scenario.name);

    std::vector<std::string> calls;
    {
        Fixture fixture;
        FaultInjector injector;
        injector.count();
        bool const result = scenario.run(fixture);
        injector.stop();
        calls = injector.trace();
        // Without a failure every scenario succeeds.
        EXPECT_TRUE(result);
        scenario.check(fixture, result);
        fixture.checkUntouched();
    }
    ASSERT_FALSE(calls.empty());

    for (std::size_t call = 1; call <= calls.size(); ++call) {
        for (InjectedFailure const& failure : failuresFor(call, calls[call - 1])) {
            SCOPED_TRACE("call " + std::to_string(call) + " (" + calls[call - 1] +
                         ") failing with " + failure.name);
            Fixture fixture;
            std::size_t const handles = koril::testing::openHandleCount();
            bool result = false;
            {
                FaultInjector injector;
                injector.failCall(call, failure.code, failure.kind);
                try {
                    result = scenario.run(fixture);
                } catch (std::exception const& error) {
                    ADD_FAILURE() << "threw " << error.what();
                }
                injector.stop();
            }
            EXPECT_EQ(koril::testing::openHandleCount(), handles) << "a descriptor leaked";
            scenario.check(fixture, result);
            fixture.checkUntouched();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultScenarioTest,
                         ::testing::Range<std::size_t>(0, scenarios().size()),
                         [](::testing::TestParamInfo<std::size_t> const& info) {
                             std::string name;
                             for (char const c : std::string(scenarios()[info.param].name))
                                 if (std::isalnum(static_cast<unsigned char>(c)))
                                     name += c;
                             return name;
                         });

} // namespace
} // namespace koril::filesystem
