// Completing relative paths.
//
// Input: a path and a base. Checked, for `complete(path, base)`:
// - it is `path` unchanged when `path` is empty, `base` is not complete or `path` has a root
//   name;
// - otherwise, for a path with a root directory, the root name of `base` joined with it, and
//   for any other path, `base` joined with it; joined means with one separator at the seam
//   (one dropped when both sides bring one, one added when neither does);
// - the result ends with the path's text.
// And `systemComplete` returns a complete path unchanged.

#include "FuzzInput.h"
#include "TextOracle.h"

#include <koril/filesystem/Operations.h>

namespace {

using koril::filesystem::complete;
using koril::filesystem::Path;
using koril::fuzz::describe;
using koril::fuzz::endsWith;
using koril::fuzz::joinedWithOneSeparator;
using koril::unicode::String;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    auto const texts = koril::fuzz::textParts(data, size, 2);
    Path const path(texts[0]);
    Path const base(texts[1]);
    String const result = complete(path, base).string();
    std::string const what = describe(path.string()) + " against " + describe(base.string()) +
                             " gave " + describe(result);

    String expected;
    if (path.empty() || !base.isComplete() || !path.rootName().empty())
        expected = path.string();
    else if (!path.rootDirectory().empty())
        expected = joinedWithOneSeparator(base.rootName().string(), path.string());
    else
        expected = joinedWithOneSeparator(base.string(), path.string());
    KORIL_FUZZ_CHECK(result == expected, what);
    KORIL_FUZZ_CHECK(endsWith(result, path.string()), what);

    if (path.isComplete()) {
        KORIL_FUZZ_CHECK(koril::filesystem::systemComplete(path).string() == path.string(),
                         describe(path.string()));
    }
    return 0;
}
