#ifndef KORIL_FILESYSTEM_SRC_REGEXBRACKET_H
#define KORIL_FILESYSTEM_SRC_REGEXBRACKET_H

#include <bitset>
#include <regex>
#include <string>
#include <utility>
#include <vector>

namespace koril::filesystem::detail {

using RegexTraits = std::regex_traits<wchar_t>;

// One character set of an expression: a bracket expression, or a class escape such as `\d`
// (an escape is a set of one class). Classes, equivalence classes and collating names are
// resolved through the same `std::regex_traits` that `std::wregex` consults, so the sets agree
// with the standard engine's in every locale.
class RegexBracket {
public:
    explicit RegexBracket(bool negated) : negated_(negated) {}

    void addUnit(wchar_t unit) { units_.push_back(unit); }
    // Throws `error_range` when `last` comes before `first`.
    void addRange(wchar_t first, wchar_t last);
    // A class name such as "alpha" or "d"; throws `error_collate` for an unknown name.
    void addClass(RegexTraits const& traits, std::wstring const& name, bool negated);
    // Throws `error_collate` for a name that is not a collating element.
    void addEquivalenceClass(RegexTraits const& traits, std::wstring const& name);
    // Adds the element and returns it; throws `error_collate` for an unknown name.
    std::wstring addCollatingElement(RegexTraits const& traits, std::wstring const& name);

    // Settles the set; `matches` may be called from then on.
    void finish();

    bool matches(RegexTraits const& traits, wchar_t unit) const {
        // A negative unit (wchar_t is signed on Linux) turns into an index far above ASCII and
        // takes the general path; clang-tidy takes a signed character type for a byte.
        auto const index = static_cast<unsigned long>(unit); // NOLINT(bugprone-signed-char-misuse)
        bool const listed = index < asciiCount ? ascii_[index] : isListed(unit);
        return (listed || (usesTraits_ && isInClasses(traits, unit))) != negated_;
    }

private:
    static constexpr unsigned long asciiCount = 128;

    bool isListed(wchar_t unit) const;
    bool isInClasses(RegexTraits const& traits, wchar_t unit) const;

    bool negated_;
    std::vector<wchar_t> units_;
    std::vector<std::pair<wchar_t, wchar_t>> ranges_;
    RegexTraits::char_class_type classes_{};
    std::vector<RegexTraits::char_class_type> negatedClasses_;
    std::vector<std::wstring> equivalenceKeys_;
    bool usesTraits_ = false;
    // Which ASCII units `units_` and `ranges_` hold; classes are asked of the traits each time,
    // as the standard engine does, which keeps compiling cheap.
    std::bitset<asciiCount> ascii_;
};

} // namespace koril::filesystem::detail

#endif
