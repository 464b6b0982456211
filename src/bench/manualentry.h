#pragma once

#include "prompter.h"

#include <optional>

namespace vantelso::bench {

// Asks the operator for a reading with `prompt` until a number is typed ("." is the decimal
// point); a typing slip is asked again rather than taken as 0. nullopt on Cancel.
std::optional<double> AskNumber(Prompter* prompter, const QString& prompt);

} // namespace vantelso::bench
