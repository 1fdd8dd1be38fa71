#pragma once
// Reads a text handing out a callback of its own for every structure, or at
// random none so that the structure is skipped, and checks what the reader
// promises its callers whatever the text: every callback handed out ends
// exactly once and hears nothing after its end, every error lies inside the
// text and every scalar delivered has a type. The unit tests and the fuzz
// target share it, so it needs no test framework.

#include <deque>
#include <random>
#include <string>

#include "ult/json/json_reader.h"

namespace json_test {

class BalanceChecker {
public:
    explicit BalanceChecker(unsigned seed) : random_(seed) {}

    // The first promise the reader broke on `text`, or an empty string.
    std::string Check(const std::wstring& text) {
        length_ = text.size();
        fault_.clear();
        objects_.clear();
        arrays_.clear();
        ObjectNode root(*this);
        root.root = true;
        ult::json::parse_object(text.data(), text.size(), &root);
        for (const ObjectNode& node : objects_)
            if (node.ends != 1) Fault("an object callback ended " + std::to_string(node.ends) + " times");
        for (const ArrayNode& node : arrays_)
            if (node.ends != 1) Fault("an array callback ended " + std::to_string(node.ends) + " times");
        return fault_;
    }

private:
    struct NodeState {
        explicit NodeState(BalanceChecker& owner) : checker(owner) {}
        // The root callback serves every top-level object, so it ends once per object.
        void Event() const {
            if (!root && ends > 0) checker.Fault("an event after the end");
        }
        void Error(const ult::json::json_position& position) const {
            Event();
            if (position.remaining < 0 || static_cast<std::size_t>(position.remaining) > checker.length_)
                checker.Fault("an error outside the text");
        }
        void Scalar(const ult::json::json_value& value) const {
            Event();
            if (value.type == ult::json::value_type::none) checker.Fault("a scalar without a type");
        }
        void End() {
            Event();
            ++ends;
        }
        BalanceChecker& checker;
        int ends = 0;
        bool root = false;
    };

    struct ObjectNode final : ult::json::object_callback, NodeState {
        using NodeState::NodeState;
        void error(const ult::json::json_position& position) override { Error(position); }
        object_callback* member_object(const std::wstring&) override { return Event(), checker.NewObject(); }
        ult::json::array_callback* member_array(const std::wstring&) override { return Event(), checker.NewArray(); }
        void member_value(const std::wstring&, const ult::json::json_value& value) override { Scalar(value); }
        void end() override { End(); }
        void child_end() override { Event(); }
    };

    struct ArrayNode final : ult::json::array_callback, NodeState {
        using NodeState::NodeState;
        void error(const ult::json::json_position& position) override { Error(position); }
        array_callback* element_array() override { return Event(), checker.NewArray(); }
        ult::json::object_callback* element_object() override { return Event(), checker.NewObject(); }
        void element_value(const ult::json::json_value& value) override { Scalar(value); }
        void end() override { End(); }
        void child_end() override { Event(); }
    };

    void Fault(const std::string& what) {
        if (fault_.empty()) fault_ = what;
    }
    bool Skip() { return std::uniform_int_distribution<int>(0, 3)(random_) == 0; }
    ObjectNode* NewObject() { return Skip() ? nullptr : &objects_.emplace_back(*this); }
    ArrayNode* NewArray() { return Skip() ? nullptr : &arrays_.emplace_back(*this); }

    std::mt19937 random_;
    std::deque<ObjectNode> objects_;
    std::deque<ArrayNode> arrays_;
    std::size_t length_ = 0;
    std::string fault_;
};

}  // namespace json_test
