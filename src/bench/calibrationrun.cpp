#include "calibrationrun.h"

#include "benchinstruments.h"
#include "benchwait.h"
#include "calfunction.h"
#include "codecs.h"
#include "devicelink.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <cmath>

namespace vantelso::bench {

namespace {

// The operator's answer to a bench check that failed; with nobody to ask, the run stops.
Prompter::Answer askAbortRetryIgnore(Prompter* prompter, const QString& text) {
    return prompter
               ? prompter->ask(text, Prompter::Buttons::AbortRetryIgnore, Prompter::Icon::Warning)
               : Prompter::Answer::Abort;
}

// "0.###": up to three decimals, no trailing zeros.
QString hashes3(double v) {
    QString t = QString::number(v, 'f', 3);
    while (t.contains(QLatin1Char('.')) &&
           (t.endsWith(QLatin1Char('0')) || t.endsWith(QLatin1Char('.'))))
        t.chop(1);
    return t == QLatin1String("-0") ? QStringLiteral("0") : t;
}

QString fixed3(double v) {
    return QString::number(v, 'f', 3);
}

bool isModel(const QString& model, const char* name) {
    return model == QLatin1String(name);
}

WriteQueue wordAt(int address, int value) {
    const auto hl = codecs::Split16(value);
    return {WriteItem{std::uint8_t(address), hl.low},
            WriteItem{std::uint8_t(address + 1), hl.high}};
}

} // namespace

bool RangeResult::failed() const {
    for (const ResultField* f : {&k1, &zero, &half, &span, &k2, &span2}) {
        if (f->colour == FieldColour::Red)
            return true;
    }
    return box == FieldColour::Red;
}

CalibrationRun::CalibrationRun(DeviceLink* link, BenchInstruments* instruments, Prompter* prompter,
                               QObject* parent)
    : QObject(parent), m_link(link), m_instruments(instruments), m_prompter(prompter) {}

const BenchTimings& CalibrationRun::timings() const {
    return m_instruments->context.timings;
}

void CalibrationRun::settle(double units) {
    Pause(units * timings().settleUnit);
}

// ---- fields --------------------------------------------------------------------------------

void CalibrationRun::setField(int index, ResultField RangeResult::*field, const QString& text,
                              FieldColour colour) {
    ResultField& f = ranges[std::size_t(index)].*field;
    f.text = text;
    f.colour = colour;
    Q_EMIT rangeChanged(index);
}

void CalibrationRun::setFieldColour(int index, ResultField RangeResult::*field,
                                    FieldColour colour) {
    (ranges[std::size_t(index)].*field).colour = colour;
    Q_EMIT rangeChanged(index);
}

void CalibrationRun::setBox(int index, FieldColour colour) {
    ranges[std::size_t(index)].box = colour;
    Q_EMIT rangeChanged(index);
}

void CalibrationRun::setStatus(const QString& text, FieldColour colour) {
    status = text;
    statusColour = colour;
    Q_EMIT statusChanged();
}

void CalibrationRun::finishStep(const CalStep& step) {
    const RangeResult& r = ranges[std::size_t(step.index)];
    QStringList parts{RangeCaption(step.index) + QLatin1Char(':')};
    if (!r.k1.text.isEmpty())
        parts << (step.output ? QStringLiteral("lo=") : QStringLiteral("k=")) + r.k1.text;
    if (!r.k2.text.isEmpty())
        parts << QStringLiteral("hi=") + r.k2.text;
    for (const ResultField* f : {&r.zero, &r.half, &r.span}) {
        if (!f->text.isEmpty())
            parts << f->text;
    }
    parts << (r.failed() ? QStringLiteral("FALLITO") : QStringLiteral("OK"));
    report << parts.join(QLatin1Char(' '));
}

// ---- model choice --------------------------------------------------------------------------

void CalibrationRun::SelectModel(int index) {
    const QList<CalModel>& models = CalModels();
    if (index < 0 || index >= models.size())
        return;
    const CalModel& m = models[index];
    options.loadDefault = false;
    options.switchTest = options.measureCheck = options.supplyTest = true;
    options.finalProgramming = true;
    options.channels = {false, false};
    for (RangeResult& r : ranges)
        r.ticked = false;
    SettleSeconds = 4;
    TaraModel = QLatin1String(m.name);
    const bool noSwitches =
        TaraModel == QLatin1String("RSX5035") || TaraModel == QLatin1String("5010OEM");
    options.switchTest = !noSwitches;
    options.switchTestEnabled = !noSwitches;
    if (m.expectedCurrent[0] == 0)
        options.supplyTest = false;
    else
        ExpectedCurrent = m.expectedCurrent;
    options.channels = {m.channelA, m.channelB};
    options.loadDefault = m.loadDefault;
    for (int i : m.ranges)
        ranges[std::size_t(i)].ticked = true;
    Q_EMIT optionsChanged();
    for (int i = 0; i < kRangeCount; ++i)
        Q_EMIT rangeChanged(i);
}

void CalibrationRun::setRangeTicked(int index, bool ticked) {
    if (index < 0 || index >= kRangeCount)
        return;
    ranges[std::size_t(index)].ticked = ticked;
    Q_EMIT rangeChanged(index);
}

// ---- device readings -----------------------------------------------------------------------

// The step's measurement: one streamed frame. Models that report the input give it in the
// range's units; the others give the output's DAC count, converted back through the output
// constants and the output range to the input.
std::optional<double> CalibrationRun::readDevice(const CalStep& step, bool rawCount) {
    m_link->StartMeasure();
    Pause(timings().framePause);
    const QByteArray f = m_link->ReadFrame();
    m_link->StopMeasure();
    if (f.at(0) != 0)
        return std::nullopt;
    const bool direct = ReadsInputDirectly(TaraModel) && !rawCount;
    const int at = (direct ? 8 : 2) + 3 * step.channel;
    const double v = codecs::MeasureFloatFromBytes(
        std::uint8_t(f.at(at)), std::uint8_t(f.at(at + 1)), std::uint8_t(f.at(at + 2)));
    if (direct || rawCount)
        return v;
    const std::size_t c = std::size_t(step.channel);
    const double u = (v - 800) / 2700 * (outputHi[c] - outputLo[c]) + outputLo[c];
    return (u - outputRange.zero) / (outputRange.span - outputRange.zero) *
               (step.span - step.zero) +
           step.zero;
}

bool CalibrationRun::routeAndSelect(const InputRoute& route) {
    if (!route.route.isEmpty() && m_instruments->switches.SetSwitch(route.route) != BenchStatus::Ok)
        return false;
    return m_instruments->calibrator.Select(*route.function) == BenchStatus::Ok;
}

// Input type and range of the channel: the code, the function byte cleared, the range end and
// start words (the start is the step's zero, which the conversion of readings assumes).
bool CalibrationRun::writeInputType(const CalStep& step) {
    const int c = step.channel;
    WriteQueue q{WriteItem{std::uint8_t(c), std::uint8_t(step.code)},
                 WriteItem{std::uint8_t(c == 0 ? 3 : 5), 0}};
    const int base = c == 0 ? 20 : 12;
    q << wordAt(base, RangeEndWord(step.code, step.span))
      << wordAt(base + 2, RangeEndWord(step.code, step.zero));
    m_link->WriteBlock(0, q);
    return m_link->CommError == 0;
}

bool CalibrationRun::CalibrateInputRange(const CalStep& step) {
    const int i = step.index;
    RangeResult& r = ranges[std::size_t(i)];
    if (!r.ticked || (ResumeRun && r.allGreen()))
        return true;
    setBox(i, FieldColour::Yellow);
    for (auto f : {&RangeResult::k1, &RangeResult::zero, &RangeResult::half, &RangeResult::span})
        setField(i, f, QString(), FieldColour::Yellow);
    const bool cjc = step.code == calcode::Cjc;
    if (cjc) {
        setFieldColour(i, &RangeResult::half, FieldColour::Green);
        setFieldColour(i, &RangeResult::span, FieldColour::Green);
    }

    InputRoute route = InputRouteFor(TaraModel, step.code, positions.wired == 2 ? 2 : 1);
    // With neither position of the two-position model enabled there is no wired unit to
    // route the calibrator to.
    if (isModel(TaraModel, "RSX5035") && positions.wired == 0)
        route.route.clear();
    if (!route.function) {
        // The model has no wiring for this range on the bench.
        setBox(i, FieldColour::Red);
        setField(i, &RangeResult::k1, QStringLiteral("--"), FieldColour::Red);
        finishStep(step);
        return true;
    }
    if (!routeAndSelect(route))
        return false;
    Pause(timings().stepRoutePause);
    if (!writeInputType(step))
        return false;

    bool ok = true;
    if (cjc)
        ok = calibrateCjc(step, route);
    else if (step.code == calcode::Ptc)
        ok = calibratePtc(step) && (!options.measureCheck || checkInput(step, route));
    else {
        if (m_instruments->calibrator.SetCalibrator(step.point * route.scale) != BenchStatus::Ok)
            return false;
        settle(SettleSeconds);
        const std::optional<double> m = readDevice(step, false);
        if (!m)
            return false;
        const double k = InputConstant(TaraModel, step.code, step.point, *m);
        if (!WithinNominal(k, step.nominal)) {
            setBox(i, FieldColour::Red);
            setField(i, &RangeResult::k1, hashes3(k), FieldColour::Red);
            // No constant, no check: the check fields are cleared rather than left "running".
            for (auto f : {&RangeResult::zero, &RangeResult::half, &RangeResult::span})
                setFieldColour(i, f, FieldColour::White);
            finishStep(step);
            return true;
        }
        setBox(i, FieldColour::Green);
        setField(i, &RangeResult::k1, hashes3(k), FieldColour::Green);
        const auto b = ConstantBytes(k);
        WriteQueue q;
        for (int n = 0; n < 3; ++n)
            q << WriteItem{std::uint8_t(step.address + n), b[std::size_t(n)]};
        m_link->WriteBlock(0, q);
        if (m_link->CommError != 0)
            return false;
        ok = !options.measureCheck || checkInput(step, route);
    }
    if (ok)
        finishStep(step);
    return ok;
}

// Cold junction: the device reads its own junction temperature on a thermocouple input at
// 0 mV; the offset to the calibrator's sensor goes to addresses 7 and 8.
bool CalibrationRun::calibrateCjc(const CalStep& step, const InputRoute& route) {
    const int i = step.index;
    // The junction is read with no offset applied, so that a repeated calibration (or the
    // second channel's) does not add its offset to the one already stored.
    m_link->WriteBlock(0, {WriteItem{4, 16}, WriteItem{6, 16}, WriteItem{7, 0}, WriteItem{8, 0}});
    if (m_link->CommError != 0)
        return false;
    if (m_instruments->calibrator.Select(*route.function) != BenchStatus::Ok)
        return false;
    Pause(timings().cjcSettle);
    std::optional<std::uint8_t> byte;
    double ambient = 0;
    for (int attempt = 0; attempt < 2 && !byte; ++attempt) {
        const std::optional<double> m = readDevice(step, false);
        if (!m)
            return false;
        const Measurement t = m_instruments->calibrator.ReadAmbientTemp();
        if (!t.ok())
            return false;
        ambient = t.value;
        const int tenths = CjcOffsetTenths(t.value, *m);
        setField(i, &RangeResult::k1, QString::number(tenths), FieldColour::Yellow);
        byte = CjcOffsetByte(tenths);
    }
    if (!byte) {
        setBox(i, FieldColour::Red);
        setFieldColour(i, &RangeResult::k1, FieldColour::Red);
        return true;
    }
    m_link->WriteBlock(0, {WriteItem{7, *byte}, WriteItem{8, *byte}});
    if (m_link->CommError != 0)
        return false;
    setBox(i, FieldColour::Green);
    setFieldColour(i, &RangeResult::k1, FieldColour::Green);
    if (!options.measureCheck)
        return true;
    // Half and span have no meaning here; at 0 mV the corrected device must now read the
    // calibrator's sensor.
    if (m_instruments->calibrator.SetCalibrator(0) != BenchStatus::Ok)
        return false;
    settle(SettleSeconds);
    const std::optional<double> m = readDevice(step, false);
    if (!m)
        return false;
    const bool pass = std::fabs(*m - ambient) <= InputTolerance(TaraModel, step);
    setField(i, &RangeResult::zero, fixed3(*m), pass ? FieldColour::Green : FieldColour::Red);
    if (!pass)
        setBox(i, FieldColour::Red);
    return true;
}

bool CalibrationRun::writePtc(int base, const PtcConstants& c) {
    const auto b = PtcBytes(c);
    WriteQueue q;
    for (int n = 0; n < 4; ++n)
        q << WriteItem{std::uint8_t(base + n), b[std::size_t(n)]};
    if (TaraModel == QLatin1String("RSX7131C") && base != 44) {
        for (int n = 0; n < 4; ++n)
            q << WriteItem{std::uint8_t(44 + n), b[std::size_t(n)]};
    }
    m_link->WriteBlock(0, q);
    return m_link->CommError == 0;
}

// PTC: the device's raw readings with the bench's 2000 ohm and 1000 ohm resistors give the
// divider constants K3 and K2.
bool CalibrationRun::calibratePtc(const CalStep& step) {
    const int i = step.index;
    const bool oem = isModel(TaraModel, "5010OEM");
    SwitchUnit& sw = m_instruments->switches;
    if (sw.SetSwitch(oem ? QStringLiteral("113C114A") : QStringLiteral("113A114C")) !=
        BenchStatus::Ok)
        return false;
    settle(3.0 * SettleSeconds);
    const std::optional<double> x = readDevice(step, true);
    if (!x)
        return false;
    ptcX = QString::number(std::lround(*x));
    Q_EMIT ptcChanged();
    bool inRange = std::fabs(*x - 15225) <= 1000;
    if (sw.SetSwitch(oem ? QStringLiteral("101A102C103A104A105A") : QStringLiteral("113A114A")) !=
        BenchStatus::Ok)
        return false;
    settle(3.0 * SettleSeconds);
    const std::optional<double> y = readDevice(step, true);
    if (!y)
        return false;
    ptcY = QString::number(std::lround(*y));
    inRange = inRange && std::fabs(*y - 10324) <= 1000;
    const PtcConstants c = ComputePtc(*x, *y);
    if (!writePtc(step.address, c))
        return false;
    ptcK3 = QString::number(c.k3Word);
    ptcK2 = QString::number(c.k2Tenths);
    Q_EMIT ptcChanged();
    setBox(i, inRange ? FieldColour::Green : FieldColour::Red);
    setField(i, &RangeResult::k1, hashes3(c.k1), inRange ? FieldColour::Green : FieldColour::Red);
    return sw.SetSwitch(QStringLiteral("101A102A103A104A105A")) == BenchStatus::Ok;
}

bool CalibrationRun::checkInput(const CalStep& step, const InputRoute& route) {
    const int i = step.index;
    const std::array<ResultField RangeResult::*, 3> fields{&RangeResult::zero, &RangeResult::half,
                                                           &RangeResult::span};
    const std::array<double, 3> refs{step.zero, step.half, step.span};
    const double tolerance = InputTolerance(TaraModel, step);
    for (int w = 0; w < 3; ++w) {
        if (m_instruments->calibrator.SetCalibrator(CheckSetpoint(step, w) * route.scale) !=
            BenchStatus::Ok)
            return false;
        settle(SettleSeconds);
        const std::optional<double> m = readDevice(step, false);
        if (!m)
            return false;
        const bool pass = std::fabs(*m - refs[std::size_t(w)]) <= tolerance;
        setField(i, fields[std::size_t(w)], fixed3(*m),
                 pass ? FieldColour::Green : FieldColour::Red);
        if (!pass)
            setBox(i, FieldColour::Red);
    }
    return true;
}

// ---- outputs -------------------------------------------------------------------------------

// Drives the output to a DAC count and reads the meter, in V or mA.
std::optional<double> CalibrationRun::driveAndRead(const CalStep& step, int count) {
    m_link->EnterProgramming();
    if (step.channel == 0)
        m_link->SendValueUpperI(count);
    else
        m_link->SendValueLowerI(count);
    Pause(timings().outputReadPause);
    const Measurement m = m_instruments->meters.ReadMultimeter(0);
    m_link->EndProgramming();
    if (!m.ok() || m_link->CommError != 0)
        return std::nullopt;
    // The meter gives milli-units; a voltage output is calibrated in volts.
    return step.code == calcode::OutVolt ? m.value / 1000 : m.value;
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
    const int optionAddress = c == 0 ? 4 : 6;
    const QByteArray option = m_link->ReadBlock(0, optionAddress, 1);
    if (m_link->CommError != 0)
        return false;
    // The output type is the low two bits of the option byte.
    const int typeByte = (std::uint8_t(option.at(0)) & ~3) | step.code;
    const int rangeBase = c == 0 ? 24 : 16;
    WriteQueue q{WriteItem{std::uint8_t(optionAddress), std::uint8_t(typeByte)}};
    q << wordAt(rangeBase, int(std::lround(step.span * 1000)))
      << wordAt(rangeBase + 2, int(std::lround(step.zero * 1000)));
    const auto start = OutputConstantBytes(TaraModel, volt ? 2 : 4, volt ? 10 : 20);
    for (int n = 0; n < 6; ++n)
        q << WriteItem{std::uint8_t(step.address + n), start[std::size_t(n)]};
    m_link->WriteBlock(0, q);
    if (m_link->CommError != 0)
        return false;

    Pause(timings().outputPause);
    setField(i, &RangeResult::k1, QStringLiteral("800"), FieldColour::Yellow);
    const std::optional<double> lo = driveAndRead(step, 800);
    if (!lo)
        return false;
    setField(i, &RangeResult::k1, fixed3(*lo), FieldColour::Yellow);
    setField(i, &RangeResult::k2, QStringLiteral("3500"), FieldColour::Yellow);
    const std::optional<double> hi = driveAndRead(step, 3500);
    if (!hi)
        return false;
    setField(i, &RangeResult::k2, fixed3(*hi), FieldColour::Yellow);
    if (*hi == *lo) {
        // Nothing reached the meter: no constants can come of it.
        setBox(i, FieldColour::Red);
        setFieldColour(i, &RangeResult::k1, FieldColour::Red);
        setFieldColour(i, &RangeResult::k2, FieldColour::Red);
        finishStep(step);
        return true;
    }
    const auto constants = OutputConstantBytes(TaraModel, *lo, *hi);
    WriteQueue k;
    for (int n = 0; n < 6; ++n)
        k << WriteItem{std::uint8_t(step.address + n), constants[std::size_t(n)]};
    m_link->WriteBlock(0, k);
    if (m_link->CommError != 0)
        return false;
    setFieldColour(i, &RangeResult::k1, FieldColour::Green);
    setFieldColour(i, &RangeResult::k2, FieldColour::Green);
    setBox(i, FieldColour::Green);
    if (!volt) {
        // The readings of the following input steps go through these constants.
        outputLo[std::size_t(c)] = *lo;
        outputHi[std::size_t(c)] = *hi;
    }

    const std::array<ResultField RangeResult::*, 3> fields{&RangeResult::zero, &RangeResult::half,
                                                           &RangeResult::span};
    const std::array<double, 3> targets{step.zero, step.half, step.span};
    const double tolerance = OutputTolerance(TaraModel, step);
    for (int w = 0; w < 3; ++w) {
        const double t = targets[std::size_t(w)];
        Pause(timings().outputPause);
        const int count = int(std::lround(800 + 2700 * (t - *lo) / (*hi - *lo)));
        if (w == 2)
            setField(i, &RangeResult::span2, QString::number(count), FieldColour::Green);
        const std::optional<double> m = driveAndRead(step, count);
        if (!m)
            return false;
        const bool pass = std::fabs(*m - t) <= tolerance;
        setField(i, fields[std::size_t(w)], fixed3(*m),
                 pass ? FieldColour::Green : FieldColour::Red);
        if (!pass)
            setBox(i, FieldColour::Red);
    }
    finishStep(step);
    return true;
}

// ---- manual PTC and supply buttons -------------------------------------------------------

bool CalibrationRun::PtcManual(int channel) {
    const PtcConstants c = ComputePtc(ptcX.toDouble(), ptcY.toDouble());
    ptcK3 = QString::number(c.k3Word);
    ptcK2 = QString::number(c.k2Tenths);
    Q_EMIT ptcChanged();
    return writePtc(channel == 0 ? 65 : 44, c);
}

void CalibrationRun::SupplyOn() {
    m_instruments->openPorts();
    m_instruments->supply.SetSupply(true, QStringLiteral("24.00"));
}

void CalibrationRun::SupplyOff() {
    if (m_instruments->supply.mode() == InstrumentMode::Manual) {
        if (m_prompter)
            m_prompter->inform(QStringLiteral("Togliere Alimentazione"));
        return;
    }
    m_instruments->openPorts();
    m_instruments->supply.SetSupply(false, QStringLiteral("24.00"));
}

// ---- the run -------------------------------------------------------------------------------

RunOutcome CalibrationRun::RunCalibration() {
    RunOutcome outcome;
    if (m_running)
        return outcome;
    m_running = true;
    Q_EMIT runningChanged(true);
    StopRequested = false;
    report.clear();
    setStatus(QStringLiteral("COLLAUDO IN CORSO"), FieldColour::Yellow);
    const bool twoPosition = isModel(TaraModel, "RSX5035");
    if (twoPosition) {
        positions.markWired();
        Q_EMIT positionsChanged();
    }
    if (!ResumeRun) {
        for (int i = 0; i < kRangeCount; ++i) {
            RangeResult& r = ranges[std::size_t(i)];
            for (ResultField* f : {&r.k1, &r.zero, &r.half, &r.span, &r.k2, &r.span2})
                *f = ResultField{};
            r.box = FieldColour::White;
            Q_EMIT rangeChanged(i);
        }
    }

    QString message;
    Flow flow = prepare(&message);
    if (flow == Flow::Continue && options.channels[0])
        flow = runChannel(0, &message);
    if (flow == Flow::Continue && options.channels[1] && !isModel(TaraModel, "5010OEM"))
        flow = runChannel(1, &message);
    outcome.stopped = StopRequested || flow == Flow::Normal;

    if (flow != Flow::Error && options.finalProgramming) {
        if (finalProgramming(&message))
            outcome.finalProgrammed = true;
        else
            flow = Flow::Error;
    }
    if (flow == Flow::Error) {
        outcome.error = true;
        outcome.message = message;
        errorEnding(message);
    } else {
        setStatus(status, FieldColour::Green);
    }
    commonEnding(flow != Flow::Error);
    m_running = false;
    Q_EMIT runningChanged(false);
    return outcome;
}

CalibrationRun::Flow CalibrationRun::prepare(QString* message) {
    if (!m_link->isPortOpen() && openDevicePort) {
        const QString error = openDevicePort();
        if (!error.isEmpty()) {
            *message = error;
            return Flow::Error;
        }
    }
    const QStringList portErrors = m_instruments->openPorts();
    if (!portErrors.isEmpty()) {
        *message = portErrors.join(QLatin1Char('\n'));
        return Flow::Error;
    }
    Pause(timings().runStartPause);
    if (m_instruments->supply.SetSupply(true, QStringLiteral("24.00")) != BenchStatus::Ok) {
        *message = QStringLiteral("Alimentatore non risponde");
        return Flow::Error;
    }

    Multimeter& meter = m_instruments->meters;
    SwitchUnit& sw = m_instruments->switches;
    const bool oneOutput = isModel(TaraModel, "5010OEM") || isModel(TaraModel, "RSX7035");
    BenchStatus st = BenchStatus::Ok;
    if (oneOutput) {
        st = meter.SetMultimeter(0, QStringLiteral("LOC"), QStringLiteral("CURR"));
    } else {
        st = meter.SetMultimeter(0, QStringLiteral("REM"), QStringLiteral("VOLT"));
        QString route = QStringLiteral("108A");
        if (isModel(TaraModel, "RSX7030"))
            route = QStringLiteral("114A115A116A117C");
        else if (isModel(TaraModel, "RSX5035"))
            route = positions.wired == 1   ? QStringLiteral("107A108A")
                    : positions.wired == 2 ? QStringLiteral("107C108C")
                                           : QString();
        if (st == BenchStatus::Ok && !route.isEmpty())
            st = sw.SetSwitch(route);
    }
    if (st != BenchStatus::Ok) {
        *message = QStringLiteral("Strumento non risponde");
        return Flow::Error;
    }

    if (!ResumeRun) {
        if (options.supplyTest) {
            const Flow f = supplyCurrentTest(message);
            if (f != Flow::Continue)
                return f;
        }
        if (options.loadDefault) {
            QList<int> values;
            if (!readImageFile(&values, message))
                return Flow::Error;
            WriteQueue q;
            for (int k = 0; k < 256; ++k)
                q << WriteItem{std::uint8_t(k), std::uint8_t(values[k])};
            m_link->WriteBlock(0, q);
            if (m_link->CommError != 0) {
                *message = QStringLiteral("Scrittura immagine di default fallita");
                return Flow::Error;
            }
        }
        if (m_link->ReadIdentity().at(0) != 0) {
            *message = QStringLiteral("Dispositivo non identificato");
            return Flow::Error;
        }
        if (!isModel(TaraModel, "5010OEM") && !isModel(TaraModel, "RSX5035") &&
            options.switchTest) {
            const Flow f = switchTest(message);
            if (f != Flow::Continue)
                return f;
        }
        Pause(timings().runPreparedPause);

        QString route = QStringLiteral("109A110A111C112C");
        if (isModel(TaraModel, "RSX7030"))
            route.clear();
        else if (oneOutput)
            route = QStringLiteral("109A110A111A112A");
        else if (isModel(TaraModel, "RSX5035"))
            route = positions.wired == 1   ? QStringLiteral("104A105A106A107A108A109A110A111A")
                    : positions.wired == 2 ? QStringLiteral("104C105C106C107C108C109A110A111A")
                                           : QString();
        if (!route.isEmpty() && sw.SetSwitch(route) != BenchStatus::Ok) {
            *message = QStringLiteral("Switch non risponde");
            return Flow::Error;
        }
    }
    return Flow::Continue;
}

CalibrationRun::Flow CalibrationRun::supplyCurrentTest(QString* message) {
    const QString low =
        isModel(TaraModel, "RSX7030") ? QStringLiteral("20.00") : QStringLiteral("18.00");
    struct Point {
        QString volts;
        const char* label;
        int expected;
    };
    const std::array<Point, 3> points{Point{low, "20V", ExpectedCurrent[0]},
                                      Point{QStringLiteral("30.00"), "30V", ExpectedCurrent[2]},
                                      Point{QStringLiteral("24.00"), "24V", ExpectedCurrent[1]}};
    PowerSupply& supply = m_instruments->supply;
    for (const Point& p : points) {
        for (;;) {
            if (supply.SetSupply(true, p.volts) != BenchStatus::Ok) {
                *message = QStringLiteral("Alimentatore non risponde");
                return Flow::Error;
            }
            const SupplyCurrent current = supply.ReadSupplyCurrent();
            if (current.timedOut()) {
                *message = QStringLiteral("Alimentatore non risponde");
                return Flow::Error;
            }
            if (std::fabs(current.value() - p.expected) <= 5)
                break;
            const QString text = QStringLiteral("Consumo Errato ") + current.text() +
                                 QStringLiteral("mA @ ") + QLatin1String(p.label) +
                                 QStringLiteral(" (") + QString::number(p.expected) +
                                 QLatin1Char(')');
            const Prompter::Answer a = askAbortRetryIgnore(m_prompter, text);
            if (a == Prompter::Answer::Abort)
                return Flow::Normal;
            if (a != Prompter::Answer::Retry)
                break;
        }
    }
    return Flow::Continue;
}

CalibrationRun::Flow CalibrationRun::switchTest(QString* message) {
    for (const bool on : {true, false}) {
        for (;;) {
            const QList<int> d = m_link->ReadData();
            if (m_link->CommError != 0) {
                // Zeros from a failed read must not pass for switches set OFF.
                *message = QStringLiteral("Lettura dip-switch fallita");
                return Flow::Error;
            }
            const bool longForm =
                m_link->identity.ModelByte == 0 && m_link->identity.DeviceCode == 12;
            const int full = on ? 255 : 0;
            const bool set = d.value(0) == full && d.value(1) == full &&
                             (!longForm || d.value(2) == (on ? 15 : 0));
            if (set)
                break;
            const QString text = on ? QStringLiteral("Impostare tutti i dip-switch a ON")
                                    : QStringLiteral("Impostare tutti i dip-switch a OFF");
            const Prompter::Answer a = askAbortRetryIgnore(m_prompter, text);
            if (a == Prompter::Answer::Abort)
                return Flow::Normal;
            if (a != Prompter::Answer::Retry)
                break;
        }
    }
    return Flow::Continue;
}

CalibrationRun::Flow CalibrationRun::runChannel(int channel, QString* message) {
    const std::size_t c = std::size_t(channel);
    outputRange = CalOutputRange(TaraModel);
    const QByteArray six = m_link->ReadBlock(0, channel == 0 ? 106 : 118, 6);
    if (m_link->CommError != 0) {
        *message = QStringLiteral("Lettura costanti di uscita fallita");
        return Flow::Error;
    }
    const auto [lo, hi] = DecodeOutputConstants(TaraModel, six);
    outputLo[c] = lo;
    outputHi[c] = hi;
    if (channel == 1) {
        const QString route = isModel(TaraModel, "RSX7030") ? QStringLiteral("109C110A111C112C")
                                                            : QStringLiteral("101C102C");
        if (m_instruments->switches.SetSwitch(route) != BenchStatus::Ok) {
            *message = QStringLiteral("Switch non risponde");
            return Flow::Error;
        }
    }
    for (const CalStep& step : CalPlan(TaraModel, channel)) {
        const bool ok = step.output ? CalibrateOutput(step) : CalibrateInputRange(step);
        if (!ok) {
            *message = QStringLiteral("Comunicazione fallita: ") + RangeCaption(step.index);
            return Flow::Error;
        }
        if (StopRequested)
            return Flow::Normal;
    }
    return Flow::Continue;
}

bool CalibrationRun::readImageFile(QList<int>* values, QString* message) const {
    const QString path = QDir(dataFolder).filePath(TaraModel + QStringLiteral(".dat"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *message = QStringLiteral("File non trovato: ") + path;
        return false;
    }
    QTextStream in(&file);
    values->clear();
    while (values->size() < 256) {
        QString word;
        in >> word;
        if (word.isEmpty())
            break;
        bool ok = false;
        const int v = word.toInt(&ok);
        if (!ok || v < 0 || v > 255) {
            *message = QStringLiteral("Valore non valido in ") + path + QStringLiteral(": ") + word;
            return false;
        }
        values->append(v);
    }
    if (values->size() < 256) {
        *message = QStringLiteral("File incompleto: ") + path;
        return false;
    }
    return true;
}

// Addresses 0..27 from the model's default image, except the cold-junction offsets the run
// wrote (7 always, 8 on the models that keep channel B's there), then read back.
bool CalibrationRun::finalProgramming(QString* message) {
    QList<int> values;
    if (!readImageFile(&values, message))
        return false;
    const bool skip8 = isModel(TaraModel, "RSX7032A") || isModel(TaraModel, "RSX7030") ||
                       isModel(TaraModel, "RSX7035") || isModel(TaraModel, "5010OEM") ||
                       isModel(TaraModel, "RSX5035");
    WriteQueue q;
    for (int a = 0; a <= 27; ++a) {
        if (a == 7 || (a == 8 && skip8))
            continue;
        q << WriteItem{std::uint8_t(a), std::uint8_t(values[a])};
    }
    m_link->WriteBlock(0, q);
    const QByteArray back = m_link->CommError == 0 ? m_link->ReadBlock(0, 0, 28) : QByteArray();
    bool same = m_link->CommError == 0;
    for (const WriteItem& w : q) {
        if (!same)
            break;
        same = std::uint8_t(back.at(w.address)) == w.value;
    }
    if (!same)
        *message = QStringLiteral("Programmazione finale non verificata");
    return same;
}

void CalibrationRun::errorEnding(const QString& message) {
    setStatus(QStringLiteral("ERRORE"), FieldColour::Red);
    if (m_prompter) {
        m_prompter->ask(message.isEmpty() ? QStringLiteral("Errore")
                                          : QStringLiteral("Errore\n") + message,
                        Prompter::Buttons::Ok, Prompter::Icon::Critical);
    }
}

// `calibrated`: the run did not take the error ending, so the wired position of the
// two-position model may be programmed and the thermocouple moved on.
void CalibrationRun::commonEnding(bool calibrated) {
    status = QStringLiteral("COLLAUDO TERMINATO");
    Q_EMIT statusChanged();
    Multimeter& meter = m_instruments->meters;
    const bool twoPosition = isModel(TaraModel, "RSX5035");
    if (isModel(TaraModel, "5010OEM") || isModel(TaraModel, "RSX7035"))
        meter.SetMultimeter(0, QStringLiteral("LOC"), QStringLiteral("CURR"));
    else if (twoPosition)
        meter.SetMultimeter(0, QStringLiteral("LOC"), QStringLiteral("VOLT"));
    meter.MultimeterBeep();
    if (twoPosition) {
        meter.MultimeterBeep();
        if (calibrated && positions.handOver() != 0) {
            Q_EMIT positionsChanged();
            if (m_prompter)
                m_prompter->inform(QStringLiteral("Cambiare posizione termocoppia"));
            if (startEditorWrite)
                startEditorWrite();
        }
    }
    SupplyOff();
    ResumeRun = false;
}

} // namespace vantelso::bench
