// Commands on file locks.

#include "Commands.h"
#include "Output.h"

#include <koril/filesystem/FileLock.h>

#include <iostream>
#include <limits>

namespace kfs {

using namespace koril::filesystem;

int runLock(Arguments& arguments) {
    Path const path(arguments.operands(1, 1)[0]);
    FileLock lock;
    if (!lock.lockFile(path)) {
        return arguments.fail("cannot lock " + quoted(path.string()));
    }
    printLine("locked " + utf8(path));
    flushOutput();
    // Held until a line or the end of input; whatever the line says.
    std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    lock.unlockFile();
    return exitSuccess;
}

int runLocked(Arguments& arguments) {
    for (String const& word : arguments.operands(1, std::numeric_limits<size_t>::max())) {
        Path const path(word);
        printLine(utf8(path) + (FileLock::isFileLocked(path) ? ": locked" : ": not locked"));
    }
    return exitSuccess;
}

} // namespace kfs
