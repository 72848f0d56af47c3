#ifndef KORIL_FILESYSTEM_FILESTATUS_H
#define KORIL_FILESYSTEM_FILESTATUS_H

#include <koril/filesystem/Export.h>

#include <cstdint>

/// @file
/// The status record of a path: its type and its owner permissions.

namespace koril::filesystem {

/// What a path names, as far as the library can tell.
enum FileType : std::int32_t {
    FileNotFound = -1,    ///< The path could not be resolved at all.
    StatusUnknown = 0,    ///< Not known: the default, or the attribute query failed.
    RegularFile = 1,      ///< Neither a directory nor a reparse point.
    DirectoryFile = 2,    ///< A directory that is not a reparse point.
    SymbolicLinkFile = 3, ///< A reparse point (a symbolic link), whatever else it is.
};

/// Owner permission bits in the POSIX manner. A status built from the platform's attributes
/// carries 0600, 0400, 0700 or 0500 (read always; write unless the file is read-only; execute
/// for a directory or an executable extension); any other status carries `PermissionsUnknown`.
enum Permissions : std::uint32_t {
    NoPermissions = 0,           ///< No bit set.
    OwnerRead = 0400,            ///< The owner may read.
    OwnerWrite = 0200,           ///< The owner may write: the path is not read-only.
    OwnerExecute = 0100,         ///< The owner may execute (or, for a directory, search).
    PermissionsUnknown = 0xFFFF, ///< Not known: the status could not be read.
};

/// The union of two permission sets.
/// @param a One set.
/// @param b The other set.
/// @return The bits of both.
constexpr Permissions operator|(Permissions a, Permissions b) {
    return static_cast<Permissions>(static_cast<std::uint32_t>(a) | static_cast<std::uint32_t>(b));
}
/// The intersection of two permission sets.
/// @param a One set.
/// @param b The other set.
/// @return The bits that both hold.
constexpr Permissions operator&(Permissions a, Permissions b) {
    return static_cast<Permissions>(static_cast<std::uint32_t>(a) & static_cast<std::uint32_t>(b));
}

/// A type and a set of permissions, as `status` and `symbolicLinkStatus` report them. A plain
/// value: the setters store what they are given, unchecked, and nothing here reaches the disk.
/// Distinct objects may be used on different threads at once.
class KORIL_FILESYSTEM_EXPORT FileStatus {
public:
    /// A status of the given type and permissions.
    /// @param type The type; `StatusUnknown` by default.
    /// @param permissions The permissions; `PermissionsUnknown` by default.
    FileStatus(FileType type = StatusUnknown, Permissions permissions = PermissionsUnknown)
        : type_(type), permissions_(permissions) {}
    /// Copies both fields.
    FileStatus(FileStatus const&) = default;
    /// Copies both fields.
    /// @return This status.
    FileStatus& operator=(FileStatus const&) = default;

    /// @return The type.
    FileType getType() const { return type_; }
    /// Replaces the type.
    /// @param type The new type, stored unchecked.
    void setType(FileType type) { type_ = type; }
    /// @return The permissions.
    Permissions getPermissions() const { return permissions_; }
    /// Replaces the permissions stored here; nothing on disk changes.
    /// @param permissions The new permissions, stored unchecked.
    void setPermissions(Permissions permissions) { permissions_ = permissions; }

private:
    FileType type_;
    Permissions permissions_;
};

} // namespace koril::filesystem

#endif
