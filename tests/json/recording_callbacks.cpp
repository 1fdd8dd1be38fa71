#include "tests/json/recording_callbacks.h"

#include "tests/json/trace.h"

namespace json_test {

void RecordedNode::Heard() {
    if (ends > 0 && !root) recorder.Broke(name + " heard an event after its end");
}

void RecordedNode::Log(const std::string& entry) {
    Heard();
    recorder.Log(name + entry);
}

void RecordedNode::Error(const ult::json::json_position& position) {
    Log("!" + std::to_string(position.remaining));
    if (position.remaining < 0 || static_cast<std::size_t>(position.remaining) > recorder.length())
        recorder.Broke("an error outside the text");
}

void RecordedNode::Value(const std::string& entry, const ult::json::json_value& value) {
    Log(entry + "=" + Describe(value));
    if (value.type == ult::json::value_type::none) recorder.Broke("a scalar without a type");
}

void RecordedNode::End() {
    Log(".end");
    ++ends;
}

ult::json::object_callback* RecordingObject::member_object(const std::wstring& key) {
    Heard();
    return recorder.ObjectFor(Narrow(key));
}
ult::json::array_callback* RecordingObject::member_array(const std::wstring& key) {
    Heard();
    return recorder.ArrayFor(Narrow(key));
}
void RecordingObject::member_value(const std::wstring& key, const ult::json::json_value& value) {
    Value("." + Narrow(key), value);
}

ult::json::array_callback* RecordingArray::element_array() {
    Heard();
    return recorder.ArrayFor(name + "[]");
}
ult::json::object_callback* RecordingArray::element_object() {
    Heard();
    return recorder.ObjectFor(name + "[]");
}

std::string Recorder::Parse(const wchar_t* text, std::size_t length) {
    log_.clear();
    broken_.clear();
    objects_.clear();
    arrays_.clear();
    length_ = length;
    RecordingObject root(*this, "root");
    root.root = true;
    ult::json::parse_object(text, length, &root);
    for (const RecordingObject& node : objects_)
        if (node.ends != 1) Broke(node.name + " ended " + std::to_string(node.ends) + " times");
    for (const RecordingArray& node : arrays_)
        if (node.ends != 1) Broke(node.name + " ended " + std::to_string(node.ends) + " times");
    return log_;
}

void Recorder::Log(const std::string& entry) {
    if (!log_.empty()) log_ += ' ';
    log_ += entry;
}

void Recorder::Broke(const std::string& promise) {
    if (broken_.empty()) broken_ = promise;
}

bool Recorder::Wants(const std::string& name) {
    if (random_) return std::uniform_int_distribution<int>(0, 3)(*random_) != 0;
    return wanted_.count("*") > 0 || wanted_.count(name) > 0;
}

RecordingObject* Recorder::ObjectFor(const std::string& name) {
    return Wants(name) ? &objects_.emplace_back(*this, name) : nullptr;
}

RecordingArray* Recorder::ArrayFor(const std::string& name) {
    return Wants(name) ? &arrays_.emplace_back(*this, name) : nullptr;
}

}  // namespace json_test
