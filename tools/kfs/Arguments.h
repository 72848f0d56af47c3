#ifndef KORIL_TOOLS_KFS_ARGUMENTS_H
#define KORIL_TOOLS_KFS_ARGUMENTS_H

// The words of one kfs command: its options, its operands and the exit statuses it reports.

#include <koril/filesystem/Path.h>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace kfs {

using koril::unicode::String;

enum ExitStatus : int {
    exitSuccess = 0,
    // The library reported that the operation failed.
    exitFailure = 1,
    // The command line is wrong: unknown command or option, bad count, number or pattern.
    exitUsage = 2,
};

// A command line that cannot be run; its message names the problem.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(std::string const& message) : std::runtime_error(message) {}
};

// The words after the command name. Options may stand anywhere before "--"; every word after
// "--" is an operand, and so is a lone "-".
class Arguments {
public:
    Arguments(std::string command, std::vector<String> words);

    std::string const& command() const { return command_; }

    // Whether the option `name` (such as "-r") was given; removes it. Ask for every option the
    // command knows before asking for the operands.
    bool flag(std::string const& name);
    // The operands, when there are between `min` and `max` of them. Throws `UsageError` for an
    // option that no `flag` call took and for a wrong count.
    std::vector<String> operands(std::size_t min, std::size_t max);

    // Prints "kfs COMMAND: message" on standard error and returns `exitFailure`.
    int fail(std::string const& message) const;

private:
    std::string command_;
    std::vector<String> words_;
};

// A count written in decimal digits only ("12", not "12x", "-1" or "1e3"), at most `limit`.
// Throws `UsageError` naming `what` otherwise.
unsigned long long parseCount(String const& text, std::string const& what,
                              unsigned long long limit);

// Throws `UsageError` when `pattern` is not a glob pattern the library can compile, so that a bad
// pattern is reported the same way whether or not a directory has entries to test it on.
void requireGlobPattern(String const& pattern);

// The word in quotes, for messages: control characters show as '?', and a word longer than
// `quotedLimit` code points keeps its start and its end around a "…", so that a message stays
// one readable line whatever it is given.
std::string quoted(String const& word);
constexpr std::size_t quotedLimit = 80;

} // namespace kfs

#endif
