#include "tests/json/trace.h"

#include <cstdio>
#include <sstream>

#include "ult/json/json_callback.h"
#include "ult/json/json_scanner.h"

namespace json_test {
namespace {

using ult::json::json_value;

class TraceRecorder final : public ult::json::json_callback {
public:
    explicit TraceRecorder(const wchar_t* start) : start_(start) {}
    std::string trace() const { return trace_.str(); }

    void error() override { add("!" + std::to_string(position()->at - start_)); }
    void begin_member_object(const std::wstring& key) override { add(Narrow(key) + ":{"); }
    void begin_object() override { add("{"); }
    void member_value(const std::wstring& key, const json_value& value) override {
        add(Narrow(key) + "=" + Describe(value));
    }
    void end_object() override { add("}"); }
    void begin_member_array(const std::wstring& key) override { add(Narrow(key) + ":["); }
    void begin_array() override { add("["); }
    void element_value(const json_value& value) override { add("=" + Describe(value)); }
    void end_array() override { add("]"); }

private:
    void add(const std::string& event) {
        if (!first_) trace_ << ' ';
        first_ = false;
        trace_ << event;
    }

    const wchar_t* start_;
    std::ostringstream trace_;
    bool first_ = true;
};

}  // namespace

std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) {
        if (c > 0x20 && c < 0x7F) {  // blanks escaped too: events are split at spaces
            narrow += static_cast<char>(c);
        } else {
            char escape[16];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            narrow += escape;
        }
    }
    return narrow;
}

std::string Describe(const json_value& value) {
    switch (value.type) {
        case ult::json::value_type::none: return "none";
        case ult::json::value_type::null: return "null";
        case ult::json::value_type::boolean: return value.boolean ? "true" : "false";
        case ult::json::value_type::string: return "'" + Narrow(value.text) + "'";
        case ult::json::value_type::number: {
            char number[64];
            std::snprintf(number, sizeof number, "%.17g", value.number);
            return "#" + Narrow(value.text) + "(" + number + ")";
        }
    }
    return "?";
}

std::string ScanTrace(const wchar_t* text, size_t length) {
    TraceRecorder recorder(text);
    ult::json::json_scanner(text, length, recorder).run();
    return recorder.trace();
}

std::string ScanTrace(const std::wstring& text) { return ScanTrace(text.data(), text.size()); }

}  // namespace json_test
