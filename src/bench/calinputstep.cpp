// CalibrateInputRange: one input range of one channel against the calibrator, and the
// cold-junction step it runs for the thermocouple junction.
#include "benchinstruments.h"
#include "benchwait.h"
#include "calfunction.h"
#include "calibrationrun.h"
#include "calrunsupport.h"
#include "devicelink.h"

#include <cmath>

namespace vantelso::bench {

using namespace calrun;

bool CalibrationRun::linkOk() const {
    // A command refused because another one holds the link did nothing, whatever CommError
    // (which belongs to the running command) says.
    return m_link->CommError == 0 && !m_link->lastCallRefused();
}

// The step's measurement: one streamed frame. Models that report the input give it in the
// range's units (when the identified unit's frame has them); the others give the output's
// DAC count, converted back through the output constants and the output range to the input. Every
// value of the frame is a measurement float, the input of channel c at bytes 8 + 3c, its output
// count at 2 + 3c.
std::optional<double> CalibrationRun::readDevice(const CalStep& step, bool rawCount) {
    m_link->StartMeasure();
    if (!linkOk())
        return std::nullopt;
    Pause(timings().framePause);
    const QByteArray f = m_link->ReadFrame();
    const bool frameOk = f.at(0) == 0 && linkOk();
    m_link->StopMeasure();
    if (!frameOk || !linkOk())
        return std::nullopt;
    const bool direct =
        ReadsInputDirectly(TaraModel) && FrameCarriesInput(m_link->identity) && !rawCount;
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

bool CalibrationRun::writeBlock(const WriteQueue& items) {
    m_link->WriteBlock(0, items);
    return linkOk();
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
    return writeBlock(q);
}

// A range whose constant was refused: red, and no check (its fields are cleared rather than
// left "running").
void CalibrationRun::refuseConstant(const CalStep& step, const QString& k1, const QString& note) {
    const int i = step.index;
    setBox(i, FieldColour::Red);
    setField(i, &RangeResult::k1, k1, FieldColour::Red);
    for (auto f : {&RangeResult::zero, &RangeResult::half, &RangeResult::span})
        setFieldColour(i, f, FieldColour::White);
    finishStep(step, note);
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

    if (cjc) {
        if (!calibrateCjc(step, route))
            return false;
        finishStep(step);
        return true;
    }
    if (step.code == calcode::Ptc) {
        const StepEnd end = calibratePtc(step);
        if (end == StepEnd::Failed)
            return false;
        if (end == StepEnd::NotWritten)
            return true; // shown red and reported already
        if (options.measureCheck && !checkInput(step, route))
            return false;
        finishStep(step);
        return true;
    }
    if (m_instruments->calibrator.SetCalibrator(step.point * route.scale) != BenchStatus::Ok)
        return false;
    settle(SettleSeconds);
    const std::optional<double> m = readDevice(step, false);
    if (!m)
        return false;
    const double k = InputConstant(TaraModel, step.code, step.point, *m);
    if (!WithinNominal(k, step.nominal)) {
        refuseConstant(step, hashes3(k));
        return true;
    }
    const auto b = ConstantBytes(k);
    WriteQueue q;
    for (int n = 0; n < 3; ++n)
        q << WriteItem{std::uint8_t(step.address + n), b[std::size_t(n)]};
    if (!writeBlock(q))
        return false;
    // Green once the constant is in the unit, not before.
    setBox(i, FieldColour::Green);
    setField(i, &RangeResult::k1, hashes3(k), FieldColour::Green);
    if (options.measureCheck && !checkInput(step, route))
        return false;
    finishStep(step);
    return true;
}

// Cold junction: the device reads its own junction temperature on a thermocouple input at
// 0 mV; the offset to the calibrator's sensor goes to the channel's offset byte (7 for A,
// 8 for B; channel A's also to 8, which stands for channel B until B has its own).
bool CalibrationRun::calibrateCjc(const CalStep& step, const InputRoute& route) {
    const int i = step.index;
    const auto own = std::uint8_t(step.channel == 0 ? 7 : 8);
    // The junction is read with no offset of its own applied, so that a repeated calibration
    // does not add to the offset already stored; the other channel's offset stays.
    if (!writeBlock({WriteItem{4, 16}, WriteItem{6, 16}, WriteItem{own, 0}}))
        return false;
    Calibrator& cal = m_instruments->calibrator;
    if (cal.Select(*route.function) != BenchStatus::Ok)
        return false;
    Pause(timings().cjcSettle);
    std::optional<std::uint8_t> byte;
    double ambient = 0;
    for (int attempt = 0; attempt < 2 && !byte; ++attempt) {
        // Reading the sensor leaves the calibrator measuring temperature: it sources the
        // 0 mV the junction is read at again before the next device reading.
        if (attempt > 0 && cal.Select(*route.function) != BenchStatus::Ok)
            return false;
        const std::optional<double> m = readDevice(step, false);
        if (!m)
            return false;
        const Measurement t = cal.ReadAmbientTemp();
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
    WriteQueue q{WriteItem{own, *byte}};
    if (step.channel == 0)
        q << WriteItem{8, *byte};
    if (!writeBlock(q))
        return false;
    setBox(i, FieldColour::Green);
    setFieldColour(i, &RangeResult::k1, FieldColour::Green);
    if (!options.measureCheck)
        return true;
    // Half and span have no meaning here; at 0 mV the corrected device must now read the
    // calibrator's sensor.
    if (cal.Select(*route.function) != BenchStatus::Ok)
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

} // namespace vantelso::bench
