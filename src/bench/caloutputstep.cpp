// CalibrateOutput: one analogue output against multimeter 0. The output is driven to DAC
// counts 800 and 3500 in one programming session, the meter's readings become the output
// constants, and the output is checked at zero, half scale and span.
#include "benchinstruments.h"
#include "benchwait.h"
#include "calibrationrun.h"
#include "calrunsupport.h"
#include "devicelink.h"

#include <cmath>

namespace vantelso::bench {

using namespace calrun;

// Inside a programming session: drives the output to a DAC count and reads the meter, in V
// or mA.
std::optional<double> CalibrationRun::driveAndRead(const CalStep& step, int count) {
    if (step.channel == 0)
        m_link->SendValueUpperI(count);
    else
        m_link->SendValueLowerI(count);
    if (!linkOk())
        return std::nullopt;
    Pause(timings().outputReadPause);
    const Measurement m = m_instruments->meters.ReadMultimeter(0);
    if (!m.ok())
        return std::nullopt;
    // The meter gives milli-units; a voltage output is calibrated in volts.
    return step.code == calcode::OutVolt ? m.value / 1000 : m.value;
}

// One programming session driving the counts in turn; `shown` is called with each reading.
// nullopt when the link or the meter fails (the session is still closed).
std::optional<QList<double>>
CalibrationRun::driveSession(const CalStep& step, const QList<int>& counts,
                             const std::function<void(int, double)>& shown) {
    m_link->EnterProgramming();
    if (!linkOk())
        return std::nullopt;
    QList<double> readings;
    for (int n = 0; n < counts.size(); ++n) {
        const std::optional<double> m = driveAndRead(step, counts[n]);
        if (!m) {
            // Leave the unit out of programming whatever failed.
            m_link->EndProgramming();
            return std::nullopt;
        }
        readings << *m;
        if (shown)
            shown(n, *m);
    }
    m_link->EndProgramming();
    if (!linkOk())
        return std::nullopt;
    return readings;
}

bool CalibrationRun::CalibrateOutput(const CalStep& step) {
    const int i = step.index;
    RangeResult& r = ranges[std::size_t(i)];
    if (!r.ticked || (ResumeRun && r.allGreen()))
        return true;
    setBox(i, FieldColour::Yellow);
    for (auto f : {&RangeResult::k1, &RangeResult::zero, &RangeResult::half, &RangeResult::span,
                   &RangeResult::k2, &RangeResult::span2})
        setField(i, f, QString(), FieldColour::Yellow);

    const bool volt = step.code == calcode::OutVolt;
    const int c = step.channel;
    Multimeter& meter = m_instruments->meters;
    if (meter.SetMultimeter(0, QStringLiteral("REM"),
                            volt ? QStringLiteral("VOLT") : QStringLiteral("CURR")) !=
        BenchStatus::Ok)
        return false;
    QString route = c == 0 ? QStringLiteral("111A112A") : QStringLiteral("111C112C");
    if (isModel(TaraModel, "RSX7030")) {
        if (volt)
            route = c == 0 ? QStringLiteral("108A") : QStringLiteral("108C");
        else
            route =
                c == 0 ? QStringLiteral("114A115A116A117C") : QStringLiteral("114C115C116C117C");
    }
    if (m_instruments->switches.SetSwitch(route) != BenchStatus::Ok)
        return false;

    // Output type, range and starting constants (the nominal values at the two counts).
    // Nothing is written from address 128 on, not even on the math model: that block holds
    // its algebraic function, which the default image ("Carica Default", ticked by the
    // model's choice) loads with the model's own values.
    const int optionAddress = c == 0 ? 4 : 6;
    const QByteArray option = m_link->ReadBlock(0, optionAddress, 1);
    if (!linkOk())
        return false;
    // The output type is the low two bits of the option byte.
    const int typeByte = (std::uint8_t(option.at(0)) & ~3) | step.code;
    const int rangeBase = c == 0 ? 24 : 16;
    WriteQueue q{WriteItem{std::uint8_t(optionAddress), std::uint8_t(typeByte)}};
    q << wordAt(rangeBase, int(std::lround(step.span * 1000)))
      << wordAt(rangeBase + 2, int(std::lround(step.zero * 1000)));
    const DeviceIdentity& id = m_link->identity;
    const auto start = OutputConstantBytes(id, volt ? 2 : 4, volt ? 10 : 20);
    for (int n = 0; n < 6; ++n)
        q << WriteItem{std::uint8_t(step.address + n), start[std::size_t(n)]};
    if (!writeBlock(q))
        return false;

    Pause(timings().outputPause);
    setField(i, &RangeResult::k1, QStringLiteral("800"), FieldColour::Yellow);
    const std::optional<QList<double>> loHi = driveSession(step, {800, 3500}, [&](int n, double m) {
        if (n == 0) {
            setField(i, &RangeResult::k1, fixed3(m), FieldColour::Yellow);
            setField(i, &RangeResult::k2, QStringLiteral("3500"), FieldColour::Yellow);
        } else {
            setField(i, &RangeResult::k2, fixed3(m), FieldColour::Yellow);
        }
    });
    if (!loHi)
        return false;
    const double lo = loHi->at(0);
    const double hi = loHi->at(1);
    if (hi == lo) {
        // Nothing reached the meter: no constants can come of it.
        setBox(i, FieldColour::Red);
        setFieldColour(i, &RangeResult::k1, FieldColour::Red);
        setFieldColour(i, &RangeResult::k2, FieldColour::Red);
        finishStep(step);
        return true;
    }
    const auto constants = OutputConstantBytes(id, lo, hi);
    WriteQueue k;
    for (int n = 0; n < 6; ++n)
        k << WriteItem{std::uint8_t(step.address + n), constants[std::size_t(n)]};
    if (!writeBlock(k))
        return false;
    setFieldColour(i, &RangeResult::k1, FieldColour::Green);
    setFieldColour(i, &RangeResult::k2, FieldColour::Green);
    setBox(i, FieldColour::Green);
    if (!volt) {
        // The readings of the following input steps go through these constants.
        outputLo[std::size_t(c)] = lo;
        outputHi[std::size_t(c)] = hi;
    }

    const std::array<ResultField RangeResult::*, 3> fields{&RangeResult::zero, &RangeResult::half,
                                                           &RangeResult::span};
    const std::array<double, 3> targets{step.zero, step.half, step.span};
    const double tolerance = OutputTolerance(TaraModel, step);
    for (int w = 0; w < 3; ++w) {
        const double t = targets[std::size_t(w)];
        Pause(timings().outputPause);
        const int count = int(std::lround(800 + 2700 * (t - lo) / (hi - lo)));
        if (w == 2)
            setField(i, &RangeResult::span2, QString::number(count), FieldColour::Green);
        const std::optional<QList<double>> m = driveSession(step, {count}, {});
        if (!m)
            return false;
        const bool pass = std::fabs(m->at(0) - t) <= tolerance;
        setField(i, fields[std::size_t(w)], fixed3(m->at(0)),
                 pass ? FieldColour::Green : FieldColour::Red);
        if (!pass)
            setBox(i, FieldColour::Red);
    }
    finishStep(step);
    return true;
}

} // namespace vantelso::bench
