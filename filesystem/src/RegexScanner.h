#ifndef KORIL_FILESYSTEM_SRC_REGEXSCANNER_H
#define KORIL_FILESYSTEM_SRC_REGEXSCANNER_H

#include <locale>
#include <string>

namespace koril::filesystem::detail {

enum class RegexToken {
    None, // before the first token
    End,
    Unit,          // value: the unit
    HexNumber,     // value: the hexadecimal digits of `\x` or `\u`
    Backreference, // value: the decimal digits
    LineBegin,
    LineEnd,
    AnyUnit,
    Star,
    Plus,
    Optional,
    Or,
    GroupBegin,
    NonCapturingBegin,
    LookaheadBegin, // value: "p" for `(?=`, "n" for `(?!`
    GroupEnd,
    BracketBegin,
    NegatedBracketBegin,
    BracketEnd,
    BracketDash,
    CollatingName,   // value: the name in `[.name.]`
    EquivalenceName, // value: the name in `[=name=]`
    ClassName,       // value: the name in `[:name:]`
    ClassEscape,     // value: the letter of `\d`, `\D`, `\s`, `\S`, `\w` or `\W`
    WordBoundary,    // value: "p" for `\b`, "n" for `\B`
    IntervalBegin,
    Count, // value: the decimal digits
    Comma,
    IntervalEnd,
};

// Splits an expression into tokens the way the standard library's ECMAScript scanner does.
// Units are classified by their narrow form (the `ctype` facet of the global locale), so a wide
// unit that narrows to a special character acts as one; a unit that narrows to a special
// character with no token of its own leaves the previous token in place, and so repeats it.
class RegexScanner {
public:
    explicit RegexScanner(std::wstring const& expression);

    RegexToken token() const { return token_; }
    std::wstring const& value() const { return value_; }
    // Scans the next token; throws `std::regex_error` for a malformed one.
    void advance();

    std::ctype<wchar_t> const& ctype() const { return ctype_; }

private:
    enum class Mode { Normal, Bracket, Brace };

    void scanNormal();
    void scanBracket();
    void scanBrace();
    void scanEscape();
    void scanClassName(wchar_t delimiter);
    void scanDigits(RegexToken token, wchar_t first);
    bool isDigit(wchar_t unit) const { return ctype_.is(std::ctype_base::digit, unit); }
    bool atEnd() const { return next_ == end_; }

    std::ctype<wchar_t> const& ctype_;
    wchar_t const* next_;
    wchar_t const* end_;
    Mode mode_ = Mode::Normal;
    RegexToken token_ = RegexToken::None;
    std::wstring value_;
};

} // namespace koril::filesystem::detail

#endif
