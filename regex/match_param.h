#pragma once
// The state of one search, shared by every node the matcher visits: the
// group records, the text, the limits, and each engine's own registers.
// Nodes are read-only; everything a match changes lives here, in the records
// or on the stack, which is why one compiled pattern can serve many threads.

#include <cstddef>
#include <cstdint>

#include "regex/hetero_stack.h"
#include "regex/loop_memo.h"
#include "regex/match_results.h"

namespace regex::detail {

template <class It>
class sub_expr;

// Raised deep inside the recursive engine when the thread's stack runs low;
// the search driver catches it and carries on with the iterative engine.
struct stack_exhausted {};

// Raised when a search has used up the steps its caller allowed.
struct work_exhausted {};

// Stops a search that would run out of stack or out of its allowance of steps.
class search_guard {
public:
    // No allowance: the step counter would take centuries to run down.
    static constexpr std::uint64_t unlimited = ~std::uint64_t{0};

    search_guard(std::uintptr_t stack_limit, std::uint64_t steps)
        : stack_limit_(stack_limit), steps_left_(steps) {}

    // Before the recursive engine calls into another node.
    void on_descent() {
        const auto frame = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
        if (frame < stack_limit_) throw stack_exhausted();
        on_step();
    }

    // Before the iterative engine takes a step or a step back.
    void on_step() {
        if (--steps_left_ == 0) throw work_exhausted();
    }

    // After a quantifier matched its atom count times in a row, which costs
    // as much as that many steps.
    void on_repetitions(std::uint32_t count) {
        if (count >= steps_left_) throw work_exhausted();
        steps_left_ -= count;
    }

private:
    std::uintptr_t stack_limit_;  // the recursion stops below this address (stacks grow down)
    std::uint64_t steps_left_;    // node visits and atom repetitions still allowed
};

// An active (?R): where its caller continues once the whole pattern has
// matched again, and the records as they were when it began.
template <class It>
struct recursion_frame {
    recursion_frame* previous;          // the recursion this one runs inside, or none
    const sub_expr<It>* caller;         // the recursion node
    It start;                           // where the recursion began
    backref_tag<It>* saved;             // every record as it was when it began
};

// The iterative engine's record of a construct that runs its body as a
// separate match (atomic group, look-ahead, look-behind): the body's end node
// finds it through match_param::barrier and cuts the stack back to it.
template <class It>
struct assertion_frame {
    assertion_frame* previous;        // the construct this one runs inside, or none
    hetero_stack::mark_type mark;     // the stack just above this construct's own items
    It position;                      // where the construct was entered
    It candidate;                     // look-behind: where the body is being tried
    It last_candidate;                // look-behind: the last place to try
    bool body_matched;                // the body has matched and the stack was cut
};

template <class It>
struct match_param {
    backref_tag<It>* records = nullptr;  // one record per group
    std::size_t record_count = 0;
    It ibegin{};          // the text's begin: \A, ^, \b and look-behind look no further back
    It iend{};            // the text's end (bounded text only)
    It istart{};          // where this search starts
    It attempt_start{};   // where the current attempt started
    bool no_empty_at_start = false;  // a match that starts at istart must not be empty
    loop_memo* memo = nullptr;       // for the pattern's memoised loop, when it may use one
    const sub_expr<It>* top = nullptr;  // group 0, which (?R) runs again
    search_guard* guard = nullptr;
    hetero_stack* stack = nullptr;       // snapshots, and the iterative engine's choice points
    recursion_frame<It>* recursion = nullptr;  // the innermost active (?R)

    // Recursive engine only.
    It sub_end{};            // where the atomic body that just matched ended
    It lookbehind_target{};  // where the running look-behind body must end

    // Iterative engine only.
    const sub_expr<It>* next = nullptr;      // the node to visit next; none once the match is complete
    assertion_frame<It>* barrier = nullptr;  // the innermost construct whose body is running
};

// The two kinds of text a search runs on. Nodes are written once against
// this interface and instantiated for both.
template <class It>
struct bounded_text {
    static constexpr bool bounded = true;
    static bool at_end(const match_param<It>& p, It pos) { return pos == p.iend; }
};

template <class It>
struct cstring_text {
    static constexpr bool bounded = false;
    static bool at_end(const match_param<It>&, It pos) { return *pos == '\0'; }
};

}  // namespace regex::detail
