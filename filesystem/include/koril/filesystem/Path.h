#ifndef KORIL_FILESYSTEM_PATH_H
#define KORIL_FILESYSTEM_PATH_H

#include <koril/filesystem/Export.h>
#include <koril/unicode/String.h>
#include <koril/unicode/TokenIterator.h>

#include <cstdint>
#include <optional>
#include <string>

namespace koril::filesystem {

using koril::unicode::String;

class Path;

// Walks a path element by element: root name, root directory, each name, and a final "." when
// the text ends with a separator.
using PathIterator = koril::unicode::TokenIterator<Path, String::const_iterator>;

// A file-system path held as text in one normalised form: `/` is stored as the native `\`, and
// one leading long-path prefix ("\\?\" or "\\?\UNC\") is removed. Case, runs of separators,
// trailing separators and "." or ".." elements are kept as given.
//
// Paths compare without regard to letter case or Unicode composition (see `comparePaths`).
// A `Path` caches its native string; it must not be used from several threads at once, even
// through const members.
class KORIL_FILESYSTEM_EXPORT Path {
public:
    // The empty path.
    Path();
    // Copies the text; the copy starts without a cached native string.
    Path(Path const& other);
    // Takes the text over; `other` may then only be destroyed or assigned to.
    Path(Path&& other) noexcept;
    // Stores `text` normalised: `/` becomes `\` and one long-path prefix is removed.
    Path(String const& text);
    Path(String&& text);
    // The same from UTF-8 text (malformed bytes become U+FFFD); a null pointer is the empty path.
    Path(std::string const& text);
    Path(char const* text);
    ~Path();

    // Assignment drops the cached native string (of both sides, for a move); assigning a path to
    // itself does nothing.
    Path& operator=(Path const& other);
    Path& operator=(Path&& other) noexcept;

    // Empties the text.
    void clear();
    bool empty() const;
    // The number of code points of the text; `length` is the same.
    unsigned long long size() const;
    unsigned long long length() const;
    // The stored, normalised text.
    String const& string() const { return text_; }

    // Appends `\` unless the text already ends with it; an empty path becomes `\`.
    void appendSeparator();
    // Appends the other text as it is: no separator, no normalisation.
    Path& operator+=(Path const& other);
    // Joins with exactly one separator at the seam; an empty side leaves the other unchanged.
    Path& operator/=(Path const& other);

    // Decomposition, on the text alone (the disk is never asked). A colon anywhere makes a root
    // name, and a path that ends with a separator has the file name ".".
    Path rootName() const;
    Path rootDirectory() const;
    Path rootPath() const;
    Path relativePath() const;
    Path parentPath() const;
    Path filename() const;
    Path stem() const;
    Path extension() const;
    // Replaces the extension (the part from the last "." of the file name) with `newExtension`,
    // adding a leading "." when it has none; an empty `newExtension` removes the extension.
    void replaceExtension(Path const& newExtension);

    // Absolute: has a root name. Complete: has a root directory. Relative: not absolute.
    // So `\dir` is complete but relative, and `C:dir` absolute but not complete.
    bool isAbsolute() const;
    bool isComplete() const;
    bool isRelative() const;

    // Element iteration. The iterators point into this path's text and stay valid only while
    // the path lives unchanged.
    PathIterator begin() const;
    PathIterator end() const;

    // The UTF-16 form handed to the platform: absolute paths get the long-path prefix ("\\?\",
    // or "\\?\UNC\" for a UNC text) after their "." and ".." elements are resolved; relative
    // paths are passed unchanged. Cached until the text changes.
    std::wstring nativeString() const;

private:
    void normalize();

    String text_;
    mutable std::optional<std::wstring> nativeCache_;
};

// The left text followed by the right one, as `+=` does. The forms taking `Path&&` reuse the left
// operand's text, leaving it without text.
KORIL_FILESYSTEM_EXPORT Path operator+(Path&& a, Path const& b);
KORIL_FILESYSTEM_EXPORT Path operator+(Path const& a, Path const& b);
// The left text joined with the right one, as `/=` does.
KORIL_FILESYSTEM_EXPORT Path operator/(Path&& a, Path const& b);
KORIL_FILESYSTEM_EXPORT Path operator/(Path const& a, Path const& b);

// The native separator `\` (92) and the non-native separator `/` (47).
KORIL_FILESYSTEM_EXPORT unsigned int nativeSeparartor();
KORIL_FILESYSTEM_EXPORT unsigned int nonNativeSeparartor();

// Three-way comparison of two path texts, -1, 0 or 1: both are brought to NFD, then compared
// code point by code point with ASCII letters folded to lower case and other code points by
// simple case folding. Separators and dot elements are plain code points here.
KORIL_FILESYSTEM_EXPORT int comparePaths(Path const& a, Path const& b);

// Comparisons by `comparePaths`. A text operand (a `String`, or NUL-terminated UTF-8) is made a
// `Path` first, so it is normalised: the text "C:/x" equals the path `C:\x`. Only paths order.
KORIL_FILESYSTEM_EXPORT bool operator==(Path const& a, Path const& b);
KORIL_FILESYSTEM_EXPORT bool operator!=(Path const& a, Path const& b);
KORIL_FILESYSTEM_EXPORT bool operator==(Path const& a, String const& b);
KORIL_FILESYSTEM_EXPORT bool operator!=(Path const& a, String const& b);
KORIL_FILESYSTEM_EXPORT bool operator==(String const& a, Path const& b);
KORIL_FILESYSTEM_EXPORT bool operator!=(String const& a, Path const& b);
KORIL_FILESYSTEM_EXPORT bool operator==(Path const& a, char const* b);
KORIL_FILESYSTEM_EXPORT bool operator!=(Path const& a, char const* b);
KORIL_FILESYSTEM_EXPORT bool operator==(char const* a, Path const& b);
KORIL_FILESYSTEM_EXPORT bool operator!=(char const* a, Path const& b);
KORIL_FILESYSTEM_EXPORT bool operator<(Path const& a, Path const& b);
KORIL_FILESYSTEM_EXPORT bool operator<=(Path const& a, Path const& b);
KORIL_FILESYSTEM_EXPORT bool operator>(Path const& a, Path const& b);
KORIL_FILESYSTEM_EXPORT bool operator>=(Path const& a, Path const& b);

// The extractor behind `Path::begin`: a small state machine over the text (0 root name next,
// 1 root directory next, 2 names, 3 finished).
struct KORIL_FILESYSTEM_EXPORT PathIteratorExtractorFunc {
    std::uint32_t state = 0;
    koril::unicode::TokenInfo<Path, String::const_iterator> operator()(String::const_iterator first,
                                                                       String::const_iterator last);
};

// Length limits, in UTF-16 units of the native string (prefix included). The process-wide
// switch chooses between the classic limits (false, the default) and the long-path limits; it
// changes only what these functions report and accept, never a native string.
KORIL_FILESYSTEM_EXPORT void setUseLongPathNames(bool use);
// 260, or 32767 with long path names.
KORIL_FILESYSTEM_EXPORT int getMaxNativeStringPathLength();
// The path limit minus 25.
KORIL_FILESYSTEM_EXPORT int getMaxNativeStringDirectoryLength();
// The maximum component length of the volume that holds `p`, or 248 when it cannot be asked.
KORIL_FILESYSTEM_EXPORT int getMaxNativeStringNameLength(Path const& p);
// Whether `p` fits the path limits; every element below the deepest existing ancestor must fit
// the volume's maximum component length. Never throws.
KORIL_FILESYSTEM_EXPORT bool isValidPathLength(Path const& p);
// The same check for a directory, which must also leave room below the path limit.
KORIL_FILESYSTEM_EXPORT bool isValidDirectoryPathLength(Path const& p);

} // namespace koril::filesystem

#endif
