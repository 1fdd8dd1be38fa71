#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ult/json/json_callback.h"
#include "ult/json/json_value.h"

namespace ult::json {

// One pass over a text, turning it into json_callback events. Open
// structures are kept on an explicit stack rather than the call stack, so
// nesting depth is bounded by memory, not by the thread's stack.
class json_scanner {
public:
    json_scanner(const wchar_t* text, std::size_t length, json_callback& callback);
    json_scanner(const json_scanner&) = delete;
    json_scanner& operator=(const json_scanner&) = delete;

    // Emits every event of the text. However the text ends, every begin
    // event gets its end event.
    void run();

private:
    enum class container : bool { object, array };

    void step_top_level();
    void step_object();
    void step_array();
    void read_member();
    void read_string(std::wstring& out);
    void read_number();
    void read_word();
    void skip_blanks();

    void enter_object();
    void enter_array();
    void close_innermost();

    bool value_pending() const { return value_.type != value_type::none || !value_.text.empty(); }
    void discard_value();
    void flush_member();
    void flush_element();

    // Each updates the position first, as every event does.
    void emit_error();
    const json_position& mark();

    const wchar_t* cur_;
    const wchar_t* const end_;
    json_callback& callback_;
    std::wstring key_;  // member name being read
    json_value value_;  // scalar waiting for its comma or closing bracket
    json_position position_;
    std::vector<container> open_;  // innermost last
};

}  // namespace ult::json
