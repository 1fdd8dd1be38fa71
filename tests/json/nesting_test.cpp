// Nesting depth is limited by memory alone: a million levels must neither
// exhaust the stack nor lose an end event.
#include <gtest/gtest.h>

#include <string>

#include "ult/json/json_callback.h"
#include "ult/json/json_reader.h"
#include "ult/json/json_scanner.h"

namespace {

constexpr size_t kDepth = 1000000;

std::wstring Repeat(const wchar_t* piece, size_t times) {
    std::wstring text;
    for (size_t i = 0; i < times; ++i) text += piece;
    return text;
}

struct EventCounter final : ult::json::json_callback {
    void begin_array() override { ++begins; }
    void begin_member_object(const std::wstring&) override { ++begins; }
    void begin_object() override { ++begins; }
    void end_array() override { ++ends; }
    void end_object() override { ++ends; }
    size_t begins = 0;
    size_t ends = 0;
};

// Hands itself out for every nested structure.
struct NestingObject final : ult::json::object_callback {
    ult::json::object_callback* member_object(const std::wstring&) override { return this; }
    ult::json::array_callback* member_array(const std::wstring&) override;
    void end() override { ++ends; }
    void child_end() override { ++child_ends; }
    size_t ends = 0;
    size_t child_ends = 0;
};

struct NestingArray final : ult::json::array_callback {
    ult::json::array_callback* element_array() override { return this; }
    void end() override { ++ends; }
    size_t ends = 0;
};

NestingArray g_array;
ult::json::array_callback* NestingObject::member_array(const std::wstring&) { return &g_array; }

}  // namespace

TEST(Nesting, ScannerClosesAMillionUnclosedBrackets) {
    const std::wstring text = Repeat(L"[", kDepth);
    EventCounter counter;
    ult::json::json_scanner(text.data(), text.size(), counter).run();
    EXPECT_EQ(counter.begins, kDepth);
    EXPECT_EQ(counter.ends, kDepth);
}

TEST(Nesting, SkipsAMillionUnwantedLevels) {
    NestingObject root;
    const std::wstring arrays = Repeat(L"[", kDepth);
    ult::json::parse_object(arrays.data(), arrays.size(), &root);
    EXPECT_EQ(root.ends, 0u) << "a top-level array is not the caller's";

    struct Uninterested final : ult::json::object_callback {
        void child_end() override { ++child_ends; }
        size_t child_ends = 0;
    } uninterested;
    const std::wstring member = L"{a:" + Repeat(L"{b:", kDepth) + Repeat(L"}", kDepth) + L"}";
    ult::json::parse_object(member.data(), member.size(), &uninterested);
    EXPECT_EQ(uninterested.child_ends, 1u);
}

TEST(Nesting, DeliversAMillionWantedLevels) {
    NestingObject objects;
    const std::wstring closed = L"{" + Repeat(L"a:{", kDepth) + Repeat(L"}", kDepth + 1);
    ult::json::parse_object(closed.data(), closed.size(), &objects);
    EXPECT_EQ(objects.ends, kDepth + 1);
    EXPECT_EQ(objects.child_ends, kDepth);

    NestingObject unclosed;
    const std::wstring open = L"{" + Repeat(L"a:{", kDepth);
    ult::json::parse_object(open.data(), open.size(), &unclosed);
    EXPECT_EQ(unclosed.ends, kDepth + 1);

    g_array.ends = 0;
    NestingObject holder;
    const std::wstring arrays = L"{a:" + Repeat(L"[", kDepth) + Repeat(L"]", kDepth) + L"}";
    ult::json::parse_object(arrays.data(), arrays.size(), &holder);
    EXPECT_EQ(g_array.ends, kDepth);
    EXPECT_EQ(holder.ends, 1u);
}
