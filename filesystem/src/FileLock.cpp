#include <koril/filesystem/FileLock.h>

#include <koril/filesystem/Operations.h>

#include "platform/Platform.h"

#include <utility>

namespace koril::filesystem {

namespace {

// From the first byte to the largest offset the platform allows, so that bytes the file gains
// while it is locked are covered too.
constexpr std::uint32_t rangeOffsetLow = 0;
constexpr std::uint32_t rangeOffsetHigh = 0;
constexpr std::uint32_t rangeLengthLow = 0xFFFFFFFF;
constexpr std::uint32_t rangeLengthHigh = 0xFFFFFFFF;

// Function-local, so that it exists before any static initialiser of another unit can lock.
std::function<bool(Path const&)>& validationCallback() {
    static std::function<bool(Path const&)> callback;
    return callback;
}

bool holdsHandle(void* handle) {
    return handle != nullptr && handle != platform::invalidHandle;
}

} // namespace

FileLock::FileLock(Path const& path) {
    lockFile(path);
}

FileLock::FileLock(FileLock&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        unlockFile();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

FileLock::~FileLock() {
    unlockFile();
}

bool FileLock::lockFile(Path const& path) {
    // A directory cannot carry the lock; refusing it must not cost the lock already held.
    if (isDirectory(path))
        return false;
    unlockFile();
    if (validationCallback() && !validationCallback()(path))
        return false;
    // Sharing reads and writes keeps the file openable elsewhere; the byte-range lock is what
    // keeps others from its contents. A failed open is stored too and treated as nothing held.
    handle_ = platform::createFile(path.nativeString(), platform::genericRead,
                                   platform::shareRead | platform::shareWrite,
                                   platform::openExisting, platform::attributeNormal);
    return platform::lockFile(handle_, rangeOffsetLow, rangeOffsetHigh, rangeLengthLow,
                              rangeLengthHigh);
}

void FileLock::unlockFile() {
    if (holdsHandle(handle_)) {
        platform::unlockFile(handle_, rangeOffsetLow, rangeOffsetHigh, rangeLengthLow,
                             rangeLengthHigh);
        platform::closeHandle(handle_);
    }
    handle_ = nullptr;
}

bool FileLock::isFileLocked(Path const& path) {
    std::wstring const native = path.nativeString();
    if (platform::pathIsDirectory(native))
        return false;
    // Any open handle elsewhere, whatever its access, makes an open without sharing fail.
    platform::Handle const handle = platform::createFile(
        native, platform::genericRead, platform::shareNone, platform::openExisting, 0);
    if (handle != platform::invalidHandle) {
        platform::closeHandle(handle);
        return false;
    }
    return platform::getFileAttributes(native) != platform::invalidFileAttributes;
}

void FileLock::setValidationCallback(std::function<bool(Path const&)> callback) {
    validationCallback() = std::move(callback);
}

} // namespace koril::filesystem
