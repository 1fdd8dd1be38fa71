#include "regex/start_positions.h"

#include "regex/node_support.h"

namespace regex::detail {

start_positions::start_positions(const search_plan& plan, const char* begin, const char* end, std::size_t min_width)
    : plan_(plan),
      begin_(begin),
      end_(end),
      last_(static_cast<std::size_t>(end - begin) >= min_width ? end - min_width : nullptr) {}

const char* start_positions::next(const char* pos) {
    while (last_ != nullptr && pos <= last_) {
        // Every literal and character that begins a match makes the shortest match at least one long.
        if (plan_.prefix) {
            pos = plan_.prefix->find(pos, end_);
            if (pos > last_) return nullptr;
        } else if (plan_.first) {
            pos = plan_.first->find(pos, last_ + 1);
            if (pos > last_) return nullptr;
        }
        if (plan_.line_feed && !at_line_start(pos)) {
            const char* line_feed = plan_.line_feed->find(pos, last_);
            if (line_feed == last_) return nullptr;
            pos = line_feed + 1;
            continue;
        }
        if (plan_.after && !follows_right_character(pos)) {
            ++pos;
            continue;
        }
        if (plan_.required) {
            // The shortest match holds the literal, so this stays inside the text.
            const char* found = required_from(pos + plan_.required_min);
            if (found == nullptr) return nullptr;
            if (plan_.required_max != unbounded_width && static_cast<std::size_t>(found - pos) > plan_.required_max) {
                pos = found - plan_.required_max;
                continue;
            }
        }
        return pos;
    }
    return nullptr;
}

const char* start_positions::after_failure(const char* pos) const {
    if (pos != end_ && plan_.leading_run) {
        // An attempt that did not begin with the character before the run proves nothing about the run.
        const bool began = !plan_.leading_once || plan_.leading_once->test(static_cast<unsigned char>(*pos));
        if (plan_.leading_once && began) ++pos;
        while (began && pos != end_ && plan_.leading_run->test(static_cast<unsigned char>(*pos))) ++pos;
    }
    return pos == end_ ? nullptr : pos + 1;
}

const char* start_positions::required_from(const char* from) {
    // The first occurrence from an earlier place is the first from here too, unless it lies before here.
    const bool known = looked_from_ != nullptr && looked_from_ <= from && (found_at_ == nullptr || from <= found_at_);
    if (!known) {
        looked_from_ = from;
        found_at_ = plan_.required->find(from, end_);
        if (found_at_ == end_) found_at_ = nullptr;
    }
    return found_at_;
}

const char* start_positions::last_possible(const char* first) const {
    if (last_ == nullptr || first > last_) return nullptr;
    if (!plan_.required) return last_;
    const char* found = plan_.required->find_last(first + plan_.required_min, end_);
    if (found == nullptr) return nullptr;
    const char* latest = found - plan_.required_min;
    return latest < last_ ? latest : last_;
}

const char* start_positions::previous(const char* pos, const char* first) const {
    for (;;) {
        if (plan_.prefix) {
            pos = plan_.prefix->find_last(first, pos + plan_.prefix->size());
            if (pos == nullptr) return nullptr;
        } else if (plan_.first) {
            pos = plan_.first->find_last(first, pos + 1);
            if (pos == nullptr) return nullptr;
        }
        if (plan_.line_feed && !at_line_start(pos)) {
            // A line feed just before first makes first a line start too.
            const char* line_feed = plan_.line_feed->find_last(first == begin_ ? first : first - 1, pos);
            if (line_feed != nullptr) {
                pos = line_feed + 1;
            } else if (first == begin_ && pos != begin_) {
                pos = begin_;
            } else {
                return nullptr;
            }
            continue;
        }
        if (plan_.after && !follows_right_character(pos)) {
            if (pos == first) return nullptr;
            --pos;
            continue;
        }
        return pos;
    }
}

}  // namespace regex::detail
