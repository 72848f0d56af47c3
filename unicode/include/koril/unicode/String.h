#ifndef KORIL_UNICODE_STRING_H
#define KORIL_UNICODE_STRING_H

#include <koril/unicode/Export.h>

#include <cstddef>
#include <string>

namespace koril::unicode {

// A string of Unicode code points, one `unsigned int` per code point.
//
// The string holds whatever code points it is given: unpaired surrogates (legal in Windows file
// names) are kept as the code points D800-DFFF so that any sequence of UTF-16 units survives a
// round trip through `String(std::wstring)` and `toNativeString()`.
//
// Wide strings hold UTF-16 code units, one unit per `wchar_t`, on every target (also where
// `wchar_t` is 32 bits wide), so native strings and their lengths agree across platforms.
class KORIL_UNICODE_EXPORT String {
public:
    using value_type = unsigned int;
    using storage_type = std::basic_string<unsigned int>;
    using size_type = storage_type::size_type;
    using iterator = storage_type::iterator;
    using const_iterator = storage_type::const_iterator;
    using reverse_iterator = storage_type::reverse_iterator;
    using const_reverse_iterator = storage_type::const_reverse_iterator;

    static constexpr size_type npos = storage_type::npos;

    String() = default;
    String(String const&) = default;
    String(String&&) noexcept = default;
    String& operator=(String const&) = default;
    String& operator=(String&&) noexcept = default;
    ~String() = default;

    // Decodes UTF-8. Each maximal ill-formed subpart becomes one U+FFFD; never fails. A null
    // pointer gives the empty string.
    String(std::string const& utf8);
    String(char const* utf8);
    // Decodes UTF-16 code units. Unpaired surrogates are kept as code points; an element above
    // 0xFFFF (possible where `wchar_t` is 32 bits) is taken as a code point, or U+FFFD when it
    // is beyond U+10FFFF.
    String(std::wstring const& utf16);
    // `count` copies of `codePoint`.
    String(size_type count, unsigned int codePoint);
    // The code points in [first, last).
    String(const_iterator first, const_iterator last);
    // Takes the code points as they are.
    explicit String(storage_type codePoints);

    // The number of code points; `length` is the same.
    size_type size() const noexcept { return text_.size(); }
    size_type length() const noexcept { return text_.size(); }
    bool empty() const noexcept { return text_.empty(); }
    void clear() noexcept { text_.clear(); }
    void resize(size_type count) { text_.resize(count); }

    unsigned int& operator[](size_type index) { return text_[index]; }
    unsigned int const& operator[](size_type index) const { return text_[index]; }
    unsigned int& front() { return text_.front(); }
    unsigned int const& front() const { return text_.front(); }
    unsigned int& back() { return text_.back(); }
    unsigned int const& back() const { return text_.back(); }
    unsigned int const* data() const noexcept { return text_.data(); }
    storage_type const& codePoints() const noexcept { return text_; }

    iterator begin() noexcept { return text_.begin(); }
    iterator end() noexcept { return text_.end(); }
    const_iterator begin() const noexcept { return text_.begin(); }
    const_iterator end() const noexcept { return text_.end(); }
    const_iterator cbegin() const noexcept { return text_.cbegin(); }
    const_iterator cend() const noexcept { return text_.cend(); }
    reverse_iterator rbegin() noexcept { return text_.rbegin(); }
    reverse_iterator rend() noexcept { return text_.rend(); }
    const_reverse_iterator rbegin() const noexcept { return text_.rbegin(); }
    const_reverse_iterator rend() const noexcept { return text_.rend(); }

    // Searches with `std::basic_string` semantics: the index of the match, or `npos`.
    size_type find(String const& needle, size_type pos = 0) const noexcept;
    size_type find(unsigned int codePoint, size_type pos = 0) const noexcept;
    size_type find_first_of(unsigned int codePoint, size_type pos = 0) const noexcept;
    size_type find_first_not_of(unsigned int codePoint, size_type pos = 0) const noexcept;
    size_type find_last_of(String const& set, size_type pos = npos) const noexcept;
    size_type find_last_of(unsigned int codePoint, size_type pos = npos) const noexcept;

    // `count` is clipped to the end; `npos` means to the end. A `pos` beyond the end gives an
    // empty string rather than throwing.
    String substr(size_type pos = 0, size_type count = npos) const;
    // Replaces up to `count` code points from `pos`; a `pos` beyond the end appends.
    String& replace(size_type pos, size_type count, String const& with);
    // Removes everything from `pos` to the end; nothing when `pos` is beyond it.
    String& erase(size_type pos = 0);
    String& append(String const& other);
    String& append(size_type count, unsigned int codePoint);
    String& operator+=(String const& other);
    String& operator+=(unsigned int codePoint);

    // Exact code-point comparisons.
    friend bool operator==(String const& a, String const& b) noexcept { return a.text_ == b.text_; }
    friend bool operator!=(String const& a, String const& b) noexcept { return a.text_ != b.text_; }
    friend bool operator<(String const& a, String const& b) noexcept { return a.text_ < b.text_; }
    friend bool operator<=(String const& a, String const& b) noexcept { return a.text_ <= b.text_; }
    friend bool operator>(String const& a, String const& b) noexcept { return a.text_ > b.text_; }
    friend bool operator>=(String const& a, String const& b) noexcept { return a.text_ >= b.text_; }

    // UTF-16, one code unit per element; unpaired surrogates come back as the units they were.
    std::wstring toNativeString() const;
    // The same UTF-16 form, for matching with `std::wregex`.
    std::wstring toWString() const;
    // UTF-8. Surrogate code points are written as their three-byte form (generalised UTF-8), so
    // no code point is lost; code points beyond U+10FFFF become U+FFFD.
    std::string toUTF8String() const;

private:
    storage_type text_;
};

// Concatenation; the forms taking an rvalue reuse its buffer.
KORIL_UNICODE_EXPORT String operator+(String const& a, String const& b);
KORIL_UNICODE_EXPORT String operator+(String&& a, String const& b);
KORIL_UNICODE_EXPORT String operator+(String const& a, String&& b);
KORIL_UNICODE_EXPORT String operator+(String&& a, String&& b);
KORIL_UNICODE_EXPORT String operator+(String const& a, unsigned int codePoint);
KORIL_UNICODE_EXPORT String operator+(String&& a, unsigned int codePoint);
KORIL_UNICODE_EXPORT String operator+(unsigned int codePoint, String const& b);
KORIL_UNICODE_EXPORT String operator+(unsigned int codePoint, String&& b);

// True when `text` is already in Normalization Form D. Costs one pass, with a fast path for ASCII.
KORIL_UNICODE_EXPORT bool isNFD(String const& text);
// The canonical decomposition of `text`, with combining marks in canonical order.
KORIL_UNICODE_EXPORT String toNFD(String const& text);
// The simple case folding (status C and S) of one code point; the code point itself when it has
// none.
KORIL_UNICODE_EXPORT unsigned int simpleCaseFold(unsigned int const& codePoint);

} // namespace koril::unicode

#endif
