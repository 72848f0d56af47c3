#include "platform/win32/SystemCalls.h"

#include <direct.h>
#include <stdlib.h>
#include <wchar.h>

namespace koril::filesystem::platform::win32 {

namespace {

// libstdc++ opens a wide path with _wfopen, whose sharing is _SH_DENYNO.
bool openFileBuffer(std::filebuf& buffer, wchar_t const* path, std::ios_base::openmode mode) {
    return buffer.open(path, mode) != nullptr;
}

} // namespace

// The cast picks the plain C function where the runtime's headers add C++ overloads.
SystemCalls const realSystemCalls = {
#define KORIL_WIN32_REAL_SYSTEM_CALL(result, name, parameters, arguments, failure, channel)        \
    static_cast<decltype(SystemCalls::name)>(&name),
    KORIL_WIN32_SYSTEM_CALLS(KORIL_WIN32_REAL_SYSTEM_CALL)
#undef KORIL_WIN32_REAL_SYSTEM_CALL
};

SystemCalls systemCalls = realSystemCalls;

} // namespace koril::filesystem::platform::win32
