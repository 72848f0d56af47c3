// Windows-form paths to POSIX paths and back.

#include "platform/posix/PathTranslation.h"

#include "platform/posix/DriveTable.h"
#include "platform/posix/LastError.h"
#include "platform/posix/Wtf8.h"

namespace koril::filesystem::platform::posix {

namespace {

constexpr bool isSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

constexpr bool isAsciiLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

// The translation proper; false when the path names nothing.
bool translate(std::wstring const& path, std::string& posixPath) {
    wchar_t const* text = path.c_str();
    std::size_t size = path.find(L'\0');
    if (size == std::wstring::npos)
        size = path.size();
    posixPath.clear();

    bool const prefixed =
        size >= 4 && text[0] == L'\\' && text[1] == L'\\' && text[2] == L'?' && text[3] == L'\\';
    if (prefixed) {
        text += 4;
        size -= 4;
    }
    if (size >= 2 && isAsciiLetter(text[0]) && text[1] == L':') {
        if (!mappedDirectory(static_cast<unsigned int>(text[0]), posixPath))
            return false;
        text += 2;
        size -= 2;
        if (size == 0)
            return true;
        if (posixPath.back() != '/')
            posixPath.push_back('/');
        if (isSeparator(text[0])) {
            ++text;
            --size;
        }
        appendWtf8(text, size, true, posixPath);
        return true;
    }
    if (size >= 2 && isSeparator(text[0]) && isSeparator(text[1]))
        return false; // UNC and device forms
    if (prefixed && (size == 0 || !isSeparator(text[0])))
        return false;
    appendWtf8(text, size, true, posixPath);
    return true;
}

} // namespace

bool toPosixPath(std::wstring const& path, std::string& posixPath) {
    if (translate(path, posixPath))
        return true;
    failNamesNothing();
    return false;
}

std::wstring toWindowsPath(std::string const& absolutePath, bool longPathPrefix) {
    std::wstring result;
    DriveMatch const drive = findDrive(absolutePath);
    std::size_t restStart = 0;
    if (drive.letter != 0) {
        if (longPathPrefix)
            result = L"\\\\?\\";
        result.push_back(static_cast<wchar_t>(drive.letter));
        result.push_back(L':');
        restStart = drive.prefixLength;
        if (restStart == absolutePath.size())
            result.push_back(L'\\');
    }
    result.reserve(result.size() + absolutePath.size() - restStart);
    appendUtf16(absolutePath.data() + restStart, absolutePath.size() - restStart, true, result);
    return result;
}

} // namespace koril::filesystem::platform::posix
