#ifndef KORIL_FILESYSTEM_FILESTATUS_H
#define KORIL_FILESYSTEM_FILESTATUS_H

#include <koril/filesystem/Export.h>

#include <cstdint>

namespace koril::filesystem {

// What a path names, as far as the library can tell.
enum FileType : std::int32_t {
    FileNotFound = -1,    // the path could not be resolved at all
    StatusUnknown = 0,    // not known: the default, or the attribute query failed
    RegularFile = 1,      // neither directory nor reparse point
    DirectoryFile = 2,    // a directory that is not a reparse point
    SymbolicLinkFile = 3, // a reparse point, whatever else it is
};

// Owner permission bits in the POSIX manner. A status built from the platform's attributes
// carries 0600, 0400, 0700 or 0500; any other status carries `PermissionsUnknown`.
enum Permissions : std::uint32_t {
    NoPermissions = 0,
    OwnerRead = 0400,
    OwnerWrite = 0200,
    OwnerExecute = 0100,
    PermissionsUnknown = 0xFFFF,
};

constexpr Permissions operator|(Permissions a, Permissions b) {
    return static_cast<Permissions>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}
constexpr Permissions operator&(Permissions a, Permissions b) {
    return static_cast<Permissions>(static_cast<std::uint32_t>(a) & static_cast<std::uint32_t>(b));
}

// A type and a set of permissions. The setters store what they are given, unchecked.
class KORIL_FILESYSTEM_EXPORT FileStatus {
public:
    FileStatus(FileType type = StatusUnknown, Permissions permissions = PermissionsUnknown)
        : type_(type), permissions_(permissions) {}
    FileStatus(FileStatus const&) = default;
    FileStatus& operator=(FileStatus const&) = default;

    FileType getType() const { return type_; }
    void setType(FileType type) { type_ = type; }
    Permissions getPermissions() const { return permissions_; }
    void setPermissions(Permissions permissions) { permissions_ = permissions; }

private:
    FileType type_;
    Permissions permissions_;
};

} // namespace koril::filesystem

#endif
