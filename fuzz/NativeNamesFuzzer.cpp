// POSIX names as library text and back (`platform::textOfName`, `platform::nativeOf`).
//
// Input: raw bytes, read two ways. Checked:
// - as a name (the bytes up to the first NUL, with `/` left out): its text holds no separator
//   and no NUL, `unitsOfName` gives the same units, and the text joined to a directory leads
//   back to exactly these bytes, so a listed entry can never name another one;
// - as UTF-16 units (the bytes read in pairs, up to the first NUL): the native form of a
//   directory and the units keeps `\` and `/` as separators only; and units that hold no byte
//   escape (U+DC80..U+DCFF outside a surrogate pair) come back unchanged as a name's text.

#include "FuzzInput.h"

#include "platform/Platform.h"

#include <string>

namespace {

namespace platform = koril::filesystem::platform;
using koril::fuzz::describeUnits;

bool isHighSurrogate(wchar_t unit) {
    return static_cast<unsigned int>(unit) - 0xD800u < 0x400u;
}
bool isLowSurrogate(wchar_t unit) {
    return static_cast<unsigned int>(unit) - 0xDC00u < 0x400u;
}
bool isByteEscape(wchar_t unit) {
    return static_cast<unsigned int>(unit) - 0xDC80u < 0x80u;
}

void checkName(std::uint8_t const* data, std::size_t size) {
    std::string name;
    for (std::size_t i = 0; i < size && data[i] != 0; ++i)
        if (data[i] != '/')
            name += static_cast<char>(data[i]);
    std::wstring const units = platform::textOfName(name).toWString();
    KORIL_FUZZ_CHECK(units.find_first_of(std::wstring(L"\\/\0", 3)) == std::wstring::npos,
                     describeUnits(units));
    std::wstring buffer;
    KORIL_FUZZ_CHECK(platform::unitsOfName(name, buffer) == units, describeUnits(units));
    KORIL_FUZZ_CHECK(platform::nativeOf(L"/dir\\" + units) == "/dir/" + name, describeUnits(units));
}

void checkUnits(std::uint8_t const* data, std::size_t size) {
    std::wstring units = koril::fuzz::unitsOf(data, size);
    units.resize(units.find(L'\0') == std::wstring::npos ? units.size() : units.find(L'\0'));
    std::string const native = platform::nativeOf(L"/dir/" + units);
    std::size_t separators = 0;
    for (wchar_t const unit : units)
        separators += unit == L'\\' || unit == L'/';
    std::size_t slashes = 0;
    for (char const byte : native)
        slashes += byte == '/';
    KORIL_FUZZ_CHECK(slashes == separators + 2, describeUnits(units));

    if (separators != 0)
        return;
    for (std::size_t i = 0; i < units.size(); ++i) {
        bool const paired = i > 0 && isHighSurrogate(units[i - 1]) && isLowSurrogate(units[i]);
        if (isByteEscape(units[i]) && !paired)
            return;
    }
    std::wstring const back = platform::textOfName(native.substr(5)).toWString();
    KORIL_FUZZ_CHECK(back == units, describeUnits(units) + "came back as " + describeUnits(back));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    checkName(data, size);
    checkUnits(data, size);
    return 0;
}
