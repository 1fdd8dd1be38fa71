#pragma once
// The browser's typed value-stream library, as ReRidu uses it. RaZED.dll
// in stand_ins/ implements it for our hosts and tests; the browser's own
// library takes its place in the browser.
//
// Encoding, one type byte an item: 0x00 scope begin; 0x01 scope end; 0x02
// int, then int32 little-endian; 0x03 string, then a uint32 LE count of
// UTF-16 code units and the units, LE; 0x04 real, then an IEEE double LE;
// 0x05 null. Past the end of the data the next item reads as a scope end.

#include <cstdint>

#include "ult/calling_convention.h"
#include "ult/dst_buf.h"

namespace RaZED {

enum ItemType : int {
    TypeScopeBegin = 0,
    TypeScopeEnd = 1,
    TypeInt = 2,
    TypeString = 3,
    TypeReal = 4,
    TypeNull = 5,
};

// A reader over bytes the caller keeps alive until Release. Each Read
// consumes the next item and returns true only when it has the type asked for.
class IStream {
public:
    virtual bool RERIDU_THISCALL ReadString(ult::dst_buf<wchar_t>* out) = 0;
    virtual bool RERIDU_THISCALL ReadReal(double* out) = 0;
    virtual bool RERIDU_THISCALL ReadInt(std::int32_t* out) = 0;
    virtual bool RERIDU_THISCALL ReadNull() = 0;
    virtual int RERIDU_THISCALL Peek() = 0;  // the next item's ItemType
    virtual bool RERIDU_THISCALL ReadScopeBegin() = 0;
    virtual bool RERIDU_THISCALL SkipItem() = 0;  // a whole scope when one begins
    // Consumes everything up to and including the end of the current scope.
    virtual bool RERIDU_THISCALL ReadScopeEnd() = 0;
    virtual bool RERIDU_THISCALL Good() = 0;  // false when the bytes are not a sequence of items
    virtual void RERIDU_THISCALL Release() = 0;

protected:
    ~IStream() = default;
};

}  // namespace RaZED

#ifdef _WIN32
extern "C" {
// A stream over data[0, size), or null.
RaZED::IStream* __cdecl RaZEDCreateIStream(const unsigned char* data, unsigned size);
}
#endif
