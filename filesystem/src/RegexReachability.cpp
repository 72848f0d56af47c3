#include "RegexMatcher.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace koril::filesystem::detail {

namespace {

// One simulation: the whole expression over the whole subject, or a lookahead body from the
// position where the lookahead stands, which succeeds at the first position that reaches its
// end. The set of states alive at the current position is kept as the units-consuming states
// (`consumers`) plus a mark on every state reached, so that no state is followed twice.
struct Simulation {
    std::int32_t lookahead = -1; // -1 for the whole expression
    std::size_t begin = 0;
    std::size_t position = 0;
    std::uint64_t stamp = 0;
    std::vector<std::int32_t> pending;
    std::vector<std::int32_t> consumers;
};

class Reachability {
public:
    Reachability(RegexProgram const& program, std::wstring_view subject)
        : program_(program), subject_(subject), marks_(program.states.size(), 0) {}

    bool run();

private:
    enum class Outcome { Running, Suspended, Accepted, Failed };

    void reach(Simulation& simulation, std::int32_t id) {
        auto& mark = marks_[static_cast<std::size_t>(id)];
        if (mark == simulation.stamp)
            return;
        mark = simulation.stamp;
        simulation.pending.push_back(id);
    }
    Outcome close(Simulation& simulation);
    Outcome step(Simulation& simulation);
    void start(std::int32_t lookahead, std::int32_t first, std::size_t position);

    static std::uint64_t key(std::int32_t lookahead, std::size_t position) {
        return static_cast<std::uint64_t>(lookahead) << 32 | position;
    }

    RegexProgram const& program_;
    std::wstring_view subject_;
    // A state belongs to the expression or to exactly one lookahead body, and a lookahead body
    // is simulated at most once at a time, so the live simulations never share a state.
    std::vector<std::uint64_t> marks_;
    std::uint64_t stamps_ = 0;
    std::vector<Simulation> simulations_;
    std::unordered_map<std::uint64_t, bool> lookaheads_;
    std::vector<std::int32_t> next_;
};

void Reachability::start(std::int32_t lookahead, std::int32_t first, std::size_t position) {
    Simulation simulation;
    simulation.lookahead = lookahead;
    simulation.begin = position;
    simulation.position = position;
    simulation.stamp = ++stamps_;
    simulations_.push_back(std::move(simulation));
    reach(simulations_.back(), first);
}

// Follows every path from the pending states that consumes nothing.
Reachability::Outcome Reachability::close(Simulation& simulation) {
    std::size_t const position = simulation.position;
    while (!simulation.pending.empty()) {
        std::int32_t const id = simulation.pending.back();
        RegexState const& state = program_.states[static_cast<std::size_t>(id)];
        if (state.op == RegexOp::Lookahead) {
            auto const known = lookaheads_.find(key(id, position));
            if (known == lookaheads_.end()) {
                start(id, state.alt, position);
                return Outcome::Suspended; // `id` stays pending until the answer is known
            }
            simulation.pending.pop_back();
            if (known->second != state.negated)
                reach(simulation, state.next);
            continue;
        }
        simulation.pending.pop_back();
        switch (state.op) {
        case RegexOp::Unit:
        case RegexOp::AnyUnit:
        case RegexOp::Bracket:
            simulation.consumers.push_back(id);
            break;
        case RegexOp::Accept:
            if (simulation.lookahead >= 0 || position == subject_.size())
                return Outcome::Accepted;
            break;
        case RegexOp::Alternative:
        case RegexOp::Repeat:
            reach(simulation, state.alt);
            reach(simulation, state.next);
            break;
        case RegexOp::LineBegin:
            if (position == simulation.begin)
                reach(simulation, state.next);
            break;
        case RegexOp::LineEnd:
            if (position == subject_.size())
                reach(simulation, state.next);
            break;
        case RegexOp::WordBoundary:
            if (isWordBoundary(program_, subject_, simulation.begin, position) != state.negated)
                reach(simulation, state.next);
            break;
        default: // group marks, which only matter to back-references
            reach(simulation, state.next);
            break;
        }
    }
    return Outcome::Running;
}

Reachability::Outcome Reachability::step(Simulation& simulation) {
    if (simulation.consumers.empty() || simulation.position == subject_.size())
        return Outcome::Failed;
    wchar_t const unit = subject_[simulation.position++];
    simulation.stamp = ++stamps_;
    next_.swap(simulation.consumers);
    simulation.consumers.clear();
    for (std::int32_t const id : next_) {
        RegexState const& state = program_.states[static_cast<std::size_t>(id)];
        if (takesUnit(program_, state, unit))
            reach(simulation, state.next);
    }
    next_.clear();
    return Outcome::Running;
}

bool Reachability::run() {
    start(-1, program_.start, 0);
    for (;;) {
        Simulation& simulation = simulations_.back();
        Outcome outcome = close(simulation);
        if (outcome == Outcome::Suspended)
            continue;
        if (outcome == Outcome::Running)
            outcome = step(simulation);
        if (outcome == Outcome::Running)
            continue;
        bool const accepted = outcome == Outcome::Accepted;
        if (simulations_.size() == 1)
            return accepted;
        lookaheads_.emplace(key(simulation.lookahead, simulation.begin), accepted);
        simulations_.pop_back();
    }
}

} // namespace

bool matchByReachability(RegexProgram const& program, std::wstring_view subject) {
    return Reachability(program, subject).run();
}

} // namespace koril::filesystem::detail
