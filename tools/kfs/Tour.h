#ifndef KORIL_TOOLS_KFS_TOUR_H
#define KORIL_TOOLS_KFS_TOUR_H

// What the tour prints: chapters, a few words, and each call with what it returned. A call that
// did not return what the tour says is marked and counted, so that the tour can end with a
// non-zero exit status; nothing more.

#include <koril/filesystem/Path.h>

#include <string>

namespace kfs {

using koril::filesystem::Path;
using koril::unicode::String;

class Tour {
public:
    // The scratch directory, shown as <tour>.
    void setBase(Path const& base) { base_ = base; }

    Path at(std::string const& relative) const { return base_ / Path(relative); }
    // A path in double quotes, the scratch directory written as <tour>.
    std::string show(Path const& path) const;

    void chapter(std::string const& title);
    void say(std::string const& text);
    // Prints `call` and what it returned; `said` is what the text of the tour promises.
    void call(std::string const& call, std::string const& returned, std::string const& said);
    void call(std::string const& what, bool returned, bool said) {
        call(what, std::string(returned ? "true" : "false"), said ? "true" : "false");
    }
    // A part of the tour that this platform cannot show.
    void skip(std::string const& what, std::string const& why);

    // Prints the one-line summary; the exit status.
    int finish() const;

private:
    Path base_;
    int chapters_ = 0;
    int calls_ = 0;
    int different_ = 0;
    int skipped_ = 0;
};

// The tour's own chapters, in order (TourChapters.cpp).
void tourChapters(Tour& tour);

} // namespace kfs

#endif
