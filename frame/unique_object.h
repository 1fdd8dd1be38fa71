#pragma once
// Move-only owners of Windows objects: one template, one traits class per
// kind of object saying what "none" is and how to close it.

#include <windows.h>

#include <utility>

template <typename Traits>
class UniqueObject {
public:
    using Value = typename Traits::Value;

    UniqueObject() = default;
    explicit UniqueObject(Value value) : value_(value) {}
    UniqueObject(UniqueObject&& other) noexcept : value_(other.release()) {}
    UniqueObject& operator=(UniqueObject&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueObject(const UniqueObject&) = delete;
    UniqueObject& operator=(const UniqueObject&) = delete;
    ~UniqueObject() { reset(); }

    Value get() const { return value_; }
    bool valid() const { return value_ != Traits::Invalid(); }
    explicit operator bool() const { return valid(); }

    Value release() { return std::exchange(value_, Traits::Invalid()); }
    void reset(Value value = Traits::Invalid()) {
        const Value old = std::exchange(value_, value);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

private:
    Value value_ = Traits::Invalid();
};

// Threads, tokens, events and semaphores: their creators report failure as
// null, not INVALID_HANDLE_VALUE.
struct HandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return nullptr; }
    static void Close(Value handle) { CloseHandle(handle); }
};

using UniqueHandle = UniqueObject<HandleTraits>;

// Files, snapshots and the like, whose creators report failure as INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Value handle) { CloseHandle(handle); }
};

using UniqueFileHandle = UniqueObject<FileHandleTraits>;

struct RegistryKeyTraits {
    using Value = HKEY;
    static Value Invalid() { return nullptr; }
    static void Close(Value key) { RegCloseKey(key); }
};

using UniqueRegistryKey = UniqueObject<RegistryKeyTraits>;

struct WindowTraits {
    using Value = HWND;
    static Value Invalid() { return nullptr; }
    static void Close(Value window) { DestroyWindow(window); }
};

using UniqueWindow = UniqueObject<WindowTraits>;
