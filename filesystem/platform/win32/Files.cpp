// Creating, removing, copying, renaming and linking.

#include "platform/win32/Handles.h"

#include <sys/stat.h>

namespace koril::filesystem::platform {

bool makeDirectory(Location location) {
    return win32::systemCalls._wmkdir(win32::nativeOf(location).c_str()) == 0;
}

bool removeDirectory(Location location) {
    return win32::systemCalls._wrmdir(win32::nativeOf(location).c_str()) == 0;
}

bool removeFile(Location location) {
    return win32::systemCalls.DeleteFileW(win32::nativeOf(location).c_str()) != 0;
}

bool removeEntry(Location location) {
    if (!exists(location))
        return false;
    if (isDirectory(location))
        return removeDirectory(location);
    return removeFile(location);
}

bool copyFile(Location from, Location to, bool failIfExists, bool followLinks) {
    std::wstring const source = win32::nativeOf(from);
    if (!followLinks) {
        Attributes attributes;
        if (queryAttributes(from, attributes) &&
            (attributes.bits & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
            return false;
    }
    return win32::systemCalls.CopyFileW(source.c_str(), win32::nativeOf(to).c_str(),
                                        failIfExists ? TRUE : FALSE) != 0;
}

bool rename(Location from, Location to) {
    return win32::systemCalls._wrename(win32::nativeOf(from).c_str(),
                                       win32::nativeOf(to).c_str()) == 0;
}

bool setWritable(Location location, bool writable) {
    return win32::systemCalls._wchmod(win32::nativeOf(location).c_str(),
                                      writable ? _S_IWRITE : 0) == 0;
}

bool createSymbolicLink(Path const& target, Path const& link, std::uint32_t& error) {
    std::wstring const targetNative = target.nativeString();
    // Windows must be told whether the link stands for a directory.
    DWORD const flags = win32::systemCalls.PathIsDirectoryW(targetNative.c_str()) != 0
                            ? SYMBOLIC_LINK_FLAG_DIRECTORY
                            : 0;
    if (win32::systemCalls.CreateSymbolicLinkW(link.nativeString().c_str(), targetNative.c_str(),
                                               flags) != 0)
        return true;
    error = win32::systemCalls.GetLastError();
    return false;
}

} // namespace koril::filesystem::platform
