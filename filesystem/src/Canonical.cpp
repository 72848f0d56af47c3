// The final path of an object and the resolution of "." and ".." elements.

#include "FinalPath.h"

#include "platform/Platform.h"

#include <koril/filesystem/Operations.h>

namespace koril::filesystem {

namespace detail {

namespace {

constexpr std::uint32_t firstCapacity = 260;
// The first call, and up to two more when the platform asks for a larger buffer.
constexpr int maximumCalls = 3;

std::wstring readFinalPath(platform::Handle handle) {
    std::wstring buffer(firstCapacity, L'\0');
    for (int call = 1; call <= maximumCalls; ++call) {
        auto const capacity = static_cast<std::uint32_t>(buffer.size());
        std::uint32_t const result =
            platform::getFinalPathNameByHandle(handle, buffer.data(), capacity);
        if (result == 0)
            return {};
        if (result <= capacity)
            return std::wstring(buffer.c_str());
        // Too short: `result` is the size needed, terminator included.
        buffer.assign(result, L'\0');
    }
    return {};
}

} // namespace

Path queryFinalPath(std::wstring const& native) {
    std::uint32_t const flags = platform::pathIsDirectory(native) ? platform::flagBackupSemantics
                                                                  : platform::attributeNormal;
    platform::Handle const handle = platform::createFile(
        native, platform::genericRead, platform::shareRead, platform::openExisting, flags);
    if (handle == platform::invalidHandle)
        return Path();
    std::wstring const finalPath = readFinalPath(handle);
    platform::closeHandle(handle);
    return Path(String(finalPath));
}

} // namespace detail

namespace {

// The result's text behind the long-path prefix, whatever form the result has. On Windows only a
// drive-absolute result names an object this way, so relative and UNC results are walked as text.
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
    if (platform::pathFileExists(probe))
        result = detail::queryFinalPath(probe);
}

} // namespace

Path canonical(Path const& path) {
    return detail::queryFinalPath(path.nativeString());
}

Path resolveDots(Path const& path) {
    Path result;
    for (Path const& element : path) {
        if (isElement(element, "..")) {
            std::wstring const probe = probeString(result);
            if (!isBareRootName(result) && platform::pathFileExists(probe))
                result = detail::queryFinalPath(probe).parentPath();
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
