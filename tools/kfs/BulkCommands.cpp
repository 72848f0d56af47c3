// Commands over a directory as a whole: traversal, pattern removal, temporary directories and
// tree comparison.

#include "Commands.h"
#include "JsonWriter.h"
#include "Output.h"
#include "Progress.h"
#include "TreeFailures.h"

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>
#include <koril/filesystem/TemporaryDirectory.h>

#include <chrono>

namespace kfs {

using namespace koril::filesystem;

namespace {

// The most seconds that a maximum age in ticks can hold.
constexpr unsigned long long maxAgeSeconds = Ticks::max().count() / Ticks::period::den;

// A temporary-directory prefix is also read as a pattern by the sweep; only characters that mean
// themselves there keep the sweep to names that really start with the prefix.
void requirePlainPrefix(String const& prefix) {
    if (prefix.empty()) {
        throw UsageError("PREFIX must not be empty");
    }
    for (unsigned int c : prefix) {
        bool const plain = c >= 128 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                           (c >= 'A' && c <= 'Z') || c == '-' || c == '_';
        if (!plain) {
            throw UsageError("PREFIX may hold only letters, digits, '-' and '_', not " +
                             quoted(prefix));
        }
    }
}

bool hasEntries(Path const& directory) {
    return *DirectoryIterator(directory) != DirectoryEntry();
}

} // namespace

int runEach(Arguments& arguments) {
    std::vector<String> const words = arguments.operands(1, 2);
    Path const directory(words[0]);
    if (words.size() == 2) {
        requireGlobPattern(words[1]);
    }
    if (!isDirectory(directory)) {
        return arguments.fail(quoted(words[0]) + " is not a directory");
    }
    auto const print = [](Path const& child) {
        printLine(utf8(child));
        return true;
    };
    if (words.size() == 2) {
        forEachMatching(directory, words[1], print);
    } else {
        forEach(directory, print);
    }
    return exitSuccess;
}

int runRmglob(Arguments& arguments) {
    bool const recursive = arguments.flag("-r");
    std::vector<String> const words = arguments.operands(2, 2);
    Path const directory(words[0]);
    requireGlobPattern(words[1]);
    if (!isDirectory(directory)) {
        return arguments.fail(quoted(words[0]) + " is not a directory");
    }
    // The removal reports false for a directory without entries; nothing to remove is success.
    if (!hasEntries(directory)) {
        return exitSuccess;
    }
    bool const removed =
        recursive ? removeAllMatching(directory, words[1]) : removeMatching(directory, words[1]);
    if (removed) {
        return exitSuccess;
    }
    // The library stops at the first entry it cannot remove; go on past it and name each that
    // stays.
    TreeFailures const failures = removeMatchingRemains(directory, words[1], recursive);
    return failures.count() == 0 ? exitSuccess
                                 : failures.report(arguments,
                                                   "cannot remove every entry matching " +
                                                       quoted(words[1]) + " in " + quoted(words[0]),
                                                   "could not be removed");
}

int runTmp(Arguments& arguments) {
    std::vector<String> const words = arguments.operands(1, 2);
    String const& prefix = words[0];
    requirePlainPrefix(prefix);
    if (words.size() == 2) {
        std::chrono::seconds const maxAge(
            static_cast<long long>(parseCount(words[1], "MAX-AGE-SECONDS", maxAgeSeconds)));
        // The guard sweeps stale entries of the prefix; its own directory goes with it at once.
        TemporaryDirectory sweep(prefix, maxAge);
    }
    Path const parent = getTemporaryDirectory();
    if (parent.empty()) {
        return arguments.fail("the platform gives no temporary directory");
    }
    // Made here rather than by a guard, whose end would remove it: this directory is kept.
    Path const directory = TemporaryDirectory::makeUniqueTemporaryDirectory(parent, prefix);
    if (!createDirectory(directory)) {
        return arguments.fail("cannot create " + quoted(directory.string()));
    }
    printLine(utf8(directory));
    return exitSuccess;
}

int runCmp(Arguments& arguments) {
    bool const asJson = arguments.flag("--json");
    std::vector<String> const words = arguments.operands(2, 2);
    Path const a(words[0]);
    Path const b(words[1]);
    for (std::size_t i = 0; i < 2; ++i) {
        if (!exists(Path(words[i]))) {
            printError("cmp: " + quoted(words[i]) + ": not found");
            return exitUsage;
        }
    }
    bool const aIsDirectory = status(a).getType() == DirectoryFile;
    bool const bIsDirectory = status(b).getType() == DirectoryFile;
    bool equal = false;
    if (aIsDirectory && bIsDirectory) {
        Progress progress("cmp");
        long long const total = progress.countTree(a) + progress.countTree(b);
        equal = compareDirectories(a, b);
        if (total >= 0) {
            progress.finish("compared trees of " + std::to_string(total) + " entries");
        }
    } else if (!aIsDirectory && !bIsDirectory) {
        equal = compareFiles(a, b);
    }
    if (asJson) {
        char const* const kind = aIsDirectory && bIsDirectory     ? "directories"
                                 : !aIsDirectory && !bIsDirectory ? "files"
                                                                  : "file and directory";
        JsonWriter json;
        json.beginObject().key("a").value(a.string()).key("b").value(b.string());
        json.key("kind").value(kind).key("equal").value(equal).endObject();
        printText(json.text());
    } else {
        printLine(equal ? "equal" : "different");
    }
    return equal ? exitSuccess : exitFailure;
}

} // namespace kfs
