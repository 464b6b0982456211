#include "productiontest.h"

#include "benchwait.h"
#include "codecs.h"
#include "devicelink.h"
#include "instrumentselector.h"
#include "numberformat.h"

#include <QCoreApplication>
#include <QLocale>
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

bool ProductionTest::FrameHasInputReading(const DeviceIdentity& id) {
    const std::uint8_t m = id.ModelByte;
    return id.DeviceCode == 12 && (m == 0 || m == 5 || m == 7 || m == 8 || m == 9);
}

bool ProductionTest::canStream() {
    if (FrameHasInputReading(m_link->identity))
        return true;
    tell(QStringLiteral("Il modello %1/%2 non trasmette la misura dell'ingresso A: prova non "
                        "eseguita")
             .arg(m_link->identity.DeviceCode)
             .arg(m_link->identity.ModelByte));
    return false;
}

bool ProductionTest::refused() const {
    return m_link->lastCallRefused();
}

bool ProductionTest::checkStability(const StabilitySettings& s) const {
    if (std::isfinite(s.reference) && std::isfinite(s.tolerance) && s.tolerance >= 0)
        return true;
    tell(QStringLiteral("Tolleranza non valida: serve un numero non negativo"));
    return false;
}

bool ProductionTest::checkLinearity(const LinearitySettings& s) const {
    if (PointCount(s) == 0) {
        tell(QStringLiteral("Intervallo di frequenze non valido: Step deve essere maggiore di 0 "
                            "e Fine non minore di Start"));
        return false;
    }
    // A negative wait would never expire, so the sweep would stay on its first point.
    if (!(s.settleSeconds >= 0) || !(s.measureSeconds >= 0) || !(s.tolerance >= 0) ||
        !std::isfinite(s.settleSeconds + s.measureSeconds + s.tolerance)) {
        tell(QStringLiteral("Delay step, Delay mis e Toll devono essere numeri non negativi"));
        return false;
    }
    return true;
}

std::optional<QString> ProductionTest::TypedFrequency(const QString& text) const {
    bool ok = false;
    const double hz = QLocale::c().toDouble(text.trimmed(), &ok);
    if (ok && std::isfinite(hz) && hz > 0)
        return NumberText(hz);
    tell(QStringLiteral("Frequenza \"%1\" non valida: serve un numero di Hz maggiore di 0 "
                        "(separatore decimale il punto)")
             .arg(text));
    return std::nullopt;
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
    if (frame.at(0) != 0 || refused())
        return std::nullopt;
    const double value = channelAInput(frame);
    Q_EMIT reading(value);
    return value;
}

TestEnd ProductionTest::frameFailed() const {
    if (!refused())
        return TestEnd::FrameCancelled;
    tell(QStringLiteral("Il collegamento è occupato da un altro comando: prova interrotta"));
    return TestEnd::Busy;
}

// Streaming ends with "SM" after a stop; a unit that went silent is left as it is.
TestEnd ProductionTest::finishStreaming(TestEnd end) {
    if (end != TestEnd::FrameCancelled && end != TestEnd::Busy)
        m_link->StopMeasure();
    Q_EMIT linkLamp(m_link->isPortOpen());
    setRunning(false);
    return end;
}

TestEnd ProductionTest::RunStability(double reference, double tolerance) {
    return RunStability([reference, tolerance] { return StabilitySettings{reference, tolerance}; });
}

TestEnd ProductionTest::RunLinearity(const LinearitySettings& settings) {
    return RunLinearity([settings] { return settings; });
}

TestEnd ProductionTest::RunStability(const StabilitySource& settings) {
    if (!canStart())
        return TestEnd::Busy;
    if (!checkStability(settings()))
        return TestEnd::BadSettings;
    if (!canStream())
        return TestEnd::NoReading;
    m_stop = false;
    setRunning(true);
    m_link->StartMeasure();
    if (refused())
        return finishStreaming(frameFailed());
    // The live measurement's stop (or the editor taking the device) clears the shared flag.
    while (!m_stop && *m_measuring) {
        QCoreApplication::processEvents();
        const std::optional<double> value = readUnit();
        if (!value)
            return finishStreaming(frameFailed());
        const StabilitySettings s = settings();
        if (!checkStability(s))
            return finishStreaming(TestEnd::BadSettings);
        if (std::fabs(*value - s.reference) > s.tolerance)
            Q_EMIT logged(FormatReading(*value));
    }
    return finishStreaming(TestEnd::Stopped);
}

TestEnd ProductionTest::RunLinearity(const LinearitySource& settings) {
    if (!canStart())
        return TestEnd::Busy;
    LinearitySettings s = settings();
    if (!checkLinearity(s))
        return TestEnd::BadSettings;
    if (!canStream())
        return TestEnd::NoReading;
    m_stop = false;
    setRunning(true);
    Q_EMIT progress(0, PointCount(s));
    if (m_generator->StartSweep() != BenchStatus::Ok) {
        setRunning(false);
        return TestEnd::GeneratorFailed;
    }
    m_link->StartMeasure();
    TestEnd end = refused() ? frameFailed() : TestEnd::Finished;
    const double start = s.start;
    double f = start;
    for (int done = 0; end == TestEnd::Finished; ++done) {
        if (m_stop || !*m_measuring) {
            end = TestEnd::Stopped;
            break;
        }
        // The end, step, waits and tolerance are read again at every point.
        if (done > 0) {
            s = settings();
            s.start = start;
            if (!checkLinearity(s)) {
                end = TestEnd::BadSettings;
                break;
            }
            f += s.step;
        }
        // A last point that the steps reach up to rounding is part of the range.
        if (f > s.end + std::fabs(s.step) * 1e-9)
            break;
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
                end = frameFailed();
                break;
            }
            if (std::fabs(*value - f) > s.tolerance)
                Q_EMIT logged(MissLine(f, *value));
            QCoreApplication::processEvents();
        } while (!window.hasExpired() && !m_stop);
        Q_EMIT progress(done + 1, done + PointCount(LinearitySettings{f, s.end, s.step}));
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
    if (refused()) {
        tell(QStringLiteral("Il collegamento è occupato da un altro comando: uscite non "
                            "comandate"));
        return TestEnd::Busy;
    }
    if (m_link->CommError != 0) {
        tell(QStringLiteral("Il dispositivo non entra in programmazione: uscite non comandate"));
        m_link->EndProgramming();
        return TestEnd::DeviceFailed;
    }
    m_holding = true;
    Q_EMIT holdingChanged(true);
    TestEnd end = TestEnd::Stopped;
    while (m_holding) {
        if (channels != HoldChannels::B)
            m_link->SendValueUpperI(countA);
        if (refused())
            end = TestEnd::Busy;
        else if (channels != HoldChannels::A)
            m_link->SendValueLowerI(countB);
        if (refused())
            end = TestEnd::Busy;
        if (end == TestEnd::Busy)
            break;
        Pause(timings.holdRepeatPause);
        QCoreApplication::processEvents();
    }
    m_holding = false;
    if (end == TestEnd::Busy)
        tell(QStringLiteral("Il collegamento è occupato da un altro comando: uscite non più "
                            "comandate"));
    m_link->EndProgramming();
    Q_EMIT holdingChanged(false);
    return end;
}

BenchStatus ProductionTest::SetUpGenerator(FunctionGenerator::Waveform waveform,
                                           const QString& frequency) {
    const std::optional<QString> hz = TypedFrequency(frequency);
    return hz ? m_generator->SetUp(waveform, *hz) : BenchStatus::BadValue;
}

BenchStatus ProductionTest::GeneratorOutput(bool on) {
    return m_generator->Output(on);
}

BenchStatus ProductionTest::GeneratorFrequency(const QString& frequency) {
    const std::optional<QString> hz = TypedFrequency(frequency);
    return hz ? m_generator->SetFrequency(*hz) : BenchStatus::BadValue;
}

} // namespace vantelso::bench
