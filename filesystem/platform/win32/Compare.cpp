// Comparing the contents of two files.

#include "platform/win32/Handles.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace koril::filesystem::platform {

namespace {

constexpr std::streamsize blockSize = 1024;
// Each file buffer reads this much per system call, so that a 1024-byte block costs a copy
// from memory rather than a call of its own.
constexpr std::streamsize largestStreamBuffer = 64 * 1024;

long long sizeOf(Location location) {
    Attributes attributes;
    return queryFinalAttributes(location, attributes) ? static_cast<long long>(attributes.size)
                                                      : -1;
}

} // namespace

bool compareFiles(Location a, Location b) {
    // Files of different sizes are never opened.
    long long const sizeB = sizeOf(b);
    long long const sizeA = sizeOf(a);
    if (sizeA != sizeB)
        return false;

    // One allocation per call for both stream buffers, which must be in place before opening;
    // a small file needs no more than its size and a byte to find its end.
    std::streamsize const bufferSize = sizeA < largestStreamBuffer
                                           ? std::max<std::streamsize>(sizeA + 2, blockSize)
                                           : largestStreamBuffer;
    std::unique_ptr<char[]> const streamBuffers(new char[2 * bufferSize]);
    std::filebuf fileA;
    std::filebuf fileB;
    fileA.pubsetbuf(streamBuffers.get(), bufferSize);
    fileB.pubsetbuf(streamBuffers.get() + bufferSize, bufferSize);

    // Text mode for both: two files of equal size that read alike under the runtime's text
    // rules (CR LF read as LF, 0x1A ends the input) are equal.
    bool const openedA =
        win32::systemCalls.openFileBuffer(fileA, win32::nativeOf(a).c_str(), std::ios_base::in);
    bool const openedB =
        win32::systemCalls.openFileBuffer(fileB, win32::nativeOf(b).c_str(), std::ios_base::in);
    if (!openedA || !openedB)
        return true;

    char blockA[blockSize];
    char blockB[blockSize];
    for (;;) {
        // A count short of a full block means that stream has reached its end; with equal
        // counts both have, or neither.
        std::streamsize const countA = fileA.sgetn(blockA, blockSize);
        std::streamsize const countB = fileB.sgetn(blockB, blockSize);
        if (countA != countB)
            return false;
        if (std::memcmp(blockA, blockB, static_cast<std::size_t>(countA)) != 0)
            return false;
        if (countB < blockSize)
            return true;
    }
}

} // namespace koril::filesystem::platform
