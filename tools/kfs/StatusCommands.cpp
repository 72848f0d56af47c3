// Commands that report what the disk holds.

#include "Commands.h"
#include "IsoTime.h"
#include "Output.h"

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>

#include <limits>

namespace kfs {

using namespace koril::filesystem;

int runStat(Arguments& arguments) {
    std::vector<String> const paths = arguments.operands(1, std::numeric_limits<size_t>::max());
    int result = exitSuccess;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        Path const path(paths[i]);
        FileStatus const followed = status(path);
        if (i > 0) {
            printLine("");
        }
        printField("path", utf8(path));
        printField("type", typeName(followed.getType()));
        printField("link type", typeName(symbolicLinkStatus(path).getType()));
        printField("permissions", permissionsText(followed.getPermissions()));
        printField("size", std::to_string(fileSize(path)));
        printField("modified", formatIsoTime(getModificationTime(path)));
        printField("canonical", utf8(canonical(path)));
        printField("native", utf8(path.nativeString()));
        if (followed.getType() == FileNotFound) {
            result = arguments.fail(quoted(paths[i]) + ": not found");
        }
    }
    return result;
}

int runLs(Arguments& arguments) {
    Path const directory(arguments.operands(1, 1)[0]);
    DirectoryIterator it(directory);
    if (!it.canIterate()) {
        return arguments.fail("cannot list " + quoted(directory.string()) +
                              (exists(directory) ? "" : ": not found"));
    }
    DirectoryEntry const end;
    for (; *it != end; ++it) {
        FileStatus const entryStatus = it->getStatus();
        std::string type = typeName(entryStatus.getType());
        type.resize(10, ' ');
        printLine(type + permissionsText(entryStatus.getPermissions()) + " " +
                  utf8(it->getPath().filename()));
    }
    return exitSuccess;
}

int runPwd(Arguments& arguments) {
    arguments.operands(0, 0);
    Path const current = getCurrentDirectory();
    if (current.empty()) {
        return arguments.fail("cannot read the current directory");
    }
    printLine(utf8(current));
    return exitSuccess;
}

} // namespace kfs
