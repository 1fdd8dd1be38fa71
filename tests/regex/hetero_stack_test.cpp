// The matcher's stack: values of mixed types, checked on the way out. The
// matchers' own tests show that what they store comes back; this shows that
// a mistaken pop is refused and leaves the stack as it was.
#include <gtest/gtest.h>

#include <cstdint>

#include "regex/hetero_stack.h"

namespace {

using regex::hetero_stack;

TEST(HeteroStack, RefusesToPopAnythingButTheTopItemAsPushed) {
    hetero_stack stack(256 * 1024);
    const int owner_a = 0, owner_b = 0;
    stack.push(std::int32_t{1});
    stack.push_tagged(static_cast<const char*>(nullptr), &owner_a);
    stack.push_tagged('x', &owner_b);
    EXPECT_EQ(stack.top_tag(), &owner_b);
    EXPECT_THROW(stack.pop<char>(), hetero_stack::type_error) << "a tagged item is taken as one";
    EXPECT_THROW(stack.pop_tagged<std::int32_t>(), hetero_stack::type_error);
    stack.top_tagged<char>() = 'y';
    EXPECT_EQ(stack.pop_tagged<char>(), 'y');
    EXPECT_EQ(stack.top_tag(), &owner_a);
    EXPECT_EQ(stack.pop_tagged<const char*>(), nullptr);
    EXPECT_THROW(stack.top_tag(), hetero_stack::type_error) << "an untagged item has no owner";
    EXPECT_THROW(stack.pop<std::int16_t>(), hetero_stack::type_error);
    EXPECT_EQ(stack.pop<std::int32_t>(), 1) << "the failed pops took nothing";
    EXPECT_THROW(stack.pop<std::int32_t>(), std::logic_error) << "popping an empty stack";
    EXPECT_THROW(
        for (int i = 0; i < 1000000; ++i) stack.push(i), hetero_stack::budget_exceeded);
}

}  // namespace
