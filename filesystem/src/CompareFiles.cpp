// Content comparison of two files, block by block.

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>

namespace koril::filesystem {

namespace {

constexpr std::streamsize blockSize = 1024;
// Each file buffer reads this much per platform call, so that the 1024-byte blocks cost a copy
// from memory rather than a system call each.
constexpr std::streamsize maxStreamBufferSize = 64 * 1024;

} // namespace

bool compareFiles(Path const& a, Path const& b) {
    // Files of different sizes are never opened.
    long long const sizeB = fileSize(b);
    long long const sizeA = fileSize(a);
    if (sizeA != sizeB)
        return false;

    // One allocation per call for both stream buffers, which must be in place before opening;
    // a small file needs no more than its size (and a byte to find its end).
    std::streamsize const bufferSize = sizeA < maxStreamBufferSize
                                           ? std::max<std::streamsize>(sizeA + 2, blockSize)
                                           : maxStreamBufferSize;
    std::unique_ptr<char[]> const streamBuffers(new char[2 * bufferSize]);
    std::filebuf fileA;
    std::filebuf fileB;
    fileA.pubsetbuf(streamBuffers.get(), bufferSize);
    fileB.pubsetbuf(streamBuffers.get() + bufferSize, bufferSize);

    // Text mode, as both files are read alike: two files of equal size that read the same
    // under the platform's text rules are equal.
    if (!platform::openFileBuffer(fileA, a.nativeString(), std::ios_base::in))
        return true;
    if (!platform::openFileBuffer(fileB, b.nativeString(), std::ios_base::in))
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

} // namespace koril::filesystem
