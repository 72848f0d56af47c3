// Every operation that writes, removes or holds handles, run once counting its system calls and
// then once for each of those calls failing in turn. Whatever fails, an operation must return a
// result that matches what it left, without throwing, leak no descriptor or handle, leave its
// sources and everything outside its target untouched, and leave no partial destination: every
// file on disk holds contents that some file held before (or that the operation writes whole),
// and no temporary is left beside the fixture.

#include "fault/FaultInjector.h"
#include "support/Scratch.h"

#include <koril/filesystem.h>

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace koril::filesystem {
namespace {

namespace fs = std::filesystem;
using namespace koril::testing;

// Large enough that a copy or a comparison takes more than one transfer.
std::string const largeText = [] {
    std::string text;
    for (int i = 0; text.size() < 80 * 1024; ++i)
        text += "line " + std::to_string(i) + " of a file that must survive every failure\n";
    return text;
}();
constexpr long long someTicks = 15790896001234567;

// The entries under `root`, relative path to contents; directories map to "/".
using TreeSnapshot = std::map<std::string, std::string>;
TreeSnapshot snapshot(fs::path const& root) {
    TreeSnapshot tree;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error))
        tree[fs::relative(it->path(), root).generic_u8string()] =
            it->is_directory() ? "/" : readFile(Path(it->path().u8string()));
    return tree;
}

// The part of a snapshot at or under `prefix`.
TreeSnapshot under(TreeSnapshot const& tree, std::string const& prefix) {
    TreeSnapshot part;
    for (auto const& [name, contents] : tree)
        if (name == prefix || name.rfind(prefix + "/", 0) == 0)
            part[name] = contents;
    return part;
}

// A fresh set of files for every run: a large source, a tree and its twin, a directory of
// pattern matches, a stale temporary directory, and a sibling that no operation may touch.
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
        makeDirectories(*this / "temporary/job1/inner");
        writeFile(*this / "temporary/job1/inner/stale.txt", "stale");
        writeFile(*this / "temporary/other.txt", "other");
        setModificationTime(*this / "temporary/job1",
                            TimePoint(std::chrono::time_point_cast<Ticks>(
                                std::chrono::system_clock::now() - std::chrono::hours(48))));
        before_ = snapshot(scratch_.native());
    }

    Path operator/(std::string const& relative) const { return scratch_ / relative; }
    bool exists(std::string const& relative) const { return existsOnDisk(*this / relative); }
    TreeSnapshot const& before() const { return before_; }
    TreeSnapshot now() const { return snapshot(scratch_.native()); }
    std::set<std::string> topLevelNames() const { return namesOnDisk(scratch_.native()); }

private:
    ScratchDirectory scratch_;
    TreeSnapshot before_;
};

struct Operation {
    char const* name;
    std::function<bool(Fixture&)> run;
    // What must keep its contents whatever happens (beside the sibling and the twin).
    std::vector<std::string> kept;
    // Whether what the operation left matches its result.
    std::function<bool(Fixture const&, bool result)> matches;
};

// A copy trusts its existence check after the platform's copy: a failure of that check alone
// reports false for a copy that is whole. So false allows the whole copy, never a partial one.
std::vector<Operation> const operations = {
    {"copyFile to a new file",
     [](Fixture& f) { return copyFile(f / "source.txt", f / "copy.txt", true); },
     {"source.txt"},
     [](Fixture const& f, bool ok) { return !ok || readFile(f / "copy.txt") == largeText; }},
    {"copyFile over an existing file",
     [](Fixture& f) { return copyFile(f / "source.txt", f / "existing.txt", false); },
     {"source.txt"},
     [](Fixture const& f, bool ok) { return !ok || readFile(f / "existing.txt") == largeText; }},
    {"copyDirectory, recursive",
     [](Fixture& f) { return copyDirectory(f / "tree", f / "copied", true); },
     {"tree"},
     [](Fixture const& f, bool ok) {
         return !ok || snapshot(toStd(f / "copied")) == snapshot(toStd(f / "twin"));
     }},
    // The contents survive in one place or the other.
    {"move of a tree",
     [](Fixture& f) { return move(f / "tree", f / "moved"); },
     {},
     [](Fixture const& f, bool ok) {
         return ok ? !f.exists("tree") &&
                         snapshot(toStd(f / "moved")) == snapshot(toStd(f / "twin"))
                   : f.exists("tree/sub/b.txt") || f.exists("moved/sub/b.txt");
     }},
    {"rename",
     [](Fixture& f) { return rename(f / "source.txt", f / "renamed.txt"); },
     {},
     [](Fixture const& f, bool ok) {
         return readFile(f / (ok ? "renamed.txt" : "source.txt")) == largeText &&
                f.exists("source.txt") != ok;
     }},
    {"remove",
     [](Fixture& f) { return remove(f / "source.txt"); },
     {},
     [](Fixture const& f, bool ok) { return f.exists("source.txt") != ok; }},
    {"removeAll",
     [](Fixture& f) { return removeAll(f / "tree"); },
     {},
     [](Fixture const& f, bool ok) { return f.exists("tree") != ok; }},
    {"createDirectories",
     [](Fixture& f) { return createDirectories(f / "made/a/b"); },
     {},
     [](Fixture const& f, bool ok) { return fs::is_directory(toStd(f / "made/a/b")) == ok; }},
    {"setModificationTime",
     [](Fixture& f) { return setModificationTime(f / "source.txt", TimePoint(Ticks(someTicks))); },
     {"source.txt"},
     [](Fixture const& f, bool ok) {
         return !ok ||
                getModificationTime(f / "source.txt").time_since_epoch().count() == someTicks;
     }},
    {"setPermissions",
     [](Fixture& f) { return setPermissions(f / "source.txt", OwnerRead); },
     {"source.txt"},
     [](Fixture const& f, bool ok) {
         return !ok || (status(f / "source.txt").getPermissions() & OwnerWrite) == NoPermissions;
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
     {},
     nullptr},
    // Only files match: a matching directory that is not empty would fail every run.
    {"removeMatching",
     [](Fixture& f) { return removeMatching(f / "matching", "o*.tmp"); },
     {"matching/keep.txt", "matching/gone.tmp"},
     [](Fixture const& f, bool ok) { return !ok || !f.exists("matching/one.tmp"); }},
    {"removeAllMatching",
     [](Fixture& f) { return removeAllMatching(f / "matching", "*.tmp"); },
     {"matching/keep.txt"},
     [](Fixture const& f, bool ok) {
         return !ok || (!f.exists("matching/gone.tmp") && !f.exists("matching/one.tmp"));
     }},
    {"FileLock lock and unlock",
     [](Fixture& f) {
         FileLock lock;
         bool const locked = lock.lockFile(f / "source.txt");
         lock.unlockFile();
         return locked;
     },
     {"source.txt"},
     [](Fixture const& f, bool) { return !FileLock::isFileLocked(f / "source.txt"); }},
    {"fopenWrapper and fstreamWrapper",
     [](Fixture& f) {
         std::FILE* const in = fopenWrapperWithLockCheck(f / "source.txt", "rb");
         std::FILE* const out = fopenWrapper(f / "written.txt", "wb");
         if (out != nullptr)
             std::fputs("written", out);
         for (std::FILE* const file : {in, out})
             if (file != nullptr)
                 std::fclose(file);
         std::fstream stream;
         fstreamWrapperWithLockCheck(stream, f / "existing.txt", std::ios::in);
         return in != nullptr && out != nullptr && stream.is_open();
     },
     {"source.txt", "existing.txt"},
     nullptr},
    {"queries that hold handles",
     [](Fixture& f) {
         std::size_t listed = 0;
         for (DirectoryIterator it(f / "tree"), end; *it != *end; ++it)
             ++listed;
         return status(f / "source.txt").getType() == RegularFile &&
                symbolicLinkStatus(f / "tree").getType() == DirectoryFile &&
                fileSize(f / "source.txt") == static_cast<long long>(largeText.size()) &&
                canonical(f / "tree/sub") == f / "tree/sub" &&
                getModificationTime(f / "source.txt").time_since_epoch().count() != 0 &&
                listed == 3;
     },
     {"source.txt", "tree"},
     nullptr},
    {"compareFiles and compareDirectories",
     [](Fixture& f) {
         return compareFiles(f / "tree/sub/b.txt", f / "twin/sub/b.txt") &&
                compareDirectories(f / "tree", f / "twin");
     },
     {"tree"},
     nullptr},
};

// What every run must leave, whatever failed.
void check(Operation const& operation, Fixture const& f, bool result) {
    TreeSnapshot const now = f.now();
    for (char const* const kept : {"outside.txt", "twin"})
        EXPECT_EQ(under(now, kept), under(f.before(), kept)) << kept;
    for (std::string const& kept : operation.kept)
        EXPECT_EQ(under(now, kept), under(f.before(), kept)) << kept;
    std::set<std::string> known = {"work", "written"};
    for (auto const& [name, contents] : f.before())
        known.insert(contents);
    // A file opened for writing is created (empty) before its stream is set up, as fopen does.
    for (auto const& [name, contents] : now)
        EXPECT_TRUE(known.count(contents) == 1 || (name == "written.txt" && contents.empty()))
            << name << " is partial";
    std::set<std::string> names = {"copied", "copy.txt",    "made",
                                   "moved",  "renamed.txt", "written.txt"};
    for (auto const& [name, contents] : f.before())
        names.insert(name.substr(0, name.find('/')));
    for (std::string const& name : f.topLevelNames())
        EXPECT_EQ(names.count(name), 1u) << name << " is left over";
    if (operation.matches) {
        EXPECT_TRUE(operation.matches(f, result)) << "the result was " << result;
    }
}

class FaultScenarioTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FaultScenarioTest, EveryFailingCallLeavesAConsistentState) {
    Operation const& operation = operations[GetParam()];
    std::vector<std::string> calls;
    {
        Fixture fixture;
        FaultInjector injector;
        injector.failCall(0);
        bool const result = operation.run(fixture);
        injector.stop();
        calls = injector.trace();
        EXPECT_TRUE(result) << "without a failure";
        check(operation, fixture, result);
    }
    ASSERT_FALSE(calls.empty());

    // The errors rotate over the calls; every call that moves bytes also gets a short transfer.
    std::vector<InjectedFailure> const& errors = injectedErrors();
    for (std::size_t call = 1; call <= calls.size(); ++call) {
        std::vector<std::pair<InjectedFailure, FaultInjector::Kind>> failures = {
            {errors[call % errors.size()], FaultInjector::Kind::error}};
        if (movesBytes(calls[call - 1]))
            failures.push_back({{0, "a short transfer"}, FaultInjector::Kind::shortTransfer});
        for (auto const& [failure, kind] : failures) {
            SCOPED_TRACE("call " + std::to_string(call) + " (" + calls[call - 1] +
                         ") failing with " + failure.name);
            Fixture fixture;
            std::size_t const handles = openHandleCount();
            bool result = false;
            {
                FaultInjector injector;
                injector.failCall(call, failure.code, kind);
                try {
                    result = operation.run(fixture);
                } catch (std::exception const& error) {
                    ADD_FAILURE() << "threw " << error.what();
                }
                injector.stop();
            }
            EXPECT_EQ(openHandleCount(), handles) << "a descriptor leaked";
            check(operation, fixture, result);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultScenarioTest,
                         ::testing::Range<std::size_t>(0, operations.size()),
                         [](::testing::TestParamInfo<std::size_t> const& info) {
                             std::string name;
                             for (char const c : std::string(operations[info.param].name))
                                 if (std::isalnum(static_cast<unsigned char>(c)))
                                     name += c;
                             return name;
                         });

} // namespace
} // namespace koril::filesystem
