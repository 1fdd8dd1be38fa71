// The matcher's stack: values of mixed types, checked on the way out.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "regex/hetero_stack.h"

namespace {

struct Pair {
    std::int32_t a;
    double b;
};

TEST(HeteroStack, PopsWhatWasPushedInReverseOrder) {
    regex::hetero_stack stack(1 << 20);
    EXPECT_TRUE(stack.empty());
    stack.push(std::int32_t{7});
    stack.push(Pair{1, 2.5});
    stack.push('c');
    EXPECT_EQ(stack.pop<char>(), 'c');
    const Pair pair = stack.pop<Pair>();
    EXPECT_EQ(pair.a, 1);
    EXPECT_EQ(pair.b, 2.5);
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
    stack.push(3.5);
    const auto mark = stack.mark();
    std::int32_t* stored = stack.push_array(values, 3);
    stored[1] = 20;
    for (int i = 0; i < 5000; ++i) stack.push(i);
    stack.cut(mark);
    EXPECT_EQ(stack.pop<double>(), 3.5);

    stack.push_array(values, 3);
    std::size_t count = 0;
    const std::int32_t* top = stack.top_array<std::int32_t>(count);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(top[2], 3);
    EXPECT_THROW(stack.pop<std::int32_t>(), regex::hetero_stack::type_error);
    stack.pop_array<std::int32_t>();
    EXPECT_TRUE(stack.empty());
}

TEST(HeteroStack, GrowingPastTheBudgetThrows) {
    regex::hetero_stack stack(256 * 1024);
    EXPECT_THROW(
        for (int i = 0; i < 1000000; ++i) stack.push(i), regex::hetero_stack::budget_exceeded);
    EXPECT_THROW(throw regex::hetero_stack::budget_exceeded(), std::bad_alloc);
}

}  // namespace
