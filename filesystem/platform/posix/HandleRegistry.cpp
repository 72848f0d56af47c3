// The registry of open file handles: share modes and lock conflicts within the process.

#include "platform/posix/HandleRegistry.h"

#include "platform/Platform.h"
#include "platform/posix/LastError.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <unordered_map>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace koril::filesystem::platform::posix {

namespace {

struct FileKeyHash {
    std::size_t operator()(FileKey const& key) const {
        return std::hash<unsigned long long>()(static_cast<unsigned long long>(key.inode) *
                                                   1000003u ^
                                               static_cast<unsigned long long>(key.device));
    }
};

struct Registry {
    std::mutex mutex;
    std::unordered_map<FileKey, std::vector<FileHandle*>, FileKeyHash> files;
    std::atomic<std::size_t> count{0};
};

Registry& registry() {
    static Registry instance;
    return instance;
}

// The Windows rule: each side's use must be shared by the other side.
bool conflicts(AccessUse newUse, std::uint32_t newShare, FileHandle const& old) {
    AccessUse const oldUse = accessUse(old.access);
    if (!newUse.any() || !oldUse.any())
        return false;
    return (newUse.read && (old.shareMode & shareRead) == 0) ||
           (newUse.write && (old.shareMode & shareWrite) == 0) ||
           (newUse.remove && (old.shareMode & shareDelete) == 0) ||
           (oldUse.read && (newShare & shareRead) == 0) ||
           (oldUse.write && (newShare & shareWrite) == 0) ||
           (oldUse.remove && (newShare & shareDelete) == 0);
}

bool overlaps(LockRange a, LockRange b) {
    // Lengths run to the end of the 64-bit offsets at most.
    std::uint64_t const aEnd = a.offset + std::min(a.length, ~a.offset);
    std::uint64_t const bEnd = b.offset + std::min(b.length, ~b.offset);
    return a.length != 0 && b.length != 0 && a.offset < bEnd && b.offset < aEnd;
}

} // namespace

FileHandle* fileHandleOf(void* handle) {
    if (handle == nullptr || handle == invalidHandle) {
        setLastError(errorInvalidHandle);
        return nullptr;
    }
    return static_cast<FileHandle*>(handle);
}

AccessUse accessUse(std::uint32_t access) {
    AccessUse use;
    use.read =
        (access & (genericRead | genericExecute | genericAll | fileReadData | fileExecute)) != 0;
    use.write = (access & (genericWrite | genericAll | fileWriteData | fileAppendData)) != 0;
    use.remove = (access & (genericAll | deleteAccess)) != 0;
    return use;
}

bool admit(FileHandle& handle) {
    Registry& files = registry();
    AccessUse const use = accessUse(handle.access);
    std::lock_guard<std::mutex> lock(files.mutex);
    std::vector<FileHandle*>& open = files.files[handle.key];
    for (FileHandle const* other : open) {
        if (conflicts(use, handle.shareMode, *other))
            return false;
    }
    open.push_back(&handle);
    files.count.fetch_add(1);
    return true;
}

void withdraw(FileHandle& handle) {
    Registry& files = registry();
    std::lock_guard<std::mutex> lock(files.mutex);
    auto const found = files.files.find(handle.key);
    if (found == files.files.end())
        return;
    std::vector<FileHandle*>& open = found->second;
    auto const position = std::find(open.begin(), open.end(), &handle);
    if (position == open.end())
        return;
    open.erase(position);
    files.count.fetch_sub(1);
    if (open.empty())
        files.files.erase(found);
}

bool wouldConflict(FileKey key, std::uint32_t access, std::uint32_t shareMode) {
    Registry& files = registry();
    if (files.count.load() == 0)
        return false;
    AccessUse const use = accessUse(access);
    std::lock_guard<std::mutex> lock(files.mutex);
    auto const found = files.files.find(key);
    if (found == files.files.end())
        return false;
    for (FileHandle const* other : found->second)
        if (conflicts(use, shareMode, *other))
            return true;
    return false;
}

bool anyHandleOpen() {
    return registry().count.load() != 0;
}

bool openElsewhereInProcess(FileKey key, int exceptFd) {
#ifdef __linux__
    std::vector<int> known{exceptFd};
    {
        Registry& files = registry();
        std::lock_guard<std::mutex> lock(files.mutex);
        auto const found = files.files.find(key);
        if (found != files.files.end()) {
            for (FileHandle const* handle : found->second) {
                known.push_back(handle->fd);
                known.push_back(handle->lockFd);
            }
        }
    }
    DIR* const descriptors = ::opendir("/proc/self/fd");
    if (descriptors == nullptr)
        return false;
    known.push_back(::dirfd(descriptors));
    bool found = false;
    while (dirent const* entry = ::readdir(descriptors)) {
        char* end = nullptr;
        long const fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0')
            continue; // "." and ".."
        if (std::find(known.begin(), known.end(), static_cast<int>(fd)) != known.end())
            continue;
        struct stat info;
        if (::fstat(static_cast<int>(fd), &info) == 0 && info.st_dev == key.device &&
            info.st_ino == key.inode) {
            found = true;
            break;
        }
    }
    ::closedir(descriptors);
    return found;
#else
    (void)key;
    (void)exceptFd;
    return false;
#endif
}

bool addLock(FileHandle& handle, LockRange range, bool (*kernelLock)(FileHandle&, LockRange)) {
    Registry& files = registry();
    std::lock_guard<std::mutex> lock(files.mutex);
    auto const found = files.files.find(handle.key);
    if (found != files.files.end()) {
        for (FileHandle const* other : found->second) {
            for (LockRange const& held : other->locks) {
                if (overlaps(held, range)) {
                    setLastError(errorLockViolation);
                    return false;
                }
            }
        }
    }
    if (!kernelLock(handle, range))
        return false;
    handle.locks.push_back(range);
    return true;
}

bool removeLock(FileHandle& handle, LockRange range, void (*kernelUnlock)(FileHandle&, LockRange)) {
    Registry& files = registry();
    std::lock_guard<std::mutex> lock(files.mutex);
    auto const position =
        std::find_if(handle.locks.begin(), handle.locks.end(), [&](LockRange const& held) {
            return held.offset == range.offset && held.length == range.length;
        });
    if (position == handle.locks.end()) {
        setLastError(errorNotLocked);
        return false;
    }
    kernelUnlock(handle, range);
    handle.locks.erase(position);
    return true;
}

} // namespace koril::filesystem::platform::posix
