// MS-DOS 8.3 short names, computed by string rules and numbered until they name nothing.

#include <koril/filesystem/Operations.h>

#include <string>
#include <utility>

namespace koril::filesystem {

namespace {

constexpr std::size_t maxBaseLength = 8;
constexpr std::size_t maxExtensionLength = 3;
// A base longer than eight characters keeps this many before its "~1".
constexpr std::size_t truncatedBaseLength = 6;

constexpr char keptPunctuation[] = "!#$&'()-@^_`{}~";

bool isKeptPunctuation(unsigned int c) {
    for (char const kept : keptPunctuation)
        if (kept != '\0' && c == static_cast<unsigned char>(kept))
            return true;
    return false;
}

// The character that `c` contributes to a short name: itself or its capital, or 0 when it is
// dropped. The full stop is handled by the caller.
unsigned int shortNameCharacter(unsigned int c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || isKeptPunctuation(c))
        return c;
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 'A';
    return 0;
}

Path withShortName(Path const& parent, String const& base, String const& extension) {
    String name = base;
    if (!extension.empty()) {
        name += '.';
        name += extension;
    }
    return parent / Path(std::move(name));
}

} // namespace

Path toDos8Dot3(Path const& path) {
    String const longName = path.filename().string();

    // Walking backwards keeps only the last full stop that has a kept character after it.
    String reversed;
    bool haveStop = false;
    for (auto it = longName.rbegin(); it != longName.rend(); ++it) {
        if (*it == '.') {
            if (!haveStop && !reversed.empty()) {
                reversed += '.';
                haveStop = true;
            }
        } else if (unsigned int const c = shortNameCharacter(*it)) {
            reversed += c;
        }
    }
    String const candidate(String::storage_type(reversed.rbegin(), reversed.rend()));

    String::size_type const stop = candidate.find('.');
    String base = candidate.substr(0, stop);
    String extension = stop == String::npos ? String() : candidate.substr(stop + 1);
    if (base.empty())
        base = String("FILE");
    unsigned long counter = 0;
    if (base.size() > maxBaseLength) {
        base = base.substr(0, truncatedBaseLength) + String("~1");
        counter = 1;
    }
    if (extension.size() > maxExtensionLength)
        extension = extension.substr(0, maxExtensionLength);

    Path const parent = path.parentPath();
    Path result = withShortName(parent, base, extension);
    while (exists(result)) {
        String const tail = String("~") + String(std::to_string(counter + 1));
        // From ~10000000 on the tail no longer fits: the last candidate is the answer.
        if (tail.size() > maxBaseLength)
            break;
        ++counter;
        if (base.size() < maxBaseLength)
            base.append(maxBaseLength - base.size(), '_');
        base.replace(maxBaseLength - tail.size(), tail.size(), tail);
        result = withShortName(parent, base, extension);
    }
    return result;
}

} // namespace koril::filesystem
