#include "simoperator.h"

#include "simdevice.h"
#include "simulatedbench.h"

namespace vantelso::sim {

bool IsSwitchRequest(const QString& text, bool* on) {
    if (text == QLatin1String("Impostare tutti i dip-switch a ON"))
        *on = true;
    else if (text == QLatin1String("Impostare tutti i dip-switch a OFF"))
        *on = false;
    else
        return false;
    return true;
}

void SetAllSwitches(SimDevice& device, bool on) {
    const char b = on ? char(255) : char(0);
    device.setSwitchBytes(QByteArray() + b + b + (on ? char(15) : char(0)) + char(0));
}

SimOperator::SimOperator(SimulatedBench* bench) : bench_(bench) {
    setFallback(Answer::Ok);
}

Prompter::Answer SimOperator::ask(const QString& text, Buttons buttons, Icon icon) {
    bool on = false;
    if (!IsSwitchRequest(text, &on))
        return ScriptedPrompter::ask(text, buttons, icon);
    // Recorded like any other question, without taking a scripted answer.
    ScriptedPrompter::ask(text, Buttons::Ok, icon);
    SetAllSwitches(bench_->device(), on);
    return Answer::Retry;
}

Prompter::Answer SimSwitchHands::ask(const QString& text, Buttons buttons, Icon icon) {
    const Answer answer = person_->ask(text, buttons, icon);
    bool on = false;
    if (answer == Answer::Retry && IsSwitchRequest(text, &on))
        SetAllSwitches(*device_, on);
    return answer;
}

} // namespace vantelso::sim
