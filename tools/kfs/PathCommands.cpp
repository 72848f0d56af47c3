// Commands on path text alone; none of them reaches the disk.

#include "Commands.h"
#include "Output.h"

#include <koril/filesystem/Operations.h>
#include <koril/filesystem/Path.h>

#include <limits>

namespace kfs {

using namespace koril::filesystem;

namespace {

void printDecomposition(Path const& path) {
    printField("text", utf8(path));
    printField("root name", utf8(path.rootName()));
    printField("root directory", utf8(path.rootDirectory()));
    printField("root path", utf8(path.rootPath()));
    printField("relative path", utf8(path.relativePath()));
    printField("parent path", utf8(path.parentPath()));
    printField("file name", utf8(path.filename()));
    printField("stem", utf8(path.stem()));
    printField("extension", utf8(path.extension()));
    printField("absolute", yesNo(path.isAbsolute()));
    printField("relative", yesNo(path.isRelative()));
    printField("complete", yesNo(path.isComplete()));
    for (Path const& element : path) {
        printField("element", utf8(element));
    }
}

} // namespace

int runPath(Arguments& arguments) {
    std::vector<String> const paths = arguments.operands(1, std::numeric_limits<size_t>::max());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (i > 0) {
            printLine("");
        }
        printDecomposition(Path(paths[i]));
    }
    return exitSuccess;
}

int runCompare(Arguments& arguments) {
    std::vector<String> const paths = arguments.operands(2, 2);
    int const order = comparePaths(Path(paths[0]), Path(paths[1]));
    printLine(order == 0 ? "equal" : order < 0 ? "less" : "greater");
    return exitSuccess;
}

int runGlob(Arguments& arguments) {
    std::vector<String> const words = arguments.operands(2, std::numeric_limits<size_t>::max());
    requireGlobPattern(words[0]);
    for (std::size_t i = 1; i < words.size(); ++i) {
        Path const name(words[i]);
        printLine(utf8(name) + (matchesGlobPattern(name, words[0]) ? ": match" : ": no match"));
    }
    return exitSuccess;
}

int runSanitize(Arguments& arguments) {
    for (String const& text : arguments.operands(1, std::numeric_limits<size_t>::max())) {
        printLine(utf8(sanitize(Path(text))));
    }
    return exitSuccess;
}

int runElide(Arguments& arguments) {
    std::vector<String> const words = arguments.operands(2, 3);
    auto const maxLength =
        static_cast<size_t>(parseCount(words[0], "MAXLEN", std::numeric_limits<size_t>::max()));
    String const ellipsis = words.size() == 3 ? words[2] : String("...");
    printLine(utf8(generateElidedPath(Path(words[1]), maxLength, ellipsis)));
    return exitSuccess;
}

int runComplete(Arguments& arguments) {
    std::vector<String> const words = arguments.operands(2, 2);
    printLine(utf8(complete(Path(words[0]), Path(words[1]))));
    return exitSuccess;
}

} // namespace kfs
