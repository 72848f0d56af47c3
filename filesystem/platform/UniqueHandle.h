#ifndef KORIL_FILESYSTEM_PLATFORM_UNIQUEHANDLE_H
#define KORIL_FILESYSTEM_PLATFORM_UNIQUEHANDLE_H

// The one owner of an operating-system handle (a POSIX descriptor, a Win32 HANDLE, a search or
// directory stream): closed exactly once, on every way out. `Traits` gives the value type, the
// invalid value and how to close; each backend closes through its system-call table.

#include <utility>

namespace koril::filesystem::platform {

template <class Traits> class UniqueHandle {
public:
    using Value = typename Traits::Value;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Value value) noexcept : value_(value) {}
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueHandle(UniqueHandle const&) = delete;
    UniqueHandle& operator=(UniqueHandle const&) = delete;
    ~UniqueHandle() { reset(); }

    Value get() const noexcept { return value_; }
    bool valid() const noexcept { return value_ != Traits::invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    // Gives the handle up without closing it.
    Value release() noexcept { return std::exchange(value_, Traits::invalid()); }
    // Closes the handle held, if any, and holds `value` instead.
    void reset(Value value = Traits::invalid()) noexcept {
        Value const old = std::exchange(value_, value);
        if (old != Traits::invalid())
            Traits::close(old);
    }

private:
    Value value_ = Traits::invalid();
};

} // namespace koril::filesystem::platform

#endif
