#pragma once

#include "benchtimings.h"
#include "prompter.h"

namespace vantelso::bench {

// What every instrument driver shares: the prompter that shows manual-mode instructions and
// asks for manual readings, and the bench's pauses and time-outs.
struct BenchContext {
    Prompter* prompter = nullptr;
    BenchTimings timings;
};

} // namespace vantelso::bench
