#include "calibrationrun.h"

#include "benchinstruments.h"
#include "benchwait.h"
#include "calrunsupport.h"
#include "devicelink.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <cmath>

namespace vantelso::bench {

using namespace calrun;

namespace {

// The operator's answer to a bench check that failed; with nobody to ask, the run stops.
Prompter::Answer askAbortRetryIgnore(Prompter* prompter, const QString& text) {
    return prompter
               ? prompter->ask(text, Prompter::Buttons::AbortRetryIgnore, Prompter::Icon::Warning)
               : Prompter::Answer::Abort;
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

void CalibrationRun::finishStep(const CalStep& step, const QString& note) {
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
    if (!note.isEmpty())
        parts << QLatin1Char('(') + note + QLatin1Char(')');
    report << parts.join(QLatin1Char(' '));
    Q_EMIT stepFinished(report.last());
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
    outcome.unit = unitId;
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
    // Only a run that went through every step calibrated the wired position.
    const bool calibrated = flow == Flow::Continue && !outcome.stopped;

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
    commonEnding(calibrated && flow != Flow::Error);
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
            if (!writeBlock(q)) {
                *message = QStringLiteral("Scrittura immagine di default fallita");
                return Flow::Error;
            }
        }
        if (m_link->ReadIdentity().at(0) != 0 || !linkOk()) {
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
            if (!linkOk()) {
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
    if (!linkOk()) {
        *message = QStringLiteral("Lettura costanti di uscita fallita");
        return Flow::Error;
    }
    const auto [lo, hi] = DecodeOutputConstants(m_link->identity, six);
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
    const bool written = writeBlock(q);
    const QByteArray back = written ? m_link->ReadBlock(0, 0, 28) : QByteArray();
    bool same = written && linkOk();
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

// `calibrated`: the run went through every step (no error ending, no STOP, no Abort), so
// the wired position of the two-position model may be programmed and the thermocouple moved
// on.
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
