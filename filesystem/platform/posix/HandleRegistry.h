#ifndef KORIL_FILESYSTEM_PLATFORM_POSIX_HANDLEREGISTRY_H
#define KORIL_FILESYSTEM_PLATFORM_POSIX_HANDLEREGISTRY_H

// The file handles of the POSIX target and the process-wide registry that emulates Windows
// share modes and byte-range lock conflicts between them.

#include <cstdint>
#include <vector>

#include <sys/types.h>

namespace koril::filesystem::platform::posix {

// CreateFileW access rights and share flags beyond those of Platform.h.
constexpr std::uint32_t genericWrite = 0x40000000;
constexpr std::uint32_t genericExecute = 0x20000000;
constexpr std::uint32_t genericAll = 0x10000000;
constexpr std::uint32_t fileReadData = 0x1;
constexpr std::uint32_t fileWriteData = 0x2;
constexpr std::uint32_t fileAppendData = 0x4;
constexpr std::uint32_t fileExecute = 0x20;
constexpr std::uint32_t deleteAccess = 0x10000;
constexpr std::uint32_t shareDelete = 4;

// What an access mask does to a file, as Windows counts it for sharing: attribute access
// alone counts as nothing, and such an open neither checks nor restricts others.
struct AccessUse {
    bool read = false;
    bool write = false;
    bool remove = false;
    bool any() const { return read || write || remove; }
};
AccessUse accessUse(std::uint32_t access);

struct FileKey {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(FileKey const& other) const {
        return device == other.device && inode == other.inode;
    }
};

struct LockRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// What a platform `Handle` from `createFile` points to.
struct FileHandle {
    int fd = -1;
    // A read-write description of the same file, opened on demand to carry write locks when
    // `fd` is read-only; -1 until then.
    int lockFd = -1;
    FileKey key;
    std::uint32_t access = 0;
    std::uint32_t shareMode = 0;
    bool directory = false;
    bool writable = false;
    // Ranges locked through this handle; guarded by the registry.
    std::vector<LockRange> locks;
};

// The record behind a platform handle, or null with `errorInvalidHandle` for the null and the
// invalid handle.
FileHandle* fileHandleOf(void* handle);

// Registers `handle` unless its access or share mode conflicts with a handle of the same file
// that is registered already (the Windows rules); false on conflict, nothing registered.
bool admit(FileHandle& handle);
void withdraw(FileHandle& handle);
// Whether an open of the file `key` with this access and share mode would conflict now.
bool wouldConflict(FileKey key, std::uint32_t access, std::uint32_t shareMode);
// Whether any handle is registered; lets callers skip a `stat` when none is.
bool anyHandleOpen();

// Whether a descriptor of this process other than `exceptFd` and the registered handles'
// refers to `key`: a stream or another descriptor that the registry does not know. Always
// false where the process cannot list its descriptors.
bool openElsewhereInProcess(FileKey key, int exceptFd);

// Records `range` for `handle` if it overlaps no range locked through a handle of the same
// file (this one included) and `kernelLock` succeeds; false otherwise, with the last error set
// (`kernelLock` sets its own).
bool addLock(FileHandle& handle, LockRange range, bool (*kernelLock)(FileHandle&, LockRange));
// Forgets the range locked through `handle` that equals `range` after calling `kernelUnlock`;
// false with `errorNotLocked` when there is none.
bool removeLock(FileHandle& handle, LockRange range, void (*kernelUnlock)(FileHandle&, LockRange));

} // namespace koril::filesystem::platform::posix

#endif
