#pragma once
// Move-only owners of the Windows objects the relay creates.

#include <winsock2.h>
#include <windows.h>

#include <utility>

namespace relay {

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

struct SocketTraits {
    using Value = SOCKET;
    static Value Invalid() { return INVALID_SOCKET; }
    static void Close(Value socket) { closesocket(socket); }
};

struct WsaEventTraits {
    using Value = WSAEVENT;
    static Value Invalid() { return WSA_INVALID_EVENT; }
    static void Close(Value event) { WSACloseEvent(event); }
};

// Thread handles: _beginthreadex reports failure as 0, not INVALID_HANDLE_VALUE.
struct ThreadTraits {
    using Value = HANDLE;
    static Value Invalid() { return nullptr; }
    static void Close(Value handle) { CloseHandle(handle); }
};

using UniqueSocket = UniqueObject<SocketTraits>;
using UniqueWsaEvent = UniqueObject<WsaEventTraits>;
using UniqueThread = UniqueObject<ThreadTraits>;

class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

class Locked {
public:
    explicit Locked(CriticalSection& section) : section_(section) { section_.Enter(); }
    ~Locked() { section_.Leave(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CriticalSection& section_;
};

// True when a manual-reset event is signalled, without waiting.
inline bool IsSignalled(HANDLE event) { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }

}  // namespace relay
