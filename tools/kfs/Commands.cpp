#include "Commands.h"

#include "Output.h"

#include <koril/filesystem/Version.h>

#include <algorithm>
#include <exception>
#include <new>
#include <regex>

namespace kfs {

namespace {

int runHelp(Arguments& arguments);

std::vector<Command> const table = {
    {"path", "path P...", "show how paths are taken apart",
     "Prints, for each path, its stored text, root name, root directory, root path, relative "
     "path, parent, file name, stem, extension, classification and elements, one per line.",
     runPath},
    {"compare", "compare A B", "compare two paths as the library orders them",
     "Prints equal, less or greater. Paths compare without regard to letter case or Unicode "
     "composition; separators and dots are plain characters.",
     runCompare},
    {"glob", "glob PATTERN NAME...", "match names against a glob pattern",
     "Prints 'NAME: match' or 'NAME: no match' for each name. '*' is any run of characters and "
     "'?' one character; everything else keeps its regular-expression meaning, case-sensitive.",
     runGlob},
    {"sanitize", "sanitize P...", "replace unsafe characters with '_'",
     "Keeps ASCII letters, digits, separators and \" !#$&'()-@^_`{}~.\"; every other character "
     "becomes '_'.",
     runSanitize},
    {"elide", "elide MAXLEN P [ELLIPSIS]", "shorten a path for display",
     "Replaces middle elements with ELLIPSIS (default \"...\") so that the path fits MAXLEN "
     "characters; the first and last elements always stay.",
     runElide},
    {"complete", "complete P BASE", "make a relative path absolute against BASE",
     "Joins P to BASE by text alone; P comes back unchanged when it has a root name or BASE is "
     "not complete.",
     runComplete},
    {"stat", "stat [--json] P...", "show type, permissions, size, time and forms of paths",
     "Prints the status (links followed), the link's own type, the permissions in octal, the "
     "size, the modification time, the canonical form and the native string of each path. "
     "With --json, one JSON array with an object per path. Exit status 1 when a path does not "
     "exist.",
     runStat},
    {"ls", "ls [--json] DIR", "list a directory with types and permissions",
     "One line per entry, in the order the platform lists them: type, permissions in octal, "
     "name. With --json, one JSON object holding the entries.",
     runLs},
    {"mkdir", "mkdir [-p] P", "create a directory",
     "Creates one directory whose parent exists; with -p also every missing parent.", runMkdir},
    {"rm", "rm [-r] P", "remove a file, link or directory",
     "Removes a file, a link or an empty directory; with -r a whole tree (links inside are "
     "removed, never followed). Read-only files are refused; with -r the rest is still removed "
     "and the entries that stay are named.",
     runRm},
    {"cp", "cp [-r] FROM TO", "copy a file or a directory",
     "Never overwrites. A directory is copied with its files and empty subdirectories; with -r "
     "the whole tree. Every entry is attempted; those that could not be copied are named.",
     runCp},
    {"mv", "mv FROM TO", "move or rename",
     "Renames, or copies and removes the source when a rename is not possible; never replaces "
     "an existing destination.",
     runMv},
    {"ln", "ln TARGET LINK", "make a symbolic link",
     "Makes LINK a symbolic link to TARGET. Fails with the platform's error number when the "
     "platform refuses, or when it reports success but made no link.",
     runLn},
    {"touch", "touch P [TIME]", "set the modification time",
     "Sets the modification time to TIME (ISO 8601, such as 2020-01-15T12:00:00.1234567Z) or "
     "to now; a missing file is created empty first.",
     runTouch},
    {"chmod", "chmod ro|rw P", "make a path read-only or writable",
     "ro sets the read-only attribute, rw clears it; nothing else can be changed.", runChmod},
    {"pwd", "pwd", "print the current directory", "Prints the process's current directory.",
     runPwd},
    {"lock", "lock P", "hold a lock on a file until Enter",
     "Locks the whole file, prints 'locked P', and holds the lock until a line or the end of "
     "input arrives on standard input.",
     runLock},
    {"locked", "locked P...", "tell whether files are in use",
     "Prints 'P: locked' when the file exists but cannot be opened for exclusive use now, "
     "else 'P: not locked'.",
     runLocked},
    {"each", "each DIR [PATTERN]", "list the children of a directory by callback",
     "Prints the path of each child that the traversal hands to its callback, optionally only "
     "those whose name matches the glob PATTERN.",
     runEach},
    {"rmglob", "rmglob [-r] DIR PATTERN", "remove the children that match a pattern",
     "Removes each matching file, link or empty directory; with -r matching directories go "
     "with everything in them. An entry that cannot be removed does not stop the others; the "
     "entries that stay are named.",
     runRmglob},
    {"tmp", "tmp PREFIX [MAX-AGE-SECONDS]", "create a uniquely named temporary directory",
     "Creates PREFIX followed by random digits in the temporary directory and prints it; it is "
     "kept. With MAX-AGE-SECONDS, entries named PREFIX... older than that are removed first.",
     runTmp},
    {"cmp", "cmp [--json] A B", "compare two files or two trees",
     "Prints equal or different (with --json, a JSON object). Exit status 0 when equal, 1 when "
     "different, 2 when either is missing. Trees compare names without regard to case or "
     "composition.",
     runCmp},
    {"short", "short P", "compute an 8.3 short name",
     "Prints the parent joined with an upper-case 8.3 form of the name that names nothing on "
     "disk, numbered ~1, ~2 ... while the candidates exist.",
     runShort},
    {"fixcase", "fixcase [--from-root] P", "spell a path as the disk stores it",
     "Rebuilds P from the names its directories store (letter case and composition). Without "
     "--from-root an existing path is printed as given. Exit status 1 when nothing matches.",
     runFixcase},
    {"tour", "tour", "walk through the library on real files",
     "Works in a fresh temporary directory, prints each call with what it returned, and removes "
     "everything at the end. Exit status 0 only when every call did what the tour says.",
     runTour},
    {"help", "help [COMMAND]", "list the commands, or explain one",
     "Without a command, lists every command; with one, shows its usage and what it does.",
     runHelp},
};

Command const* findCommand(String const& name) {
    auto const found = std::find_if(table.begin(), table.end(), [&](Command const& command) {
        return String(command.name) == name;
    });
    return found == table.end() ? nullptr : &*found;
}

void printCommandList() {
    printLine(std::string("kfs ") + KORIL_FILESYSTEM_VERSION_STRING +
              ": the koril::filesystem command-line tool");
    printLine("");
    printLine("usage: kfs COMMAND [ARGUMENTS]");
    printLine("");
    for (Command const& command : table) {
        std::string line = "  " + std::string(command.name);
        line.resize(12, ' ');
        printLine(line + command.summary);
    }
    printLine("");
    printLine("Paths are printed as the library stores them, with '\\' separators. '--' ends "
              "the options. Exit status: 0 success, 1 the operation failed, 2 usage error.");
}

int runHelp(Arguments& arguments) {
    std::vector<String> const words = arguments.operands(0, 1);
    if (words.empty()) {
        printCommandList();
        return exitSuccess;
    }
    Command const* command = findCommand(words[0]);
    if (command == nullptr) {
        throw UsageError("unknown command " + quoted(words[0]));
    }
    printLine(std::string("usage: kfs ") + command->usage);
    printLine("");
    printLine(command->details);
    return exitSuccess;
}

} // namespace

std::vector<Command> const& commands() {
    return table;
}

int runCommandLine(std::vector<String> const& words) {
    if (words.empty()) {
        printError("missing command (try 'kfs help')");
        return exitUsage;
    }
    String name = words[0];
    if (name == String("--help") || name == String("-h")) {
        name = String("help");
    }
    Command const* command = findCommand(name);
    if (command == nullptr) {
        printError("unknown command " + quoted(name) + " (try 'kfs help')");
        return exitUsage;
    }
    Arguments arguments(command->name, std::vector<String>(words.begin() + 1, words.end()));
    try {
        return command->run(arguments);
    } catch (UsageError const& error) {
        printError(std::string(command->name) + ": " + error.what() + " (usage: kfs " +
                   command->usage + ")");
        return exitUsage;
    } catch (std::regex_error const& error) {
        printError(std::string(command->name) + ": bad pattern: " + error.what());
        return exitUsage;
    } catch (std::bad_alloc const&) {
        printError(std::string(command->name) + ": out of memory");
        return exitFailure;
    } catch (std::exception const& error) {
        printError(std::string(command->name) + ": " + error.what());
        return exitFailure;
    } catch (...) {
        printError(std::string(command->name) + ": unexpected failure");
        return exitFailure;
    }
}

} // namespace kfs
