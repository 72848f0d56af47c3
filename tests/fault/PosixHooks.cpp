// The fault-injection wrappers of the POSIX system-call table.

#ifndef _WIN32

#include "fault/FaultInjector.h"

#include "platform/posix/SystemCalls.h"

#include <cerrno>
#include <filesystem>
#include <iterator>
#include <string>

namespace koril::testing {

namespace hooks {

using koril::filesystem::platform::posix::realSystemCalls;

#define KORIL_FAULT_HOOK(result, name, parameters, arguments, failure)                             \
    result name parameters {                                                                       \
        FaultInjector* const injector = FaultInjector::active();                                   \
        if (injector != nullptr && injector->intercept(#name)) {                                   \
            errno = injector->error();                                                             \
            return failure;                                                                        \
        }                                                                                          \
        return realSystemCalls.name arguments;                                                     \
    }
KORIL_POSIX_SYSTEM_CALLS(KORIL_FAULT_HOOK)
#undef KORIL_FAULT_HOOK

// Whether this call of a byte-moving entry fails outright (with errno set); otherwise `count` is
// what to ask the system for: half of it when the injected failure is a short transfer.
bool failsOrShortens(char const* entry, std::size_t& count) {
    FaultInjector* const injector = FaultInjector::active();
    if (injector == nullptr || !injector->intercept(entry))
        return false;
    errno = injector->error();
    count -= injector->kind() == FaultInjector::Kind::shortTransfer ? count / 2 : 0;
    return injector->kind() == FaultInjector::Kind::error;
}

ssize_t transferRead(int fd, void* buffer, std::size_t count) {
    return failsOrShortens("read", count) ? -1 : realSystemCalls.read(fd, buffer, count);
}

ssize_t transferWrite(int fd, void const* buffer, std::size_t count) {
    return failsOrShortens("write", count) ? -1 : realSystemCalls.write(fd, buffer, count);
}

ssize_t transferRange(int in, off64_t* inOffset, int out, off64_t* outOffset, std::size_t count,
                      unsigned int flags) {
    return failsOrShortens("copy_file_range", count)
               ? -1
               : realSystemCalls.copy_file_range(in, inOffset, out, outOffset, count, flags);
}

// The kernel releases a descriptor even when close fails, and closedir frees its stream: a
// failing call that kept them would be a leak that no caller could avoid (or retry safely). So
// the real call is made first and the failure reported after it.
int failAfterRelease(char const* entry, int result) {
    FaultInjector* const injector = FaultInjector::active();
    if (injector == nullptr || !injector->intercept(entry))
        return result;
    errno = injector->error();
    return -1;
}

int releasingClose(int fd) {
    return failAfterRelease("close", realSystemCalls.close(fd));
}

int releasingClosedir(DIR* stream) {
    return failAfterRelease("closedir", realSystemCalls.closedir(stream));
}

} // namespace hooks

void installHooks() {
    using koril::filesystem::platform::posix::systemCalls;
#define KORIL_FAULT_INSTALL(result, name, parameters, arguments, failure)                          \
    systemCalls.name = &hooks::name;
    KORIL_POSIX_SYSTEM_CALLS(KORIL_FAULT_INSTALL)
#undef KORIL_FAULT_INSTALL
    systemCalls.read = &hooks::transferRead;
    systemCalls.write = &hooks::transferWrite;
    systemCalls.copy_file_range = &hooks::transferRange;
    systemCalls.close = &hooks::releasingClose;
    systemCalls.closedir = &hooks::releasingClosedir;
}

void removeHooks() {
    koril::filesystem::platform::posix::systemCalls = hooks::realSystemCalls;
}

bool movesBytes(std::string const& entry) {
    return entry == "read" || entry == "write" || entry == "copy_file_range";
}

std::size_t openHandleCount() {
    auto const fds = std::filesystem::directory_iterator("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(fds), end(fds)));
}

std::vector<InjectedFailure> const& injectedErrors() {
    static std::vector<InjectedFailure> const failures = {
        {ENOSPC, "ENOSPC"}, {EIO, "EIO"}, {EINTR, "EINTR"}, {EACCES, "EACCES"}, {EMFILE, "EMFILE"}};
    return failures;
}

} // namespace koril::testing

#endif
