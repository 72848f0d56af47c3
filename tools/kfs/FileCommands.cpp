// Commands that change files and directories. They print nothing on success.

#include "Commands.h"
#include "IsoTime.h"
#include "Output.h"
#include "Progress.h"
#include "TreeFailures.h"

#include <koril/filesystem/Operations.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace kfs {

using namespace koril::filesystem;

int runMkdir(Arguments& arguments) {
    bool const parents = arguments.flag("-p");
    Path const path(arguments.operands(1, 1)[0]);
    bool const made = parents ? createDirectories(path) : createDirectory(path);
    return made ? exitSuccess : arguments.fail("cannot create directory " + quoted(path.string()));
}

int runRm(Arguments& arguments) {
    bool const recursive = arguments.flag("-r");
    Path const path(arguments.operands(1, 1)[0]);
    if (!recursive) {
        return remove(path) ? exitSuccess
                            : arguments.fail("cannot remove " + quoted(path.string()));
    }
    if (!exists(path) && symbolicLinkStatus(path).getType() != SymbolicLinkFile) {
        return arguments.fail("cannot remove " + quoted(path.string()) + ": not found");
    }
    Progress progress("rm");
    long long const total = progress.countTree(path);
    TreeFailures failures;
    if (!removeAll(path)) {
        // The library stops at the first entry it cannot remove; go on past it, as rm does,
        // and name every entry that stays.
        failures = removeWhatRemains(path);
    }
    if (total >= 0) {
        long long const left = std::max(progress.countTree(path), 0LL);
        progress.finish("removed " + std::to_string(total - left) + " of " + std::to_string(total) +
                        " entries");
    }
    return failures.count() == 0
               ? exitSuccess
               : failures.report(arguments, "cannot remove " + quoted(path.string()),
                                 "could not be removed");
}

int runCp(Arguments& arguments) {
    bool const recursive = arguments.flag("-r");
    std::vector<String> const words = arguments.operands(2, 2);
    Path const from(words[0]);
    Path const to(words[1]);
    std::string const headline =
        "cannot copy " + quoted(from.string()) + " to " + quoted(to.string());
    if (exists(to) || symbolicLinkStatus(to).getType() == SymbolicLinkFile) {
        return arguments.fail(headline + ": " + quoted(to.string()) + " exists");
    }
    bool const fromIsDirectory = status(from).getType() == DirectoryFile;
    bool copied = false;
    if (!recursive && fromIsDirectory) {
        copied = copyDirectory(from, to, false);
    } else {
        Progress progress("cp");
        long long const total = progress.countTree(from);
        copied = copy(from, to);
        if (total >= 0) {
            long long const done = std::max(progress.countTree(to), 0LL);
            progress.finish("copied " + std::to_string(done) + " of " + std::to_string(total) +
                            " entries");
        }
    }
    if (copied) {
        return exitSuccess;
    }
    if (!fromIsDirectory || !isDirectory(to)) {
        return arguments.fail(headline);
    }
    return findUncopied(from, to, recursive).report(arguments, headline, "not copied");
}

int runMv(Arguments& arguments) {
    std::vector<String> const words = arguments.operands(2, 2);
    return move(Path(words[0]), Path(words[1]))
               ? exitSuccess
               : arguments.fail("cannot move " + quoted(words[0]) + " to " + quoted(words[1]));
}

int runLn(Arguments& arguments) {
    std::vector<String> const words = arguments.operands(2, 2);
    Path const target(words[0]);
    Path const link(words[1]);
    try {
        createSymbolicLink(target, link);
    } catch (std::logic_error const& error) {
        return arguments.fail(error.what());
    }
    // Some platforms report success and make nothing; say so rather than pretend.
    if (symbolicLinkStatus(link).getType() != SymbolicLinkFile) {
        return arguments.fail("the platform reported success but made no link " +
                              quoted(link.string()));
    }
    return exitSuccess;
}

int runTouch(Arguments& arguments) {
    std::vector<String> const words = arguments.operands(1, 2);
    Path const path(words[0]);
    TimePoint time = currentTime();
    if (words.size() == 2) {
        std::optional<TimePoint> const parsed = parseIsoTime(words[1].toUTF8String());
        if (!parsed) {
            throw UsageError("bad time " + quoted(words[1]) +
                             " (expected such as 2020-01-15T12:00:00.1234567Z)");
        }
        time = *parsed;
    }
    if (!exists(path)) {
        // "a" never truncates, should the file appear in the meantime.
        std::FILE* file = fopenWrapper(path, "ab");
        if (file == nullptr) {
            return arguments.fail("cannot create " + quoted(path.string()));
        }
        std::fclose(file);
    }
    return setModificationTime(path, time)
               ? exitSuccess
               : arguments.fail("cannot set the modification time of " + quoted(path.string()) +
                                " to " + formatIsoTime(time));
}

int runChmod(Arguments& arguments) {
    std::vector<String> const words = arguments.operands(2, 2);
    Permissions permissions = NoPermissions;
    if (words[0] == String("ro")) {
        permissions = OwnerRead;
    } else if (words[0] == String("rw")) {
        permissions = OwnerRead | OwnerWrite;
    } else {
        throw UsageError("mode must be ro or rw, not " + quoted(words[0]));
    }
    return setPermissions(Path(words[1]), permissions)
               ? exitSuccess
               : arguments.fail("cannot change the permissions of " + quoted(words[1]));
}

} // namespace kfs
