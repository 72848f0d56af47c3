#include <koril/unicode/String.h>

#include "Utf.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace koril::unicode {

String::String(std::string const& utf8) {
    detail::appendDecodedUtf8(utf8.data(), utf8.size(), text_);
}

String::String(char const* utf8) {
    if (utf8 != nullptr)
        detail::appendDecodedUtf8(utf8, std::strlen(utf8), text_);
}

String::String(std::wstring const& utf16) {
    detail::appendDecodedUtf16(utf16.data(), utf16.size(), text_);
}

String::String(size_type count, unsigned int codePoint) : text_(count, codePoint) {}

String::String(storage_type codePoints) : text_(std::move(codePoints)) {}

String::size_type String::find(String const& needle, size_type pos) const noexcept {
    return text_.find(needle.text_, pos);
}

String::size_type String::find(unsigned int codePoint, size_type pos) const noexcept {
    return text_.find(codePoint, pos);
}

String::size_type String::find_first_of(unsigned int codePoint, size_type pos) const noexcept {
    return text_.find(codePoint, pos);
}

String::size_type String::find_first_not_of(unsigned int codePoint, size_type pos) const noexcept {
    return text_.find_first_not_of(codePoint, pos);
}

String::size_type String::find_last_of(String const& set, size_type pos) const noexcept {
    return text_.find_last_of(set.text_, pos);
}

String::size_type String::find_last_of(unsigned int codePoint, size_type pos) const noexcept {
    return text_.rfind(codePoint, pos);
}

String String::substr(size_type pos, size_type count) const {
    if (pos >= text_.size())
        return String();
    return String(text_.substr(pos, count));
}

// A `pos` beyond the end is taken as the end, so the call appends instead of throwing.
String& String::replace(size_type pos, size_type count, String const& with) {
    text_.replace(std::min(pos, text_.size()), count, with.text_);
    return *this;
}

String& String::erase(size_type pos) {
    if (pos < text_.size())
        text_.erase(pos);
    return *this;
}

String& String::append(String const& other) {
    text_.append(other.text_);
    return *this;
}

String& String::append(size_type count, unsigned int codePoint) {
    text_.append(count, codePoint);
    return *this;
}

String& String::operator+=(String const& other) {
    return append(other);
}

String& String::operator+=(unsigned int codePoint) {
    text_.push_back(codePoint);
    return *this;
}

std::wstring String::toNativeString() const {
    return detail::encodeUtf16(data(), size());
}

std::wstring String::toWString() const {
    return detail::encodeUtf16(data(), size());
}

std::string String::toUTF8String() const {
    return detail::encodeUtf8(data(), size());
}

String operator+(String const& a, String const& b) {
    String::storage_type joined;
    joined.reserve(a.size() + b.size());
    joined.append(a.codePoints()).append(b.codePoints());
    return String(std::move(joined));
}

String operator+(String&& a, String const& b) {
    return std::move(a.append(b));
}

String operator+(String const& a, String&& b) {
    b.replace(0, 0, a);
    return std::move(b);
}

String operator+(String&& a, String&& b) {
    // Reuse whichever buffer can take the whole result without growing.
    if (a.codePoints().capacity() < a.size() + b.size() &&
        b.codePoints().capacity() >= a.size() + b.size())
        return std::move(b.replace(0, 0, a));
    return std::move(a.append(b));
}

String operator+(String const& a, unsigned int codePoint) {
    String result(a);
    result += codePoint;
    return result;
}

String operator+(String&& a, unsigned int codePoint) {
    return std::move(a += codePoint);
}

String operator+(unsigned int codePoint, String const& b) {
    String result(1, codePoint);
    result.append(b);
    return result;
}

String operator+(unsigned int codePoint, String&& b) {
    return std::move(b.replace(0, 0, String(1, codePoint)));
}

} // namespace koril::unicode
