#include <koril/filesystem/TemporaryDirectory.h>

#include "GlobMatcher.h"
#include "TreeRemoval.h"
#include "TreeWalk.h"

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

// One path for each live TemporaryDirectory, innermost at the back. Destroying it at exit only
// forgets the paths.
std::deque<Path>& temporaryDirectoryStack() {
    static std::deque<Path> stack;
    return stack;
}

TimePoint now() {
    return std::chrono::time_point_cast<Ticks>(std::chrono::system_clock::now());
}

// Removes the entries of `base` whose names match `prefix*` and whose age exceeds `maxAge`. Each
// entry is judged and removed through the open base by the name it has there, so that no name
// (a POSIX name may hold `\`) and no directory replaced meanwhile can lead the sweep elsewhere.
// An entry whose time cannot be read (zero ticks) would look older than any age; it is kept,
// since a file that cannot be opened for its time is likely in use.
void sweepStaleEntries(Path const& base, String const& prefix, Ticks maxAge) {
    platform::Directory directory;
    if (!platform::openDirectory(base, platform::DirectoryUse::walkFollowingLinks, directory))
        return;
    String const pattern = prefix + static_cast<unsigned int>('*');
    // Compiled at the first entry, so that a bad prefix raises only when there is one.
    std::optional<detail::GlobMatcher> matcher;
    std::wstring units;
    detail::walkEntries(std::move(directory), [&](platform::Directory const& parent,
                                                  platform::DirectoryRecord const& record) {
        if (!matcher)
            matcher.emplace(pattern);
        if (!matcher->matches(platform::unitsOfName(record.name, units)))
            return true;
        long long modified = 0;
        if (platform::lastWriteTime(platform::at(parent, record.name), modified) && modified != 0 &&
            maxAge < now() - TimePoint(Ticks(modified)))
            detail::removeAllAt(parent, record.name);
        return true;
    });
}

} // namespace

Path getOSTemporaryDirectory() {
    return platform::temporaryDirectory();
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
