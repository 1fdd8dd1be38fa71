// Reads arbitrary UTF-16 text (two bytes a code unit) with callbacks that
// want every structure, so the scanner, the dispatcher and its frame stack
// all see the input. A position outside the text, a scalar without a type,
// or an end without its begin, or missing at the end, is a crash.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ult/json/character_table.h"
#include "ult/json/json_reader.h"

namespace {

using ult::json::array_callback;
using ult::json::json_position;
using ult::json::json_value;
using ult::json::object_callback;

struct State {
    size_t length = 0;
    size_t open = 0;  // nested structures handed a callback and not yet ended

    void Position(const json_position& position) const {
        if (position.remaining < 0 || static_cast<size_t>(position.remaining) > length) std::abort();
    }
    static void Scalar(const json_value& value) {
        if (value.type == ult::json::value_type::none) std::abort();
    }
    void End() {
        if (open-- == 0) std::abort();
    }
};

struct Array;

struct Object final : object_callback {
    Object(State& s, Array& a) : state(s), array(a) {}
    void error(const json_position& position) override { state.Position(position); }
    object_callback* member_object(const std::wstring&) override { return ++state.open, this; }
    array_callback* member_array(const std::wstring&) override;
    void member_value(const std::wstring&, const json_value& value) override { State::Scalar(value); }
    void end() override { state.End(); }
    State& state;
    Array& array;
};

struct Array final : array_callback {
    explicit Array(State& s) : state(s) {}
    void error(const json_position& position) override { state.Position(position); }
    array_callback* element_array() override { return ++state.open, this; }
    object_callback* element_object() override { return ++state.open, object; }
    void element_value(const json_value& value) override { State::Scalar(value); }
    void end() override { state.End(); }
    State& state;
    Object* object = nullptr;
};

array_callback* Object::member_array(const std::wstring&) { return ++state.open, &array; }

// Top-level objects: the same work, but their ends are not nested ones.
struct Root final : object_callback {
    explicit Root(Object& n) : nested(n) {}
    void error(const json_position& position) override { nested.error(position); }
    object_callback* member_object(const std::wstring& key) override { return nested.member_object(key); }
    array_callback* member_array(const std::wstring& key) override { return nested.member_array(key); }
    void member_value(const std::wstring& key, const json_value& value) override { nested.member_value(key, value); }
    Object& nested;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    static const bool tableBuilt = (ult::json::build_character_table(), true);
    (void)tableBuilt;
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));

    State state;
    state.length = text.size();
    Array array(state);
    Object object(state, array);
    array.object = &object;
    Root root(object);
    ult::json::parse_object(text.data(), text.size(), &root);
    if (state.open != 0) std::abort();
    return 0;
}
