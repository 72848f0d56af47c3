#ifndef KORIL_TESTS_FAULT_FAULTINJECTOR_H
#define KORIL_TESTS_FAULT_FAULTINJECTOR_H

// Fault injection through the platform layer's system-call table. While an injector lives, every
// entry of the table is wrapped: calls are counted, and one chosen call (the nth after arming)
// fails as the system would fail it, with a chosen error, or (for the calls that move bytes)
// moves fewer bytes than asked. Test code only; one injector at a time.

#include <cstddef>
#include <string>
#include <vector>

namespace koril::testing {

// Implemented per platform beside the table (PosixHooks.cpp, Win32Hooks.cpp).
void installHooks();
void removeHooks();

class FaultInjector {
public:
    enum class Kind { error, shortTransfer };

    FaultInjector() {
        current() = this;
        installHooks();
    }
    FaultInjector(FaultInjector const&) = delete;
    FaultInjector& operator=(FaultInjector const&) = delete;
    ~FaultInjector() {
        removeHooks();
        current() = nullptr;
    }

    // Counts calls from now on; the `n`th (from 1, 0 for none) fails with `error` (an errno
    // value, or a Win32 error code where the call reports one) or, for `shortTransfer`, moves
    // half of what it was asked to (the entries that move bytes only).
    void failCall(std::size_t n, int error = 0, Kind kind = Kind::error) {
        counting_ = true;
        failAt_ = n;
        error_ = error;
        kind_ = kind;
        trace_.clear();
    }
    // Stops counting and failing; the wrappers stay installed until destruction.
    void stop() { counting_ = false; }
    // The entries called since counting began, in order.
    std::vector<std::string> const& trace() const { return trace_; }

    // For the wrappers: whether this call of `entry` fails, and how.
    static FaultInjector* active() { return current(); }
    bool intercept(char const* entry) {
        if (!counting_)
            return false;
        trace_.emplace_back(entry);
        return trace_.size() == failAt_;
    }
    int error() const { return error_; }
    Kind kind() const { return kind_; }

private:
    static FaultInjector*& current() {
        static FaultInjector* injector = nullptr;
        return injector;
    }

    bool counting_ = false;
    std::size_t failAt_ = 0;
    int error_ = 0;
    Kind kind_ = Kind::error;
    std::vector<std::string> trace_;
};

// The number of descriptors or handles the process holds now.
std::size_t openHandleCount();

// The failures worth injecting on this platform: errors, each with its name.
struct InjectedFailure {
    int code;
    char const* name;
};
std::vector<InjectedFailure> const& injectedErrors();
// Whether an entry moves bytes, so that a short transfer means something for it.
bool movesBytes(std::string const& entry);

} // namespace koril::testing

#endif
