// 8.3 short names, in a scratch directory.
//
// Input: a long name and a number of rounds (decimal, at most 11). The path is the scratch
// directory joined with the name. Checked:
// - the result is the path's parent joined with a name of 8.3 shape: a base of one to eight
//   characters and an optional extension of one to three after a single ".", all of them
//   digits, capitals or one of "!#$&'()-@^_`{}~";
// - in the empty scratch directory the result is exactly the name the rules give: the kept
//   characters of the long name (small letters as capitals), split at the last "." that has a
//   kept character after it; a base of none is "FILE", one longer than eight keeps six and gets
//   "~1"; the extension keeps three;
// - each round creates the file the previous call named and calls again: the new result names
//   nothing and is the first name padded with "_" to eight characters whose end is overwritten
//   by the smallest tail "~N" that names no file yet, N above the counter of the first name
//   (1 after a truncated base, else 0); a tail may come out equal to the first name itself,
//   which then exists, so N is not simply the round number.
// Files are created only in the scratch directory, and removed after each input.

#include "FuzzInput.h"

#include "support/Scratch.h"

#include <koril/filesystem/Operations.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

using koril::filesystem::Path;
using koril::fuzz::describe;
using koril::unicode::String;

constexpr std::size_t kMaxRounds = 11;

bool isShortNameCharacter(unsigned int c) {
    static std::string const punctuation = "!#$&'()-@^_`{}~";
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c < 128 && punctuation.find(static_cast<char>(c)) != std::string::npos);
}

struct ShortName {
    String base;
    String extension;
};

// Checks the 8.3 shape and splits the name.
ShortName splitShortName(String const& name, std::string const& what) {
    auto const stop = name.find('.');
    ShortName parts{name.substr(0, stop), stop == String::npos ? String() : name.substr(stop + 1)};
    KORIL_FUZZ_CHECK(!parts.base.empty() && parts.base.size() <= 8, what);
    KORIL_FUZZ_CHECK(parts.extension.size() <= 3, what);
    KORIL_FUZZ_CHECK(stop == String::npos || !parts.extension.empty(), what);
    for (String const* part : {&parts.base, &parts.extension})
        for (unsigned int const c : *part)
            KORIL_FUZZ_CHECK(isShortNameCharacter(c), what);
    return parts;
}

struct FirstName {
    String name;
    bool truncated;
};

// The name the rules give when nothing exists, found walking forwards.
FirstName expectedFirstName(String const& longName) {
    String kept;
    // Where the extension starts in `kept`: at the last stop with a kept character after it.
    std::size_t stop = String::npos;
    std::size_t pendingStop = String::npos;
    for (unsigned int const c : longName) {
        unsigned int const character =
            isShortNameCharacter(c) ? c : (c >= 'a' && c <= 'z' ? c - 'a' + 'A' : 0);
        if (c == '.') {
            pendingStop = kept.size();
        } else if (character != 0) {
            if (pendingStop != String::npos)
                stop = pendingStop;
            pendingStop = String::npos;
            kept += character;
        }
    }
    String base = kept.substr(0, stop);
    String const extension = stop == String::npos ? String() : kept.substr(stop, 3);
    if (base.empty())
        base = String("FILE");
    bool const truncated = base.size() > 8;
    if (truncated)
        base = base.substr(0, 6) + String("~1");
    return {extension.empty() ? base : base + '.' + extension, truncated};
}

// The first name's base padded to eight characters with the tail "~number" written over its end.
String withTail(ShortName const& first, unsigned long number) {
    String base = first.base;
    while (base.size() < 8)
        base += '_';
    std::string const tail = "~" + std::to_string(number);
    base = base.substr(0, 8 - tail.size()) + String(tail.c_str());
    return first.extension.empty() ? base : base + '.' + first.extension;
}

koril::testing::ScratchDirectory const& scratch() {
    static koril::testing::ScratchDirectory const directory;
    return directory;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    auto const parts = koril::fuzz::byteParts(data, size, 2);
    std::size_t const rounds = parts.size() > 1 ? koril::fuzz::numberOf(parts[1], kMaxRounds) : 0;
    Path const path = scratch().path() / Path(koril::fuzz::textOf(parts[0]));
    Path const parent = path.parentPath();
    bool const inScratch = parent.string() == scratch().path().string();

    Path result = koril::filesystem::toDos8Dot3(path);
    String name = result.filename().string();
    std::string what = describe(path.string()) + " gave " + describe(result.string());
    KORIL_FUZZ_CHECK(result.string() == (parent / Path(name)).string(), what);
    ShortName const first = splitShortName(name, what);
    if (!inScratch)
        return 0;
    FirstName const expected = expectedFirstName(path.filename().string());
    KORIL_FUZZ_CHECK(name == expected.name, what + ", not " + describe(expected.name));

    std::vector<Path> created;
    std::set<String> names;
    for (std::size_t round = 0; round < rounds; ++round) {
        koril::testing::writeFile(result, "");
        created.push_back(result);
        names.insert(name);
        result = koril::filesystem::toDos8Dot3(path);
        name = result.filename().string();
        what = describe(path.string()) + " in round " + std::to_string(round + 1) + " gave " +
               describe(result.string());
        KORIL_FUZZ_CHECK(!koril::testing::existsOnDisk(result), what);
        splitShortName(name, what);
        unsigned long number = expected.truncated ? 2 : 1;
        while (names.count(withTail(first, number)) != 0)
            ++number;
        String const expectedName = withTail(first, number);
        KORIL_FUZZ_CHECK(name == expectedName, what + ", not " + describe(expectedName));
    }
    for (Path const& file : created)
        std::filesystem::remove(koril::testing::toStd(file));
    return 0;
}
