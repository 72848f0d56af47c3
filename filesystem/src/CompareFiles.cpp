// Content comparison of two files.

#include "PathLocation.h"

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

namespace koril::filesystem {

bool compareFiles(Path const& a, Path const& b) {
    return platform::compareFiles(detail::PathLocation(a), detail::PathLocation(b));
}

} // namespace koril::filesystem
