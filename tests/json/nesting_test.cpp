// Nesting depth is limited by memory alone: a million levels must neither
// exhaust the stack nor lose an end event, wanted or skipped, closed or left
// open by the text.
#include <gtest/gtest.h>

#include <string>

#include "ult/json/json_reader.h"

namespace {

constexpr size_t kDepth = 1000000;

std::wstring Repeat(const wchar_t* piece, size_t times) {
    std::wstring text;
    for (size_t i = 0; i < times; ++i) text += piece;
    return text;
}

// Hands itself out for every nested structure, or none when it wants nothing.
struct Counter final : ult::json::object_callback, ult::json::array_callback {
    explicit Counter(bool wants) : wanted(wants) {}
    object_callback* member_object(const std::wstring&) override { return wanted ? this : nullptr; }
    array_callback* member_array(const std::wstring&) override { return wanted ? this : nullptr; }
    array_callback* element_array() override { return this; }
    void end() override { ++ends; }
    void child_end() override { ++child_ends; }
    bool wanted;
    size_t ends = 0;
    size_t child_ends = 0;
};

size_t Ends(const std::wstring& text, bool wanted, size_t* child_ends = nullptr) {
    Counter counter(wanted);
    ult::json::parse_object(text.data(), text.size(), static_cast<ult::json::object_callback*>(&counter));
    if (child_ends != nullptr) *child_ends = counter.child_ends;
    return counter.ends;
}

TEST(Nesting, AMillionLevelsEachEndOnce) {
    size_t child_ends = 0;
    EXPECT_EQ(Ends(L"{" + Repeat(L"a:{", kDepth) + Repeat(L"}", kDepth + 1), true, &child_ends), kDepth + 1);
    EXPECT_EQ(child_ends, kDepth);
    EXPECT_EQ(Ends(L"{" + Repeat(L"a:{", kDepth), true), kDepth + 1);
    EXPECT_EQ(Ends(L"{a:" + Repeat(L"[", kDepth) + Repeat(L"]", kDepth) + L"}", true), kDepth + 1);
    EXPECT_EQ(Ends(L"{a:" + Repeat(L"{b:", kDepth) + Repeat(L"}", kDepth) + L"}", false, &child_ends), 1u);
    EXPECT_EQ(child_ends, 1u) << "a skipped structure ends once for its parent";
    EXPECT_EQ(Ends(Repeat(L"[", kDepth), true), 0u) << "a top-level array is not the caller's";
}

}  // namespace
