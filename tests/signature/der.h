#pragma once
// Just enough DER to take a signature apart and put it together again with
// deliberate faults: one-byte tags and definite lengths, as signatures use.

#include <cstdint>
#include <vector>

#include "tests/support/test_files.h"  // Bytes

struct DerElement {
    std::uint8_t tag = 0;
    Bytes contents;                    // a primitive element's value
    std::vector<DerElement> children;  // a constructed element's parts

    bool constructed() const { return (tag & 0x20) != 0; }
};

// The element at the front of `der`, with everything inside it; bytes after
// it are ignored. Throws std::runtime_error on anything else.
DerElement ParseDer(const std::uint8_t* der, const std::uint8_t* end);

// An element without children is written from `contents` even when its tag
// is constructed, so a test can put any bytes inside any tag.
Bytes EncodeDer(const DerElement& element);
Bytes EncodeContents(const DerElement& element);  // without the tag and length
