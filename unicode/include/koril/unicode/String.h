#ifndef KORIL_UNICODE_STRING_H
#define KORIL_UNICODE_STRING_H

#include <koril/unicode/Export.h>

#include <cstddef>
#include <string>

/// @file
/// `String`: a string of Unicode code points, with NFD and simple case folding.

/// Strings of Unicode code points: the text type of the file-system library.
///
/// Nothing here touches shared state: distinct objects may be used on any number of threads at
/// once, and a `String` that no thread changes may be read from several threads.
namespace koril::unicode {

/// A string of Unicode code points, one `unsigned int` per code point.
///
/// The string holds whatever code points it is given: unpaired surrogates (legal in Windows file
/// names) are kept as the code points D800-DFFF so that any sequence of UTF-16 units survives a
/// round trip through `String(std::wstring)` and `toNativeString()`. Decoding never fails.
///
/// Wide strings hold UTF-16 code units, one unit per `wchar_t`, on every target (also where
/// `wchar_t` is 32 bits wide), so native strings and their lengths agree across platforms.
class KORIL_UNICODE_EXPORT String {
public:
    using value_type = unsigned int;                         ///< One code point.
    using storage_type = std::basic_string<unsigned int>;    ///< The code points held.
    using size_type = storage_type::size_type;               ///< A count of code points.
    using iterator = storage_type::iterator;                 ///< Walks the code points.
    using const_iterator = storage_type::const_iterator;     ///< Walks them read-only.
    using reverse_iterator = storage_type::reverse_iterator; ///< Walks them backwards.
    using const_reverse_iterator = storage_type::const_reverse_iterator; ///< The same, read-only.

    /// The value that the searches return when they find nothing.
    static constexpr size_type npos = storage_type::npos;

    /// The empty string.
    String() = default;
    /// Copies the code points.
    String(String const&) = default;
    /// Takes the code points over.
    String(String&&) noexcept = default;
    /// Copies the code points.
    /// @return This string.
    String& operator=(String const&) = default;
    /// Takes the code points over.
    /// @return This string.
    String& operator=(String&&) noexcept = default;
    /// Releases the code points.
    ~String() = default;

    /// Decodes UTF-8. Each maximal ill-formed subpart becomes one U+FFFD; never fails.
    /// @param utf8 The bytes to decode.
    String(std::string const& utf8);
    /// Decodes NUL-terminated UTF-8 as above; a null pointer gives the empty string.
    /// @param utf8 The bytes to decode, or null.
    String(char const* utf8);
    /// Decodes UTF-16 code units. Unpaired surrogates are kept as code points; an element above
    /// 0xFFFF (possible where `wchar_t` is 32 bits) is taken as a code point, or U+FFFD when it
    /// is beyond U+10FFFF. Never fails.
    /// @param utf16 The code units to decode.
    String(std::wstring const& utf16);
    /// Repeats one code point.
    /// @param count How many copies.
    /// @param codePoint The code point, stored as given.
    String(size_type count, unsigned int codePoint);
    /// Copies a range of another string's code points.
    /// @param first The first code point.
    /// @param last Past the last code point.
    String(const_iterator first, const_iterator last) : text_(first, last) {}
    /// Takes the code points as they are, unchecked.
    /// @param codePoints The code points.
    explicit String(storage_type codePoints);

    /// @return The number of code points.
    size_type size() const noexcept { return text_.size(); }
    /// @return The number of code points, as `size`.
    size_type length() const noexcept { return text_.size(); }
    /// @return Whether there is no code point.
    bool empty() const noexcept { return text_.empty(); }
    /// Removes every code point.
    void clear() noexcept { text_.clear(); }
    /// Cuts the string to `count` code points, or pads it with U+0000.
    /// @param count The new length.
    void resize(size_type count) { text_.resize(count); }

    /// @name Element access
    /// Unchecked, as `std::basic_string`: the index must be below `size()`, and the string must
    /// not be empty for `front` and `back`.
    ///@{

    /// @param index The position of a code point.
    /// @return The code point at `index`.
    unsigned int& operator[](size_type index) { return text_[index]; }
    /// @param index The position of a code point.
    /// @return The code point at `index`.
    unsigned int const& operator[](size_type index) const { return text_[index]; }
    /// @return The first code point.
    unsigned int& front() { return text_.front(); }
    /// @return The first code point.
    unsigned int const& front() const { return text_.front(); }
    /// @return The last code point.
    unsigned int& back() { return text_.back(); }
    /// @return The last code point.
    unsigned int const& back() const { return text_.back(); }
    /// @return The code points, followed by a zero; valid until the string changes.
    unsigned int const* data() const noexcept { return text_.data(); }
    /// @return The code points as a standard string.
    storage_type const& codePoints() const noexcept { return text_; }
    ///@}

    /// @name Iteration
    /// Over the code points, as `std::basic_string`; valid until the string changes.
    ///@{

    /// @return An iterator at the first code point.
    iterator begin() noexcept { return text_.begin(); }
    /// @return The iterator past the last code point.
    iterator end() noexcept { return text_.end(); }
    /// @return An iterator at the first code point.
    const_iterator begin() const noexcept { return text_.begin(); }
    /// @return The iterator past the last code point.
    const_iterator end() const noexcept { return text_.end(); }
    /// @return An iterator at the first code point.
    const_iterator cbegin() const noexcept { return text_.cbegin(); }
    /// @return The iterator past the last code point.
    const_iterator cend() const noexcept { return text_.cend(); }
    /// @return A reverse iterator at the last code point.
    reverse_iterator rbegin() noexcept { return text_.rbegin(); }
    /// @return The reverse iterator before the first code point.
    reverse_iterator rend() noexcept { return text_.rend(); }
    /// @return A reverse iterator at the last code point.
    const_reverse_iterator rbegin() const noexcept { return text_.rbegin(); }
    /// @return The reverse iterator before the first code point.
    const_reverse_iterator rend() const noexcept { return text_.rend(); }
    ///@}

    /// @name Searching
    /// With `std::basic_string` semantics; never throws.
    ///@{

    /// Finds a run of code points.
    /// @param needle The code points to find.
    /// @param pos Where the search starts.
    /// @return The index of the first match at or after `pos`, or `npos`.
    size_type find(String const& needle, size_type pos = 0) const noexcept;
    /// Finds one code point.
    /// @param codePoint The code point to find.
    /// @param pos Where the search starts.
    /// @return The index of the first match at or after `pos`, or `npos`.
    size_type find(unsigned int codePoint, size_type pos = 0) const noexcept;
    /// Finds one code point, as `find`.
    /// @param codePoint The code point to find.
    /// @param pos Where the search starts.
    /// @return The index of the first match at or after `pos`, or `npos`.
    size_type find_first_of(unsigned int codePoint, size_type pos = 0) const noexcept;
    /// Finds the first code point that differs from one.
    /// @param codePoint The code point to skip.
    /// @param pos Where the search starts.
    /// @return The index of the first other code point at or after `pos`, or `npos`.
    size_type find_first_not_of(unsigned int codePoint, size_type pos = 0) const noexcept;
    /// Finds the last code point that belongs to a set.
    /// @param set The code points to look for.
    /// @param pos The last index to consider; `npos` means the end.
    /// @return The index of the last match at or before `pos`, or `npos`.
    size_type find_last_of(String const& set, size_type pos = npos) const noexcept;
    /// Finds the last occurrence of one code point.
    /// @param codePoint The code point to find.
    /// @param pos The last index to consider; `npos` means the end.
    /// @return The index of the last match at or before `pos`, or `npos`.
    size_type find_last_of(unsigned int codePoint, size_type pos = npos) const noexcept;
    ///@}

    /// A part of the string. Never throws for a position out of range.
    /// @param pos The first code point; beyond the end gives an empty string.
    /// @param count How many code points, clipped to the end; `npos` means to the end.
    /// @return The part.
    String substr(size_type pos = 0, size_type count = npos) const;
    /// Replaces up to `count` code points from `pos`; a `pos` beyond the end appends.
    /// @param pos The first code point replaced.
    /// @param count How many code points are replaced, clipped to the end.
    /// @param with The code points put in their place.
    /// @return This string.
    String& replace(size_type pos, size_type count, String const& with);
    /// Removes everything from `pos` to the end; nothing when `pos` is beyond it.
    /// @param pos The first code point removed.
    /// @return This string.
    String& erase(size_type pos = 0);
    /// Appends another string.
    /// @param other The code points to append.
    /// @return This string.
    String& append(String const& other);
    /// Appends copies of one code point.
    /// @param count How many copies.
    /// @param codePoint The code point.
    /// @return This string.
    String& append(size_type count, unsigned int codePoint);
    /// Appends another string.
    /// @param other The code points to append.
    /// @return This string.
    String& operator+=(String const& other);
    /// Appends one code point.
    /// @param codePoint The code point.
    /// @return This string.
    String& operator+=(unsigned int codePoint);

    /// @name Comparison
    /// Exact code-point comparisons: no normalisation, no case folding (paths compare otherwise).
    ///@{

    /// @param a The left operand.
    /// @param b The right operand.
    /// @return Whether the code points are equal.
    friend bool operator==(String const& a, String const& b) noexcept { return a.text_ == b.text_; }
    /// @param a The left operand.
    /// @param b The right operand.
    /// @return Whether the code points differ.
    friend bool operator!=(String const& a, String const& b) noexcept { return a.text_ != b.text_; }
    /// @param a The left operand.
    /// @param b The right operand.
    /// @return Whether `a` orders before `b`, code point by code point.
    friend bool operator<(String const& a, String const& b) noexcept { return a.text_ < b.text_; }
    /// @param a The left operand.
    /// @param b The right operand.
    /// @return Whether `a` does not order after `b`.
    friend bool operator<=(String const& a, String const& b) noexcept { return a.text_ <= b.text_; }
    /// @param a The left operand.
    /// @param b The right operand.
    /// @return Whether `a` orders after `b`.
    friend bool operator>(String const& a, String const& b) noexcept { return a.text_ > b.text_; }
    /// @param a The left operand.
    /// @param b The right operand.
    /// @return Whether `a` does not order before `b`.
    friend bool operator>=(String const& a, String const& b) noexcept { return a.text_ >= b.text_; }
    ///@}

    /// @return UTF-16, one code unit per element; unpaired surrogates come back as the units they
    ///     were.
    std::wstring toNativeString() const;
    /// @return The same UTF-16 form, for matching with `std::wregex`.
    std::wstring toWString() const;
    /// @return UTF-8. Surrogate code points are written as their three-byte form (generalised
    ///     UTF-8), so no code point is lost; code points beyond U+10FFFF become U+FFFD.
    std::string toUTF8String() const;

private:
    storage_type text_;
};

/// @name Concatenation
///@{

/// The code points of both operands, in order; the forms taking an rvalue reuse its buffer.
/// @param a The left operand.
/// @param b The right operand.
/// @return A new string.
KORIL_UNICODE_EXPORT String operator+(String const& a, String const& b);
KORIL_UNICODE_EXPORT String operator+(String&& a, String const& b);
KORIL_UNICODE_EXPORT String operator+(String const& a, String&& b);
KORIL_UNICODE_EXPORT String operator+(String&& a, String&& b);
///@}

/// @name Appending and prepending one code point
///@{

/// A string with one code point appended; the rvalue form reuses its buffer.
/// @param a The string.
/// @param codePoint The code point to append.
/// @return A new string.
KORIL_UNICODE_EXPORT String operator+(String const& a, unsigned int codePoint);
KORIL_UNICODE_EXPORT String operator+(String&& a, unsigned int codePoint);
///@}

///@{
/// A string with one code point in front; the rvalue form reuses its buffer.
/// @param codePoint The code point to put in front.
/// @param b The string.
/// @return A new string.
KORIL_UNICODE_EXPORT String operator+(unsigned int codePoint, String const& b);
KORIL_UNICODE_EXPORT String operator+(unsigned int codePoint, String&& b);
///@}

/// Whether a text is already in Normalization Form D. Costs one pass, with a fast path for
/// ASCII.
/// @param text The text to test.
/// @return True when `toNFD(text)` would equal `text`.
KORIL_UNICODE_EXPORT bool isNFD(String const& text);
/// The canonical decomposition of a text, with combining marks in canonical order. Surrogates
/// and unassigned code points pass unchanged.
/// @param text The text to decompose.
/// @return The text in Normalization Form D.
KORIL_UNICODE_EXPORT String toNFD(String const& text);
/// The simple case folding (status C and S) of one code point.
/// @param codePoint The code point to fold.
/// @return Its folded form; the code point itself when it has none.
KORIL_UNICODE_EXPORT unsigned int simpleCaseFold(unsigned int const& codePoint);

} // namespace koril::unicode

#endif
