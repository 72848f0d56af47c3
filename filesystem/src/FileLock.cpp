// Whole-file locks, and the test whether a file is in use.

#include "platform/Platform.h"

#include <koril/filesystem/FileLock.h>
#include <koril/filesystem/Operations.h>

#include <utility>

namespace koril::filesystem {

namespace {

// Function-local, so that it exists before any static initialiser of another unit can lock.
std::function<bool(Path const&)>& validationCallback() {
    static std::function<bool(Path const&)> callback;
    return callback;
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
    return platform::lockWholeFile(path, handle_);
}

void FileLock::unlockFile() {
    platform::unlockWholeFile(handle_);
}

bool FileLock::isFileLocked(Path const& path) {
    return platform::isFileLocked(path);
}

void FileLock::setValidationCallback(std::function<bool(Path const&)> callback) {
    validationCallback() = std::move(callback);
}

} // namespace koril::filesystem
