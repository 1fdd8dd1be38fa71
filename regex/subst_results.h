#pragma once
// What a substitution leaves behind: the records of its matches, which
// point into the text as it was before it was rewritten.

#include <string>

#include "regex/match_results.h"

namespace regex {

template <class It>
class basic_subst_results : public basic_match_results<It> {
public:
    basic_subst_results() = default;
    // The records point into this object's own copy of the text.
    basic_subst_results(const basic_subst_results&) = delete;
    basic_subst_results& operator=(const basic_subst_results&) = delete;

    // The text the records point into: a copy of the subject taken before
    // it was rewritten, or under flag_no_backrefs, which keeps no records,
    // the rewritten string itself.
    const std::string& subject() const { return *subject_; }

private:
    friend class basic_rpattern_base<It>;

    std::string backing_;                  // the subject before the rewrite
    const std::string* subject_ = &backing_;  // see subject
};

}  // namespace regex
