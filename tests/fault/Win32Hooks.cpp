// The fault-injection wrappers of the Win32 system-call table.

#ifdef _WIN32

#include "fault/FaultInjector.h"

#include "platform/win32/SystemCalls.h"

#include <cerrno>
#include <string>
#include <type_traits>

namespace koril::testing {

namespace hooks {

using koril::filesystem::platform::win32::realSystemCalls;

enum class Channel { lastError, errnoValue, returnedError };

// Reports the injected error the way the entry reports errors, and gives its failure value.
template <class Result> Result fail(Channel channel, Result failure, int error) {
    if (channel == Channel::lastError)
        SetLastError(static_cast<DWORD>(error));
    else if (channel == Channel::errnoValue)
        errno = error;
    else if constexpr (std::is_integral_v<Result>)
        return static_cast<Result>(error);
    return failure;
}

// GetLastError only reads what another call left: it is passed through, neither counted nor
// failed.
#define KORIL_FAULT_HOOK(result, name, parameters, arguments, failure, channel)                    \
    result WINAPI name parameters {                                                                \
        FaultInjector* const injector = FaultInjector::active();                                   \
        if (std::string(#name) != "GetLastError" && injector != nullptr &&                         \
            injector->intercept(#name))                                                            \
            return fail<result>(Channel::channel, failure, injector->error());                     \
        return realSystemCalls.name arguments;                                                     \
    }
KORIL_WIN32_SYSTEM_CALLS(KORIL_FAULT_HOOK)
#undef KORIL_FAULT_HOOK

// A failing close still releases its handle, as the system's own closing does once it has the
// handle: the failure is reported after the real close, so that a test never leaks what the
// library did close.
BOOL failAfterRelease(char const* entry, BOOL result) {
    FaultInjector* const injector = FaultInjector::active();
    if (injector == nullptr || !injector->intercept(entry))
        return result;
    return fail<BOOL>(Channel::lastError, FALSE, injector->error());
}

BOOL WINAPI releasingCloseHandle(HANDLE handle) {
    return failAfterRelease("CloseHandle", realSystemCalls.CloseHandle(handle));
}

BOOL WINAPI releasingFindClose(HANDLE search) {
    return failAfterRelease("FindClose", realSystemCalls.FindClose(search));
}

} // namespace hooks

void installHooks() {
    using koril::filesystem::platform::win32::systemCalls;
#define KORIL_FAULT_INSTALL(result, name, parameters, arguments, failure, channel)                 \
    systemCalls.name = &hooks::name;
    KORIL_WIN32_SYSTEM_CALLS(KORIL_FAULT_INSTALL)
#undef KORIL_FAULT_INSTALL
    systemCalls.CloseHandle = &hooks::releasingCloseHandle;
    systemCalls.FindClose = &hooks::releasingFindClose;
}

void removeHooks() {
    koril::filesystem::platform::win32::systemCalls = hooks::realSystemCalls;
}

bool movesBytes(std::string const&) {
    // The Win32 calls the library makes copy or compare whole files by themselves.
    return false;
}

std::size_t openHandleCount() {
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

std::vector<InjectedFailure> const& injectedErrors() {
    static std::vector<InjectedFailure> const failures = {
        {ERROR_DISK_FULL, "ERROR_DISK_FULL"},
        {ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},
        {ERROR_SHARING_VIOLATION, "ERROR_SHARING_VIOLATION"},
        {ERROR_FILE_NOT_FOUND, "ERROR_FILE_NOT_FOUND"},
        {ENOSPC, "ENOSPC (runtime calls)"},
    };
    return failures;
}

} // namespace koril::testing

#endif
