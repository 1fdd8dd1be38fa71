// The engine over character pointers, which can also search NUL-terminated text.
#include "regex/rpattern_impl.h"

namespace regex {

template class detail::basic_rpattern_base_impl<const char*>;
template class basic_rpattern_base<const char*>;
template class basic_rpattern<const char*>;

}  // namespace regex
