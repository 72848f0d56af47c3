#include "Arguments.h"

#include "Output.h"

#include <koril/filesystem/Operations.h>

#include <algorithm>
#include <regex>
#include <utility>

namespace kfs {

namespace {

bool isOptionWord(String const& word) {
    return word.size() > 1 && word[0] == '-';
}

String const endOfOptions("--");

} // namespace

Arguments::Arguments(std::string command, std::vector<String> words)
    : command_(std::move(command)), words_(std::move(words)) {}

bool Arguments::flag(std::string const& name) {
    String const wanted(name);
    bool found = false;
    auto const optionsEnd = std::find(words_.begin(), words_.end(), endOfOptions);
    auto const kept = std::remove_if(words_.begin(), optionsEnd, [&](String const& word) {
        if (word != wanted) {
            return false;
        }
        found = true;
        return true;
    });
    words_.erase(kept, optionsEnd);
    return found;
}

std::vector<String> Arguments::operands(std::size_t min, std::size_t max) {
    std::vector<String> result;
    bool optionsEnded = false;
    for (String const& word : words_) {
        if (!optionsEnded && word == endOfOptions) {
            optionsEnded = true;
        } else if (!optionsEnded && isOptionWord(word)) {
            throw UsageError("unknown option " + quoted(word));
        } else {
            result.push_back(word);
        }
    }
    if (result.size() < min) {
        throw UsageError(result.empty() ? "missing operand" : "too few operands");
    }
    if (result.size() > max) {
        throw UsageError("too many operands");
    }
    return result;
}

int Arguments::fail(std::string const& message) const {
    printError(command_ + ": " + message);
    return exitFailure;
}

unsigned long long parseCount(String const& text, std::string const& what,
                              unsigned long long limit) {
    if (text.empty()) {
        throw UsageError(what + " must be a whole number, not an empty word");
    }
    unsigned long long value = 0;
    for (unsigned int c : text) {
        if (c < '0' || c > '9') {
            throw UsageError(what + " must be a whole number, not " + quoted(text));
        }
        unsigned long long const digit = c - '0';
        if (digit > limit || value > (limit - digit) / 10) {
            throw UsageError(what + " " + quoted(text) + " is larger than " +
                             std::to_string(limit));
        }
        value = value * 10 + digit;
    }
    return value;
}

void requireGlobPattern(String const& pattern) {
    try {
        koril::filesystem::matchesGlobPattern(koril::filesystem::Path(), pattern);
    } catch (std::regex_error const& error) {
        throw UsageError("bad pattern " + quoted(pattern) + ": " + error.what());
    }
}

std::string quoted(String const& word) {
    String shown;
    if (word.size() <= quotedLimit) {
        shown = word;
    } else {
        // The end of a path names the file, so it gets the larger half.
        std::size_t const tail = quotedLimit / 2;
        std::size_t const head = quotedLimit - tail - 1;
        shown = word.substr(0, head) + 0x2026u + word.substr(word.size() - tail);
    }
    for (unsigned int& c : shown) {
        if (c < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return "'" + shown.toUTF8String() + "'";
}

} // namespace kfs
