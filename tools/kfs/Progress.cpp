#include "Progress.h"

#include "Terminal.h"

#include <koril/filesystem/DirectoryIterator.h>
#include <koril/filesystem/Operations.h>

#include <cstdio>
#include <utility>

namespace kfs {

using namespace koril::filesystem;

Progress::Progress(std::string label)
    : label_(std::move(label)), shown_(standardErrorIsTerminal()) {}

Progress::~Progress() {
    if (lineOpen_) {
        std::fputc('\n', stderr);
    }
}

long long Progress::countTree(Path const& root) {
    if (!shown_ || symbolicLinkStatus(root).getType() != DirectoryFile) {
        return -1;
    }
    long long const total = countBelow(root, 0);
    show("counted " + std::to_string(total) + " entries", true);
    return total;
}

long long Progress::countBelow(Path const& directory, long long soFar) {
    DirectoryEntry const end;
    for (DirectoryIterator it(directory); *it != end; ++it) {
        ++soFar;
        show("counting " + std::to_string(soFar) + " entries");
        if (it->getSymlinkStatus().getType() == DirectoryFile) {
            soFar = countBelow(it->getPath(), soFar);
        }
    }
    return soFar;
}

void Progress::show(std::string const& text, bool now) {
    if (!shown_) {
        return;
    }
    auto const moment = std::chrono::steady_clock::now();
    if (!now && lineOpen_ && moment - lastShown_ < std::chrono::milliseconds(100)) {
        return;
    }
    lastShown_ = moment;
    // "\r" returns to the start of the line; spaces cover what a longer text left there.
    std::string line = label_ + ": " + text;
    std::size_t const length = line.size();
    if (length < lastLength_) {
        line.append(lastLength_ - length, ' ');
    }
    lastLength_ = length;
    line.insert(0, 1, '\r');
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    lineOpen_ = true;
}

void Progress::finish(std::string const& text) {
    if (!shown_) {
        return;
    }
    show(text, true);
    std::fputc('\n', stderr);
    lineOpen_ = false;
    lastLength_ = 0;
}

} // namespace kfs
