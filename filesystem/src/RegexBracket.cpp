#include "RegexBracket.h"

#include <algorithm>

namespace koril::filesystem::detail {

namespace {

std::wstring lookUpCollatingElement(RegexTraits const& traits, std::wstring const& name) {
    std::wstring element = traits.lookup_collatename(name.begin(), name.end());
    if (element.empty())
        throw std::regex_error(std::regex_constants::error_collate);
    return element;
}

} // namespace

void RegexBracket::addRange(wchar_t first, wchar_t last) {
    if (last < first)
        throw std::regex_error(std::regex_constants::error_range);
    ranges_.emplace_back(first, last);
}

void RegexBracket::addClass(RegexTraits const& traits, std::wstring const& name, bool negated) {
    auto const mask = traits.lookup_classname(name.begin(), name.end());
    if (mask == RegexTraits::char_class_type())
        throw std::regex_error(std::regex_constants::error_collate);
    if (negated)
        negatedClasses_.push_back(mask);
    else
        classes_ |= mask;
}

void RegexBracket::addEquivalenceClass(RegexTraits const& traits, std::wstring const& name) {
    std::wstring const element = lookUpCollatingElement(traits, name);
    equivalenceKeys_.push_back(traits.transform_primary(element.begin(), element.end()));
}

std::wstring RegexBracket::addCollatingElement(RegexTraits const& traits,
                                               std::wstring const& name) {
    std::wstring element = lookUpCollatingElement(traits, name);
    units_.push_back(element.front());
    return element;
}

void RegexBracket::finish() {
    std::sort(units_.begin(), units_.end());
    units_.erase(std::unique(units_.begin(), units_.end()), units_.end());
    for (wchar_t const unit : units_)
        if (static_cast<unsigned long>(unit) < asciiCount)
            ascii_[static_cast<unsigned long>(unit)] = true;
    for (auto const& range : ranges_)
        for (long unit = std::max<long>(range.first, 0);
             unit <= range.second && unit < static_cast<long>(asciiCount); ++unit)
            ascii_[static_cast<unsigned long>(unit)] = true;
    usesTraits_ = classes_ != RegexTraits::char_class_type() || !negatedClasses_.empty() ||
                  !equivalenceKeys_.empty();
}

bool RegexBracket::isListed(wchar_t unit) const {
    if (std::binary_search(units_.begin(), units_.end(), unit))
        return true;
    for (auto const& range : ranges_)
        if (range.first <= unit && unit <= range.second)
            return true;
    return false;
}

bool RegexBracket::isInClasses(RegexTraits const& traits, wchar_t unit) const {
    if (classes_ != RegexTraits::char_class_type() && traits.isctype(unit, classes_))
        return true;
    if (!equivalenceKeys_.empty()) {
        std::wstring const key = traits.transform_primary(&unit, &unit + 1);
        if (std::find(equivalenceKeys_.begin(), equivalenceKeys_.end(), key) !=
            equivalenceKeys_.end())
            return true;
    }
    for (auto const& mask : negatedClasses_)
        if (!traits.isctype(unit, mask))
            return true;
    return false;
}

} // namespace koril::filesystem::detail
