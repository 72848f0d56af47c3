#include "RegexMatcher.h"

namespace koril::filesystem::detail {

namespace {

// Beyond this the sets cost more to build than a typical match costs.
constexpr std::size_t kStateBudget = 1024;
constexpr std::size_t kConsumerLimit = 64;

bool consumes(RegexOp op) {
    return op == RegexOp::Unit || op == RegexOp::AnyUnit || op == RegexOp::Bracket;
}

// The consumers reachable from `id` without consuming, and whether the end is.
struct Closure {
    std::uint64_t consumers = 0;
    bool accepts = false;
};

} // namespace

std::optional<RegexFollowSets> computeFollowSets(RegexProgram const& program) {
    constexpr std::int32_t unseen = -2;
    constexpr std::int32_t noBit = -1;
    // For each state: unseen, seen without a bit, or its consumer's bit; later reused as the
    // closure marks.
    std::vector<std::int32_t> bitOf(program.states.size(), unseen);
    RegexFollowSets sets;
    std::vector<std::int32_t> pending;
    pending.reserve(32);
    pending.push_back(program.start);
    std::size_t reachable = 0;
    while (!pending.empty()) {
        std::int32_t const id = pending.back();
        pending.pop_back();
        if (id < 0 || bitOf[static_cast<std::size_t>(id)] != unseen)
            continue;
        bitOf[static_cast<std::size_t>(id)] = noBit;
        RegexState const& state = program.states[static_cast<std::size_t>(id)];
        switch (state.op) {
        case RegexOp::LineBegin:
        case RegexOp::LineEnd:
        case RegexOp::WordBoundary:
        case RegexOp::Lookahead:
        case RegexOp::Backreference:
            return std::nullopt;
        default:
            break;
        }
        if (++reachable > kStateBudget)
            return std::nullopt;
        if (consumes(state.op)) {
            if (sets.consumers.size() == kConsumerLimit)
                return std::nullopt;
            bitOf[static_cast<std::size_t>(id)] = static_cast<std::int32_t>(sets.consumers.size());
            sets.consumers.push_back(id);
        }
        pending.push_back(state.next);
        if (state.hasAlt())
            pending.push_back(state.alt);
    }

    std::vector<std::uint32_t> visited(program.states.size(), 0);
    std::uint32_t stamp = 0;
    auto const close = [&](std::int32_t from) {
        Closure closure;
        ++stamp;
        pending.assign(1, from);
        while (!pending.empty()) {
            std::int32_t const id = pending.back();
            pending.pop_back();
            if (id < 0 || visited[static_cast<std::size_t>(id)] == stamp)
                continue;
            visited[static_cast<std::size_t>(id)] = stamp;
            RegexState const& state = program.states[static_cast<std::size_t>(id)];
            if (consumes(state.op)) {
                closure.consumers |= std::uint64_t(1) << bitOf[static_cast<std::size_t>(id)];
                continue;
            }
            if (state.op == RegexOp::Accept) {
                closure.accepts = true;
                continue;
            }
            pending.push_back(state.next);
            if (state.hasAlt())
                pending.push_back(state.alt);
        }
        return closure;
    };

    Closure const start = close(program.start);
    sets.first = start.consumers;
    sets.follow.reserve(sets.consumers.size());
    sets.acceptsEmpty = start.accepts;
    for (std::size_t bit = 0; bit < sets.consumers.size(); ++bit) {
        Closure const after =
            close(program.states[static_cast<std::size_t>(sets.consumers[bit])].next);
        sets.follow.push_back(after.consumers);
        if (after.accepts)
            sets.last |= std::uint64_t(1) << bit;
    }
    return sets;
}

bool matchByFollowSets(RegexProgram const& program, std::wstring_view subject) {
    RegexFollowSets const& sets = *program.followSets;
    std::uint64_t live = sets.first;
    bool accepts = sets.acceptsEmpty;
    for (wchar_t const unit : subject) {
        std::uint64_t taken = 0;
        for (std::uint64_t rest = live; rest != 0; rest &= rest - 1) {
            int const bit = __builtin_ctzll(rest);
            RegexState const& state = program.states[static_cast<std::size_t>(
                sets.consumers[static_cast<std::size_t>(bit)])];
            if (takesUnit(program, state, unit))
                taken |= std::uint64_t(1) << bit;
        }
        if (taken == 0)
            return false;
        live = 0;
        for (std::uint64_t rest = taken; rest != 0; rest &= rest - 1)
            live |= sets.follow[static_cast<std::size_t>(__builtin_ctzll(rest))];
        accepts = (taken & sets.last) != 0;
    }
    return accepts;
}

} // namespace koril::filesystem::detail
