#include "productiontest.h"

#include "benchwait.h"
#include "codecs.h"
#include "devicelink.h"
#include "instrumentselector.h"
#include "numberformat.h"

#include <QCoreApplication>
#include <cmath>

namespace vantelso::bench {

namespace {

// The third measurement of a streamed frame (bytes 8, 9, 10): channel A's input reading.
double channelAInput(const QByteArray& frame) {
    return codecs::MeasureFloatFromBytes(std::uint8_t(frame.at(8)), std::uint8_t(frame.at(9)),
                                         std::uint8_t(frame.at(10)));
}

} // namespace

ProductionTest::ProductionTest(DeviceLink* link, FunctionGenerator* generator, Prompter* prompter,
                               bool* measuringFlag, QObject* parent)
    : QObject(parent), m_link(link), m_generator(generator), m_prompter(prompter),
      m_measuring(measuringFlag ? measuringFlag : &m_ownFlag) {}

QString ProductionTest::FormatReading(double v) {
    QString digits = QString::number(std::fabs(v), 'f', 3);
    while (digits.endsWith(u'0'))
        digits.chop(1);
    if (digits.startsWith(QLatin1String("0.")))
        digits.remove(0, 1);
    const bool negative = v < 0 && digits != QLatin1String(".");
    return negative ? QLatin1Char('-') + digits : digits;
}

QString ProductionTest::MissLine(double frequency, double reading) {
    return NumberText(frequency) + QStringLiteral("-->") + FormatReading(reading);
}

int ProductionTest::PointCount(const LinearitySettings& s) {
    if (!(s.step > 0) || !(s.end >= s.start) || !std::isfinite(s.end - s.start))
        return 0;
    // A last point that the step reaches up to rounding is part of the range.
    const double n = std::floor((s.end - s.start) / s.step + 1e-9) + 1;
    return n > 1e9 ? 0 : int(n);
}

void ProductionTest::tell(const QString& text) const {
    if (m_prompter)
        m_prompter->ask(text, Prompter::Buttons::Ok, Prompter::Icon::Warning);
}

bool ProductionTest::canStart() {
    if (m_running || m_holding || *m_measuring || m_link->busy()) {
        tell(QStringLiteral("Prova già in corso: fermarla prima di avviarne un'altra"));
        return false;
    }
    return true;
}

void ProductionTest::setRunning(bool on) {
    m_running = on;
    *m_measuring = on;
    Q_EMIT runningChanged(on);
}

void ProductionTest::Stop() {
    m_stop = true;
}

void ProductionTest::StopHold() {
    m_holding = false;
}

void ProductionTest::StopAll() {
    Stop();
    StopHold();
}

std::optional<double> ProductionTest::readUnit() {
    Q_EMIT linkLamp(m_link->isPortOpen());
    const QByteArray frame = m_link->ReadFrame();
    if (frame.at(0) != 0)
        return std::nullopt;
    const double value = channelAInput(frame);
    Q_EMIT reading(value);
    return value;
}

// Streaming ends with "SM" after a stop; a unit that went silent is left as it is.
TestEnd ProductionTest::finishStreaming(TestEnd end) {
    if (end != TestEnd::FrameCancelled)
        m_link->StopMeasure();
    Q_EMIT linkLamp(m_link->isPortOpen());
    setRunning(false);
    return end;
}

TestEnd ProductionTest::RunStability(double reference, double tolerance) {
    if (!canStart())
        return TestEnd::Busy;
    m_stop = false;
    setRunning(true);
    m_link->StartMeasure();
    // The live measurement's stop (or the editor taking the device) clears the shared flag.
    while (!m_stop && *m_measuring) {
        QCoreApplication::processEvents();
        const std::optional<double> value = readUnit();
        if (!value)
            return finishStreaming(TestEnd::FrameCancelled);
        if (std::fabs(*value - reference) > tolerance)
            Q_EMIT logged(FormatReading(*value));
    }
    return finishStreaming(TestEnd::Stopped);
}

TestEnd ProductionTest::RunLinearity(const LinearitySettings& s) {
    if (!canStart())
        return TestEnd::Busy;
    const int total = PointCount(s);
    if (total == 0) {
        tell(QStringLiteral("Intervallo di frequenze non valido: Step deve essere maggiore di 0 "
                            "e Fine non minore di Start"));
        return TestEnd::BadSettings;
    }
    m_stop = false;
    setRunning(true);
    Q_EMIT progress(0, total);
    if (m_generator->StartSweep() != BenchStatus::Ok) {
        setRunning(false);
        return TestEnd::GeneratorFailed;
    }
    m_link->StartMeasure();
    TestEnd end = TestEnd::Finished;
    for (int i = 0; i < total && end == TestEnd::Finished; ++i) {
        if (m_stop || !*m_measuring) {
            end = TestEnd::Stopped;
            break;
        }
        const double f = s.start + i * s.step;
        if (m_generator->SweepFrequency(f) != BenchStatus::Ok) {
            end = TestEnd::GeneratorFailed;
            break;
        }
        Pause(s.settleSeconds * timings.operatorTimeScale);
        // At least one reading per point, so that no point passes unmeasured.
        QDeadlineTimer window(qint64(s.measureSeconds * timings.operatorTimeScale * 1000));
        do {
            const std::optional<double> value = readUnit();
            if (!value) {
                end = TestEnd::FrameCancelled;
                break;
            }
            if (std::fabs(*value - f) > s.tolerance)
                Q_EMIT logged(MissLine(f, *value));
            QCoreApplication::processEvents();
        } while (!window.hasExpired() && !m_stop);
        Q_EMIT progress(i + 1, total);
    }
    // The generator is parked at 1 mHz, unless it is the one that failed.
    if (end != TestEnd::GeneratorFailed)
        m_generator->EndSweep();
    return finishStreaming(end);
}

std::optional<int> ProductionTest::TypedCount(const QString& text) const {
    const double v = std::round(Val(text));
    if (v < -32768 || v > 65535) {
        tell(QStringLiteral("Valore di uscita \"%1\" fuori dal campo -32768..65535").arg(text));
        return std::nullopt;
    }
    return int(v);
}

TestEnd ProductionTest::HoldOutput(HoldChannels channels, int countA, int countB) {
    if (!canStart())
        return TestEnd::Busy;
    m_link->EnterProgramming();
    if (m_link->CommError != 0) {
        tell(QStringLiteral("Il dispositivo non entra in programmazione: uscite non comandate"));
        m_link->EndProgramming();
        return TestEnd::DeviceFailed;
    }
    m_holding = true;
    Q_EMIT holdingChanged(true);
    while (m_holding) {
        if (channels != HoldChannels::B)
            m_link->SendValueUpperI(countA);
        if (channels != HoldChannels::A)
            m_link->SendValueLowerI(countB);
        Pause(timings.holdRepeatPause);
        QCoreApplication::processEvents();
    }
    m_link->EndProgramming();
    Q_EMIT holdingChanged(false);
    return TestEnd::Stopped;
}

BenchStatus ProductionTest::SetUpGenerator(FunctionGenerator::Waveform waveform,
                                           const QString& frequency) {
    return m_generator->SetUp(waveform, frequency);
}

BenchStatus ProductionTest::GeneratorOutput(bool on) {
    return m_generator->Output(on);
}

BenchStatus ProductionTest::GeneratorFrequency(const QString& frequency) {
    return m_generator->SetFrequency(frequency);
}

} // namespace vantelso::bench
