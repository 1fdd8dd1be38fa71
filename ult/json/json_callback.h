#pragma once
// The scanner's flat event stream. Every event has a default that does
// nothing, so a receiver overrides only what it needs.

#include <string>

#include "ult/json/json_value.h"

namespace ult::json {

class json_callback {
public:
    virtual void error() {}
    virtual void begin_member_object(const std::wstring& /*key*/) {}
    virtual void begin_object() {}
    virtual void member_value(const std::wstring& /*key*/, const json_value& /*value*/) {}
    virtual void end_object() {}
    virtual void begin_member_array(const std::wstring& /*key*/) {}
    virtual void begin_array() {}
    virtual void element_value(const json_value& /*value*/) {}
    virtual void end_array() {}

    // Set by the scanner when a scan starts; it always describes the
    // character at which the latest event was reported.
    void attach(const json_position* position) { position_ = position; }
    const json_position* position() const { return position_; }

protected:
    ~json_callback() = default;

private:
    const json_position* position_ = nullptr;
};

}  // namespace ult::json
