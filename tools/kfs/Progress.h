#ifndef KORIL_TOOLS_KFS_PROGRESS_H
#define KORIL_TOOLS_KFS_PROGRESS_H

// Progress of the tree commands: a counter on standard error, updated in place, when standard
// error is a terminal; nothing at all otherwise. It only reads, so it never changes what a
// command does.

#include <koril/filesystem/Path.h>

#include <chrono>
#include <cstddef>
#include <string>

namespace kfs {

class Progress {
public:
    // `label` starts every line, such as "rm".
    explicit Progress(std::string label);
    Progress(Progress const&) = delete;
    Progress& operator=(Progress const&) = delete;
    // Ends an unfinished line.
    ~Progress();

    bool shown() const { return shown_; }
    // Counts the entries below `root` (links are counted, not followed), showing the running
    // count; -1, without counting, when progress is not shown or `root` is not a directory.
    long long countTree(koril::filesystem::Path const& root);
    // Replaces the line with `text`, at most every tenth of a second unless `now` is set.
    void show(std::string const& text, bool now = false);
    // Replaces the line with `text` and ends it.
    void finish(std::string const& text);

private:
    long long countBelow(koril::filesystem::Path const& directory, long long soFar);

    std::string label_;
    bool shown_;
    bool lineOpen_ = false;
    std::size_t lastLength_ = 0;
    std::chrono::steady_clock::time_point lastShown_;
};

} // namespace kfs

#endif
