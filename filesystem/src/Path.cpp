#include <koril/filesystem/Path.h>

#include <utility>

namespace koril::filesystem {

namespace {

constexpr unsigned int kNativeSeparator = 92;
constexpr unsigned int kNonNativeSeparator = 47;

bool startsWithLongPathPrefix(String const& text) {
    return text.size() >= 4 && text[0] == '\\' && text[1] == '\\' && text[2] == '?' &&
           text[3] == '\\';
}

bool hasUncMarkerAt4(String const& text) {
    return text.size() >= 7 && text[4] == 'U' && text[5] == 'N' && text[6] == 'C';
}

} // namespace

unsigned int nativeSeparartor() {
    return kNativeSeparator;
}
unsigned int nonNativeSeparartor() {
    return kNonNativeSeparator;
}

Path::Path() = default;
Path::Path(Path const& other) : text_(other.text_) {}
Path::Path(Path&& other) noexcept : text_(std::move(other.text_)) {
    other.nativeCache_.reset();
}
Path::Path(String const& text) : text_(text) {
    normalize();
}
Path::Path(String&& text) : text_(std::move(text)) {
    normalize();
}
Path::Path(std::string const& text) : text_(text) {
    normalize();
}
Path::Path(char const* text) : text_(text != nullptr ? String(text) : String()) {
    normalize();
}

Path& Path::operator=(Path const& other) {
    if (this != &other) {
        text_ = other.text_;
        nativeCache_.reset();
    }
    return *this;
}

Path& Path::operator=(Path&& other) noexcept {
    if (this != &other) {
        text_ = std::move(other.text_);
        nativeCache_.reset();
        other.nativeCache_.reset();
    }
    return *this;
}

// Only one prefix goes: a text that names a long-path prefix twice keeps the second, which then
// reaches the platform as ordinary characters.
void Path::normalize() {
    for (auto& codePoint : text_)
        if (codePoint == kNonNativeSeparator)
            codePoint = kNativeSeparator;
    if (!startsWithLongPathPrefix(text_))
        return;
    if (hasUncMarkerAt4(text_))
        text_ = String(1, kNativeSeparator) + text_.substr(7);
    else
        text_ = text_.substr(4);
}

void Path::clear() {
    text_.clear();
    nativeCache_.reset();
}

bool Path::empty() const {
    return text_.empty();
}
unsigned long long Path::size() const {
    return text_.size();
}
unsigned long long Path::length() const {
    return text_.size();
}

void Path::appendSeparator() {
    if (text_.empty() || text_.back() != kNativeSeparator)
        text_ += kNativeSeparator;
    nativeCache_.reset();
}

Path& Path::operator+=(Path const& other) {
    text_ += other.text_;
    nativeCache_.reset();
    return *this;
}

Path& Path::operator/=(Path const& other) {
    // Appending a path to itself: a copy keeps the operand whole while the text grows.
    if (this == &other)
        return *this /= Path(other);
    nativeCache_.reset();
    if (other.text_.empty())
        return *this;
    if (text_.empty()) {
        text_ = other.text_;
        return *this;
    }
    bool const leftEnds = text_.back() == kNativeSeparator;
    bool const rightBegins = other.text_.front() == kNativeSeparator;
    if (leftEnds && rightBegins)
        text_.resize(text_.size() - 1);
    else if (!leftEnds && !rightBegins)
        text_ += kNativeSeparator;
    text_ += other.text_;
    return *this;
}

Path operator+(Path&& a, Path const& b) {
    if (&a == &b)
        return Path(a) += b;
    Path result(std::move(a));
    result += b;
    return result;
}

Path operator+(Path const& a, Path const& b) {
    Path result(a);
    result += b;
    return result;
}

Path operator/(Path&& a, Path const& b) {
    if (&a == &b)
        return Path(a) /= b;
    Path result(std::move(a));
    result /= b;
    return result;
}

Path operator/(Path const& a, Path const& b) {
    Path result(a);
    result /= b;
    return result;
}

} // namespace koril::filesystem
