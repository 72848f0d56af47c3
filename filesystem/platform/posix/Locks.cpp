// File locks: flock on a read-only descriptor. An exclusive flock excludes every other open file
// description, in this process and in others, whoever owns the file and whatever its mode; the
// shared flock that streams take marks them as in use.

#include "platform/posix/Handles.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace koril::filesystem::platform {

using namespace posix;

namespace {

using FileIdentity = std::pair<dev_t, ino_t>;

// The files that this process's `FileLock`s hold: removal, renaming and copying refuse them, as
// Windows refuses files that a handle holds open without delete sharing.
struct HeldFiles {
    std::mutex mutex;
    std::vector<FileIdentity> files;
    std::atomic<std::size_t> count{0};
};

HeldFiles& heldFiles() {
    static HeldFiles held;
    return held;
}

struct LockHandle {
    Descriptor descriptor;
    FileIdentity identity{};
    bool locked = false;
};

int openForReading(NativeName const& native) {
    return openAt(AT_FDCWD, native.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
}

} // namespace

bool posix::anyFileLockHeld() noexcept {
    return heldFiles().count.load() != 0;
}

bool posix::heldByFileLock(struct stat const& info) {
    HeldFiles& held = heldFiles();
    if (held.count.load() == 0)
        return false;
    std::lock_guard<std::mutex> lock(held.mutex);
    return std::find(held.files.begin(), held.files.end(),
                     FileIdentity{info.st_dev, info.st_ino}) != held.files.end();
}

bool lockWholeFile(Path const& path, void*& handle) {
    handle = nullptr;
    Descriptor descriptor(openForReading(nativeOf(path)));
    if (!descriptor)
        return false;
    auto lock = std::make_unique<LockHandle>();
    lock->descriptor = std::move(descriptor);
    int const fd = lock->descriptor.get();
    struct stat info;
    if (systemCalls.fstat(fd, &info) == 0 &&
        retryInterrupted([&] { return systemCalls.flock(fd, LOCK_EX | LOCK_NB); }) == 0) {
        lock->identity = FileIdentity{info.st_dev, info.st_ino};
        HeldFiles& held = heldFiles();
        std::lock_guard<std::mutex> guard(held.mutex);
        held.files.push_back(lock->identity);
        held.count.store(held.files.size());
        lock->locked = true;
    }
    bool const locked = lock->locked;
    handle = lock.release();
    return locked;
}

void unlockWholeFile(void*& handle) noexcept {
    std::unique_ptr<LockHandle> const lock(static_cast<LockHandle*>(handle));
    handle = nullptr;
    if (!lock || !lock->locked)
        return;
    HeldFiles& held = heldFiles();
    {
        std::lock_guard<std::mutex> guard(held.mutex);
        auto const found = std::find(held.files.begin(), held.files.end(), lock->identity);
        if (found != held.files.end())
            held.files.erase(found);
        held.count.store(held.files.size());
    }
    // Explicitly, so that a forked copy of the descriptor cannot keep the lock alive.
    systemCalls.flock(lock->descriptor.get(), LOCK_UN);
}

bool isFileLocked(Path const& path) {
    NativeName const native = nativeOf(path);
    Descriptor const file(openForReading(native));
    struct stat info;
    if (!file) {
        // A file that exists but cannot be read cannot be had for exclusive use either.
        return errno != ENOENT && errno != ENOTDIR &&
               systemCalls.fstatat(AT_FDCWD, native.c_str(), &info, 0) == 0 &&
               !S_ISDIR(info.st_mode);
    }
    if (systemCalls.fstat(file.get(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    // The probe's own lock goes with its descriptor.
    return retryInterrupted([&] { return systemCalls.flock(file.get(), LOCK_EX | LOCK_NB); }) != 0;
}

} // namespace koril::filesystem::platform
