#ifndef KORIL_FILESYSTEM_SRC_TREEWALK_H
#define KORIL_FILESYSTEM_SRC_TREEWALK_H

// The library's one tree walk, behind tree removal, tree copy, tree comparison, the traversals
// and the temporary-directory sweep.
//
// Depth first, with an explicit stack of frames, each owning the open directories of one level.
// Every entry is reached through its open directory by the name that directory holds, and a
// subdirectory is opened relative to its parent, so that nothing another process renames or
// replaces meanwhile can lead a walk out of its tree. The depth of a tree weighs on memory (one
// open directory per level and side), never on the call stack.

#include "platform/Platform.h"

#include <optional>
#include <utility>
#include <vector>

namespace koril::filesystem::detail {

enum class WalkStep { next, descend, stop };

// Drives `visitor` over the tree whose top frame is `root`. A visitor supplies:
//   using Frame; using Item;
//   bool read(Frame&, Item&)  the next item of the frame's listing; false at its end (a listing
//                             that fails midway ends too; the visitor notes that in the frame);
//   WalkStep visit(Frame&, Item const&, std::optional<Frame>& child)
//                             what to do with an item; `descend` pushes `child`;
//   bool leave(Frame finished, Frame* parent)
//                             after a frame's listing has ended; `parent` is null for the root.
// Returns false as soon as `visit` says stop or `leave` returns false; else true.
template <class Visitor> bool walkTree(typename Visitor::Frame root, Visitor& visitor) {
    using Frame = typename Visitor::Frame;
    std::vector<Frame> stack;
    stack.push_back(std::move(root));
    typename Visitor::Item item{};
    while (!stack.empty()) {
        if (visitor.read(stack.back(), item)) {
            std::optional<Frame> child;
            WalkStep const step = visitor.visit(stack.back(), item, child);
            if (step == WalkStep::stop)
                return false;
            if (step == WalkStep::descend)
                stack.push_back(std::move(*child));
            continue;
        }
        Frame finished = std::move(stack.back());
        stack.pop_back();
        if (!visitor.leave(std::move(finished), stack.empty() ? nullptr : &stack.back()))
            return false;
    }
    return true;
}

// A flat walk over the entries of one open directory: `visit(Directory const&, DirectoryRecord
// const&)` returns whether to go on. False when a visit stopped the walk or the listing failed.
template <class Visit> bool walkEntries(platform::Directory directory, Visit visit) {
    struct Flat {
        using Frame = platform::Directory;
        using Item = platform::DirectoryRecord;
        Visit& callback;
        bool failed = false;
        bool read(Frame& frame, Item& record) {
            platform::ReadResult const result = platform::readDirectory(frame, record);
            failed = failed || result == platform::ReadResult::failed;
            return result == platform::ReadResult::entry;
        }
        WalkStep visit(Frame& frame, Item const& record, std::optional<Frame>&) {
            return callback(frame, record) ? WalkStep::next : WalkStep::stop;
        }
        bool leave(Frame, Frame*) { return !failed; }
    };
    Flat flat{visit};
    return walkTree(std::move(directory), flat);
}

} // namespace koril::filesystem::detail

#endif
