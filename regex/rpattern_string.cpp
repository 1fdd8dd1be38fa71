// The engine over std::string positions: the instantiation the exported
// functions use.
#include <string>

#include "regex/rpattern_impl.h"

namespace regex {

template class detail::basic_rpattern_base_impl<std::string::const_iterator>;
template class basic_rpattern_base<std::string::const_iterator>;
template class basic_rpattern<std::string::const_iterator>;

}  // namespace regex
