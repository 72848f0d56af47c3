#ifndef KORIL_FILESYSTEM_SRC_WILDCARDMATCHER_H
#define KORIL_FILESYSTEM_SRC_WILDCARDMATCHER_H

#include <string>
#include <string_view>

namespace koril::filesystem::detail {

// True when `pattern` (UTF-16 units of a glob pattern) holds only units that an ECMAScript
// expression takes literally, and the wildcards `*` (".*"), `?` and `.` (both "."). Such a
// pattern always compiles, and `matchWildcards` answers for it without the regular-expression
// engine.
bool isWildcardPattern(std::wstring const& pattern);

// Whether the whole of `subject` matches the expression that `pattern` rewrites to, unit by
// unit, in linear space and without recursion. As in ECMAScript, "." matches any unit except the
// line terminators U+000A, U+000D, U+2028 and U+2029, so `*` never spans one.
bool matchWildcards(std::wstring const& pattern, std::wstring_view subject);

} // namespace koril::filesystem::detail

#endif
