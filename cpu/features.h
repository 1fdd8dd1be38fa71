#pragma once
// What the processor offers beyond SSE2, the baseline every build may
// assume. Code for a wider set runs only after Has says the set is there.

namespace cpu {

enum class Feature { kNone, kSsse3, kAvx2 };

// Asked of the processor once per process.
bool Has(Feature feature);

}  // namespace cpu
