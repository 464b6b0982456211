#include "benchrecorder.h"

#include "benchinstruments.h"
#include "calibrationrun.h"
#include "devicelink.h"
#include "eepromtool.h"
#include "productiontest.h"
#include "verificationstation.h"

namespace vantelso::records {

namespace {

// A verification reading line, "Valore di zero: 4.001 mA": the number and its unit.
QString afterColon(const QString& line) {
    return line.mid(line.indexOf(QLatin1Char(':')) + 1).trimmed();
}

} // namespace

RunRecord CalibrationRecord(const bench::CalibrationRun& run, const bench::RunOutcome* outcome) {
    RunRecord r;
    r.kind = RunKind::Calibration;
    r.unit.model = run.TaraModel;
    bool failed = false;
    for (int i = 0; i < bench::kRangeCount; ++i) {
        const bench::RangeResult& range = run.ranges[std::size_t(i)];
        const bool ran = !range.k1.text.isEmpty() || !range.zero.text.isEmpty() ||
                         range.box != bench::FieldColour::White;
        if (!ran)
            continue;
        StepRecord s;
        s.range = bench::RangeCaption(i);
        s.k = range.k2.text.isEmpty() ? range.k1.text
                                      : range.k1.text + QStringLiteral(" / ") + range.k2.text;
        s.zero = range.zero.text;
        s.half = range.half.text;
        s.span = range.span2.text.isEmpty()
                     ? range.span.text
                     : range.span.text + QStringLiteral(" / ") + range.span2.text;
        s.passed = !range.failed();
        failed = failed || !s.passed;
        if (const auto step = bench::FindCalStep(run.TaraModel, i))
            s.address = step->address;
        r.steps << s;
    }
    if (outcome) {
        r.outcome = outcome->error     ? Outcome::Error
                    : outcome->stopped ? Outcome::Stopped
                    : failed           ? Outcome::Failed
                                       : Outcome::Passed;
        r.message = outcome->message;
    } else {
        r.outcome = run.statusColour == bench::FieldColour::Red ? Outcome::Error
                    : run.StopRequested                         ? Outcome::Stopped
                    : failed                                    ? Outcome::Failed
                                                                : Outcome::Passed;
    }
    return r;
}

QString InstrumentsText(const bench::BenchInstruments& i) {
    return QStringLiteral("supply=%1; meter=%2; switches=%3; calibrator=%4")
        .arg(i.supply.selector(), i.meters.selector(), i.switches.selector(),
             i.calibrator.selector());
}

BenchRecorder::BenchRecorder(Recorder& recorder, const DeviceLink* link, QObject* parent)
    : QObject(parent), m_recorder(recorder), m_link(link) {}

void BenchRecorder::setUnitId(const QString& typed) {
    const QString id = CleanUnitId(typed);
    if (id == m_unitId)
        return;
    m_unitId = id;
    Q_EMIT unitIdChanged(m_unitId);
}

UnitInfo BenchRecorder::unit(const QString& model) const {
    UnitInfo u;
    u.unitId = m_unitId;
    u.model = model;
    if (m_link) {
        const DeviceIdentity& id = m_link->identity;
        u.deviceCode = id.DeviceCode;
        u.modelByte = id.ModelByte;
        u.idByte3 = id.IdByte3;
        u.idByte4 = id.IdByte4;
        if (u.model.isEmpty() && !ModelNeedsVariantByte(id.ModelByte))
            u.model = ModelIdentifier(id.ModelByte, 0);
    }
    return u;
}

Recorder::Result BenchRecorder::record(RunRecord run) {
    const QString model = run.unit.model;
    run.unit = unit(model);
    if (run.operatorName.isEmpty())
        run.operatorName = m_operator;
    if (run.instruments.isEmpty() && m_instruments)
        run.instruments = InstrumentsText(*m_instruments);
    const bool generate = run.unit.unitId.isEmpty();
    if (generate)
        run.unit.unitId = GenerateUnitId();
    const Recorder::Result result = m_recorder.record(run);
    if (generate) {
        m_unitId = run.unit.unitId;
        Q_EMIT unitIdChanged(m_unitId);
        Q_EMIT unitIdGenerated(m_unitId);
    }
    Q_EMIT recorded(result);
    return result;
}

// ---- calibration ---------------------------------------------------------------------------

void BenchRecorder::watch(bench::CalibrationRun* run) {
    connect(run, &bench::CalibrationRun::runningChanged, this, [this, run](bool running) {
        if (running)
            m_calStart = QDateTime::currentDateTimeUtc();
        else
            calibrationEnded(run);
    });
}

void BenchRecorder::calibrationEnded(bench::CalibrationRun* run) {
    RunRecord r = CalibrationRecord(*run, nullptr);
    r.started = m_calStart;
    record(r);
}

// ---- programming station -------------------------------------------------------------------

void BenchRecorder::watch(bench::VerificationStation* station,
                          std::function<QByteArray()> configuration) {
    m_configuration = std::move(configuration);
    m_seenLines = station->reportLines().size();
    connect(station, &bench::VerificationStation::reportChanged, this,
            [this, station] { stationReport(station); });
    connect(station, &bench::VerificationStation::runningChanged, this,
            [this, station](bool running) {
                if (station->downloading())
                    return; // a download: its report lines tell how it ended
                if (running) {
                    m_verifyFirstLine = int(station->reportLines().size());
                    m_verifyStart = QDateTime::currentDateTimeUtc();
                } else {
                    verificationEnded(station);
                }
            });
}

// A download shows as "Programmazione in corso..." and then the line that says how it
// ended; only those two kinds of line are looked at here.
void BenchRecorder::stationReport(bench::VerificationStation* station) {
    const QStringList lines = station->reportLines();
    if (lines.size() < m_seenLines) // Reset: a new report
        m_seenLines = 0;
    for (int i = m_seenLines; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.startsWith(QLatin1String("Programmazione in corso"))) {
            m_downloadStart = QDateTime::currentDateTimeUtc();
            continue;
        }
        if (!m_downloadStart.isValid())
            continue;
        const bool done = line.startsWith(QLatin1String("Download completato"));
        const bool failed = line.startsWith(QLatin1String("Errore"));
        if (line.startsWith(QLatin1String("Download annullato"))) {
            m_downloadStart = {}; // nothing was written
            continue;
        }
        if (!done && !failed)
            continue;
        RunRecord r;
        r.kind = RunKind::Download;
        r.started = m_downloadStart;
        r.outcome = done ? Outcome::Passed : Outcome::Error;
        if (failed)
            r.message = line;
        StepRecord s;
        s.passed = done;
        s.note = line;
        if (m_configuration)
            s.bytes = m_configuration();
        r.steps << s;
        m_downloadStart = {};
        m_seenLines = i + 1;
        record(r);
    }
    m_seenLines = int(lines.size());
}

void BenchRecorder::verificationEnded(bench::VerificationStation* station) {
    const QStringList lines = station->reportLines();
    if (m_verifyFirstLine < 0 || m_verifyFirstLine > lines.size())
        m_verifyFirstLine = 0;
    RunRecord r;
    r.kind = RunKind::Verification;
    r.started = m_verifyStart;
    StepRecord s;
    bool ended = false;
    bool stopped = false;
    for (int i = m_verifyFirstLine; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.startsWith(QLatin1String("Taratura in corso")))
            s.range = line.mid(line.indexOf(QLatin1String("Range:")) + 6).trimmed();
        else if (line.startsWith(QLatin1String("Valore di zero")))
            s.zero = afterColon(line);
        else if (line.startsWith(QLatin1String("Valore di 1/2 scala")))
            s.half = afterColon(line);
        else if (line.startsWith(QLatin1String("Valore di span")))
            s.span = afterColon(line);
        else if (line.endsWith(QLatin1String("terminata")))
            ended = true;
        else if (line.startsWith(QLatin1String("Verifica interrotta")))
            stopped = true;
        else if (!line.startsWith(QLatin1Char('_')) && !line.trimmed().isEmpty())
            r.message = line;
    }
    m_verifyFirstLine = -1;
    // The station has no limits of its own: a verification that read its three points passed.
    r.outcome = ended ? Outcome::Passed : stopped ? Outcome::Stopped : Outcome::Error;
    if (ended)
        r.message.clear();
    s.passed = ended;
    r.steps << s;
    record(r);
}

// ---- production test -----------------------------------------------------------------------

void BenchRecorder::watch(bench::ProductionTest* test) {
    connect(test, &bench::ProductionTest::runningChanged, this, [this](bool running) {
        if (running) {
            m_testStart = QDateTime::currentDateTimeUtc();
            m_misses.clear();
            m_done = m_total = 0;
        } else {
            productionEnded();
        }
    });
    connect(test, &bench::ProductionTest::logged, this,
            [this](const QString& line) { m_misses << line; });
    connect(test, &bench::ProductionTest::progress, this, [this](int done, int total) {
        m_done = done;
        m_total = total;
    });
}

void BenchRecorder::productionEnded() {
    RunRecord r;
    r.kind = RunKind::ProductionTest;
    r.started = m_testStart;
    const bool linearity = m_total > 0;
    for (const QString& miss : m_misses) {
        StepRecord s;
        s.range = linearity ? QStringLiteral("linearity") : QStringLiteral("stability");
        s.passed = false;
        s.note = miss;
        r.steps << s;
    }
    // The stability test runs until Stop: Stop is its normal end.
    r.outcome = linearity && m_done < m_total ? Outcome::Stopped
                : m_misses.isEmpty()          ? Outcome::Passed
                                              : Outcome::Failed;
    if (linearity)
        r.message = QStringLiteral("%1/%2 points").arg(m_done).arg(m_total);
    record(r);
}

// ---- EEPROM --------------------------------------------------------------------------------

bench::EepromOutcome BenchRecorder::writeEeprom(bench::EepromTool& tool) {
    RunRecord r;
    r.kind = RunKind::Eeprom;
    r.started = QDateTime::currentDateTimeUtc();
    const bench::EepromOutcome out = tool.writeDevice();
    using Kind = bench::EepromOutcome::Kind;
    if (out.kind == Kind::NoImage || out.kind == Kind::BadInput)
        return out;
    StepRecord s;
    s.range = QStringLiteral("bank %1").arg(tool.bank());
    s.address = 0;
    const auto& bytes = tool.image().bytes;
    s.bytes = QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    s.passed = out.ok();
    s.note = out.kind == Kind::Differs
                 ? QStringLiteral("%1 addresses differ").arg(out.differences.size())
                 : out.message;
    r.steps << s;
    r.outcome = out.ok()                    ? Outcome::Passed
                : out.kind == Kind::Differs ? Outcome::Failed
                                            : Outcome::Error;
    r.message = out.message;
    record(r);
    return out;
}

} // namespace vantelso::records
