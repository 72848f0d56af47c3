#include "TextOracle.h"

namespace koril::fuzz {

using koril::unicode::String;

bool startsWith(String const& text, String const& prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool endsWith(String const& text, String const& suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

String joinedWithOneSeparator(String const& left, String const& right) {
    constexpr unsigned int separator = '\\';
    if (left.empty() || right.empty())
        return left + right;
    bool const leftEnds = left.back() == separator;
    bool const rightBegins = right.front() == separator;
    if (leftEnds && rightBegins)
        return left.substr(0, left.size() - 1) + right;
    if (!leftEnds && !rightBegins)
        return left + separator + right;
    return left + right;
}

void appendUtf16Form(unsigned int codePoint, std::wstring& out) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<wchar_t>(codePoint));
        return;
    }
    out.push_back(static_cast<wchar_t>(0xD800 + ((codePoint - 0x10000) >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF)));
}

} // namespace koril::fuzz
