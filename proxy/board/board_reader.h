#pragma once
// Decoding of the records the browser keeps on its configuration boards,
// read from a typed value stream. A record is one scope holding its fields
// in order; a scope that ends early leaves the missing fields at their
// defaults, and a scope end where a record should begin skips that record.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "stand_ins/razed/razed.h"

namespace RaZED {

// The stream holds an item of another type than the one to be read. The
// message names both: "from TypeString to TypeInt".
class CastError : public std::runtime_error {
public:
    CastError(int actual, int expected);
};

}  // namespace RaZED

namespace proxy {

class BoardReader {
public:
    explicit BoardReader(RaZED::IStream& stream) : stream_(stream) {}

    // Each throws RaZED::CastError when the next item is neither the type
    // asked for nor a scope end.
    BoardReader& ReadString(std::wstring& out);  // a scope end leaves out empty
    BoardReader& ReadInteger(std::int32_t& out);  // a scope end leaves out unchanged
    BoardReader& BeginScope();
    BoardReader& EndScope();

    // Scopes that were missing and so are skipped: their fields are not read.
    unsigned skip_depth() const { return skip_depth_; }

private:
    RaZED::IStream& stream_;
    unsigned skip_depth_ = 0;
};

// The initial-value record of "kt3.config.initvalue.board".
struct BoardInitRecord {
    std::wstring proxy_config_type;  // the value of "browser.general.proxy_config_type"
    // Fields that follow it; read to keep the stream in step, never used.
    std::wstring text2, text3, text4, text5;
    std::int32_t number = 0;
    std::wstring text7;
};

BoardReader& operator>>(BoardReader& reader, BoardInitRecord& record);

}  // namespace proxy
