#pragma once
// The one exception a malformed pattern raises; what() is the message.

#include <stdexcept>

namespace regex {

class bad_regexpr : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

}  // namespace regex
