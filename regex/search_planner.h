#pragma once
// Works out a pattern's search_plan from its compiled nodes.
//
// The literals every match contains are found by walking the chain of
// group 0 when it has one alternative, and inside it every chain a match
// must run through (see sub_expr::must_pass), keeping for each literal how
// far from the match's start it can begin. The walk descends only a few
// levels: patterns nest groups thousands deep, and the literals that pay
// for a scan sit near the top.

#include <algorithm>
#include <optional>
#include <string_view>
#include <type_traits>

#include "regex/byte_rarity.h"
#include "regex/charset.h"
#include "regex/nodes.h"
#include "regex/search_plan.h"

namespace regex::detail {

// A literal that every match contains, and where it can begin.
struct required_literal {
    std::string_view text;
    bool nocase = false;
    std::size_t min = 0;  // characters after the match's start
    std::size_t max = 0;  // unbounded_width when there is no limit

    // How common its rarest byte is in ordinary text (see byte_rarity.h);
    // a scan stops at every occurrence of it.
    unsigned commonness() const {
        unsigned rarest = ~0u;
        for (char ch : text) {
            const auto c = static_cast<unsigned char>(ch);
            unsigned k = byte_commonness(c);
            if (nocase) k = std::max(byte_commonness(to_lower(c)), byte_commonness(to_upper(c)));
            rarest = std::min(rarest, k);
        }
        return rarest;
    }
    // The better one to scan for: rarer, or as rare and longer.
    bool better_than(const required_literal& other) const {
        const unsigned mine = commonness(), theirs = other.commonness();
        return mine != theirs ? mine < theirs : text.size() > other.text.size();
    }
};

template <class It>
class literal_survey {
public:
    explicit literal_survey(const match_group<It>& group0) {
        if (group0.alternative_count() == 1) walk(group0.alternatives()[0], group0.end(), 0, 0, 0);
    }

    // The best literal at the match's start, if any.
    const std::optional<required_literal>& prefix() const { return prefix_; }
    // The best literal elsewhere, if any.
    const std::optional<required_literal>& inner() const { return inner_; }

private:
    static constexpr int kDeepest = 8;

    void walk(const sub_expr<It>* n, const sub_expr<It>* end, std::size_t min, std::size_t max, int depth) {
        for (; n != end && n != nullptr; n = n->next()) {
            const width_range w = n->width();
            leading_chars first;
            if (n->first_chars(first) && !first.literal.empty() && w.fixed() && w.min == first.literal.size()) {
                keep(min == 0 && max == 0 ? prefix_ : inner_, {first.literal, first.literal_nocase, min, max});
            } else if (depth < kDeepest) {
                const typename sub_expr<It>::mandatory_chain chain = n->must_pass();
                if (chain.head != nullptr) walk(chain.head, chain.end, min, max, depth + 1);
            }
            min = add_widths(min, w.min);
            max = add_widths(max, w.max);
        }
    }

    static void keep(std::optional<required_literal>& best, const required_literal& found) {
        if (!best || found.better_than(*best)) best = found;
    }

    std::optional<required_literal> prefix_;
    std::optional<required_literal> inner_;
};

inline bool subset(const char_table& part, const char_table& whole) {
    for (int w = 0; w < 8; ++w)
        if (part.bits[w] & ~whole.bits[w]) return false;
    return true;
}

// What every alternative of group 0 begins with, when they agree.
enum class leading_assertion { none, line_start, word_boundary };

template <class It>
search_plan plan_search(const match_group<It>& group0, bool pattern_reads_records, leading_assertion opening) {
    search_plan plan;
    const literal_survey<It> survey(group0);
    if (const auto& prefix = survey.prefix()) plan.prefix.emplace(prefix->text, prefix->nocase);
    if (const auto& inner = survey.inner(); inner && (!survey.prefix() || inner->better_than(*survey.prefix()))) {
        plan.required.emplace(inner->text, inner->nocase);
        plan.required_min = inner->min;
        plan.required_max = inner->max;
    }

    leading_chars first;
    if (group0.first_chars(first)) {
        plan.first_chars = first.chars;
        if (!plan.prefix) plan.first.emplace(first.chars);
    }
    if (opening == leading_assertion::word_boundary && plan.first_chars) {
        // \b holds before a word character only after a character that is none, and the other way round.
        char_table word;
        intrinsic_charsets<char>::intrinsic_charset('w').add_members(word.bits);
        char_table not_word;
        for (int w = 0; w < 8; ++w) not_word.bits[w] = ~word.bits[w];
        if (subset(*plan.first_chars, word)) {
            plan.after = not_word;
            plan.after_text_begin = true;
        } else if (subset(*plan.first_chars, not_word)) {
            plan.after = word;
        }
    }
    if (opening == leading_assertion::line_start) {
        char_table line_feed;
        line_feed.set('\n');
        plan.line_feed.emplace(line_feed);
    }

    if (group0.alternative_count() == 1 && !pattern_reads_records) {
        // Groups of one alternative around the repetition change only records, which nothing reads.
        const sub_expr<It>* n = group0.alternatives()[0];
        for (const match_group<It>* group; (group = n->as_group()) != nullptr && group->alternative_count() == 1;)
            n = group->alternatives()[0];
        char_table run, once;
        if (n->repeats_one_char(run)) {
            plan.leading_run = run;
        } else if (n->matches_one_char(once) && n->next() != nullptr && n->next()->repeats_one_char(run) &&
                   subset(once, run)) {
            plan.leading_run = run;
            plan.leading_once = once;
        }
    }
    return plan;
}

}  // namespace regex::detail
