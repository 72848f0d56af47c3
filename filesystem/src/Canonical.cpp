// The final path of an object and the resolution of "." and ".." elements.

#include "PathLocation.h"

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

namespace koril::filesystem {

namespace {

// The result's text behind the long-path prefix, whatever form the result has. On Windows only a
// drive-absolute result names an object this way, so relative and UNC results are walked as
// text, as Windows itself reads ".." in them. On POSIX a result that begins with a separator
// names an object too, so ".." after a link leaves the link's target, as the kernel reads it.
std::wstring probeString(Path const& result) {
    return String(std::wstring(L"\\\\?\\")).append(result.string()).toNativeString();
}

bool isBareRootName(Path const& result) {
    return !result.empty() && result.relativePath().empty() && result.rootDirectory().empty();
}

bool isElement(Path const& element, char const* text) {
    String const& s = element.string();
    std::size_t i = 0;
    for (; text[i] != '\0'; ++i)
        if (i >= s.size() || s[i] != static_cast<unsigned char>(text[i]))
            return false;
    return i == s.size();
}

// Replaces `result` by its final path when it names an existing object. A bare root name
// ("C:") is left as it is: its probe names the volume rather than a directory.
void replaceByFinalPath(Path& result) {
    if (isBareRootName(result))
        return;
    std::wstring const probe = probeString(result);
    if (platform::exists(detail::PathLocation(probe)))
        result = platform::finalPath(probe);
}

} // namespace

Path canonical(Path const& path) {
    return platform::finalPath(path.nativeString());
}

Path resolveDots(Path const& path) {
    Path result;
    for (Path const& element : path) {
        if (isElement(element, "..")) {
            std::wstring const probe = probeString(result);
            if (!isBareRootName(result) && platform::exists(detail::PathLocation(probe)))
                result = platform::finalPath(probe).parentPath();
            else
                result = result.parentPath();
        } else if (!isElement(element, ".")) {
            result /= element;
        }
        replaceByFinalPath(result);
    }
    if (!path.empty() && path.string().back() == U'\\')
        result.appendSeparator();
    return result;
}

} // namespace koril::filesystem
