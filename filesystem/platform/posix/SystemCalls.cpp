// The real system calls behind the table.

#include "platform/posix/SystemCalls.h"

#include <cstdio>

namespace {

// Not a system call: the one way the library opens a `std::filebuf`, kept in the table so that
// tests can make it fail like the calls beside it.
bool openFileBuffer(std::filebuf& buffer, char const* path, std::ios_base::openmode mode) {
    return buffer.open(path, mode) != nullptr;
}

} // namespace

namespace koril::filesystem::platform::posix {

namespace {

// One adapter per entry with the table's exact signature; it reaches the variadic `openat` and
// glibc functions whose declared types differ slightly (noexcept, typedef'd offsets).
#define KORIL_POSIX_SYSTEM_CALL_ADAPTER(result, name, parameters, arguments, failure)              \
    result name parameters {                                                                       \
        return ::name arguments;                                                                   \
    }
KORIL_POSIX_SYSTEM_CALLS(KORIL_POSIX_SYSTEM_CALL_ADAPTER)
#undef KORIL_POSIX_SYSTEM_CALL_ADAPTER

} // namespace

#define KORIL_POSIX_SYSTEM_CALL_ADDRESS(result, name, parameters, arguments, failure) &(name),
SystemCalls const realSystemCalls = {KORIL_POSIX_SYSTEM_CALLS(KORIL_POSIX_SYSTEM_CALL_ADDRESS)};
SystemCalls systemCalls = {KORIL_POSIX_SYSTEM_CALLS(KORIL_POSIX_SYSTEM_CALL_ADDRESS)};
#undef KORIL_POSIX_SYSTEM_CALL_ADDRESS

} // namespace koril::filesystem::platform::posix
