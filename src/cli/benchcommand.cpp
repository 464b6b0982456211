// bench sim: the whole simulated factory bench (device and instruments) served on
// pseudo-terminals and loopback TCP, so the bench windows can be tried with no hardware.
// bench calibrate: one calibration run on a simulated bench in-process, with short pauses.
#include "benchinstruments.h"
#include "calibrationrun.h"
#include "clicontext.h"
#include "cliprompter.h"
#include "identity.h"
#include "sessionfactory.h"
#include "simdevice.h"
#include "simoperator.h"
#include "simtransport.h"
#include "simulatedbench.h"

#ifdef VANTELSO_HAS_RECORDS
#include "benchrecorder.h"
#include "recorder.h"
#include "recordstore.h"
#include "texts.h"
#endif

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>

namespace vantelso {

namespace {

using bench::RangeCaption;

int usage(const char* text) {
    std::fprintf(stderr, "error: %s\n", text);
    return ExitUsage;
}

int ServeBench(const QCommandLineParser& parser, const QString& model) {
    std::uint8_t modelByte = 0;
    std::uint8_t variantBits = 0;
    if (!ParseModelIdentifier(model, &modelByte, &variantBits)) {
        std::fprintf(stderr, "error: unknown device model \"%s\"\n", qPrintable(model));
        return ExitUsage;
    }
    QString why;
    sim::SimulatedBench bench(modelByte, variantBits);
    bench.device().setWireTiming(parser.isSet(QStringLiteral("wire-timing")));
    if (!bench.serve(&why)) {
        std::fprintf(stderr, "error: %s\n", qPrintable(why));
        return ExitCommFailure;
    }
    // One instrument a line, name TAB address TAB what it stands for, for people and scripts.
    for (const sim::SimulatedBench::Endpoint& e : bench.endpoints())
        std::printf("%s\t%s\t%s\n", qPrintable(e.name), qPrintable(e.address), qPrintable(e.note));
    std::fflush(stdout);
    std::fprintf(stderr,
                 "simulated bench around a %s; for the USB instruments put these lines in "
                 "instruments.txt in the working folder:\n",
                 qPrintable(bench.device().modelIdentifier()));
    for (const QString& line : bench.aliasLines())
        std::fprintf(stderr, "  %s\n", qPrintable(line));
    std::fprintf(stderr, "interrupt to stop\n");
    return QCoreApplication::exec();
}

// "90 mV A" -> "90MVA": how a range may be named in --ranges.
QString rangeKey(const QString& text) {
    QString k = text.toUpper();
    k.remove(QLatin1Char(' '));
    return k;
}

// --ranges: range indices or names ("90mVA", "mAB", "PTCA"), comma-separated, each one of
// the model's own ranges.
bool parseRanges(const QString& list, const QList<int>& own, QList<int>* chosen) {
    for (const QString& token : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString t = token.trimmed();
        bool isNumber = false;
        int index = t.toInt(&isNumber);
        if (!isNumber) {
            index = -1;
            for (int i : own) {
                if (rangeKey(RangeCaption(i)) == rangeKey(t))
                    index = i;
            }
        }
        if (!own.contains(index)) {
            QStringList names;
            for (int i : own)
                names << QStringLiteral("%1 (%2)").arg(i).arg(rangeKey(RangeCaption(i)));
            std::fprintf(stderr, "error: \"%s\" is not a range of this model; its ranges: %s\n",
                         qPrintable(t), qPrintable(names.join(QStringLiteral(", "))));
            return false;
        }
        if (!chosen->contains(index))
            chosen->append(index);
    }
    if (chosen->isEmpty()) {
        std::fprintf(stderr, "error: --ranges names no range\n");
        return false;
    }
    return true;
}

// The bench of one calibration run: a simulated unit fresh from production with its own
// analog errors, the instruments on in-process ports, an operator who sets the DIP switches
// when asked and answers every other question OK.
struct CalibrationBench {
    CalibrationBench(std::uint8_t modelByte, std::uint8_t variantBits)
        : bench(modelByte, variantBits), op(&bench), instruments(&op, &sessions),
          supplyPort(&bench.supply()), calibratorPort(&bench.calibrator()),
          meterPort(&bench.meter(0)), switchPort(&bench.switches()), devicePort(&bench.device()),
          link(&op), run(&link, &instruments, &op) {
        // Short pauses: the simulated instruments settle at once. Silence is still given
        // up on after half a second.
        bench::BenchTimings t = bench::BenchTimings().scaled(0.01);
        t.supplyReplyTimeout = t.meterReplyTimeout = t.calibratorEchoTimeout = 0.5;
        instruments.context.timings = t;
        sessions.setSimulatedConnector(
            [this](const QString& name) { return bench.connectTo(name); });
        for (Transport* p :
             {static_cast<Transport*>(&supplyPort), static_cast<Transport*>(&calibratorPort),
              static_cast<Transport*>(&meterPort), static_cast<Transport*>(&switchPort)})
            p->open();
        instruments.supply.setPort(&supplyPort);
        instruments.calibrator.setPort(&calibratorPort);
        instruments.meters.setPort(0, &meterPort);
        instruments.switches.setPort(&switchPort);
        bench.device().setStreamInterval(5);
        devicePort.open();
        link.setTransport(&devicePort);
        // The unit takes as long to store a byte as the shortened pause gives it, as a real
        // unit does at the protocol's pace.
        constexpr double kPace = 0.1;
        link.setDelayScale(kPace);
        bench.device().setWriteTimeMs(sim::SimDevice::kDefaultWriteTimeMs * kPace);
    }

    sim::SimulatedBench bench;
    sim::SimOperator op;
    bench::SessionFactory sessions;
    bench::BenchInstruments instruments;
    sim::SimInstrumentTransport supplyPort;
    sim::SimInstrumentTransport calibratorPort;
    sim::SimInstrumentTransport meterPort;
    sim::SimInstrumentTransport switchPort;
    sim::SimTransport devicePort;
    DeviceLink link;
    bench::CalibrationRun run;
};

QJsonObject rangeJson(const bench::RangeResult& r, int index, bool passed) {
    QJsonObject o{{QStringLiteral("index"), index},
                  {QStringLiteral("range"), RangeCaption(index)},
                  {QStringLiteral("passed"), passed}};
    const std::pair<const char*, const bench::ResultField*> fields[] = {
        {"k1", &r.k1},     {"k2", &r.k2},     {"zero", &r.zero},
        {"half", &r.half}, {"span", &r.span}, {"span2", &r.span2}};
    for (const auto& [name, field] : fields) {
        if (!field->text.isEmpty())
            o.insert(QLatin1String(name), field->text);
    }
    return o;
}

int CalibrateOnSimulatedBench(const QCommandLineParser& parser, const QString& model) {
    using namespace bench;
    const int row = FindCalModel(model);
    if (row < 0) {
        QStringList names;
        for (const CalModel& m : CalModels())
            names << QLatin1String(m.name);
        std::fprintf(stderr, "error: unknown bench model \"%s\"; one of: %s\n", qPrintable(model),
                     qPrintable(names.join(QStringLiteral(", "))));
        return ExitUsage;
    }
    // The unit that answers: the model byte and variant of the identifier; the OEM board is a
    // thermistor-input unit on the bench.
    std::uint8_t modelByte = 6;
    std::uint8_t variantBits = 0;
    const bool named = ParseModelIdentifier(model, &modelByte, &variantBits);
    if (parser.isSet(QStringLiteral("model-byte"))) {
        bool ok = false;
        const int n = parser.value(QStringLiteral("model-byte")).toInt(&ok);
        const bool fits =
            ok && n >= 0 && n <= 9 &&
            (named ? ModelIdentifier(std::uint8_t(n), variantBits) == model : n == modelByte);
        if (!fits) {
            std::fprintf(stderr, "error: --model-byte %s: no unit with that model byte is a %s\n",
                         qPrintable(parser.value(QStringLiteral("model-byte"))), qPrintable(model));
            return ExitUsage;
        }
        modelByte = std::uint8_t(n);
    }
    std::optional<double> gainError;
    if (parser.isSet(QStringLiteral("gain-error"))) {
        bool ok = false;
        const double percent = parser.value(QStringLiteral("gain-error")).toDouble(&ok);
        if (!ok || !std::isfinite(percent) || percent <= -50 || percent >= 50)
            return usage("--gain-error needs a percentage between -50 and 50");
        gainError = percent;
    }

    CalibrationBench b(modelByte, variantBits);
    b.bench.prepareForCalibration(model);
    if (gainError) {
        const double g = *gainError / 100;
        b.bench.calibrationModel()->unit.inputGainError = {g, g};
    }
    QTemporaryDir folder;
    if (!folder.isValid() || b.bench.writeDefaultImageFile(folder.path()).isEmpty()) {
        std::fprintf(stderr, "error: cannot write the default image in a scratch folder\n");
        return ExitFile;
    }
    CalibrationRun& run = b.run;
    run.dataFolder = folder.path();
    run.SelectModel(row);
    run.unitId = parser.value(QStringLiteral("unit"));
    QList<int> selected = CalModels()[row].ranges;
    if (parser.isSet(QStringLiteral("ranges"))) {
        QList<int> chosen;
        if (!parseRanges(parser.value(QStringLiteral("ranges")), selected, &chosen))
            return ExitUsage;
        for (int i : selected)
            run.setRangeTicked(i, chosen.contains(i));
        selected = chosen;
    }

    const bool json = parser.isSet(QStringLiteral("json"));
    QObject::connect(&run, &CalibrationRun::stepFinished, [json](const QString& line) {
        std::fprintf(json ? stderr : stdout, "%s\n", qPrintable(line));
        std::fflush(json ? stderr : stdout);
    });
#ifdef VANTELSO_HAS_RECORDS
    // Every run goes to the production records (or, when the database refuses it, to the
    // fallback file, with the reason on stderr), as the bench window does.
    CliPrompter recordsPrompter(true);
    Texts english;
    english.setLanguage(Texts::English);
    records::Recorder::Config where;
    where.location = records::ResolveLocation(parser.value(QStringLiteral("records")));
    records::Recorder recorder(where, &recordsPrompter, english);
    records::BenchRecorder recording(recorder, &b.link);
    recording.setInstruments(&b.instruments);
    // No id typed: one is made now, so the output and the records name the same unit.
    if (run.unitId.trimmed().isEmpty()) {
        run.unitId = records::GenerateUnitId();
        std::fprintf(stderr, "unit id generated: %s\n", qPrintable(run.unitId));
    }
    recording.setUnitId(run.unitId);
    const QDateTime started = QDateTime::currentDateTimeUtc();
#endif
    const RunOutcome out = run.RunCalibration();
#ifdef VANTELSO_HAS_RECORDS
    records::RunRecord record = records::CalibrationRecord(run, &out);
    record.started = started;
    const records::Recorder::Result stored = recording.record(record);
    if (stored.where == records::Recorder::Where::Nowhere)
        return ExitFile; // the operator was told that the run is written nowhere
#endif

    QStringList failed;
    QJsonArray steps;
    for (int i : selected) {
        const RangeResult& r = run.ranges[std::size_t(i)];
        const bool passed = r.box == FieldColour::Green && !r.failed();
        if (!passed)
            failed << RangeCaption(i);
        steps.append(rangeJson(r, i, passed));
    }
    const bool passed = !out.error && !out.stopped && out.finalProgrammed && failed.isEmpty();
    const QString ending = out.error ? QStringLiteral("ERRORE: ") + out.message : run.status;
    for (const ScriptedPrompter::Question& q : b.op.questions())
        std::fprintf(stderr, "operator: %s\n", qPrintable(QString(q.text).replace(u'\n', u' ')));
    if (json) {
        QJsonObject o{{QStringLiteral("model"), model},
                      {QStringLiteral("modelByte"), modelByte},
                      {QStringLiteral("unit"), out.unit},
                      {QStringLiteral("ranges"), steps},
                      {QStringLiteral("failedRanges"), QJsonArray::fromStringList(failed)},
                      {QStringLiteral("finalProgrammed"), out.finalProgrammed},
                      {QStringLiteral("stopped"), out.stopped},
                      {QStringLiteral("error"), out.error ? out.message : QString()},
                      {QStringLiteral("status"), ending},
                      {QStringLiteral("passed"), passed}};
        if (gainError)
            o.insert(QStringLiteral("gainErrorPercent"), *gainError);
        std::printf("%s", QJsonDocument(o).toJson(QJsonDocument::Indented).constData());
    } else {
        std::printf("%s\n", qPrintable(ending));
    }
    std::fflush(stdout);
    if (!failed.isEmpty())
        std::fprintf(stderr, "error: not passed: %s\n",
                     qPrintable(failed.join(QStringLiteral(", "))));
    else if (!out.error && !out.finalProgrammed)
        std::fprintf(stderr, "error: final programming not done\n");
    if (out.error)
        return ExitCommFailure;
    return passed ? ExitDone : ExitRefused;
}

} // namespace

int RunBench(const QCommandLineParser& parser) {
    const QStringList args = parser.positionalArguments();
    const QString sub = args.value(1);
    if (sub == QLatin1String("sim") && args.size() <= 3)
        return ServeBench(parser, args.size() == 3 ? args[2] : QStringLiteral("RSX7030"));
    if (sub == QLatin1String("calibrate") && args.size() == 3)
        return CalibrateOnSimulatedBench(parser, args[2]);
    return usage("usage: vantelso-cli bench sim [MODEL] | bench calibrate MODEL [--ranges LIST] "
                 "[--gain-error PERCENT] [--model-byte N] [--unit ID] [--json]");
}

} // namespace vantelso
