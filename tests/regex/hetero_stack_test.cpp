// The matcher's stack: values of mixed types, checked on the way out. The
// matchers' own tests show that what they store comes back; these show that
// a mistaken pop is refused.
#include <gtest/gtest.h>

#include <cstdint>

#include "regex/hetero_stack.h"

namespace {

// Items are aligned to a pointer: what the matcher stores is made of positions, counts and flags.
struct Pair {
    std::int16_t a;
    const char* b;
};

TEST(HeteroStack, PopsWhatWasPushedInReverseOrderAndOfTheSameType) {
    regex::hetero_stack stack(1 << 20);
    static const char text[] = "text";
    stack.push(std::int32_t{7});
    stack.push(Pair{1, text});
    stack.push('c');
    EXPECT_EQ(stack.pop<char>(), 'c');
    EXPECT_THROW(stack.pop<std::int32_t>(), regex::hetero_stack::type_error);
    const Pair pair = stack.pop<Pair>();
    EXPECT_EQ(pair.a, 1);
    EXPECT_EQ(pair.b, text);
    EXPECT_EQ(stack.pop<std::int32_t>(), 7) << "the failed pop took nothing";
    EXPECT_TRUE(stack.empty());
    EXPECT_THROW(stack.pop<std::int32_t>(), std::logic_error) << "popping an empty stack";
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
}

}  // namespace
