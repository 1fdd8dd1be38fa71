// The matcher's stack: values of mixed types, checked on the way out.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "regex/hetero_stack.h"

namespace {

// Items are aligned to a pointer: what the matcher stores is made of positions, counts and flags.
struct Pair {
    std::int16_t a;
    const char* b;
};

TEST(HeteroStack, PopsWhatWasPushedInReverseOrder) {
    regex::hetero_stack stack(1 << 20);
    EXPECT_TRUE(stack.empty());
    static const char text[] = "text";
    stack.push(std::int32_t{7});
    stack.push(Pair{1, text});
    stack.push('c');
    EXPECT_EQ(stack.pop<char>(), 'c');
    const Pair pair = stack.pop<Pair>();
    EXPECT_EQ(pair.a, 1);
    EXPECT_EQ(pair.b, text);
    EXPECT_EQ(stack.pop<std::int32_t>(), 7);
    EXPECT_TRUE(stack.empty());
}

TEST(HeteroStack, PoppingAnotherTypeIsATypeError) {
    regex::hetero_stack stack(1 << 20);
    stack.push(std::int32_t{7});
    try {
        stack.pop<char>();
        FAIL() << "no type_error";
    } catch (const regex::hetero_stack::type_error& e) {
        EXPECT_STREQ(e.what(), "type error in hetero_stack (requested type: char, actual type: int)");
    }
    EXPECT_EQ(stack.pop<std::int32_t>(), 7) << "the failed pop took nothing";
    EXPECT_THROW(stack.pop<std::int32_t>(), std::logic_error) << "popping an empty stack";
}

TEST(HeteroStack, StoredValuesStayPutWhileTheStackGrows) {
    regex::hetero_stack stack(64 << 20);
    std::int32_t* first = stack.push(std::int32_t{-1});
    for (std::int32_t i = 0; i < 100000; ++i) stack.push(i);
    EXPECT_EQ(*first, -1);
    for (std::int32_t i = 100000; i-- > 0;) ASSERT_EQ(stack.pop<std::int32_t>(), i);
    EXPECT_EQ(stack.pop<std::int32_t>(), -1);
    EXPECT_TRUE(stack.empty());
}

TEST(HeteroStack, ArraysAndCuts) {
    regex::hetero_stack stack(1 << 20);
    const std::int32_t values[] = {1, 2, 3};
    stack.push(std::int16_t{35});
    const auto mark = stack.mark();
    std::int32_t* stored = stack.push_array(values, 3);
    stored[1] = 20;
    for (int i = 0; i < 5000; ++i) stack.push(i);
    stack.cut(mark);
    EXPECT_EQ(stack.pop<std::int16_t>(), 35);

    stack.push_array(values, 3);
    std::size_t count = 0;
    const std::int32_t* top = stack.top_array<std::int32_t>(count);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(top[2], 3);
    EXPECT_THROW(stack.pop<std::int32_t>(), regex::hetero_stack::type_error);
    stack.pop_array<std::int32_t>();
    EXPECT_TRUE(stack.empty());
}

// The matcher reads a choice's owner from its tag before it knows the type
// of the data; the data's type is still checked when it is taken.
TEST(HeteroStack, TaggedItemsNameTheirOwnerAndKeepTheirType) {
    regex::hetero_stack stack(1 << 20);
    const int owner_a = 0, owner_b = 0;
    stack.push(std::int32_t{1});
    stack.push_tagged(Pair{2, nullptr}, &owner_a);
    stack.push_tagged('x', &owner_b);
    EXPECT_EQ(stack.top_tag(), &owner_b);
    EXPECT_THROW(stack.pop<char>(), regex::hetero_stack::type_error) << "a tagged item is taken as one";
    EXPECT_THROW(stack.pop_tagged<std::int32_t>(), regex::hetero_stack::type_error);
    stack.top_tagged<char>() = 'y';
    EXPECT_EQ(stack.pop_tagged<char>(), 'y');
    EXPECT_EQ(stack.top_tag(), &owner_a);
    EXPECT_EQ(stack.pop_tagged<Pair>().a, 2);
    EXPECT_THROW(stack.top_tag(), regex::hetero_stack::type_error) << "an untagged item has no owner";
    EXPECT_THROW(stack.pop_tagged<std::int32_t>(), regex::hetero_stack::type_error);
    EXPECT_EQ(stack.pop<std::int32_t>(), 1);
    EXPECT_THROW(stack.top_tag(), regex::hetero_stack::type_error) << "an empty stack has no owner";
}

TEST(HeteroStack, GrowingPastTheBudgetThrows) {
    regex::hetero_stack stack(256 * 1024);
    EXPECT_THROW(
        for (int i = 0; i < 1000000; ++i) stack.push(i), regex::hetero_stack::budget_exceeded);
    EXPECT_THROW(throw regex::hetero_stack::budget_exceeded(), std::bad_alloc);
}

}  // namespace
