#ifndef KORIL_FILESYSTEM_SRC_PATHLOCATION_H
#define KORIL_FILESYSTEM_SRC_PATHLOCATION_H

#include "platform/Platform.h"

#include <koril/filesystem/Path.h>

namespace koril::filesystem::detail {

// A caller's path in the form the platform's calls take, held for the duration of one
// operation, and usable wherever the platform takes a location.
class PathLocation {
public:
    explicit PathLocation(Path const& path) : native_(platform::nativeOf(path)) {}
    explicit PathLocation(std::wstring const& nativeString)
        : native_(platform::nativeOf(nativeString)) {}

    operator platform::Location() const { return platform::atPath(native_); }

private:
    platform::NativeName native_;
};

} // namespace koril::filesystem::detail

#endif
