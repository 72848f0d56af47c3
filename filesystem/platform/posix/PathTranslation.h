#ifndef KORIL_FILESYSTEM_PLATFORM_POSIX_PATHTRANSLATION_H
#define KORIL_FILESYSTEM_PLATFORM_POSIX_PATHTRANSLATION_H

// The boundary between the library's Windows-form paths and POSIX paths.

#include <string>

namespace koril::filesystem::platform::posix {

// The POSIX path that a Windows-form path names, or false when it names nothing here.
//
// The text is read up to its first NUL, as a Win32 call reads it. One long-path prefix `\\?\`
// is removed; what follows it must be a drive form or begin with a separator, as anything else
// (`\\?\UNC\...`, a relative text) names no file on Windows either. A drive form `T:` names
// the mapped directory (unmapped drives name nothing), and its rest lies below it. A leading
// separator gives that POSIX absolute path; two leading separators (UNC and device forms) name
// nothing. Anything else is relative to the current directory. `\` and `/` both separate;
// the units become WTF-8. A path that names nothing fails as a missing path does
// (`failNamesNothing`).
bool toPosixPath(std::wstring const& path, std::string& posixPath);

// The Windows form of an absolute POSIX path: under a mapped drive `T:\dir\file`, with `\\?\`
// in front when `longPathPrefix` is set (the shape of a final path); elsewhere `\dir\file`.
// Bytes that are not UTF-8 become U+FFFD.
std::wstring toWindowsPath(std::string const& absolutePath, bool longPathPrefix);

} // namespace koril::filesystem::platform::posix

#endif
