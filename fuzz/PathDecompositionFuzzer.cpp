// Path decomposition and element iteration.
//
// Input: one text, stored as a path `p` with text `t`. The walk must end (at most one element
// per code point, plus the root directory and a final "."), and re-joining its elements must
// give `t` in the sense the iteration rules allow. Exactly, with `rn` the root name of `t` and
// `rest` the text after it:
// - the first element is `rn` when that is not empty;
// - an element `\` right after it is the root directory; it stands for the first code point of
//   `rest`, which is a separator except in texts such as `C:a:\b`, where the root-directory step
//   finds the separator after the second colon but steps over the `a`;
// - the other elements are names, without separators, joined by one separator each;
// - a final "." may stand for a trailing separator;
// - runs of separators after `rn` collapse: the joined text and `t`, each with every run of
//   separators after `rn` shrunk to one, are equal. (So `\\\x` gives `\`, an empty name, `x`.)
// Texts that begin with the long-path prefix (a path given it twice) are left out: the walk
// normalises its range once more and sees a different text.
//
// Decomposition: `rootPath` is `rootName` followed by `rootDirectory` (`\` or empty), and the
// three predicates agree with them; root name and parent are prefixes of `t`, the relative path
// and (for a text without trailing separator) the file name suffixes; the parent is shorter than
// `t`; the file name of a text with a trailing separator is "." or `\`; stem and extension
// make up the file name unless it ends with "." or the text's last "." lies before it (in a
// drive such as ".:"); `replaceExtension` keeps the text before the
// extension and gives the new extension. The file name and parent of some shapes come from the
// runtime's path splitter, which works on the UTF-16 form up to the first NUL, as Windows' does:
// those checks leave out texts that do not survive that trip: with a NUL, a value beyond
// U+10FFFF (U+FFFD in UTF-16) or a high surrogate followed by a low one (which UTF-16 reads back
// as one code point).

#include "FuzzInput.h"
#include "TextOracle.h"

#include <koril/filesystem/Path.h>

#include <vector>

namespace {

using koril::filesystem::Path;
using koril::fuzz::describe;
using koril::fuzz::endsWith;
using koril::fuzz::startsWith;
using koril::unicode::String;

constexpr unsigned int kSeparator = '\\';

String collapsed(String const& text) {
    String out;
    for (unsigned int const c : text)
        if (c != kSeparator || out.empty() || out.back() != kSeparator)
            out += c;
    return out;
}

std::vector<String> elementsOf(Path const& path) {
    std::vector<String> elements;
    std::size_t const limit = path.size() + 2;
    for (auto it = path.begin(); it != path.end(); ++it) {
        elements.push_back(it->string());
        KORIL_FUZZ_CHECK(elements.size() <= limit, describe(path.string()) + " does not end");
    }
    return elements;
}

void checkIteration(Path const& path) {
    String const& text = path.string();
    std::vector<String> const elements = elementsOf(path);
    KORIL_FUZZ_CHECK(elements.empty() == text.empty(), describe(text));
    if (text.empty())
        return;

    String const rootName = path.rootName().string();
    String const rest = text.substr(rootName.size());
    std::size_t next = 0;
    if (!rootName.empty()) {
        KORIL_FUZZ_CHECK(elements[0] == rootName, describe(text));
        next = 1;
    }
    bool const rootDirectoryExpected = !Path(collapsed(rest)).rootDirectory().empty();
    String joined = rootName;
    if (rootDirectoryExpected) {
        KORIL_FUZZ_CHECK(next < elements.size() && elements[next] == String("\\"), describe(text));
        joined += kSeparator;
        ++next;
    }
    for (std::size_t i = next; i < elements.size(); ++i) {
        KORIL_FUZZ_CHECK(elements[i].find(kSeparator) == String::npos,
                         describe(text) + " has the name " + describe(elements[i]));
        if (i > next)
            joined += kSeparator;
        joined += elements[i];
    }

    String const expected =
        rootName + collapsed(rootDirectoryExpected ? kSeparator + rest.substr(1) : rest);
    auto const joinsTo = [&](String const& candidate) {
        return rootName + collapsed(candidate.substr(rootName.size())) == expected;
    };
    // A final "." read as the trailing separator before it.
    bool const matches =
        joinsTo(joined) || (elements.size() > next && elements.back() == String(".") &&
                            joinsTo(joined.substr(0, joined.size() - 1)));
    KORIL_FUZZ_CHECK(matches, describe(text) + " re-joined as " + describe(joined));
}

bool splitterReadsWhole(String const& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned int const c = text[i];
        bool const pair = koril::fuzz::isHighSurrogate(c) && i + 1 < text.size() &&
                          koril::fuzz::isLowSurrogate(text[i + 1]);
        if (c == 0 || c > 0x10FFFF || pair)
            return false;
    }
    return true;
}

void checkRoots(Path const& path) {
    String const& text = path.string();
    String const rootName = path.rootName().string();
    String const rootDirectory = path.rootDirectory().string();
    KORIL_FUZZ_CHECK(rootDirectory.empty() || rootDirectory == String("\\"), describe(text));
    KORIL_FUZZ_CHECK(path.isAbsolute() == !rootName.empty(), describe(text));
    KORIL_FUZZ_CHECK(path.isRelative() == rootName.empty(), describe(text));
    KORIL_FUZZ_CHECK(path.isComplete() == !rootDirectory.empty(), describe(text));
    KORIL_FUZZ_CHECK(startsWith(text, rootName), describe(text));
}

void checkParts(Path const& path) {
    String const& text = path.string();
    String const rootName = path.rootName().string();
    String const rootDirectory = path.rootDirectory().string();
    String const relative = path.relativePath().string();
    KORIL_FUZZ_CHECK(endsWith(text, relative), describe(text));
    KORIL_FUZZ_CHECK(relative.empty() || relative.front() != kSeparator, describe(text));
    if (rootName.empty() && rootDirectory.empty()) {
        KORIL_FUZZ_CHECK(relative == text, describe(text));
    }

    Path replaced(path);
    replaced.replaceExtension(Path("txt"));
    String const& result = replaced.string();
    KORIL_FUZZ_CHECK(endsWith(result, String(".txt")), describe(text));
    String const kept = result.substr(0, result.size() - 4);
    String const removed = text.substr(kept.size());
    KORIL_FUZZ_CHECK(startsWith(text, kept), describe(text) + " became " + describe(result));
    KORIL_FUZZ_CHECK(removed.empty() ||
                         (removed.front() == '.' && removed.find(kSeparator) == String::npos),
                     describe(text) + " became " + describe(result));
    KORIL_FUZZ_CHECK(replaced.extension().string() == String(".txt"), describe(text));

    if (!splitterReadsWhole(text))
        return;
    String const parent = path.parentPath().string();
    KORIL_FUZZ_CHECK(startsWith(text, parent),
                     describe(text) + " has the parent " + describe(parent));
    KORIL_FUZZ_CHECK(text.empty() || parent.size() < text.size(), describe(text));

    String const name = path.filename().string();
    bool const trailingSeparator = !text.empty() && text.back() == kSeparator;
    if (trailingSeparator) {
        KORIL_FUZZ_CHECK(name == String(".") || name == String("\\"), describe(text));
    } else {
        KORIL_FUZZ_CHECK(endsWith(text, name),
                         describe(text) + " has the file name " + describe(name));
        KORIL_FUZZ_CHECK(text.empty() || !name.empty(), describe(text));
    }
    auto const lastDot = text.find_last_of('.');
    bool const extensionInName = lastDot == String::npos || lastDot >= text.size() - name.size();
    if (!trailingSeparator && !name.empty() && name.back() != '.' && extensionInName) {
        String const stem = path.stem().string();
        String const extension = path.extension().string();
        KORIL_FUZZ_CHECK(stem + extension == name,
                         describe(text) + ": " + describe(stem) + " + " + describe(extension));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    Path const path(koril::fuzz::textOf(std::string(reinterpret_cast<char const*>(data), size)));
    checkRoots(path);
    if (startsWith(path.string(), String("\\\\?\\"))) {
        elementsOf(path); // only the end of the walk is checked
        return 0;
    }
    checkIteration(path);
    checkParts(path);
    return 0;
}
