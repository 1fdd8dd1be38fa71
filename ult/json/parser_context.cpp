// Routes the scanner's flat events to the caller's callbacks. A stack holds
// one frame per open structure whose callback wants it; the top-level value
// is handled as an element of an invisible array whose callback, the
// array_start, hands out the caller's root callbacks.
//
// A structure nobody wants is skipped with everything inside it, so skipped
// structures only ever nest in one another at the top of the stack: they are
// counted instead of stacked, and a text of a million unwanted brackets costs
// a counter, not a million frames.
#include <vector>

#include "ult/json/json_callback.h"
#include "ult/json/json_reader.h"
#include "ult/json/json_scanner.h"

namespace ult::json {
namespace {

class array_start final : public array_callback {
public:
    array_start(object_callback* root_object, array_callback* root_array)
        : root_object_(root_object), root_array_(root_array) {}

    array_callback* element_array() override { return root_array_; }
    object_callback* element_object() override { return root_object_; }

private:
    object_callback* const root_object_;
    array_callback* const root_array_;
};

// At most one of the two is set.
struct callback_frame {
    object_callback* object;
    array_callback* array;
};

class parser_context final : public json_callback {
public:
    parser_context(object_callback* root_object, array_callback* root_array) : start_(root_object, root_array) {
        frames_.push_back({nullptr, &start_});
    }

    void error() override {
        // Skipped structures hold no callback, so the top frame is the nearest
        // interested one; the bottom frame only when nothing else is open.
        const callback_frame& target = frames_.back();
        if (target.array != nullptr)
            target.array->error(*position());
        else
            target.object->error(*position());
    }

    void begin_member_object(const std::wstring& key) override {
        if (skipped_ > 0) return push({nullptr, nullptr});
        if (top().object == nullptr) return error();
        push({top().object->member_object(key), nullptr});
    }

    void begin_member_array(const std::wstring& key) override {
        if (skipped_ > 0) return push({nullptr, nullptr});
        if (top().object == nullptr) return error();
        push({nullptr, top().object->member_array(key)});
    }

    void begin_object() override {
        if (skipped_ > 0) return push({nullptr, nullptr});
        if (top().array == nullptr) return error();
        push({top().array->element_object(), nullptr});
    }

    void begin_array() override {
        if (skipped_ > 0) return push({nullptr, nullptr});
        if (top().array == nullptr) return error();
        push({nullptr, top().array->element_array()});
    }

    void member_value(const std::wstring& key, const json_value& value) override {
        if (skipped_ > 0) return;
        if (top().object == nullptr) return error();
        top().object->member_value(key, value);
    }

    void element_value(const json_value& value) override {
        if (skipped_ > 0) return;
        if (top().array == nullptr) return error();
        top().array->element_value(value);
    }

    void end_object() override {
        if (skipped_ == 0 && top().object == nullptr) return error();
        pop();
    }

    void end_array() override {
        if (skipped_ == 0 && top().array == nullptr) return error();
        pop();
    }

private:
    callback_frame& top() { return frames_.back(); }

    void push(callback_frame frame) {
        if (frame.object == nullptr && frame.array == nullptr)
            ++skipped_;
        else
            frames_.push_back(frame);
    }

    void pop() {
        if (skipped_ > 0) {
            if (--skipped_ > 0) return;  // the parent is skipped as well
        } else {
            // The bottom frame stands for the whole text and is never closed;
            // the scanner's balanced events never ask for it.
            if (frames_.size() == 1) return error();
            const callback_frame ended = frames_.back();
            frames_.pop_back();
            if (ended.array != nullptr)
                ended.array->end();
            else
                ended.object->end();
        }
        const callback_frame& parent = frames_.back();
        if (parent.array != nullptr)
            parent.array->child_end();
        else
            parent.object->child_end();
    }

    array_start start_;
    std::vector<callback_frame> frames_;  // bottom: {none, &start_}
    std::size_t skipped_ = 0;             // skipped structures above frames_.back()
};

}  // namespace

void parse_object(const wchar_t* text, std::size_t length, object_callback* callback) {
    parser_context context(callback, nullptr);
    json_scanner(text, length, context).run();
}

}  // namespace ult::json
