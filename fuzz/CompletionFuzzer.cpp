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

#include <koril/filesystem/Operations.h>

namespace {

using koril::filesystem::complete;
using koril::filesystem::Path;
using koril::fuzz::describe;
using koril::unicode::String;

constexpr unsigned int kSeparator = '\\';

String joined(String const& left, String const& right) {
    if (left.empty() || right.empty())
        return left + right;
    bool const leftEnds = left.back() == kSeparator;
    bool const rightBegins = right.front() == kSeparator;
    if (leftEnds && rightBegins)
        return left.substr(0, left.size() - 1) + right;
    return !leftEnds && !rightBegins ? left + kSeparator + right : left + right;
}

bool endsWith(String const& text, String const& suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

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
        expected = joined(base.rootName().string(), path.string());
    else
        expected = joined(base.string(), path.string());
    KORIL_FUZZ_CHECK(result == expected, what);
    KORIL_FUZZ_CHECK(endsWith(result, path.string()), what);

    if (path.isComplete()) {
        KORIL_FUZZ_CHECK(koril::filesystem::systemComplete(path).string() == path.string(),
                         describe(path.string()));
    }
    return 0;
}
