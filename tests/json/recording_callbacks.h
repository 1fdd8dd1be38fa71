#pragma once
// Object and array callbacks that write what they receive into one shared
// log, so a test sees the order in which the dispatcher reached them:
//
//   name.key=V   name[]=V   name!N   name.end   name.child_end
//
// A Recorder owns every callback it hands out. Which nested structures get
// a callback is decided by name (a member's callback is named by its key,
// an element's by its parent's name with "[]" appended) or at random.
// Whatever the text, it also checks what the reader promises its callers:
// every callback handed out ends exactly once and hears nothing after its
// end, every error lies inside the text and every scalar has a type. The
// fuzz target shares it, so it needs no test framework.

#include <deque>
#include <optional>
#include <random>
#include <set>
#include <string>

#include "ult/json/json_reader.h"

namespace json_test {

class Recorder;

struct RecordedNode {
    RecordedNode(Recorder& owner, std::string nodeName) : recorder(owner), name(std::move(nodeName)) {}
    void Heard();  // any event: none may come after the end
    void Log(const std::string& entry);
    void Error(const ult::json::json_position& position);
    void Value(const std::string& entry, const ult::json::json_value& value);
    void End();

    Recorder& recorder;
    std::string name;
    int ends = 0;
    bool root = false;  // ends once per top-level object
};

class RecordingObject final : public ult::json::object_callback, public RecordedNode {
public:
    using RecordedNode::RecordedNode;
    void error(const ult::json::json_position& position) override { Error(position); }
    ult::json::object_callback* member_object(const std::wstring& key) override;
    ult::json::array_callback* member_array(const std::wstring& key) override;
    void member_value(const std::wstring& key, const ult::json::json_value& value) override;
    void end() override { End(); }
    void child_end() override { Log(".child_end"); }
};

class RecordingArray final : public ult::json::array_callback, public RecordedNode {
public:
    using RecordedNode::RecordedNode;
    void error(const ult::json::json_position& position) override { Error(position); }
    ult::json::array_callback* element_array() override;
    ult::json::object_callback* element_object() override;
    void element_value(const ult::json::json_value& value) override { Value("[]", value); }
    void end() override { End(); }
    void child_end() override { Log(".child_end"); }
};

class Recorder {
public:
    // Nested structures whose name is in `wanted` get a callback; "*" wants all.
    explicit Recorder(std::set<std::string> wanted = {}) : wanted_(std::move(wanted)) {}
    // One nested structure in four, drawn from `seed`, gets none.
    explicit Recorder(unsigned seed) : random_(std::mt19937(seed)) {}

    // Parses `text` with a root callback named "root" and returns the log.
    std::string Parse(const wchar_t* text, std::size_t length);
    std::string Parse(const std::wstring& text) { return Parse(text.data(), text.size()); }
    // The first promise the last Parse saw broken, or an empty string.
    const std::string& broken() const { return broken_; }

    void Log(const std::string& entry);
    void Broke(const std::string& promise);
    std::size_t length() const { return length_; }
    RecordingObject* ObjectFor(const std::string& name);
    RecordingArray* ArrayFor(const std::string& name);

private:
    bool Wants(const std::string& name);

    std::set<std::string> wanted_;
    std::optional<std::mt19937> random_;
    std::deque<RecordingObject> objects_;
    std::deque<RecordingArray> arrays_;
    std::size_t length_ = 0;
    std::string log_;
    std::string broken_;
};

}  // namespace json_test
