// Sanitised names.
//
// Input: one text. Checked: the result has as many code points as the path; each is the
// path's own where that is an ASCII letter or digit, `\` or one of " !#$&'()-@^_`{}~.", and
// `_` everywhere else.

#include "FuzzInput.h"

#include <koril/filesystem/Operations.h>

#include <cstring>

namespace {

using koril::filesystem::Path;
using koril::fuzz::describe;

bool isKept(unsigned int c) {
    static char const punctuation[] = " !#$&'()-@^_`{}~.\\";
    bool const alphanumeric =
        (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    return alphanumeric ||
           (c != 0 && c < 128 && std::strchr(punctuation, static_cast<int>(c)) != nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    Path const path(koril::fuzz::textOf(std::string(reinterpret_cast<char const*>(data), size)));
    Path const result = koril::filesystem::sanitize(path);
    auto const& before = path.string();
    auto const& after = result.string();
    KORIL_FUZZ_CHECK(after.size() == before.size(),
                     describe(before) + " became " + describe(after));
    for (std::size_t i = 0; i < before.size(); ++i) {
        unsigned int const expected = isKept(before[i]) ? before[i] : '_';
        KORIL_FUZZ_CHECK(after[i] == expected, describe(before) + " became " + describe(after));
    }
    return 0;
}
