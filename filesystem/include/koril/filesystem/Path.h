#ifndef KORIL_FILESYSTEM_PATH_H
#define KORIL_FILESYSTEM_PATH_H

#include <koril/filesystem/Export.h>
#include <koril/unicode/String.h>
#include <koril/unicode/TokenIterator.h>

#include <cstdint>
#include <optional>
#include <string>

/// @file
/// `Path`, its comparison, the separators and the length limits.

/// @namespace koril
/// The Unicode string library and the file-system library built on it.

/// Paths and file operations: the whole of the file-system library.
///
/// Every operation takes its `Path` arguments by reference and turns the platform's answer into
/// a result (a `bool`, a status, a path, a size or a time); a file-system failure never throws.
namespace koril::filesystem {

using koril::unicode::String;

class Path;

/// Walks a path element by element: root name, root directory, each name, and a final "." when
/// the text ends with a separator. Each element is a `Path`.
using PathIterator = koril::unicode::TokenIterator<Path, String::const_iterator>;

/// A file-system path held as text in one normalised form: `/` is stored as the native `\`, and
/// one leading long-path prefix (`\\?\` or `\\?\UNC\`) is removed. Case, runs of separators,
/// trailing separators and "." or ".." elements are kept as given.
///
/// Paths compare without regard to letter case or Unicode composition (see `comparePaths`).
/// Only `nativeString` and the operations of the library that take a path reach the platform;
/// the members here work on the text alone and never touch the disk.
///
/// A `Path` caches its native string; it must not be used from several threads at once, even
/// through const members. Different objects are independent.
class KORIL_FILESYSTEM_EXPORT Path {
public:
    /// The empty path.
    Path();
    /// Copies the text; the copy starts without a cached native string.
    /// @param other The path to copy.
    Path(Path const& other);
    /// Takes the text over; `other` may then only be destroyed or assigned to.
    /// @param other The path to take the text from.
    Path(Path&& other) noexcept;
    /// Stores `text` normalised: `/` becomes `\` and one long-path prefix is removed.
    /// @param text The path text, in any separator.
    Path(String const& text);
    /// Stores `text` normalised, reusing its buffer.
    /// @param text The path text, in any separator.
    Path(String&& text);
    /// Stores UTF-8 text normalised; malformed bytes become U+FFFD.
    /// @param text The path text as UTF-8.
    Path(std::string const& text);
    /// Stores NUL-terminated UTF-8 text normalised; a null pointer is the empty path.
    /// @param text The path text as UTF-8, or null.
    Path(char const* text);
    /// Releases the text and the cache.
    ~Path() = default;

    /// Copies the text and drops the cached native string; assigning a path to itself does
    /// nothing.
    /// @param other The path to copy.
    /// @return This path.
    Path& operator=(Path const& other);
    /// Takes the text over and drops the cached native string of both sides; `other` may then
    /// only be destroyed or assigned to. Assigning a path to itself does nothing.
    /// @param other The path to take the text from.
    /// @return This path.
    Path& operator=(Path&& other) noexcept;

    /// Empties the text.
    void clear();
    /// @return Whether the text is empty.
    bool empty() const;
    /// @return The number of code points of the text.
    unsigned long long size() const;
    /// @return The number of code points of the text, as `size`.
    unsigned long long length() const;
    /// @return The stored, normalised text.
    String const& string() const { return text_; }

    /// Appends `\` unless the text already ends with it; an empty path becomes `\`.
    void appendSeparator();
    /// Appends the other text as it is: no separator, no normalisation.
    /// @param other The text to append.
    /// @return This path.
    Path& operator+=(Path const& other);
    /// Joins with exactly one separator at the seam; an empty side leaves the other unchanged.
    /// @param other The path to append.
    /// @return This path.
    Path& operator/=(Path const& other);

    /// @name Decomposition
    /// On the text alone (the disk is never asked). A colon anywhere makes a root name, and a
    /// path that ends with a separator has the file name ".". A part that is not there is the
    /// empty path.
    ///@{

    /// @return The root name: the text up to and including the first colon, or the `\\server`
    ///     part of a UNC text; empty when there is none.
    Path rootName() const;
    /// @return `\` when the text starts with a separator or one follows the root name;
    ///     otherwise empty.
    Path rootDirectory() const;
    /// @return The root name followed by the root directory.
    Path rootPath() const;
    /// @return The text after the root path and the separators that follow it.
    Path relativePath() const;
    /// @return The path without its last element and the separators before it (`C:\dir` for
    ///     `C:\dir\file`, `C:\` for `C:\file`, `C:` for `C:file`); empty for one plain name.
    Path parentPath() const;
    /// @return The last element; "." when the text ends with a separator, `\` for a root such
    ///     as `C:\`.
    Path filename() const;
    /// @return The file name without its extension.
    Path stem() const;
    /// @return The part of the file name from its last ".", or empty; the names "." and ".."
    ///     have none.
    Path extension() const;
    ///@}
    /// Replaces the extension (the part from the last "." of the file name) with `newExtension`,
    /// adding a leading "." when it has none; nothing on disk is renamed.
    /// @param newExtension The new extension, with or without its dot; empty removes the
    ///     extension.
    void replaceExtension(Path const& newExtension);

    /// @name Classification
    /// Absolute: has a root name. Complete: has a root directory. Relative: not absolute.
    /// So `\dir` is complete but relative, and `C:dir` absolute but not complete.
    ///@{

    /// @return Whether the path has a root name.
    bool isAbsolute() const;
    /// @return Whether the path has a root directory.
    bool isComplete() const;
    /// @return Whether the path has no root name.
    bool isRelative() const;
    ///@}

    /// @name Element iteration
    /// The iterators point into this path's text and stay valid only while the path lives
    /// unchanged.
    ///@{

    /// @return An iterator at the first element.
    PathIterator begin() const;
    /// @return The iterator past the last element.
    PathIterator end() const;
    ///@}

    /// The UTF-16 form handed to the platform: absolute paths get the long-path prefix
    /// (`\\?\`, or `\\?\UNC\` for a UNC text) after their "." and ".." elements are resolved
    /// with `resolveDots`, which asks the disk; relative paths are passed unchanged. Cached until
    /// the text changes, which is why a path must not be shared between threads.
    /// @return The native string, one UTF-16 unit per `wchar_t` on every target.
    std::wstring nativeString() const;

private:
    // Takes a text that is already in normal form, such as a part of another path's text.
    struct Normalised {};
    Path(String&& text, Normalised) : text_(std::move(text)) {}

    void normalize();

    String text_;
    mutable std::optional<std::wstring> nativeCache_;
};

/// @name Concatenation and joining
/// The forms taking `Path&&` reuse the left operand's text, leaving it without text.
///@{

/// The left text followed by the right one, as `+=` does; reuses the left text.
/// @param a The left operand, left without text.
/// @param b The right operand.
/// @return A new path.
KORIL_FILESYSTEM_EXPORT Path operator+(Path&& a, Path const& b);
/// The left text followed by the right one, as `+=` does.
/// @param a The left operand.
/// @param b The right operand.
/// @return A new path.
KORIL_FILESYSTEM_EXPORT Path operator+(Path const& a, Path const& b);
/// The left text joined with the right one, as `/=` does; reuses the left text.
/// @param a The left operand, left without text.
/// @param b The right operand.
/// @return A new path.
KORIL_FILESYSTEM_EXPORT Path operator/(Path&& a, Path const& b);
/// The left text joined with the right one, as `/=` does.
/// @param a The left operand.
/// @param b The right operand.
/// @return A new path.
KORIL_FILESYSTEM_EXPORT Path operator/(Path const& a, Path const& b);
///@}

/// @return The native separator `\` (92).
KORIL_FILESYSTEM_EXPORT unsigned int nativeSeparartor();
/// @return The non-native separator `/` (47), which paths store as `\`.
KORIL_FILESYSTEM_EXPORT unsigned int nonNativeSeparartor();

/// Three-way comparison of two path texts: both are brought to NFD, then compared code point
/// by code point with ASCII letters folded to lower case and other code points by simple case
/// folding. Separators and dot elements are plain code points here; the disk is never asked.
/// Safe on any number of threads for distinct paths.
/// @param a One path.
/// @param b The other path.
/// @return -1, 0 or 1 as `a` orders before, equal to or after `b`.
KORIL_FILESYSTEM_EXPORT int comparePaths(Path const& a, Path const& b);

/// @name Comparison operators
///@{

/// Comparisons by `comparePaths`. A text operand (a `String`, or NUL-terminated UTF-8) is made a
/// `Path` first, so it is normalised: the text "C:/x" equals the path `C:\x`. Only paths order.
/// @param a The left operand.
/// @param b The right operand.
/// @return The result of `comparePaths(a, b)` compared with 0.
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
///@}

/// The extractor behind `Path::begin`: a small state machine over the text (0 root name next,
/// 1 root directory next, 2 names, 3 finished). Applications use `PathIterator` instead.
struct KORIL_FILESYSTEM_EXPORT PathIteratorExtractorFunc {
    /// Where the walk stands: 0 root name next, 1 root directory next, 2 names, 3 finished.
    std::uint32_t state = 0;
    /// Extracts the next element.
    /// @param first Where the next element starts.
    /// @param last The end of the text.
    /// @return The element, where the following one starts, and whether it is the last.
    koril::unicode::TokenInfo<Path, String::const_iterator> operator()(String::const_iterator first,
                                                                       String::const_iterator last);
};

/// @name Length limits
/// In UTF-16 units of the native string (prefix included). The process-wide switch chooses
/// between the classic limits (false, the default) and the long-path limits; it changes only
/// what these functions report and accept, never a native string. The switch is a plain value
/// without synchronisation: set it before other threads use the library.
///@{

/// Chooses the limits that the functions below report and check.
/// @param use True for the long-path limits, false for the classic ones.
KORIL_FILESYSTEM_EXPORT void setUseLongPathNames(bool use);
/// @return 260, or 32767 with long path names.
KORIL_FILESYSTEM_EXPORT int getMaxNativeStringPathLength();
/// @return The path limit minus 25.
KORIL_FILESYSTEM_EXPORT int getMaxNativeStringDirectoryLength();
/// The maximum length of one name on the volume that holds a path.
/// @param p A path on the volume; it need not exist.
/// @return The volume's maximum component length, or 248 when it cannot be asked.
KORIL_FILESYSTEM_EXPORT int getMaxNativeStringNameLength(Path const& p);
/// Whether a path fits the path limits; every element below the deepest existing ancestor must
/// fit the volume's maximum component length. Creates nothing; never throws.
/// @param p The path to check.
/// @return True when it fits.
KORIL_FILESYSTEM_EXPORT bool isValidPathLength(Path const& p);
/// The same check for a directory, which must also leave room below the path limit for names
/// inside it.
/// @param p The directory path to check.
/// @return True when it fits.
KORIL_FILESYSTEM_EXPORT bool isValidDirectoryPathLength(Path const& p);
///@}

} // namespace koril::filesystem

#endif
