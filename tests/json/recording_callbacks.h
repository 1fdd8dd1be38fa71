#pragma once
// Object and array callbacks that write what they receive into one shared
// log, so a test sees the order in which the dispatcher reached them:
//
//   name.key=V   name[]=V   name!N   name.end   name.child_end
//
// A Recorder owns every callback it hands out. Which nested structures get
// a callback is decided by name: a member's callback is named by its key,
// an element's by its parent's name with "[]" appended.

#include <deque>
#include <set>
#include <string>

#include "ult/json/json_reader.h"

namespace json_test {

class Recorder;

class RecordingObject final : public ult::json::object_callback {
public:
    RecordingObject(Recorder& recorder, std::string name) : recorder_(recorder), name_(std::move(name)) {}
    void error(const ult::json::json_position& position) override;
    ult::json::object_callback* member_object(const std::wstring& key) override;
    ult::json::array_callback* member_array(const std::wstring& key) override;
    void member_value(const std::wstring& key, const ult::json::json_value& value) override;
    void end() override;
    void child_end() override;

private:
    Recorder& recorder_;
    std::string name_;
};

class RecordingArray final : public ult::json::array_callback {
public:
    RecordingArray(Recorder& recorder, std::string name) : recorder_(recorder), name_(std::move(name)) {}
    void error(const ult::json::json_position& position) override;
    ult::json::array_callback* element_array() override;
    ult::json::object_callback* element_object() override;
    void element_value(const ult::json::json_value& value) override;
    void end() override;
    void child_end() override;

private:
    Recorder& recorder_;
    std::string name_;
};

class Recorder {
public:
    // Nested structures whose name is in `wanted` get a callback; "*" wants all.
    explicit Recorder(std::set<std::string> wanted = {}) : wanted_(std::move(wanted)) {}

    // Parses `text` with a root callback named "root" and returns the log.
    std::string Parse(const std::wstring& text);

    void Log(const std::string& entry);
    RecordingObject* ObjectFor(const std::string& name);
    RecordingArray* ArrayFor(const std::string& name);

private:
    bool Wants(const std::string& name) const { return wanted_.count("*") > 0 || wanted_.count(name) > 0; }

    std::set<std::string> wanted_;
    std::deque<RecordingObject> objects_;
    std::deque<RecordingArray> arrays_;
    std::string log_;
};

}  // namespace json_test
