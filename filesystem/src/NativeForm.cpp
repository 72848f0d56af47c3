// The UTF-16 form of a path that the platform receives.

#include <koril/filesystem/Operations.h>
#include <koril/filesystem/Path.h>

namespace koril::filesystem {

namespace {

constexpr unsigned int backslash = 92;
constexpr unsigned int dot = 46;

// ".\" or ".." anywhere in the text: only then can resolving the dots change it.
bool mayHoldDotElements(String const& text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (text[i] == dot && (text[i + 1] == dot || text[i + 1] == backslash))
            return true;
    return false;
}

// The long-path form of a text that begins with two separators and has more behind them is the
// UNC one; a shorter text keeps the plain prefix.
bool takesUncPrefix(String const& text) {
    return text.size() > 3 && text[0] == backslash && text[1] == backslash;
}

std::wstring longPathForm(Path const& path) {
    String const& text = path.string();
    bool const unc = takesUncPrefix(text);
    bool const resolve = mayHoldDotElements(text);
    Path const resolved = resolve ? resolveDots(path) : Path();
    String const& prefixed = resolve ? resolved.string() : text;
    std::wstring native = unc ? L"\\\\?\\UNC\\" : L"\\\\?\\";
    native += unc ? prefixed.substr(2).toNativeString() : prefixed.toNativeString();
    return native;
}

} // namespace

std::wstring Path::nativeString() const {
    if (!nativeCache_)
        nativeCache_ = isAbsolute() ? longPathForm(*this) : text_.toNativeString();
    return *nativeCache_;
}

} // namespace koril::filesystem
