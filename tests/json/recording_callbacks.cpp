#include "tests/json/recording_callbacks.h"

#include "tests/json/trace.h"

namespace json_test {

void RecordingObject::error(const ult::json::json_position& position) {
    recorder_.Log(name_ + "!" + std::to_string(position.remaining));
}
ult::json::object_callback* RecordingObject::member_object(const std::wstring& key) {
    return recorder_.ObjectFor(Narrow(key));
}
ult::json::array_callback* RecordingObject::member_array(const std::wstring& key) {
    return recorder_.ArrayFor(Narrow(key));
}
void RecordingObject::member_value(const std::wstring& key, const ult::json::json_value& value) {
    recorder_.Log(name_ + "." + Narrow(key) + "=" + Describe(value));
}
void RecordingObject::end() { recorder_.Log(name_ + ".end"); }
void RecordingObject::child_end() { recorder_.Log(name_ + ".child_end"); }

void RecordingArray::error(const ult::json::json_position& position) {
    recorder_.Log(name_ + "!" + std::to_string(position.remaining));
}
ult::json::array_callback* RecordingArray::element_array() { return recorder_.ArrayFor(name_ + "[]"); }
ult::json::object_callback* RecordingArray::element_object() { return recorder_.ObjectFor(name_ + "[]"); }
void RecordingArray::element_value(const ult::json::json_value& value) {
    recorder_.Log(name_ + "[]=" + Describe(value));
}
void RecordingArray::end() { recorder_.Log(name_ + ".end"); }
void RecordingArray::child_end() { recorder_.Log(name_ + ".child_end"); }

std::string Recorder::Parse(const std::wstring& text) {
    log_.clear();
    RecordingObject root(*this, "root");
    ult::json::parse_object(text.data(), text.size(), &root);
    return log_;
}

void Recorder::Log(const std::string& entry) {
    if (!log_.empty()) log_ += ' ';
    log_ += entry;
}

RecordingObject* Recorder::ObjectFor(const std::string& name) {
    if (!Wants(name)) return nullptr;
    return &objects_.emplace_back(*this, name);
}

RecordingArray* Recorder::ArrayFor(const std::string& name) {
    if (!Wants(name)) return nullptr;
    return &arrays_.emplace_back(*this, name);
}

}  // namespace json_test
