#ifndef KORIL_TOOLS_KFS_TREEFAILURES_H
#define KORIL_TOOLS_KFS_TREEFAILURES_H

// The library's tree operations answer with one bool. When one fails, these find on disk
// afterwards which entries it could not handle, so that kfs can name them.

#include "Arguments.h"

#include <koril/filesystem/Path.h>

#include <cstddef>
#include <string>
#include <vector>

namespace kfs {

using koril::filesystem::Path;

// The entries an operation failed on: the first few, and how many in all.
class TreeFailures {
public:
    static constexpr std::size_t named = 5;

    void add(Path const& path);
    std::size_t count() const { return count_; }
    std::vector<Path> const& first() const { return first_; }

    // Prints "kfs: CMD: headline: N entries WHAT:" and one line for each entry named (the
    // headline alone when none was found), on standard error; returns `exitFailure`.
    int report(Arguments const& arguments, std::string const& headline,
               std::string const& what) const;

private:
    std::vector<Path> first_;
    std::size_t count_ = 0;
};

// After a copy of the directory `from` to `to` failed: the entries of `from` whose copy is
// missing, of another type, or of another size. A directory that could not be listed counts as
// failed; below a subdirectory that was not copied nothing more is named. Without `recursive`
// only the children of `from` are compared, as only they were copied.
TreeFailures findUncopied(Path const& from, Path const& to, bool recursive);

// After a removal of `root` failed part way: removes with `remove`, children before their
// directory and links never followed, whatever can still be removed, and returns the entries
// that refused. A directory that stays only because something in it stayed is not named.
TreeFailures removeWhatRemains(Path const& root);

// The same after a removal by pattern failed: each child of `directory` whose name still matches
// `pattern` is removed with `remove`, or with everything in it when `recursive`.
TreeFailures removeMatchingRemains(Path const& directory, koril::unicode::String const& pattern,
                                   bool recursive);

} // namespace kfs

#endif
