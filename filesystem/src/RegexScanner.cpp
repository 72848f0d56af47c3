#include "RegexScanner.h"

#include <cstring>
#include <regex>

namespace koril::filesystem::detail {

namespace {

[[noreturn]] void fail(std::regex_constants::error_type code) {
    throw std::regex_error(code);
}

} // namespace

RegexScanner::RegexScanner(std::wstring const& expression)
    : ctype_(std::use_facet<std::ctype<wchar_t>>(std::locale())), next_(expression.data()),
      end_(expression.data() + expression.size()) {}

void RegexScanner::advance() {
    if (atEnd()) {
        token_ = RegexToken::End;
        return;
    }
    switch (mode_) {
    case Mode::Normal:
        scanNormal();
        break;
    case Mode::Bracket:
        scanBracket();
        break;
    case Mode::Brace:
        scanBrace();
        break;
    }
}

void RegexScanner::scanNormal() {
    static char const specials[] = "^$\\.*+?()[]{}|";
    wchar_t const unit = *next_++;
    char const narrowed = ctype_.narrow(unit, ' ');
    // NUL is an ordinary unit, though `strchr` would find it in any string.
    if (unit == 0 || narrowed == '\0' || std::strchr(specials, narrowed) == nullptr) {
        token_ = RegexToken::Unit;
        value_.assign(1, unit);
        return;
    }
    if (unit == L'\\') {
        scanEscape();
        return;
    }
    if (unit == L'(') {
        if (!atEnd() && *next_ == L'?') {
            if (++next_ == end_)
                fail(std::regex_constants::error_paren);
            wchar_t const kind = *next_++;
            if (kind == L':') {
                token_ = RegexToken::NonCapturingBegin;
            } else if (kind == L'=' || kind == L'!') {
                token_ = RegexToken::LookaheadBegin;
                value_.assign(1, kind == L'=' ? L'p' : L'n');
            } else {
                fail(std::regex_constants::error_paren);
            }
        } else {
            token_ = RegexToken::GroupBegin;
        }
        return;
    }
    if (unit == L')') {
        token_ = RegexToken::GroupEnd;
        return;
    }
    if (unit == L'[') {
        mode_ = Mode::Bracket;
        if (!atEnd() && *next_ == L'^') {
            ++next_;
            token_ = RegexToken::NegatedBracketBegin;
        } else {
            token_ = RegexToken::BracketBegin;
        }
        return;
    }
    if (unit == L'{') {
        mode_ = Mode::Brace;
        token_ = RegexToken::IntervalBegin;
        return;
    }
    if (unit == L']' || unit == L'}') {
        token_ = RegexToken::Unit;
        value_.assign(1, unit);
        return;
    }
    switch (narrowed) {
    case '^':
        token_ = RegexToken::LineBegin;
        break;
    case '$':
        token_ = RegexToken::LineEnd;
        break;
    case '.':
        token_ = RegexToken::AnyUnit;
        break;
    case '*':
        token_ = RegexToken::Star;
        break;
    case '+':
        token_ = RegexToken::Plus;
        break;
    case '?':
        token_ = RegexToken::Optional;
        break;
    case '|':
        token_ = RegexToken::Or;
        break;
    default:
        break; // the previous token stays
    }
}

void RegexScanner::scanBracket() {
    wchar_t const unit = *next_++;
    if (unit == L'-') {
        token_ = RegexToken::BracketDash;
    } else if (unit == L'[') {
        if (atEnd())
            fail(std::regex_constants::error_brack);
        wchar_t const kind = *next_;
        if (kind == L'.' || kind == L':' || kind == L'=') {
            ++next_;
            token_ = kind == L'.'   ? RegexToken::CollatingName
                     : kind == L':' ? RegexToken::ClassName
                                    : RegexToken::EquivalenceName;
            scanClassName(kind);
        } else {
            token_ = RegexToken::Unit;
            value_.assign(1, unit);
        }
    } else if (unit == L']') {
        token_ = RegexToken::BracketEnd;
        mode_ = Mode::Normal;
    } else if (unit == L'\\') {
        scanEscape();
    } else {
        token_ = RegexToken::Unit;
        value_.assign(1, unit);
    }
}

void RegexScanner::scanClassName(wchar_t delimiter) {
    value_.clear();
    while (!atEnd() && *next_ != delimiter)
        value_ += *next_++;
    if (atEnd() || *next_++ != delimiter || atEnd() || *next_++ != L']')
        fail(delimiter == L':' ? std::regex_constants::error_ctype
                               : std::regex_constants::error_collate);
}

void RegexScanner::scanBrace() {
    wchar_t const unit = *next_++;
    if (isDigit(unit)) {
        scanDigits(RegexToken::Count, unit);
    } else if (unit == L',') {
        token_ = RegexToken::Comma;
    } else if (unit == L'}') {
        mode_ = Mode::Normal;
        token_ = RegexToken::IntervalEnd;
    } else {
        fail(std::regex_constants::error_badbrace);
    }
}

void RegexScanner::scanDigits(RegexToken token, wchar_t first) {
    token_ = token;
    value_.assign(1, first);
    while (!atEnd() && isDigit(*next_))
        value_ += *next_++;
}

void RegexScanner::scanEscape() {
    static char const escapes[] = "0\0b\bf\fn\nr\rt\tv\v";
    if (atEnd())
        fail(std::regex_constants::error_escape);
    wchar_t const unit = *next_++;
    char const narrowed = ctype_.narrow(unit, '\0');
    char const* escaped = nullptr;
    if (narrowed != '\0')
        for (std::size_t i = 0; i + 1 < sizeof escapes; i += 2)
            if (escapes[i] == narrowed)
                escaped = escapes + i + 1;
    if (escaped != nullptr && (unit != L'b' || mode_ == Mode::Bracket)) {
        token_ = RegexToken::Unit;
        value_.assign(1, static_cast<wchar_t>(*escaped));
    } else if (unit == L'b' || unit == L'B') {
        token_ = RegexToken::WordBoundary;
        value_.assign(1, unit == L'b' ? L'p' : L'n');
    } else if (unit == L'd' || unit == L'D' || unit == L's' || unit == L'S' || unit == L'w' ||
               unit == L'W') {
        token_ = RegexToken::ClassEscape;
        value_.assign(1, unit);
    } else if (unit == L'c') {
        // The unit after `\c` stands for itself, not for a control character.
        if (atEnd())
            fail(std::regex_constants::error_escape);
        token_ = RegexToken::Unit;
        value_.assign(1, *next_++);
    } else if (unit == L'x' || unit == L'u') {
        value_.clear();
        for (int i = unit == L'x' ? 2 : 4; i > 0; --i) {
            if (atEnd() || !ctype_.is(std::ctype_base::xdigit, *next_))
                fail(std::regex_constants::error_escape);
            value_ += *next_++;
        }
        token_ = RegexToken::HexNumber;
    } else if (isDigit(unit)) {
        scanDigits(RegexToken::Backreference, unit);
    } else {
        token_ = RegexToken::Unit;
        value_.assign(1, unit);
    }
}

} // namespace koril::filesystem::detail
