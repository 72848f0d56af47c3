#ifndef KORIL_TOOLS_KFS_OUTPUT_H
#define KORIL_TOOLS_KFS_OUTPUT_H

// Everything kfs writes: UTF-8 lines on standard output, one-line errors on standard error, and
// the text forms of the library's values.

#include <koril/filesystem/FileStatus.h>
#include <koril/filesystem/Operations.h>
#include <koril/filesystem/Path.h>

#include <array>
#include <string>

namespace kfs {

using koril::filesystem::FileType;
using koril::filesystem::Path;
using koril::filesystem::Permissions;
using koril::unicode::String;

// Writes `text` and a line feed to standard output.
void printLine(std::string const& text);
// Writes `text` as it is.
void printText(std::string const& text);
// Writes `label: value`, or `label: (empty)` when the value is empty.
void printField(std::string const& label, std::string const& value);
// Writes "kfs: " and `message` as one line on standard error; line breaks inside the message are
// shown as '?', so that an odd file name cannot split the line.
void printError(std::string const& message);
// Flushes standard output (before waiting for input, or before another process reads it).
void flushOutput();

std::string utf8(String const& text);
std::string utf8(Path const& path);
// A UTF-16 string such as a native string.
std::string utf8(std::wstring const& text);

// "file", "directory", "symlink", "unknown" or "not found".
std::string typeName(FileType type);
// Four octal digits ("0600"), or "unknown" for `PermissionsUnknown`.
std::string permissionsText(Permissions permissions);
// The owner bits with their names ("read", "write", "execute"), in that order.
struct PermissionName {
    Permissions bit;
    char const* name;
};
std::array<PermissionName, 3> const& permissionNames();
std::string boolText(bool value);
std::string yesNo(bool value);

} // namespace kfs

#endif
