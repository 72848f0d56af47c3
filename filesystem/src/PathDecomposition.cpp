#include <koril/filesystem/Path.h>

#include "platform/Platform.h"

#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace koril::filesystem {

namespace {

constexpr unsigned int kSeparator = 92;
constexpr unsigned int kColon = ':';
constexpr unsigned int kDot = '.';

bool isUncText(String const& t) {
    return t.size() >= 3 && t[0] == kSeparator && t[1] == kSeparator && t[2] != kSeparator;
}

bool endsWith(String const& t, unsigned int c) {
    return !t.empty() && t.back() == c;
}
bool beginsWith(String const& t, unsigned int c) {
    return !t.empty() && t.front() == c;
}

String separatorText() {
    return String(1, kSeparator);
}

String rootNameOf(String const& t) {
    if (isUncText(t)) {
        auto const end = t.find(kSeparator, 2);
        return end == String::npos ? t : t.substr(0, end);
    }
    auto const colon = t.find(kColon);
    return colon == String::npos ? String() : t.substr(0, colon + 1);
}

bool hasRootDirectory(String const& t) {
    if (isUncText(t))
        return t.find(kSeparator, 2) != String::npos;
    if (beginsWith(t, kSeparator))
        return true;
    auto const colon = t.find(kColon);
    return colon != String::npos && colon + 1 < t.size() && t[colon + 1] == kSeparator;
}

constexpr std::size_t kBlock = 8;

// Whether one of the `kBlock` code points at `block` is `a` or `b`.
#if defined(__SSE2__)
bool blockHolds(unsigned int const* block, unsigned int a, unsigned int b) {
    __m128i const wantA = _mm_set1_epi32(static_cast<int>(a));
    __m128i const wantB = _mm_set1_epi32(static_cast<int>(b));
    __m128i const low = _mm_loadu_si128(reinterpret_cast<__m128i const*>(block));
    __m128i const high = _mm_loadu_si128(reinterpret_cast<__m128i const*>(block + 4));
    __m128i const found =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(low, wantA), _mm_cmpeq_epi32(low, wantB)),
                     _mm_or_si128(_mm_cmpeq_epi32(high, wantA), _mm_cmpeq_epi32(high, wantB)));
    return _mm_movemask_epi8(found) != 0;
}
#else
bool blockHolds(unsigned int const* block, unsigned int a, unsigned int b) {
    unsigned int found = 0;
    for (std::size_t k = 0; k < kBlock; ++k)
        found |=
            static_cast<unsigned int>(block[k] == a) | static_cast<unsigned int>(block[k] == b);
    return found != 0;
}
#endif

// The position of the last code point before `end` that is `a` or `b`, or npos. Whole blocks
// that hold neither are skipped: file names run to dozens of code points, and a test per code
// point was most of what a name query cost.
String::size_type findLast(String const& t, String::size_type end, unsigned int a, unsigned int b) {
    unsigned int const* const text = t.data();
    for (auto i = end; i > 0;) {
        auto const blockStart = i >= kBlock ? i - kBlock : 0;
        if (i - blockStart == kBlock && !blockHolds(text + blockStart, a, b)) {
            i = blockStart;
            continue;
        }
        while (i > blockStart) {
            --i;
            if (text[i] == a || text[i] == b)
                return i;
        }
    }
    return String::npos;
}

// The position of the last separator, or npos; with `dot`, the position of the last '.' after
// it, or npos.
String::size_type lastSeparator(String const& t, String::size_type* dot = nullptr) {
    if (dot == nullptr)
        return findLast(t, t.size(), kSeparator, kSeparator);
    auto const last = findLast(t, t.size(), kSeparator, kDot);
    if (last == String::npos || t[last] == kSeparator) {
        *dot = String::npos;
        return last;
    }
    *dot = last;
    return findLast(t, last, kSeparator, kSeparator);
}

// Where the extension starts: the last '.' when it lies after the last separator, else the end.
String::size_type extensionPosition(String const& t) {
    String::size_type dot = String::npos;
    lastSeparator(t, &dot);
    return dot != String::npos ? dot : t.size();
}

struct Parts {
    String drive;
    String directory;
    String fileName;
    String extension;
};

bool split(String const& t, Parts& parts) {
    platform::SplitPath split;
    if (!platform::splitPath(t, split))
        return false;
    parts.drive = std::move(split.drive);
    parts.directory = std::move(split.directory);
    parts.fileName = std::move(split.fileName);
    parts.extension = std::move(split.extension);
    return true;
}

String filenameOf(String const& t) {
    if (t.empty())
        return String();
    if (t.size() == 1 && t[0] == kSeparator)
        return t;
    bool const trailingSeparator = endsWith(t, kSeparator);
    if (!trailingSeparator) {
        auto const separator = lastSeparator(t);
        if (separator != String::npos)
            return String(t.begin() + static_cast<std::ptrdiff_t>(separator) + 1, t.end());
    }
    Parts parts;
    if (!split(t, parts))
        return String();
    if (trailingSeparator) {
        bool const driveRoot =
            !parts.drive.empty() && parts.directory.size() == 1 && parts.directory[0] == kSeparator;
        return driveRoot ? separatorText() : String(".");
    }
    if (parts.fileName.empty() && parts.extension.empty())
        return parts.drive;
    return parts.fileName + parts.extension;
}

bool isBoundaryCharacter(unsigned int c) {
    return c == kSeparator || c == kColon || c == kDot;
}

String parentPathOf(String const& t) {
    if (t.empty() || (t.size() == 1 && t[0] == kSeparator))
        return String();
    // Most paths are plain names below a drive or a directory: no split needed.
    if (!isBoundaryCharacter(t.front()) && !isBoundaryCharacter(t.back())) {
        auto const separator = t.find_last_of(kSeparator);
        if (separator != String::npos && separator >= 4)
            return t.substr(0, separator);
    }
    Parts parts;
    if (!split(t, parts))
        return String();
    if (!parts.drive.empty() && parts.directory.empty())
        return parts.fileName.empty() ? String() : parts.drive;
    if (!parts.drive.empty() && parts.directory.size() == 1) {
        if (!parts.fileName.empty() || parts.directory[0] != kSeparator)
            return parts.drive + parts.directory;
        return parts.drive;
    }
    while (parts.directory.size() > 1 && parts.directory.back() == kSeparator)
        parts.directory.resize(parts.directory.size() - 1);
    return parts.drive + parts.directory;
}

} // namespace

Path Path::rootName() const {
    return Path(rootNameOf(text_));
}

Path Path::rootDirectory() const {
    return hasRootDirectory(text_) ? Path(separatorText()) : Path();
}

Path Path::rootPath() const {
    String root = rootNameOf(text_);
    if (hasRootDirectory(text_))
        root += kSeparator;
    return Path(std::move(root));
}

// The root path is normally a prefix of the text. When it is not (a text such as `\a:b`, whose
// root name `\a:` is not followed by its root directory), the relative part starts right after
// the root name.
Path Path::relativePath() const {
    String const root = rootPath().string();
    if (root.empty())
        return Path(text_);
    auto const found = text_.find(root);
    auto position = found == String::npos ? root.size() - 1 : found + root.size();
    while (position < text_.size() && text_[position] == kSeparator)
        ++position;
    return Path(text_.substr(position));
}

Path Path::parentPath() const {
    return Path(parentPathOf(text_));
}

// The parts of a path's text are in normal form already: a part holds no `/`, and a long-path
// prefix, which normalisation removes, cannot begin one.
Path Path::filename() const {
    return Path(filenameOf(text_), Normalised());
}

Path Path::stem() const {
    // Most paths end in a name after a separator; its stem is cut from the text in one piece.
    String::size_type dot = String::npos;
    auto const separator = lastSeparator(text_, &dot);
    if (separator != String::npos && separator + 1 < text_.size()) {
        bool const dotsOnly = text_.size() - separator <= 3 && dot + 1 == text_.size() &&
                              text_[separator + 1] == kDot;
        if (!dotsOnly) {
            auto const end = dot != String::npos ? dot : text_.size();
            return Path(text_.substr(separator + 1, end - separator - 1), Normalised());
        }
    }
    String name = filenameOf(text_);
    if (name == String(".") || name == String(".."))
        return Path(std::move(name), Normalised());
    auto const nameDot = name.find_last_of(kDot);
    auto const nameSeparator = name.find_last_of(kSeparator);
    if (nameDot == String::npos || (nameSeparator != String::npos && nameDot < nameSeparator))
        return Path(std::move(name), Normalised());
    return Path(name.substr(0, nameDot), Normalised());
}

Path Path::extension() const {
    if (text_.size() > 1 && text_.back() == kDot)
        return Path();
    auto const position = static_cast<std::ptrdiff_t>(extensionPosition(text_));
    return Path(String(text_.begin() + position, text_.end()), Normalised());
}

void Path::replaceExtension(Path const& newExtension) {
    String extension = newExtension.text_;
    if (!extension.empty() && extension.front() != kDot)
        extension = kDot + std::move(extension);
    text_ = text_.substr(0, extensionPosition(text_)) + extension;
    nativeCache_.reset();
}

bool Path::isAbsolute() const {
    return isUncText(text_) || text_.find(kColon) != String::npos;
}

bool Path::isComplete() const {
    return hasRootDirectory(text_);
}

bool Path::isRelative() const {
    return !isAbsolute();
}

} // namespace koril::filesystem
