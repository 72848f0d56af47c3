#ifndef KORIL_FILESYSTEM_PLATFORM_PLATFORM_H
#define KORIL_FILESYSTEM_PLATFORM_PLATFORM_H

// The one door to the operating system. Each function wraps one Win32, shell or runtime-library
// call and keeps that call's contract: `win32/` makes the real call, `posix/` emulates it as
// closely as POSIX allows (see docs/posix.md). Strings are UTF-16, one unit per `wchar_t`, on
// both targets. Nothing above this layer includes a system header.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

namespace koril::filesystem::platform {

using Handle = void*;
// INVALID_HANDLE_VALUE.
inline Handle const invalidHandle = reinterpret_cast<Handle>(~std::uintptr_t(0));

// File attribute bits, with their Win32 values.
constexpr std::uint32_t attributeReadOnly = 0x1;
constexpr std::uint32_t attributeDirectory = 0x10;
constexpr std::uint32_t attributeNormal = 0x80;
constexpr std::uint32_t attributeReparsePoint = 0x400;
constexpr std::uint32_t invalidFileAttributes = 0xFFFFFFFF;

// CreateFileW arguments.
constexpr std::uint32_t genericRead = 0x80000000;
constexpr std::uint32_t fileWriteAttributes = 0x100;
constexpr std::uint32_t shareNone = 0;
constexpr std::uint32_t shareRead = 1;
constexpr std::uint32_t shareWrite = 2;
constexpr std::uint32_t openExisting = 3;
constexpr std::uint32_t flagBackupSemantics = 0x02000000;

constexpr std::uint32_t symbolicLinkFlagDirectory = 0x1;

// `_S_IWRITE`, the mode bit of `wchmod`.
constexpr int modeWrite = 0x80;
// The `errno` value of a buffer that is too small.
constexpr int errorRange = 34;

// The length limits this platform imposes, in UTF-16 units of the native string (prefix
// included) unless said otherwise.
struct PathLengthLimits {
    int classicPath;          // the path limit without long path names
    int longPath;             // the path limit with long path names
    std::size_t relativeText; // code points of a relative path's text
    int fallbackName;         // a name's limit when the volume cannot be asked
};
PathLengthLimits const& pathLengthLimits();

// GetFileAttributesExW (GetFileExInfoStandard): true when the call returns TRUE.
struct FileAttributeData {
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
    // FILETIME: 100-ns ticks since 1601-01-01 UTC.
    std::uint64_t lastWriteTime = 0;
};
bool getFileAttributesEx(std::wstring const& path, FileAttributeData& data);
// GetFileAttributesW: the attribute word, or `invalidFileAttributes`.
std::uint32_t getFileAttributes(std::wstring const& path);
// PathFileExistsW returned 1 (the string is taken up to its first NUL).
bool pathFileExists(std::wstring const& path);
// PathIsDirectoryW returned non-zero.
bool pathIsDirectory(std::wstring const& path);

// CreateFileW with no security attributes and no template: the handle, or `invalidHandle`.
Handle createFile(std::wstring const& path, std::uint32_t access, std::uint32_t shareMode,
                  std::uint32_t disposition, std::uint32_t flags);
void closeHandle(Handle handle);
// GetFinalPathNameByHandleW with flags 0 into `buffer` of `capacity` units: what the call
// returns (the length written, or the size needed including the terminator, or 0).
std::uint32_t getFinalPathNameByHandle(Handle handle, wchar_t* buffer, std::uint32_t capacity);
// GetFileTime / SetFileTime of the last-write time only: true when the call returns 1.
bool getFileTime(Handle handle, std::uint64_t& lastWriteTime);
bool setFileTime(Handle handle, std::uint64_t lastWriteTime);
// LockFile / UnlockFile: true when the call succeeds.
bool lockFile(Handle handle, std::uint32_t offsetLow, std::uint32_t offsetHigh,
              std::uint32_t lengthLow, std::uint32_t lengthHigh);
bool unlockFile(Handle handle, std::uint32_t offsetLow, std::uint32_t offsetHigh,
                std::uint32_t lengthLow, std::uint32_t lengthHigh);

// One record of a directory search: the attribute word and `cFileName` up to its NUL.
struct FindData {
    std::uint32_t attributes = 0;
    std::wstring name;
};
// FindFirstFileExW (FindExInfoBasic, FindExSearchNameMatch, no filter, flags 0): the search
// handle, or `invalidHandle`.
Handle findFirstFile(std::wstring const& pattern, FindData& data);
bool findNextFile(Handle search, FindData& data);
void findClose(Handle search);

// CopyFileW / DeleteFileW / CreateSymbolicLinkW: true when the call returns non-zero.
bool copyFile(std::wstring const& from, std::wstring const& to, bool failIfExists);
bool deleteFile(std::wstring const& path);
bool createSymbolicLink(std::wstring const& link, std::wstring const& target,
                        std::uint32_t flags);
// GetLastError.
std::uint32_t getLastError();

// GetVolumeInformationW asking only for the maximum component length: true when it returns 1.
bool getVolumeMaximumComponentLength(std::wstring const& rootPath, std::uint32_t& length);
// GetTempPathW into a buffer of `capacity` units: the call's result; `path` receives the
// buffer's text up to its NUL.
std::uint32_t getTempPath(std::uint32_t capacity, std::wstring& path);

// SYSTEMTIME.
struct SystemTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t dayOfWeek = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t milliseconds = 0;
};
// FileTimeToSystemTime, SystemTimeToFileTime, SystemTimeToTzSpecificLocalTime and
// TzSpecificLocalTimeToSystemTime (the current time zone): true when the call returns 1.
bool fileTimeToSystemTime(std::uint64_t fileTime, SystemTime& utc);
bool systemTimeToFileTime(SystemTime const& time, std::uint64_t& fileTime);
bool systemTimeToTzSpecificLocalTime(SystemTime const& utc, SystemTime& local);
bool tzSpecificLocalTimeToSystemTime(SystemTime const& local, SystemTime& utc);
// _time64, _localtime64 (false when it has no result) and _mktime64 (-1 on failure; it
// normalises `time` as the runtime does).
long long time64();
bool localtime64(long long seconds, std::tm& local);
long long mktime64(std::tm& local);

// Runtime-library calls: 0 on success, as the runtime returns.
int wmkdir(std::wstring const& path);
int wrmdir(std::wstring const& path);
// Never replaces an existing destination.
int wrename(std::wstring const& from, std::wstring const& to);
int wchmod(std::wstring const& path, int mode);
int wchdir(std::wstring const& path);
// _wgetcwd into a buffer of `capacity` units: true with the directory in `directory`, or false
// with the runtime's error number in `errorNumber` (`errorRange` when the buffer is too small).
bool wgetcwd(std::uint32_t capacity, std::wstring& directory, int& errorNumber);
// _wfopen.
std::FILE* wfopen(std::wstring const& path, std::wstring const& mode);
// Opens `buffer` on a wide path with the standard open mode and sharing that lets other handles
// read and write (_SH_DENYNO): true when it opened.
bool openFileBuffer(std::filebuf& buffer, std::wstring const& path, std::ios_base::openmode mode);
// _wsplitpath_s with every buffer one element longer than the text.
struct SplitPath {
    std::wstring drive;
    std::wstring directory;
    std::wstring fileName;
    std::wstring extension;
};
bool splitPath(std::wstring const& path, SplitPath& parts);

} // namespace koril::filesystem::platform

#endif
