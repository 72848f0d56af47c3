#include "RegexProgram.h"
#include "RegexScanner.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace koril::filesystem::detail {

namespace {

// The standard engine refuses an expression whose automaton would exceed this many states.
// States are created here exactly as there, one for one, so that the same expressions are
// refused with the same code.
constexpr std::size_t kStateLimit = 100000;

[[noreturn]] void fail(std::regex_constants::error_type code) {
    throw std::regex_error(code);
}

struct Sequence {
    std::int32_t start = -1;
    std::int32_t end = -1;
};

// One group being parsed: the alternatives finished so far, the alternative being built and
// its last term, which a quantifier may still repeat.
struct OpenGroup {
    enum class Kind { Whole, Capturing, NonCapturing, Lookahead };
    Kind kind = Kind::Whole;
    Sequence opening; // Capturing: its GroupBegin; NonCapturing: a junction
    bool negated = false;
    bool hasDisjunction = false;
    Sequence disjunction;
    bool hasAlternative = false;
    Sequence alternative;
    bool hasTerm = false;
    bool quantifiable = false;
    Sequence term;
};

// Parses with a heap stack of open groups, so that neither the nesting nor the length of an
// expression weighs on the call stack.
class Compiler {
public:
    explicit Compiler(std::wstring const& expression) : scanner_(expression) {
        program_.states.reserve(expression.size() + 8);
    }

    RegexProgram compile();

private:
    std::int32_t insert(RegexState state);
    std::int32_t insertOp(RegexOp op) {
        RegexState state;
        state.op = op;
        return insert(state);
    }
    Sequence single(std::int32_t id) const { return {id, id}; }
    void append(Sequence& sequence, Sequence const& tail) {
        program_.states[static_cast<std::size_t>(sequence.end)].next = tail.start;
        sequence.end = tail.end;
    }
    Sequence clone(Sequence const& sequence);

    bool accept(RegexToken token);
    int digitValue(wchar_t unit, int radix) const;
    long integerValue(int radix) const;
    bool acceptUnit(wchar_t& unit);

    bool parseTerm(OpenGroup& group);
    void startTerm(OpenGroup& group, Sequence term, bool quantifiable);
    void quantify(OpenGroup& group);
    void quantifyByInterval(OpenGroup& group);
    Sequence parseBracket(bool negated);
    bool parseBracketTerm(RegexBracket& bracket, int& lastKind, wchar_t& pendingUnit);
    Sequence insertBracket(RegexBracket bracket);
    void endAlternative(OpenGroup& group);
    Sequence closeGroup(OpenGroup& group);

    RegexScanner scanner_;
    std::wstring value_;
    RegexProgram program_;
    std::vector<std::size_t> openGroupNumbers_;
    std::vector<std::int32_t> cloneMap_;
    std::vector<std::int32_t> clonePending_;
    std::vector<std::int32_t> cloneCopied_;
};

std::int32_t Compiler::insert(RegexState state) {
    program_.states.push_back(state);
    if (program_.states.size() > kStateLimit)
        fail(std::regex_constants::error_space);
    return static_cast<std::int32_t>(program_.states.size() - 1);
}

bool Compiler::accept(RegexToken token) {
    if (scanner_.token() != token)
        return false;
    value_ = scanner_.value();
    scanner_.advance();
    return true;
}

// The traits parse each digit with a string stream; ASCII digits, by far the most common, have
// the same values in every locale.
int Compiler::digitValue(wchar_t unit, int radix) const {
    if (unit >= L'0' && unit <= L'9')
        return unit - L'0';
    if (radix == 16 && unit >= L'a' && unit <= L'f')
        return unit - L'a' + 10;
    if (radix == 16 && unit >= L'A' && unit <= L'F')
        return unit - L'A' + 10;
    return program_.traits.value(unit, radix);
}

// A number too large for `long` overflows in the standard compiler; here it becomes the largest
// `long`, which no group number reaches and no count can be built up to.
long Compiler::integerValue(int radix) const {
    long value = 0;
    for (wchar_t const unit : value_) {
        if (__builtin_mul_overflow(value, radix, &value) ||
            __builtin_add_overflow(value, digitValue(unit, radix), &value))
            return std::numeric_limits<long>::max();
    }
    return value;
}

bool Compiler::acceptUnit(wchar_t& unit) {
    if (accept(RegexToken::Unit)) {
        unit = value_[0];
        return true;
    }
    if (accept(RegexToken::HexNumber)) {
        unit = static_cast<wchar_t>(integerValue(16));
        return true;
    }
    return false;
}

// Copies every state reachable from the start without leaving by the end's exit, in the order
// and number in which the standard compiler copies them, so that the state count stays equal.
Sequence Compiler::clone(Sequence const& sequence) {
    if (cloneMap_.size() < program_.states.size())
        cloneMap_.resize(program_.states.size(), -1);
    std::vector<std::int32_t>& pending = clonePending_;
    std::vector<std::int32_t>& copied = cloneCopied_;
    pending.assign(1, sequence.start);
    copied.clear();
    while (!pending.empty()) {
        std::int32_t const original = pending.back();
        pending.pop_back();
        RegexState const state = program_.states[static_cast<std::size_t>(original)];
        cloneMap_[static_cast<std::size_t>(original)] = insert(state);
        copied.push_back(original);
        if (state.hasAlt() && state.alt >= 0 && cloneMap_[static_cast<std::size_t>(state.alt)] < 0)
            pending.push_back(state.alt);
        if (original == sequence.end)
            continue;
        if (state.next >= 0 && cloneMap_[static_cast<std::size_t>(state.next)] < 0)
            pending.push_back(state.next);
    }
    for (std::int32_t const original : copied) {
        auto& copy =
            program_
                .states[static_cast<std::size_t>(cloneMap_[static_cast<std::size_t>(original)])];
        if (copy.next >= 0)
            copy.next = cloneMap_[static_cast<std::size_t>(copy.next)];
        if (copy.hasAlt() && copy.alt >= 0)
            copy.alt = cloneMap_[static_cast<std::size_t>(copy.alt)];
    }
    Sequence const copy = {cloneMap_[static_cast<std::size_t>(sequence.start)],
                           cloneMap_[static_cast<std::size_t>(sequence.end)]};
    for (std::int32_t const original : copied)
        cloneMap_[static_cast<std::size_t>(original)] = -1;
    return copy;
}

RegexProgram Compiler::compile() {
    scanner_.advance();
    RegexState begin;
    begin.op = RegexOp::GroupBegin;
    program_.start = insert(begin);
    program_.groupCount = 1;
    openGroupNumbers_.push_back(0);

    std::vector<OpenGroup> groups(1);
    for (;;) {
        if (parseTerm(groups.back()))
            continue;
        if (scanner_.token() == RegexToken::GroupBegin ||
            scanner_.token() == RegexToken::NonCapturingBegin ||
            scanner_.token() == RegexToken::LookaheadBegin) {
            OpenGroup group;
            if (accept(RegexToken::LookaheadBegin)) {
                group.kind = OpenGroup::Kind::Lookahead;
                group.negated = value_[0] == L'n';
            } else if (accept(RegexToken::NonCapturingBegin)) {
                group.kind = OpenGroup::Kind::NonCapturing;
                group.opening = single(insertOp(RegexOp::Dummy));
            } else {
                accept(RegexToken::GroupBegin);
                group.kind = OpenGroup::Kind::Capturing;
                RegexState state;
                state.op = RegexOp::GroupBegin;
                state.index = static_cast<std::int32_t>(program_.groupCount);
                openGroupNumbers_.push_back(program_.groupCount++);
                group.opening = single(insert(state));
            }
            groups.push_back(group);
            continue;
        }
        OpenGroup& group = groups.back();
        endAlternative(group);
        if (accept(RegexToken::Or))
            continue;
        if (group.kind == OpenGroup::Kind::Whole) {
            if (!accept(RegexToken::End))
                fail(std::regex_constants::error_paren);
            break;
        }
        if (!accept(RegexToken::GroupEnd))
            fail(std::regex_constants::error_paren);
        bool const quantifiable = group.kind != OpenGroup::Kind::Lookahead;
        Sequence const closed = closeGroup(group);
        groups.pop_back();
        startTerm(groups.back(), closed, quantifiable);
    }

    Sequence whole = single(program_.start);
    append(whole, groups.back().disjunction);
    RegexState end;
    end.op = RegexOp::GroupEnd;
    append(whole, single(insert(end)));
    append(whole, single(insertOp(RegexOp::Accept)));

    // Links go past the junctions, as the matchers never stop at one.
    auto const skipJunctions = [this](std::int32_t id) {
        while (id >= 0 && program_.states[static_cast<std::size_t>(id)].op == RegexOp::Dummy)
            id = program_.states[static_cast<std::size_t>(id)].next;
        return id;
    };
    std::int32_t repeats = 0;
    for (auto& state : program_.states) {
        state.next = skipJunctions(state.next);
        if (state.hasAlt())
            state.alt = skipJunctions(state.alt);
        if (state.op == RegexOp::Repeat)
            state.index = repeats++;
        if (state.op == RegexOp::Backreference)
            program_.hasBackreferences = true;
    }
    program_.repeatCount = static_cast<std::size_t>(repeats);
    program_.followSets = computeFollowSets(program_);
    return std::move(program_);
}

void Compiler::startTerm(OpenGroup& group, Sequence term, bool quantifiable) {
    if (group.hasTerm) {
        if (group.hasAlternative)
            append(group.alternative, group.term);
        else
            group.alternative = group.term;
        group.hasAlternative = true;
    }
    group.hasTerm = true;
    group.term = term;
    group.quantifiable = quantifiable;
}

// Handles the current token if it starts a term or quantifies the last one; groups are opened
// by the caller.
bool Compiler::parseTerm(OpenGroup& group) {
    switch (scanner_.token()) {
    case RegexToken::LineBegin:
    case RegexToken::LineEnd:
    case RegexToken::WordBoundary: {
        RegexToken const token = scanner_.token();
        accept(token);
        RegexState state;
        state.op = token == RegexToken::LineBegin ? RegexOp::LineBegin
                   : token == RegexToken::LineEnd ? RegexOp::LineEnd
                                                  : RegexOp::WordBoundary;
        state.negated = token == RegexToken::WordBoundary && value_[0] == L'n';
        if (token == RegexToken::WordBoundary &&
            program_.wordClass == RegexTraits::char_class_type()) {
            static wchar_t const word[] = L"w";
            program_.wordClass = program_.traits.lookup_classname(word, word + 1);
        }
        startTerm(group, single(insert(state)), false);
        return true;
    }
    case RegexToken::Star:
    case RegexToken::Plus:
    case RegexToken::Optional:
    case RegexToken::IntervalBegin:
        if (!group.hasTerm || !group.quantifiable)
            return false;
        quantify(group);
        return true;
    case RegexToken::AnyUnit:
        accept(RegexToken::AnyUnit);
        startTerm(group, single(insertOp(RegexOp::AnyUnit)), true);
        return true;
    case RegexToken::Unit:
    case RegexToken::HexNumber: {
        RegexState state;
        state.op = RegexOp::Unit;
        acceptUnit(state.unit);
        startTerm(group, single(insert(state)), true);
        return true;
    }
    case RegexToken::Backreference: {
        accept(RegexToken::Backreference);
        long const number = integerValue(10);
        if (number < 0 || static_cast<unsigned long>(number) >= program_.groupCount ||
            std::find(openGroupNumbers_.begin(), openGroupNumbers_.end(),
                      static_cast<std::size_t>(number)) != openGroupNumbers_.end())
            fail(std::regex_constants::error_backref);
        RegexState state;
        state.op = RegexOp::Backreference;
        state.index = static_cast<std::int32_t>(number);
        startTerm(group, single(insert(state)), true);
        return true;
    }
    case RegexToken::ClassEscape: {
        accept(RegexToken::ClassEscape);
        RegexBracket bracket(false);
        bracket.addClass(program_.traits, value_,
                         scanner_.ctype().is(std::ctype_base::upper, value_[0]));
        startTerm(group, insertBracket(std::move(bracket)), true);
        return true;
    }
    case RegexToken::BracketBegin:
    case RegexToken::NegatedBracketBegin: {
        bool const negated = accept(RegexToken::NegatedBracketBegin);
        if (!negated)
            accept(RegexToken::BracketBegin);
        startTerm(group, parseBracket(negated), true);
        return true;
    }
    default:
        return false;
    }
}

void Compiler::quantify(OpenGroup& group) {
    if (scanner_.token() == RegexToken::IntervalBegin) {
        quantifyByInterval(group);
        return;
    }
    RegexToken const token = scanner_.token();
    accept(token);
    RegexState repeat;
    repeat.op = RegexOp::Repeat;
    repeat.negated = accept(RegexToken::Optional); // lazy
    Sequence& body = group.term;
    if (token == RegexToken::Star) {
        repeat.alt = body.start;
        Sequence const loop = single(insert(repeat));
        append(body, loop);
        body = loop;
    } else if (token == RegexToken::Plus) {
        repeat.alt = body.start;
        append(body, single(insert(repeat)));
    } else {
        Sequence const exit = single(insertOp(RegexOp::Dummy));
        repeat.alt = body.start;
        Sequence choice = single(insert(repeat));
        append(body, exit);
        append(choice, exit);
        body = choice;
    }
}

void Compiler::quantifyByInterval(OpenGroup& group) {
    accept(RegexToken::IntervalBegin);
    if (!accept(RegexToken::Count))
        fail(std::regex_constants::error_badbrace);
    Sequence const body = group.term;
    Sequence result = single(insertOp(RegexOp::Dummy));
    long const minimum = integerValue(10);
    bool unbounded = false;
    long optional = 0;
    if (accept(RegexToken::Comma)) {
        if (!accept(RegexToken::Count))
            unbounded = true;
        else if (__builtin_sub_overflow(integerValue(10), minimum, &optional))
            optional = std::numeric_limits<long>::max();
    }
    if (!accept(RegexToken::IntervalEnd))
        fail(std::regex_constants::error_brace);
    if (optional < 0)
        fail(std::regex_constants::error_badbrace);
    bool const lazy = accept(RegexToken::Optional);
    // Each copy adds at least one state, so a count too large for the limit ends in
    // `error_space` before long.
    for (long i = 0; i < minimum; ++i)
        append(result, clone(body));
    RegexState repeat;
    repeat.op = RegexOp::Repeat;
    repeat.negated = lazy;
    if (unbounded) {
        Sequence copy = clone(body);
        repeat.alt = copy.start;
        Sequence const loop = single(insert(repeat));
        append(copy, loop);
        append(result, loop);
    } else {
        Sequence const exit = single(insertOp(RegexOp::Dummy));
        for (long i = 0; i < optional; ++i) {
            Sequence const copy = clone(body);
            repeat.alt = copy.start;
            repeat.next = exit.start;
            std::int32_t const choice = insert(repeat);
            append(result, {choice, copy.end});
        }
        append(result, exit);
    }
    group.term = result;
}

Sequence Compiler::insertBracket(RegexBracket bracket) {
    bracket.finish();
    RegexState state;
    state.op = RegexOp::Bracket;
    state.index = static_cast<std::int32_t>(program_.brackets.size());
    program_.brackets.push_back(std::move(bracket));
    return single(insert(state));
}

enum LastKind { kNone, kUnit, kClass };

Sequence Compiler::parseBracket(bool negated) {
    RegexBracket bracket(negated);
    int lastKind = kNone;
    wchar_t pendingUnit = 0;
    if (acceptUnit(pendingUnit)) {
        lastKind = kUnit;
    } else if (accept(RegexToken::BracketDash)) {
        lastKind = kUnit;
        pendingUnit = L'-';
    }
    while (parseBracketTerm(bracket, lastKind, pendingUnit))
        ;
    if (lastKind == kUnit)
        bracket.addUnit(pendingUnit);
    return insertBracket(std::move(bracket));
}

bool Compiler::parseBracketTerm(RegexBracket& bracket, int& lastKind, wchar_t& pendingUnit) {
    if (accept(RegexToken::BracketEnd))
        return false;
    auto const pushUnit = [&](wchar_t unit) {
        if (lastKind == kUnit)
            bracket.addUnit(pendingUnit);
        lastKind = kUnit;
        pendingUnit = unit;
    };
    auto const pushClass = [&] {
        if (lastKind == kUnit)
            bracket.addUnit(pendingUnit);
        lastKind = kClass;
    };
    RegexTraits const& traits = program_.traits;
    wchar_t unit = 0;
    if (accept(RegexToken::CollatingName)) {
        std::wstring const element = bracket.addCollatingElement(traits, value_);
        if (element.size() == 1)
            pushUnit(element[0]);
        else
            pushClass();
    } else if (accept(RegexToken::EquivalenceName)) {
        pushClass();
        bracket.addEquivalenceClass(traits, value_);
    } else if (accept(RegexToken::ClassName)) {
        pushClass();
        bracket.addClass(traits, value_, false);
    } else if (acceptUnit(unit)) {
        pushUnit(unit);
    } else if (accept(RegexToken::BracketDash)) {
        // A dash is literal at either end of the set, and after a range.
        if (accept(RegexToken::BracketEnd)) {
            pushUnit(L'-');
            return false;
        }
        if (lastKind == kClass)
            fail(std::regex_constants::error_range);
        if (lastKind == kUnit) {
            if (acceptUnit(unit))
                bracket.addRange(pendingUnit, unit);
            else if (accept(RegexToken::BracketDash))
                bracket.addRange(pendingUnit, L'-');
            else
                fail(std::regex_constants::error_range);
            lastKind = kNone;
        } else {
            pushUnit(L'-');
        }
    } else if (accept(RegexToken::ClassEscape)) {
        pushClass();
        bracket.addClass(traits, value_, scanner_.ctype().is(std::ctype_base::upper, value_[0]));
    } else {
        fail(std::regex_constants::error_brack);
    }
    return true;
}

// An alternative ends with a junction; the second and later alternatives join the earlier ones
// under an Alternative state that tries the earlier ones first.
void Compiler::endAlternative(OpenGroup& group) {
    Sequence const junction = single(insertOp(RegexOp::Dummy));
    Sequence alternative = junction;
    if (group.hasTerm) {
        if (group.hasAlternative) {
            alternative = group.alternative;
            append(alternative, group.term);
        } else {
            alternative = group.term;
        }
        append(alternative, junction);
    }
    group.hasAlternative = false;
    group.hasTerm = false;
    if (!group.hasDisjunction) {
        group.disjunction = alternative;
        group.hasDisjunction = true;
        return;
    }
    Sequence const exit = single(insertOp(RegexOp::Dummy));
    Sequence earlier = group.disjunction;
    append(earlier, exit);
    append(alternative, exit);
    RegexState choice;
    choice.op = RegexOp::Alternative;
    choice.alt = earlier.start;
    choice.next = alternative.start;
    group.disjunction = {insert(choice), exit.end};
}

Sequence Compiler::closeGroup(OpenGroup& group) {
    switch (group.kind) {
    case OpenGroup::Kind::Capturing: {
        Sequence result = group.opening;
        append(result, group.disjunction);
        RegexState end;
        end.op = RegexOp::GroupEnd;
        end.index = program_.states[static_cast<std::size_t>(group.opening.start)].index;
        openGroupNumbers_.pop_back();
        append(result, single(insert(end)));
        return result;
    }
    case OpenGroup::Kind::NonCapturing: {
        Sequence result = group.opening;
        append(result, group.disjunction);
        return result;
    }
    default: {
        Sequence body = group.disjunction;
        append(body, single(insertOp(RegexOp::Accept)));
        RegexState lookahead;
        lookahead.op = RegexOp::Lookahead;
        lookahead.negated = group.negated;
        lookahead.alt = body.start;
        return single(insert(lookahead));
    }
    }
}

} // namespace

RegexProgram compileRegex(std::wstring const& expression) {
    return Compiler(expression).compile();
}

} // namespace koril::filesystem::detail
