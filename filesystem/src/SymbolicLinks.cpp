// Creating symbolic links: the one operation that reports a platform failure by throwing.

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

#include <stdexcept>
#include <string>

namespace koril::filesystem {

bool createSymbolicLink(Path const& target, Path const& link) {
    std::uint32_t error = 0;
    if (platform::createSymbolicLink(target, link, error))
        return true;
    throw std::logic_error("createSymbolicLink: GetLastError() = " + std::to_string(error));
}

} // namespace koril::filesystem
