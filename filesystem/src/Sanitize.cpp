#include <koril/filesystem/Operations.h>

namespace koril::filesystem {

namespace {

bool isKept(unsigned int c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '\\')
        return true;
    switch (c) {
    case ' ':
    case '!':
    case '#':
    case '$':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '-':
    case '@':
    case '^':
    case '_':
    case '`':
    case '{':
    case '}':
    case '~':
    case '.':
        return true;
    default:
        return false;
    }
}

} // namespace

Path sanitize(Path const& path) {
    String text = path.string();
    for (auto& c : text)
        if (!isKept(c))
            c = '_';
    return Path(std::move(text));
}

} // namespace koril::filesystem
