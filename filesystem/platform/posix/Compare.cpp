// File comparison: sizes first, then the contents in large blocks.

#include "platform/posix/Handles.h"

#include <cstring>
#include <memory>

namespace koril::filesystem::platform {

using namespace posix;

namespace {

constexpr std::size_t blockSize = 1 << 16;

// The size that decides whether contents are compared at all (a directory counts 0), or -1.
long long sizeOf(Location location, bool& directory) {
    struct stat info;
    if (!statAt(location, info, 0))
        return -1;
    directory = S_ISDIR(info.st_mode);
    return directory ? 0 : static_cast<long long>(info.st_size);
}

// Fills `buffer` unless the file ends first: the bytes read, or -1 on a read error.
ssize_t readBlock(int fd, char* buffer) {
    std::size_t filled = 0;
    while (filled < blockSize) {
        ssize_t const got = retryInterrupted(
            [&] { return systemCalls.read(fd, buffer + filled, blockSize - filled); });
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(filled);
}

} // namespace

bool compareFiles(Location a, Location b) {
    bool directoryA = false;
    bool directoryB = false;
    long long const sizeB = sizeOf(b, directoryB);
    if (sizeOf(a, directoryA) != sizeB)
        return false;
    // Equal sizes of two objects that cannot both be opened as files count as equal.
    if (sizeB < 0 || directoryA || directoryB)
        return true;
    int const flags = O_RDONLY | O_NOCTTY | O_NONBLOCK;
    Descriptor const fileA(openAt(directoryOf(a), a.name.c_str(), flags));
    if (!fileA)
        return true;
    Descriptor const fileB(openAt(directoryOf(b), b.name.c_str(), flags));
    if (!fileB)
        return true;
    std::unique_ptr<char[]> const buffers(new char[2 * blockSize]);
    for (;;) {
        ssize_t const gotA = readBlock(fileA.get(), buffers.get());
        ssize_t const gotB = readBlock(fileB.get(), buffers.get() + blockSize);
        if (gotA < 0 || gotB < 0 || gotA != gotB ||
            std::memcmp(buffers.get(), buffers.get() + blockSize, static_cast<std::size_t>(gotA)) !=
                0)
            return false;
        if (static_cast<std::size_t>(gotA) < blockSize)
            return true;
    }
}

} // namespace koril::filesystem::platform
