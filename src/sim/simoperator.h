#pragma once

#include "scriptedprompter.h"

namespace vantelso::sim {

class SimulatedBench;

// The operator at a simulated bench: asked to set every DIP switch ON or OFF, sets the
// simulated device's switches so and answers Retry; every other question is answered from
// the script like a ScriptedPrompter (OK unless scripted otherwise).
class SimOperator : public ScriptedPrompter {
public:
    explicit SimOperator(SimulatedBench* bench);

    Answer ask(const QString& text, Buttons buttons, Icon icon) override;

private:
    SimulatedBench* bench_;
};

} // namespace vantelso::sim
