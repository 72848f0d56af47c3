// Elided display paths.
//
// Input: a path, an ellipsis and `maxLength` (decimal). With `elements` the path's elements
// without its root directory, the first one preceded by `\` when the path begins with its root
// directory, checked:
// - a path shorter than `maxLength`, or with fewer than three elements, comes back unchanged;
// - otherwise the result is the path unchanged or an elision: the first `h` elements, `\`, the
//   ellipsis, `\` and the last `t` elements, each side joined by `\`, with `h` and `t` at least
//   one and at least one element left out between them;
// - an elision is at most `maxLength` code points long, unless the first and the last element
//   alone, with the ellipsis and its two separators, are already longer;
// - an unchanged result of a path not shorter than `maxLength` means that every element found
//   room: the elements joined, plus the ellipsis, are shorter than `maxLength`.

#include "FuzzInput.h"

#include <koril/filesystem/Operations.h>

#include <vector>

namespace {

using koril::filesystem::generateElidedPath;
using koril::filesystem::Path;
using koril::fuzz::describe;
using koril::unicode::String;

constexpr unsigned int kSeparator = '\\';

std::vector<String> displayElements(Path const& path) {
    std::vector<String> elements;
    bool leadingRoot = false;
    for (Path const& element : path) {
        if (element.string() == String("\\")) {
            leadingRoot = leadingRoot || elements.empty();
            continue;
        }
        elements.push_back(element.string());
    }
    if (leadingRoot && !elements.empty())
        elements.front() = kSeparator + elements.front();
    return elements;
}

String joinedRange(std::vector<String> const& elements, std::size_t first, std::size_t last) {
    String text;
    for (std::size_t i = first; i < last; ++i) {
        if (i > first)
            text += kSeparator;
        text += elements[i];
    }
    return text;
}

// Whether `result` is an elision of `elements` as described above.
bool isElision(String const& result, std::vector<String> const& elements, String const& ellipsis) {
    std::size_t const count = elements.size();
    for (std::size_t head = 1; head + 1 < count; ++head) {
        String const prefix = joinedRange(elements, 0, head) + kSeparator + ellipsis + kSeparator;
        if (result.substr(0, prefix.size()) != prefix)
            continue;
        for (std::size_t tailStart = head + 1; tailStart < count; ++tailStart)
            if (prefix + joinedRange(elements, tailStart, count) == result)
                return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    auto const parts = koril::fuzz::byteParts(data, size, 3);
    Path const path(koril::fuzz::textOf(parts[0]));
    String const ellipsis = parts.size() > 1 ? koril::fuzz::textOf(parts[1]) : String("...");
    std::size_t const maxLength = parts.size() > 2 ? koril::fuzz::numberOf(parts[2], 100000) : 20;
    if (path.size() > 512)
        return -1; // the elision check is quadratic in the number of elements

    String const result = generateElidedPath(path, maxLength, ellipsis);
    std::string const what = describe(path.string()) + " in " + std::to_string(maxLength) +
                             " with " + describe(ellipsis) + " gave " + describe(result);
    std::vector<String> const elements = displayElements(path);
    if (path.length() < maxLength || elements.size() < 3) {
        KORIL_FUZZ_CHECK(result == path.string(), what);
        return 0;
    }
    // An elision may spell the path itself, when the ellipsis matches what it stands for.
    bool const elided = isElision(result, elements, ellipsis);
    if (!elided) {
        KORIL_FUZZ_CHECK(result == path.string(), what);
        std::size_t const whole = joinedRange(elements, 0, elements.size()).size();
        KORIL_FUZZ_CHECK(whole + ellipsis.size() < maxLength, what);
        return 0;
    }
    std::size_t const minimum =
        elements.front().size() + elements.back().size() + ellipsis.size() + 2;
    KORIL_FUZZ_CHECK(result.size() <= maxLength || minimum > maxLength, what);
    return 0;
}
