#include "verificationstation.h"

#include "benchinstruments.h"
#include "benchwait.h"
#include "devicelink.h"
#include "numberformat.h"

namespace vantelso::bench {

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

} // namespace

VerificationStation::VerificationStation(DeviceLink* link, BenchInstruments* instruments,
                                         Prompter* prompter, const CalibrationRun* calibration,
                                         QObject* parent)
    : QObject(parent), m_link(link), m_instruments(instruments), m_prompter(prompter),
      m_calibration(calibration) {}

QString VerificationStation::currentModel() const {
    return m_calibration ? m_calibration->TaraModel : QString();
}

QString VerificationStation::unit() const {
    const QStringList units = VerificationOutputTypes();
    return settings.output >= 0 && settings.output < units.size() ? units[settings.output]
                                                                  : QString();
}

QStringList VerificationStation::reportLines() const {
    return report.isEmpty() ? QStringList() : report.split(kLineEnd);
}

void VerificationStation::append(const QString& line) {
    if (!report.isEmpty())
        report += kLineEnd;
    report += line;
    Q_EMIT reportChanged();
}

void VerificationStation::setStatus(const QString& text, FieldColour colour) {
    status = text;
    statusColour = colour;
    Q_EMIT statusChanged();
}

// A port that did not open is why an instrument does not answer: the reasons go along.
QString VerificationStation::withReasons(const QString& message, const QStringList& ports) {
    return ports.isEmpty() ? message : message + QLatin1Char('\n') + ports.join(QLatin1Char('\n'));
}

void VerificationStation::refuse(const QString& message) {
    if (m_prompter)
        m_prompter->inform(message, Prompter::Icon::Warning);
}

// ---- the report window ---------------------------------------------------------------------

void VerificationStation::Reset() {
    downloads = 0;
    report.clear();
    Q_EMIT reportChanged();
    setStatus(QStringLiteral("STOP"), FieldColour::Red);
}

DownloadResult VerificationStation::SendProgram() {
    if (m_running)
        return DownloadResult::Failed; // the unit is being verified: nothing is touched
    report.clear();
    setStatus(QStringLiteral("DOWNLOAD"), FieldColour::Yellow);
    append(QStringLiteral("Programmazione in corso..."));
    // With the port closed the write would only fail on every command: nothing is tried.
    EditorOutcome outcome = EditorOutcome::CommFailed;
    if (m_link->isPortOpen() && writeConfiguration) {
        m_running = m_downloading = true;
        Q_EMIT runningChanged(true);
        outcome = writeConfiguration();
        m_running = false;
        Q_EMIT runningChanged(false);
        m_downloading = false;
    }
    if (outcome == EditorOutcome::Done) {
        ++downloads;
        setStatus(QStringLiteral("OK"), FieldColour::Green);
        append(QStringLiteral("Download completato. Programmazioni effettuate:     ") +
               QString::number(downloads));
        append(QStringLiteral("Impostare strumentazione"));
        return DownloadResult::Verified;
    }
    if (!m_link->isPortOpen()) {
        setStatus(QStringLiteral("ERRORE"), FieldColour::Red);
        append(QStringLiteral("Errore di comunicazione"));
        return DownloadResult::PortClosed;
    }
    if (outcome == EditorOutcome::Cancelled) {
        setStatus(QStringLiteral("STOP"), FieldColour::Red);
        append(QStringLiteral("Download annullato"));
        return DownloadResult::Cancelled;
    }
    setStatus(QStringLiteral("ERRORE"), FieldColour::Red);
    if (outcome == EditorOutcome::Busy) {
        // Another command held the link: nothing was written, which is no success either.
        append(QStringLiteral("Errore: collegamento occupato da un altro comando, unità non "
                              "programmata"));
        return DownloadResult::Failed;
    }
    // Failed, or written but not read back as sent: the unit is not programmed.
    append(QStringLiteral("Errore: controllare connessioni dispositivo"));
    return DownloadResult::Failed;
}

bool VerificationStation::CheckDevicePort() {
    if (m_link->isPortOpen())
        return true;
    refuse(QStringLiteral("Porta Com non aperta"));
    return false;
}

// ---- the set-up window ---------------------------------------------------------------------

void VerificationStation::OpenInstruments() {
    settings.mode = VerificationSettings::Mode::Unset;
    settings.input = settings.output = settings.device = -1;
    settings.min.clear();
    settings.max.clear();
    range = {};
    caption = QStringLiteral("Selezionare Modo di taratura:");
    Q_EMIT settingsChanged();
}

void VerificationStation::ChooseMode(VerificationSettings::Mode mode) {
    settings.mode = mode;
    if (mode == VerificationSettings::Mode::Manual)
        caption = QStringLiteral("Modo di taratura: Manuale");
    else if (mode == VerificationSettings::Mode::Automatic)
        caption = QStringLiteral("Modo di taratura: Automatico");
    else
        caption = QStringLiteral("Selezionare Modo di taratura:");
    Q_EMIT settingsChanged();
}

void VerificationStation::ChooseInput(int input) {
    if (input < 0 || input >= int(VerificationInputs().size()))
        return;
    settings.input = input;
    range = DefaultVerificationRange(input);
    settings.min = NumberText(range.min);
    settings.max = NumberText(range.max);
    Q_EMIT settingsChanged();
}

void VerificationStation::ChooseDevice(int device) {
    const QStringList devices = VerificationDevices();
    if (device < 0 || device >= devices.size())
        return;
    settings.device = device;
    if (DeviceOutputChannels(devices[device]) < 2)
        settings.measureChannel = settings.outputChannel = 0;
    Q_EMIT settingsChanged();
}

// ---- checks: each refuses with a message and sends nothing ---------------------------------

bool VerificationStation::checkRange(VerificationRange* out) {
    if (settings.input < 0) {
        refuse(QStringLiteral("Selezionare tipo di ingresso"));
        return false;
    }
    const TypedNumber min = ParseTypedNumber(settings.min);
    const TypedNumber max = ParseTypedNumber(settings.max);
    if (!min.ok() || !max.ok()) {
        refuse(QStringLiteral("Valore di range non valido"));
        return false;
    }
    const VerificationRange r = MakeRange(min.value, max.value);
    const QString problem = RangeProblem(settings.input, r);
    if (!problem.isEmpty()) {
        refuse(problem);
        return false;
    }
    *out = r;
    return true;
}

bool VerificationStation::checkSupply(QString* volts) {
    const std::optional<QString> text = SupplyVoltsText(settings.supplyVolts);
    if (!text) {
        refuse(QStringLiteral("Valore di alimentazione errato!"));
        return false;
    }
    *volts = *text;
    return true;
}

bool VerificationStation::checkOutput() {
    if (unit().isEmpty()) {
        refuse(QStringLiteral("Impostare tipo di uscita"));
        return false;
    }
    return true;
}

bool VerificationStation::checkRouting(OutputRouting* out) {
    *out = {};
    if (!automatic())
        return true; // the operator wires the unit by hand
    if (settings.device < 0) {
        refuse(QStringLiteral("Selezionare dispositivo da verificare"));
        return false;
    }
    *out = OutputRoutingFor(VerificationDevices()[settings.device], settings.outputChannel);
    if (!out->refusal.isEmpty()) {
        refuse(out->refusal);
        return false;
    }
    return true;
}

// ---- instruments ---------------------------------------------------------------------------

bool VerificationStation::sendSupply(const QString& volts) {
    if (!settings.supplyOn)
        return true;
    const QStringList ports = m_instruments->openPorts();
    if (m_instruments->supply.SetSupply(true, volts) != BenchStatus::Ok) {
        refuse(withReasons(QStringLiteral("Alimentatore non risponde"), ports));
        return false;
    }
    return true;
}

bool VerificationStation::sendMultimeter() {
    const QStringList ports = m_instruments->openPorts();
    const QString function = settings.output == 0 ? QStringLiteral("CURR") : QStringLiteral("VOLT");
    if (m_instruments->meters.SetMultimeter(0, QStringLiteral("REM"), function) !=
        BenchStatus::Ok) {
        refuse(withReasons(QStringLiteral("Multimetro non risponde"), ports));
        return false;
    }
    m_meterUnit = unit();
    return true;
}

bool VerificationStation::sendSwitches(const OutputRouting& routing) {
    if (!automatic())
        return true;
    const QStringList ports = m_instruments->openPorts();
    SwitchUnit& sw = m_instruments->switches;
    bool ok = routing.route.isEmpty() || sw.SetSwitch(routing.route) == BenchStatus::Ok;
    if (ok && settings.input >= 0)
        ok = sw.SetSwitch(InputRoutingFor(currentModel(), settings.input)) == BenchStatus::Ok;
    if (!ok)
        refuse(withReasons(QStringLiteral("Switch non risponde"), ports));
    return ok;
}

bool VerificationStation::SetUpSupply() {
    QString volts;
    return !m_running && checkSupply(&volts) && sendSupply(volts);
}

bool VerificationStation::SetUpMultimeter() {
    return !m_running && checkOutput() && sendMultimeter();
}

bool VerificationStation::SetUpSwitches() {
    OutputRouting routing;
    return !m_running && checkRouting(&routing) && sendSwitches(routing);
}

bool VerificationStation::SetUpAndVerify() {
    if (m_running)
        return false;
    VerificationRange r;
    QString volts;
    OutputRouting routing;
    if (!checkRange(&r) || !checkSupply(&volts) || !checkOutput() || !checkRouting(&routing))
        return false;
    range = r;
    Q_EMIT settingsChanged();
    return sendSupply(volts) && sendMultimeter() && sendSwitches(routing) && run();
}

bool VerificationStation::Verify() {
    if (m_running)
        return false;
    VerificationRange r;
    if (!checkRange(&r) || !checkOutput())
        return false;
    range = r;
    Q_EMIT settingsChanged();
    return run();
}

void VerificationStation::StopVerification() {
    m_stopRequested = m_running;
    PowerSupply& supply = m_instruments->supply;
    if (supply.mode() == InstrumentMode::Serial && supply.port() && supply.port()->isOpen())
        supply.SwitchOff();
}

// ---- the verification ----------------------------------------------------------------------

bool VerificationStation::runFailed(BenchStatus why) {
    if (why == BenchStatus::Cancelled) {
        append(QStringLiteral("Verifica annullata"));
        return false;
    }
    const QString message =
        QStringLiteral("Misura del dispositivo in corso. Controllare comunicazione");
    append(message);
    refuse(withReasons(message, m_portTrouble));
    return false;
}

bool VerificationStation::run() {
    const int input = settings.input;
    const std::array<double, 3> setpoints = CalibratorSetpoints(input, range);
    // The readings are in what the meter was set up for, whatever the output list says now;
    // a meter never set up here was set by hand for the output chosen.
    const QString u = m_meterUnit.isEmpty() ? unit() : m_meterUnit;
    const QString number = QString::number(downloads);
    const BenchTimings& t = m_instruments->context.timings;
    Calibrator& calibrator = m_instruments->calibrator;
    Multimeter& meter = m_instruments->meters;

    m_running = true;
    m_stopRequested = false;
    Q_EMIT runningChanged(true);
    const auto finish = [this](bool ok) {
        m_running = false;
        Q_EMIT runningChanged(false);
        return ok;
    };
    m_portTrouble = m_instruments->openPorts();
    if (automatic()) {
        const BenchStatus st = calibrator.Select(VerificationFunction(input));
        if (st != BenchStatus::Ok)
            return finish(runFailed(st));
    } else if (m_prompter) {
        m_prompter->inform(QStringLiteral("Impostare calibratore"));
    }
    append(QStringLiteral("Taratura in corso N° : ") + number + QStringLiteral(" Range: ") +
           QLatin1Char(' ') + NumberText(range.min) + QString::fromUtf8(" ÷ ") +
           NumberText(range.max) + QLatin1Char(' ') + u);
    const std::array<const char*, 3> labels{
        "Valore di zero: ", "Valore di 1/2 scala: ", "Valore di span: "};
    for (std::size_t w = 0; w < 3; ++w) {
        if (w > 0)
            Pause(t.verifyPointPause);
        if (m_stopRequested) {
            append(QStringLiteral("Verifica interrotta"));
            return finish(false);
        }
        BenchStatus st = calibrator.SetCalibrator(setpoints[w]);
        if (st != BenchStatus::Ok)
            return finish(runFailed(st));
        Pause(t.verifyReadPause);
        const Measurement m = meter.ReadMultimeter(0);
        if (!m.ok())
            return finish(runFailed(m.status));
        // The meter reads milli-units; a voltage output is reported in volts.
        const double r = u == QLatin1String("V") ? m.value / 1000 : m.value;
        append(QLatin1String(labels[w]) + ReportNumber(r) + QLatin1Char(' ') + u);
    }
    // STOP during the last point: the unit was not verified to the end.
    if (m_stopRequested) {
        append(QStringLiteral("Verifica interrotta"));
        return finish(false);
    }
    append(QStringLiteral("Taratura dispositivo N° ") + number + QStringLiteral(" : terminata"));
    append(QString(58, QLatin1Char('_')));
    meter.MultimeterBeep();
    return finish(true);
}

} // namespace vantelso::bench
