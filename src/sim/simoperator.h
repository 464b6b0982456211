#pragma once

#include "scriptedprompter.h"

namespace vantelso::sim {

class SimDevice;
class SimulatedBench;

// Whether `text` is the calibration run's request to set every DIP switch ON (`on` true) or
// OFF; false for any other text.
bool IsSwitchRequest(const QString& text, bool* on);
// What a person's hands do on the simulated unit: every switch ON (banks 255, 255, 15) or
// OFF.
void SetAllSwitches(SimDevice& device, bool on);

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

// A person at the simulated bench of the desktop demonstration: every question goes to
// them through `person`; when they answer the DIP-switch request with Retry (done, check
// again), the simulated unit's switches are set as asked, since it has none to flip.
class SimSwitchHands : public Prompter {
public:
    SimSwitchHands(Prompter* person, SimDevice* device) : person_(person), device_(device) {}

    Answer ask(const QString& text, Buttons buttons, Icon icon) override;
    std::optional<QString> input(const QString& prompt, const QString& initial) override {
        return person_->input(prompt, initial);
    }
    std::optional<QString> openFile(const FileDialog& dialog) override {
        return person_->openFile(dialog);
    }
    std::optional<QString> saveFile(const FileDialog& dialog) override {
        return person_->saveFile(dialog);
    }

private:
    Prompter* person_;
    SimDevice* device_;
};

} // namespace vantelso::sim
