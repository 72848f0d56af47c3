// Compares the normalisation with ICU, which implements the same Unicode version, over sequences
// of marks and decomposable code points that the conformance file does not list.
#ifdef KORIL_HAVE_ICU

#include "UnicodeTestSupport.h"

#include <koril/unicode/String.h>

#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>

#include <random>
#include <string>
#include <vector>

namespace {

using koril::testing::formatCodePoints;
using koril::unicode::isNFD;
using koril::unicode::String;
using koril::unicode::toNFD;

bool isSurrogate(unsigned int c) {
    return c - 0xD800 < 0x800;
}

std::u16string toUtf16(String const& text) {
    std::u16string out;
    for (wchar_t unit : text.toNativeString())
        out.push_back(static_cast<char16_t>(unit));
    return out;
}

String fromUtf16(std::u16string const& units) {
    return String(std::wstring(units.begin(), units.end()));
}

class IcuNormalizer {
public:
    IcuNormalizer() {
        UErrorCode status = U_ZERO_ERROR;
        nfd_ = unorm2_getNFDInstance(&status);
        EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
    }

    String toNFD(String const& text) const {
        std::u16string const source = toUtf16(text);
        std::u16string target(source.size() * 4 + 16, u'\0');
        UErrorCode status = U_ZERO_ERROR;
        int32_t const length =
            unorm2_normalize(nfd_, source.data(), static_cast<int32_t>(source.size()),
                             target.data(), static_cast<int32_t>(target.size()), &status);
        EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
        target.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
        return fromUtf16(target);
    }

    bool isNFD(String const& text) const {
        std::u16string const source = toUtf16(text);
        UErrorCode status = U_ZERO_ERROR;
        bool const normalized =
            unorm2_isNormalized(nfd_, source.data(), static_cast<int32_t>(source.size()), &status);
        EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
        return normalized;
    }

private:
    UNormalizer2 const* nfd_ = nullptr;
};

// Records where this library and ICU disagree.
class Disagreements : public koril::testing::FailureLog {
public:
    void check(String const& text, IcuNormalizer const& icu) {
        String const expected = icu.toNFD(text);
        String const actual = toNFD(text);
        if (actual != expected)
            add("toNFD(" + formatCodePoints(text) + ") = " + formatCodePoints(actual) +
                ", ICU: " + formatCodePoints(expected));
        if (isNFD(text) != icu.isNFD(text))
            add("isNFD(" + formatCodePoints(text) + ") differs from ICU");
    }
};

// Every pair of non-starters, then random sequences of the code points whose order or
// decomposition matters (every non-starter and every code point with a canonical decomposition)
// among a few starters.
TEST(IcuDifferential, PairsOfNonStartersAndRandomSequences) {
    IcuNormalizer const icu;
    std::vector<unsigned int> marks;
    std::vector<unsigned int> pool = {0x41u, 0x5Cu, 0x1100u, 0x1161u, 0x11A8u, 0xD7A3u, 0x10FFFFu};
    for (unsigned int c = 0x80; c <= 0x10FFFF; ++c) {
        if (isSurrogate(c))
            continue;
        bool const nonStarter = u_getCombiningClass(static_cast<UChar32>(c)) != 0;
        if (nonStarter)
            marks.push_back(c);
        if (nonStarter || !icu.isNFD(String(1, c)))
            pool.push_back(c);
    }
    ASSERT_GT(marks.size(), 800u);
    ASSERT_GT(pool.size(), 2000u);
    Disagreements disagreements;
    for (unsigned int a : marks)
        for (unsigned int b : marks)
            disagreements.check(String(1, a) + b, icu);
    std::mt19937 random(2024);
    for (int round = 0; round < 100000; ++round) {
        String text;
        for (auto n = random() % 9; n > 0; --n)
            text += pool[random() % pool.size()];
        disagreements.check(text, icu);
    }
}

} // namespace

#endif
