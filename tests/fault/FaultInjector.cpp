#include "fault/FaultInjector.h"

namespace koril::testing {

namespace {

FaultInjector* current = nullptr;

} // namespace

FaultInjector::FaultInjector() {
    current = this;
    installHooks();
}

FaultInjector::~FaultInjector() {
    removeHooks();
    current = nullptr;
}

void FaultInjector::count() {
    failCall(0, 0);
}

void FaultInjector::failCall(std::size_t n, int error, Kind kind) {
    counting_ = true;
    calls_ = 0;
    failAt_ = n;
    error_ = error;
    kind_ = kind;
    failedEntry_.clear();
    trace_.clear();
}

void FaultInjector::stop() {
    counting_ = false;
}

FaultInjector* FaultInjector::active() {
    return current;
}

bool FaultInjector::intercept(char const* entry) {
    if (!counting_)
        return false;
    ++calls_;
    trace_.emplace_back(entry);
    if (calls_ != failAt_)
        return false;
    failedEntry_ = entry;
    return true;
}

} // namespace koril::testing
