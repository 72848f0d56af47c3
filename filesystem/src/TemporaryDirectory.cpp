#include <koril/filesystem/TemporaryDirectory.h>

#include <koril/filesystem/DirectoryIterator.h>

#include "GlobMatcher.h"
#include "platform/Platform.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string>
#include <utility>

namespace koril::filesystem {

namespace {

// GetTempPathW's classic buffer; a longer answer counts as no answer.
constexpr std::uint32_t temporaryPathCapacity = 260;

// One path for each live TemporaryDirectory, innermost at the back. Destroying it at exit only
// forgets the paths.
std::deque<Path>& temporaryDirectoryStack() {
    static std::deque<Path> stack;
    return stack;
}

TimePoint now() {
    return std::chrono::time_point_cast<Ticks>(std::chrono::system_clock::now());
}

// Removes the entries of `base` whose names match `prefix*` and whose age exceeds `maxAge`.
// An entry whose time cannot be read (zero ticks) would look older than any age; it is kept,
// since a file that cannot be opened for its time is likely in use.
void sweepStaleEntries(Path const& base, String const& prefix, Ticks maxAge) {
    String const pattern = prefix + static_cast<unsigned int>('*');
    // Compiled at the first entry, so that a bad prefix raises only when there is one.
    std::optional<detail::GlobMatcher> matcher;
    DirectoryIterator it(base);
    DirectoryIterator const end;
    while (*it != *end) {
        Path const entry = it->getPath();
        if (!matcher)
            matcher.emplace(pattern);
        if (matcher->matches(entry.filename())) {
            TimePoint const modified = getModificationTime(entry);
            if (modified.time_since_epoch().count() != 0 && maxAge < now() - modified)
                removeAll(entry);
        }
        ++it;
    }
}

} // namespace

Path getOSTemporaryDirectory() {
    std::wstring text;
    std::uint32_t const result = platform::getTempPath(temporaryPathCapacity, text);
    if (result >= 1 && result < temporaryPathCapacity)
        return Path(String(text));
    return Path();
}

Path getTemporaryDirectory() {
    auto const& stack = temporaryDirectoryStack();
    if (stack.empty())
        return getOSTemporaryDirectory();
    return stack.back();
}

TemporaryDirectory::TemporaryDirectory(Path const& directory) {
    createDirectories(directory);
    temporaryDirectoryStack().push_back(directory);
}

TemporaryDirectory::TemporaryDirectory(String const& prefix, Ticks maxAge) : prefix_(prefix) {
    Path const base = getTemporaryDirectory();
    // Without a base the sweep would list, and the new directory land in, the current
    // directory. The empty path is still pushed so that every destructor pops its own push.
    Path created;
    if (!base.empty()) {
        sweepStaleEntries(base, prefix_, maxAge);
        created = makeUniqueTemporaryDirectory(getTemporaryDirectory(), prefix_);
        createDirectories(created);
    }
    // Last, so that an exception above leaves the stack as it was.
    temporaryDirectoryStack().push_back(std::move(created));
}

TemporaryDirectory::~TemporaryDirectory() {
    auto& stack = temporaryDirectoryStack();
    // Unpaired destruction must never fall back to the platform's temporary directory.
    if (stack.empty())
        return;
    Path const top = std::move(stack.back());
    stack.pop_back();
    if (!top.empty())
        removeAll(top);
}

Path TemporaryDirectory::get() {
    return getTemporaryDirectory();
}

Path TemporaryDirectory::makeUniqueTemporaryDirectory(Path const& parent, String const& prefix) {
    std::string const name = prefix.toUTF8String();
    for (;;) {
        // A fresh non-deterministic seed each attempt, so that a name taken by another process
        // does not lead into the same sequence again.
        std::random_device device;
        std::mt19937 generator(device());
        auto const number = static_cast<std::uint32_t>(generator());
        Path candidate = parent / Path(name + std::to_string(number));
        if (!exists(candidate))
            return candidate;
    }
}

} // namespace koril::filesystem
