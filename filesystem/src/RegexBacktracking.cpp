#include "RegexMatcher.h"

#include <cstdint>
#include <vector>

namespace koril::filesystem::detail {

namespace {

struct Capture {
    std::size_t first = 0;
    std::size_t second = 0;
    bool matched = false;
};

// How often, in a row and at one position, the current path has entered a Repeat's body.
struct RepeatVisit {
    std::size_t position = 0;
    int count = 0;
};

// What a search does on failure, newest first: undo a change, or resume at a choice point.
struct Undo {
    enum class Kind {
        Resume,     // resume at `state` and `position`
        LazyRepeat, // then try the body of the lazy Repeat `state` at `position`
        GroupStart, // restore the start of group `state`
        Group,      // restore group `state`
        Visit,      // restore the visits of Repeat `state` (kept in `saved`'s first two fields)
        GreedyPass, // restore them as for Visit, then leave the greedy Repeat `state` at `position`
        Lookahead,  // the search of the lookahead `state`, started at `position`, failed
    };
    Kind kind = Kind::Resume;
    std::int32_t state = -1;
    std::size_t position = 0;
    Capture saved;
};

// What a lookahead's search replaces, restored when the search ends.
struct Context {
    std::vector<Capture> captures;
    std::vector<RepeatVisit> visits;
    std::size_t begin = 0;
    bool prefix = false;
};

// Depth-first search in the standard engine's order, with its rules: a Repeat's body is entered
// at most twice in a row at one position; a back-reference to a group that has not matched
// fails; a group keeps what it captured in earlier passes of a loop; a lookahead searches on
// its own from where it stands (so `^` holds there and `\b` does not look before it), and what
// its first match captured stays captured even when the search backs out of the lookahead.
class Backtracking {
public:
    Backtracking(RegexProgram const& program, std::wstring_view subject)
        : program_(program), subject_(subject) {
        context_.captures.resize(program.groupCount);
        context_.visits.resize(program.repeatCount);
        undo_.reserve(64);
    }

    bool run();

private:
    void pushUndo(Undo::Kind kind, std::int32_t state, std::size_t position,
                  Capture const& saved = Capture()) {
        undo_.push_back({kind, state, position, saved});
    }
    bool enterBody(RegexState const& repeat, std::int32_t id, std::size_t position,
                   Undo::Kind kind);
    void restoreVisits(Undo const& undo) {
        RegexState const& repeat = program_.states[static_cast<std::size_t>(undo.state)];
        context_.visits[static_cast<std::size_t>(repeat.index)] = {
            undo.saved.first, static_cast<int>(undo.saved.second)};
    }
    bool backtrack(std::int32_t& state, std::size_t& position);
    void finishLookahead(std::int32_t& state, std::size_t& position);

    RegexProgram const& program_;
    std::wstring_view subject_;
    Context context_;
    std::vector<Context> outer_;
    std::vector<Undo> undo_;
};

// Records the pass for undoing, as `kind`, and counts it; false when the pass is refused.
bool Backtracking::enterBody(RegexState const& repeat, std::int32_t id, std::size_t position,
                             Undo::Kind kind) {
    RepeatVisit& visit = context_.visits[static_cast<std::size_t>(repeat.index)];
    if (visit.count != 0 && visit.position == position && visit.count >= 2)
        return false;
    pushUndo(kind, id, position, {visit.position, static_cast<std::size_t>(visit.count), false});
    if (visit.count == 0 || visit.position != position)
        visit = {position, 1};
    else
        ++visit.count;
    return true;
}

// Undoes the newest changes up to the newest choice point and resumes there; false when none
// is left.
bool Backtracking::backtrack(std::int32_t& state, std::size_t& position) {
    while (!undo_.empty()) {
        Undo const undo = undo_.back();
        undo_.pop_back();
        switch (undo.kind) {
        case Undo::Kind::Resume:
            state = undo.state;
            position = undo.position;
            return true;
        case Undo::Kind::LazyRepeat: {
            RegexState const& repeat = program_.states[static_cast<std::size_t>(undo.state)];
            if (enterBody(repeat, undo.state, undo.position, Undo::Kind::Visit)) {
                state = repeat.alt;
                position = undo.position;
                return true;
            }
            break;
        }
        case Undo::Kind::GroupStart:
            context_.captures[static_cast<std::size_t>(undo.state)].first = undo.saved.first;
            break;
        case Undo::Kind::Group:
            context_.captures[static_cast<std::size_t>(undo.state)] = undo.saved;
            break;
        case Undo::Kind::Visit:
            restoreVisits(undo);
            break;
        case Undo::Kind::GreedyPass:
            restoreVisits(undo);
            state = program_.states[static_cast<std::size_t>(undo.state)].next;
            position = undo.position;
            return true;
        case Undo::Kind::Lookahead: {
            context_ = std::move(outer_.back());
            outer_.pop_back();
            RegexState const& lookahead = program_.states[static_cast<std::size_t>(undo.state)];
            if (lookahead.negated) {
                state = lookahead.next;
                position = undo.position;
                return true;
            }
            break;
        }
        }
    }
    return false;
}

// The lookahead's body matched: drop its choice points, keep what it captured.
void Backtracking::finishLookahead(std::int32_t& state, std::size_t& position) {
    while (undo_.back().kind != Undo::Kind::Lookahead)
        undo_.pop_back();
    Undo const undo = undo_.back();
    undo_.pop_back();
    std::vector<Capture> const captured = std::move(context_.captures);
    context_ = std::move(outer_.back());
    outer_.pop_back();
    for (std::size_t group = 0; group < captured.size(); ++group)
        if (captured[group].matched)
            context_.captures[group] = captured[group];
    RegexState const& lookahead = program_.states[static_cast<std::size_t>(undo.state)];
    state = lookahead.negated ? -1 : lookahead.next;
    position = undo.position;
}

bool Backtracking::run() {
    std::int32_t id = program_.start;
    std::size_t position = 0;
    for (;;) {
        if (id < 0) {
            if (!backtrack(id, position))
                return false;
            continue;
        }
        RegexState const& state = program_.states[static_cast<std::size_t>(id)];
        switch (state.op) {
        case RegexOp::Unit:
        case RegexOp::AnyUnit:
        case RegexOp::Bracket:
            if (position < subject_.size() && takesUnit(program_, state, subject_[position])) {
                ++position;
                id = state.next;
            } else {
                id = -1;
            }
            break;
        case RegexOp::Backreference: {
            Capture const& capture = context_.captures[static_cast<std::size_t>(state.index)];
            std::size_t const length = capture.second - capture.first;
            if (!capture.matched || capture.first > capture.second ||
                length > subject_.size() - position ||
                subject_.substr(capture.first, length) != subject_.substr(position, length)) {
                id = -1;
            } else {
                position += length;
                id = state.next;
            }
            break;
        }
        case RegexOp::LineBegin:
            id = position == context_.begin ? state.next : -1;
            break;
        case RegexOp::LineEnd:
            id = position == subject_.size() ? state.next : -1;
            break;
        case RegexOp::WordBoundary:
            id = isWordBoundary(program_, subject_, context_.begin, position) != state.negated
                     ? state.next
                     : -1;
            break;
        case RegexOp::GroupBegin: {
            Capture& capture = context_.captures[static_cast<std::size_t>(state.index)];
            pushUndo(Undo::Kind::GroupStart, state.index, 0, capture);
            capture.first = position;
            id = state.next;
            break;
        }
        case RegexOp::GroupEnd: {
            Capture& capture = context_.captures[static_cast<std::size_t>(state.index)];
            pushUndo(Undo::Kind::Group, state.index, 0, capture);
            capture.second = position;
            capture.matched = true;
            id = state.next;
            break;
        }
        case RegexOp::Alternative: {
            pushUndo(Undo::Kind::Resume, state.next, position);
            id = state.alt;
            break;
        }
        case RegexOp::Repeat: {
            // Greedy: the body, then on failure the exit (at once when the body is refused).
            // Lazy: the exit, then on failure the body.
            if (!state.negated) {
                id =
                    enterBody(state, id, position, Undo::Kind::GreedyPass) ? state.alt : state.next;
                break;
            }
            pushUndo(Undo::Kind::LazyRepeat, id, position);
            id = state.next;
            break;
        }
        case RegexOp::Lookahead: {
            pushUndo(Undo::Kind::Lookahead, id, position);
            outer_.push_back(context_);
            context_.visits.assign(program_.repeatCount, RepeatVisit());
            context_.begin = position;
            context_.prefix = true;
            id = state.alt;
            break;
        }
        case RegexOp::Accept:
            if (context_.prefix)
                finishLookahead(id, position);
            else if (position == subject_.size())
                return true;
            else
                id = -1;
            break;
        default:
            id = state.next;
            break;
        }
    }
}

} // namespace

bool matchByBacktracking(RegexProgram const& program, std::wstring_view subject) {
    return Backtracking(program, subject).run();
}

} // namespace koril::filesystem::detail
