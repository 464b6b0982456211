#include "simoperator.h"

#include "simulatedbench.h"

namespace vantelso::sim {

SimOperator::SimOperator(SimulatedBench* bench) : bench_(bench) {
    setFallback(Answer::Ok);
}

Prompter::Answer SimOperator::ask(const QString& text, Buttons buttons, Icon icon) {
    const bool on = text == QLatin1String("Impostare tutti i dip-switch a ON");
    const bool off = text == QLatin1String("Impostare tutti i dip-switch a OFF");
    if (!on && !off)
        return ScriptedPrompter::ask(text, buttons, icon);
    // Recorded like any other question, without taking a scripted answer.
    ScriptedPrompter::ask(text, Buttons::Ok, icon);
    const char b = on ? char(255) : char(0);
    bench_->device().setSwitchBytes(QByteArray() + b + b + (on ? char(15) : char(0)) + char(0));
    return Answer::Retry;
}

} // namespace vantelso::sim
