#ifndef KORIL_TESTS_WIN32_TABLEOVERRIDE_H
#define KORIL_TESTS_WIN32_TABLEOVERRIDE_H

// Lets a test replace entries of the Win32 backend's system-call table, and puts the real calls
// back when it ends, however it ends.

#include "platform/win32/SystemCalls.h"

namespace koril::testing::win32 {

namespace calls = koril::filesystem::platform::win32;

class TableOverride {
public:
    TableOverride() = default;
    TableOverride(TableOverride const&) = delete;
    TableOverride& operator=(TableOverride const&) = delete;
    ~TableOverride() { calls::systemCalls = calls::realSystemCalls; }

    calls::SystemCalls& operator*() const { return calls::systemCalls; }
    calls::SystemCalls* operator->() const { return &calls::systemCalls; }
};

} // namespace koril::testing::win32

#endif
