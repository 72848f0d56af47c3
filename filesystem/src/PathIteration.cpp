#include <koril/filesystem/Path.h>

#include <iterator>

namespace koril::filesystem {

namespace {

using Iterator = String::const_iterator;
using Info = koril::unicode::TokenInfo<Path, Iterator>;

constexpr unsigned int kSeparator = 92;

enum State : std::uint32_t { kRootName = 0, kRootDirectory = 1, kNames = 2, kFinished = 3 };

// A run of separators shrinks to its last one.
Iterator collapse(Iterator first, Iterator last) {
    while (std::distance(first, last) >= 2 && *first == kSeparator &&
           *std::next(first) == kSeparator)
        ++first;
    return first;
}

} // namespace

PathIterator Path::begin() const {
    return PathIterator(text_.cbegin(), text_.cend(), PathIteratorExtractorFunc());
}

PathIterator Path::end() const {
    return PathIterator(text_.cend(), text_.cend(), PathIteratorExtractorFunc());
}

Info PathIteratorExtractorFunc::operator()(Iterator first, Iterator last) {
    if (state == kFinished)
        return Info{Path(), last, true};
    if (state == kRootName) {
        state = kRootDirectory;
        Path rootName = Path(String(first, last)).rootName();
        if (!rootName.empty()) {
            first = collapse(first + static_cast<std::ptrdiff_t>(rootName.size()), last);
            return Info{std::move(rootName), first, first == last};
        }
    }
    if (state == kRootDirectory) {
        state = kNames;
        Path rootDirectory = Path(String(first, last)).rootDirectory();
        if (!rootDirectory.empty()) {
            first = collapse(first + 1, last);
            return Info{std::move(rootDirectory), first, first == last};
        }
    }
    Iterator const start = first;
    while (first != last && *first != kSeparator)
        ++first;
    if (first != last) {
        Iterator next = std::next(first);
        while (next != last && *next == kSeparator)
            ++next;
        return Info{Path(String(start, first)), next, false};
    }
    if (start == last) {
        state = kFinished;
        return Info{Path("."), last, false};
    }
    return Info{Path(String(start, last)), last, true};
}

} // namespace koril::filesystem
