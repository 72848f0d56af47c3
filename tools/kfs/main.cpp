// kfs: the koril::filesystem command-line tool.

#include "Commands.h"
#include "Output.h"
#include "Terminal.h"

#include <string>
#include <vector>

namespace {

template <typename Char> int runWithArguments(int argc, Char** argv) {
    kfs::useBinaryOutput();
    try {
        std::vector<koril::unicode::String> words;
        for (int i = 1; i < argc; ++i) {
            words.emplace_back(std::basic_string<Char>(argv[i]));
        }
        return kfs::runCommandLine(words);
    } catch (...) {
        kfs::printError("out of memory");
        return kfs::exitFailure;
    }
}

} // namespace

#ifdef _WIN32
// The wide command line, so that names outside the ANSI code page arrive intact.
extern "C" int wmain(int argc, wchar_t** argv) {
    return runWithArguments(argc, argv);
}
#else
// UTF-8 arguments.
int main(int argc, char** argv) {
    return runWithArguments(argc, argv);
}
#endif
