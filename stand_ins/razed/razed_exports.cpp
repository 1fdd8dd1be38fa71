#include <new>

#include "stand_ins/razed/razed.h"
#include "stand_ins/razed/value_stream.h"

RaZED::IStream* __cdecl RaZEDCreateIStream(const unsigned char* data, unsigned size) {
    return new (std::nothrow) razed::ValueStream(data, size);
}
