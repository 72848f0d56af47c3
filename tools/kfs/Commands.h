#ifndef KORIL_TOOLS_KFS_COMMANDS_H
#define KORIL_TOOLS_KFS_COMMANDS_H

// The command table of kfs and the functions that run its commands. Each function takes the
// words after the command name and returns the exit status; a `UsageError` it throws becomes a
// one-line message and exit status 2.

#include "Arguments.h"

#include <vector>

namespace kfs {

struct Command {
    char const* name;
    // The command's words after "kfs", such as "mkdir [-p] P".
    char const* usage;
    char const* summary;
    // A sentence or two for "kfs help NAME".
    char const* details;
    int (*run)(Arguments& arguments);
};

std::vector<Command> const& commands();

// Runs the command line `words` (without the program name) and returns the exit status.
// Never throws.
int runCommandLine(std::vector<String> const& words);

// Path text (PathCommands.cpp).
int runPath(Arguments& arguments);
int runCompare(Arguments& arguments);
int runGlob(Arguments& arguments);
int runSanitize(Arguments& arguments);
int runElide(Arguments& arguments);
int runComplete(Arguments& arguments);

// Status and listing (StatusCommands.cpp).
int runStat(Arguments& arguments);
int runLs(Arguments& arguments);
int runPwd(Arguments& arguments);

// Changing files (FileCommands.cpp).
int runMkdir(Arguments& arguments);
int runRm(Arguments& arguments);
int runCp(Arguments& arguments);
int runMv(Arguments& arguments);
int runLn(Arguments& arguments);
int runTouch(Arguments& arguments);
int runChmod(Arguments& arguments);

// Names on disk (NameCommands.cpp).
int runShort(Arguments& arguments);
int runFixcase(Arguments& arguments);

// Locks (LockCommands.cpp).
int runLock(Arguments& arguments);
int runLocked(Arguments& arguments);

// Directories as a whole (BulkCommands.cpp).
int runEach(Arguments& arguments);
int runRmglob(Arguments& arguments);
int runTmp(Arguments& arguments);
int runCmp(Arguments& arguments);

// The tour of the library (Tour.cpp).
int runTour(Arguments& arguments);

} // namespace kfs

#endif
