// Commands that reconcile names with what the disk stores.

#include "Commands.h"
#include "Output.h"

#include <koril/filesystem/Operations.h>

namespace kfs {

using namespace koril::filesystem;

int runShort(Arguments& arguments) {
    printLine(utf8(toDos8Dot3(Path(arguments.operands(1, 1)[0]))));
    return exitSuccess;
}

int runFixcase(Arguments& arguments) {
    bool const fromRoot = arguments.flag("--from-root");
    Path const path(arguments.operands(1, 1)[0]);
    Path const found = findSimilarName(path, fromRoot);
    if (found.empty()) {
        return arguments.fail("no stored name matches " + quoted(path.string()));
    }
    printLine(utf8(found));
    return exitSuccess;
}

} // namespace kfs
