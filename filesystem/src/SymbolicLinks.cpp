// Creating symbolic links: the one operation that reports a platform failure by throwing.

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

#include <stdexcept>
#include <string>

namespace koril::filesystem {

bool createSymbolicLink(Path const& target, Path const& link) {
    std::wstring const nativeTarget = target.nativeString();
    std::uint32_t const flags =
        platform::pathIsDirectory(nativeTarget) ? platform::symbolicLinkFlagDirectory : 0;
    if (platform::createSymbolicLink(link.nativeString(), nativeTarget, flags))
        return true;
    throw std::logic_error("createSymbolicLink: GetLastError() = " +
                           std::to_string(platform::getLastError()));
}

} // namespace koril::filesystem
