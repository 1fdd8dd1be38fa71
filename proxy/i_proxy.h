#pragma once
// The proxy service as the browser sees it. The browser is built with MSVC,
// so the virtual table must be MSVC's: slot 0 is the scalar deleting
// destructor (bit 0 of flags: free the memory), which is why the
// destructor here is not virtual but an ordinary slot. The configuration
// value is NUL-terminated wide text; a std::wstring cannot pass between two
// C++ run times.

#include "ult/calling_convention.h"

class IProxy {
public:
    virtual void* RERIDU_THISCALL DeletingDestructor(unsigned flags) = 0;
    virtual bool RERIDU_THISCALL Start() = 0;
    virtual bool RERIDU_THISCALL Stop() = 0;
    virtual void RERIDU_THISCALL ApplyProxyConfig(const wchar_t* value) = 0;

protected:
    ~IProxy() = default;
};
