#include "proxy/board/board_reader.h"

#include "ult/dst_buf.h"

namespace RaZED {
namespace {

std::string TypeName(int type) {
    switch (type) {
        case TypeScopeBegin: return "ScopeBegin";
        case TypeScopeEnd: return "TypeScopeEnd";
        case TypeInt: return "TypeInt";
        case TypeString: return "TypeString";
        case TypeReal: return "TypeReal";
        case TypeNull: return "TypeNull";
        default: return "Type(" + std::to_string(type) + ")";
    }
}

}  // namespace

CastError::CastError(int actual, int expected)
    : std::runtime_error("from " + TypeName(actual) + " to " + TypeName(expected)) {}

}  // namespace RaZED

namespace proxy {

BoardReader& BoardReader::ReadString(std::wstring& out) {
    out.clear();
    ult::variable_length_array_dst<std::wstring> destination(&out);
    if (stream_.ReadString(&destination)) return *this;
    out.clear();  // in case a failed read left part of the string behind
    const int next = stream_.Peek();
    if (next != RaZED::TypeScopeEnd) throw RaZED::CastError(next, RaZED::TypeString);
    return *this;
}

BoardReader& BoardReader::ReadInteger(std::int32_t& out) {
    if (stream_.ReadInt(&out)) return *this;
    const int next = stream_.Peek();
    if (next != RaZED::TypeScopeEnd) throw RaZED::CastError(next, RaZED::TypeInt);
    return *this;
}

BoardReader& BoardReader::BeginScope() {
    if (stream_.ReadScopeBegin()) return *this;
    const int next = stream_.Peek();
    if (next != RaZED::TypeScopeEnd) throw RaZED::CastError(next, RaZED::TypeScopeBegin);
    ++skip_depth_;
    return *this;
}

BoardReader& BoardReader::EndScope() {
    if (skip_depth_ > 0)
        --skip_depth_;
    else
        stream_.ReadScopeEnd();
    return *this;
}

BoardReader& operator>>(BoardReader& reader, BoardInitRecord& record) {
    reader.BeginScope();
    if (reader.skip_depth() == 0) {
        reader.ReadString(record.proxy_config_type)
            .ReadString(record.text2)
            .ReadString(record.text3)
            .ReadString(record.text4)
            .ReadString(record.text5)
            .ReadInteger(record.number)
            .ReadString(record.text7);
    }
    return reader.EndScope();
}

}  // namespace proxy
