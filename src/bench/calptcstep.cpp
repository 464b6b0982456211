// The PTC input: the automatic step of the run and the manual "Tara Canale A/B". Both turn
// the device's raw readings with 2000 ohm and 1000 ohm into the divider constants K3 and
// 10 · K2, and refuse to write what cannot be a divider.
#include "benchinstruments.h"
#include "benchwait.h"
#include "calibrationrun.h"
#include "calrunsupport.h"
#include "devicelink.h"
#include "numberformat.h"

#include <cmath>

namespace vantelso::bench {

using namespace calrun;

bool CalibrationRun::writePtc(int base, const PtcConstants& c) {
    const auto b = PtcBytes(c);
    WriteQueue q;
    for (int n = 0; n < 4; ++n)
        q << WriteItem{std::uint8_t(base + n), b[std::size_t(n)]};
    if (isModel(TaraModel, "RSX7131C") && base != 44) {
        for (int n = 0; n < 4; ++n)
            q << WriteItem{std::uint8_t(44 + n), b[std::size_t(n)]};
    }
    return writeBlock(q);
}

void CalibrationRun::showPtc(const std::optional<PtcConstants>& c) {
    ptcK3 = c ? QString::number(c->k3Word) : QString();
    ptcK2 = c ? QString::number(c->k2Tenths) : QString();
    Q_EMIT ptcChanged();
}

CalibrationRun::StepEnd CalibrationRun::calibratePtc(const CalStep& step) {
    const int i = step.index;
    const bool oem = isModel(TaraModel, "5010OEM");
    SwitchUnit& sw = m_instruments->switches;
    if (sw.SetSwitch(oem ? QStringLiteral("113C114A") : QStringLiteral("113A114C")) !=
        BenchStatus::Ok)
        return StepEnd::Failed;
    settle(3.0 * SettleSeconds);
    const std::optional<double> x = readDevice(step, true);
    if (!x)
        return StepEnd::Failed;
    ptcX = QString::number(std::lround(*x));
    Q_EMIT ptcChanged();
    bool inRange = std::fabs(*x - 15225) <= 1000;
    if (sw.SetSwitch(oem ? QStringLiteral("101A102C103A104A105A") : QStringLiteral("113A114A")) !=
        BenchStatus::Ok)
        return StepEnd::Failed;
    settle(3.0 * SettleSeconds);
    const std::optional<double> y = readDevice(step, true);
    if (!y)
        return StepEnd::Failed;
    ptcY = QString::number(std::lround(*y));
    inRange = inRange && std::fabs(*y - 10324) <= 1000;
    QString why;
    const std::optional<PtcConstants> c = ComputePtc(*x, *y, &why);
    showPtc(c);
    const bool restored = sw.SetSwitch(QStringLiteral("101A102A103A104A105A")) == BenchStatus::Ok;
    if (!c) {
        // No divider fits these readings (a wiring fault): the unit keeps what it had.
        refuseConstant(step, QStringLiteral("--"), why);
        return restored ? StepEnd::NotWritten : StepEnd::Failed;
    }
    if (!writePtc(step.address, *c))
        return StepEnd::Failed;
    setBox(i, inRange ? FieldColour::Green : FieldColour::Red);
    setField(i, &RangeResult::k1, hashes3(c->k1), inRange ? FieldColour::Green : FieldColour::Red);
    return restored ? StepEnd::Written : StepEnd::Failed;
}

bool CalibrationRun::PtcManual(int channel) {
    // The fields are read as the operator typed them: a leading number, "." the decimal
    // point; an empty or non-numeric field is 0 and refused with the others.
    const ParsedNumber x = ParseLeadingNumber(ptcX);
    const ParsedNumber y = ParseLeadingNumber(ptcY);
    QString why;
    std::optional<PtcConstants> c;
    if (x.overflow)
        why = QStringLiteral("V2000 deve essere un numero di almeno 1");
    else if (y.overflow)
        why = QStringLiteral("V1000 deve essere un numero di almeno 1");
    else
        c = ComputePtc(x.value, y.value, &why);
    showPtc(c);
    if (!c) {
        if (m_prompter)
            m_prompter->ask(QStringLiteral("Taratura PTC non scritta: ") + why,
                            Prompter::Buttons::Ok, Prompter::Icon::Warning);
        return false;
    }
    if (writePtc(channel == 0 ? 65 : 44, *c))
        return true;
    // A failed write has told the operator already; a refused one has not.
    if (m_prompter && m_link->lastCallRefused())
        m_prompter->ask(QStringLiteral("Taratura PTC non scritta: dispositivo occupato"),
                        Prompter::Buttons::Ok, Prompter::Icon::Warning);
    return false;
}

} // namespace vantelso::bench
