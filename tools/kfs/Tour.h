#ifndef KORIL_TOOLS_KFS_TOUR_H
#define KORIL_TOOLS_KFS_TOUR_H

// The tour of the library: each step prints the call, its result and why, checks the result
// against what it states, and counts. The sections live in Tour*.cpp, one per theme.

#include <koril/filesystem/Path.h>

#include <string>
#include <vector>

namespace kfs {

using koril::filesystem::Path;
using koril::unicode::String;

class Tour {
public:
    // The scratch directory the tour works in; shown as "<tour>" in calls and results.
    void setBase(Path const& base);
    Path const& base() const { return base_; }
    // The base joined with `relative` (UTF-8, either separator).
    Path at(std::string const& relative) const;

    // A path or text in double quotes, with the base abbreviated.
    std::string show(Path const& path) const;
    std::string show(String const& text) const;

    void section(std::string const& title);
    // A line of information that is not a step (a listing, a platform fact).
    void note(std::string const& text);

    // One step: ok when `result` equals `expected`.
    bool expect(std::string const& call, std::string const& result, std::string const& expected,
                std::string const& why);
    bool expect(std::string const& call, bool result, bool expected, std::string const& why);
    // One step whose check is more than equality; `wanted` says what was expected when not `ok`.
    bool check(std::string const& call, std::string const& result, bool ok, std::string const& why,
               std::string const& wanted);
    // A step the platform cannot show; counted apart, never as failed.
    void skip(std::string const& call, std::string const& reason);
    // A step that ended with an unexpected exception.
    void broken(std::string const& where, std::string const& what);

    // Prints the summary line; the exit status: 0 when no step failed.
    int summary() const;

private:
    void report(std::string const& call, std::string const& result, std::string const& why,
                std::string const& verdict);

    Path base_;
    int passed_ = 0;
    int failed_ = 0;
    int skipped_ = 0;
    int sections_ = 0;
    std::vector<std::string> failures_;
};

// The sections, in the order the tour runs them.
void tourPathText(Tour& tour);
void tourTree(Tour& tour);
void tourLongPath(Tour& tour);
void tourNames(Tour& tour);
void tourCopyAndMove(Tour& tour);
void tourPatterns(Tour& tour);
void tourLinks(Tour& tour);
void tourLocks(Tour& tour);
void tourTimes(Tour& tour);
void tourScratchStorage(Tour& tour);

// Small helpers that the sections share.

// Writes `contents` through the library's file opening, as the whole file or, with the mode "ab",
// at its end; false on failure.
bool writeTextFile(Path const& path, std::string const& contents, char const* mode = "wb");
// The whole file through the library's file opening, or an empty string.
std::string readTextFile(Path const& path);
// The element texts of a path, such as [C:, \, dir, file].
std::string elementList(Path const& path);
// The same text with every character outside ASCII written as U+XXXX, to show spelling.
std::string codePoints(String const& text);

} // namespace kfs

#endif
