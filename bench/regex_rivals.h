#pragma once
// The engines ReRidu is measured against, each compiling its pattern on
// every call as ReRidu's exports do: PCRE2's interpreter (no JIT),
// Boost.Regex, RE2 and libstdc++'s std::regex.

#include <vector>

#include "bench/regex_workloads.h"

namespace regex_bench {

std::vector<Engine> RivalEngines();

}  // namespace regex_bench
