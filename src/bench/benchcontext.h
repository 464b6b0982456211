#pragma once

#include "benchtimings.h"
#include "prompter.h"

#include <QStringList>

namespace vantelso::bench {

// What every instrument driver shares: the prompter that shows manual-mode instructions and
// asks for manual readings, and the bench's pauses and time-outs.
struct BenchContext {
    Prompter* prompter = nullptr;
    BenchTimings timings;
    // Selector entries that name a port by itself (an in-process instrument of a simulated
    // bench), besides "ComN" and typed paths.
    QStringList namedPorts;
};

} // namespace vantelso::bench
