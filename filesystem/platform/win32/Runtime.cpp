// The runtime library's wide-character file functions on the Win32 target.

#include "platform/Platform.h"

#include <direct.h>
#include <io.h>
#include <share.h>
#include <stdio.h>
#include <sys/stat.h>
#include <wchar.h>

#include <cerrno>
#include <vector>

namespace koril::filesystem::platform {

int wmkdir(std::wstring const& path) {
    return _wmkdir(path.c_str());
}

int wrmdir(std::wstring const& path) {
    return _wrmdir(path.c_str());
}

int wrename(std::wstring const& from, std::wstring const& to) {
    return _wrename(from.c_str(), to.c_str());
}

int wchmod(std::wstring const& path, int mode) {
    return _wchmod(path.c_str(), mode);
}

int wchdir(std::wstring const& path) {
    return _wchdir(path.c_str());
}

bool wgetcwd(std::uint32_t capacity, std::wstring& directory, int& errorNumber) {
    std::vector<wchar_t> buffer(static_cast<std::size_t>(capacity) + 1, L'\0');
    errno = 0;
    if (_wgetcwd(buffer.data(), static_cast<int>(capacity)) == nullptr) {
        errorNumber = errno;
        return false;
    }
    directory.assign(buffer.data());
    return true;
}

std::FILE* wfopen(std::wstring const& path, std::wstring const& mode) {
    return _wfopen(path.c_str(), mode.c_str());
}

bool openFileBuffer(std::filebuf& buffer, std::wstring const& path, std::ios_base::openmode mode) {
    // libstdc++ opens wide paths with _wfopen, whose sharing is _SH_DENYNO.
    return buffer.open(path.c_str(), mode) != nullptr;
}

} // namespace koril::filesystem::platform
