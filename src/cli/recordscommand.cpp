// records: the production records (the runs of the factory bench) listed, exported, loaded
// from a fallback file, or one run printed as a calibration certificate.
#include "clicontext.h"
#include "recordstore.h"
#include "texts.h"
#ifdef VANTELSO_HAS_REPORT
#include "certificate.h"
#endif

#include <QJsonArray>
#include <QJsonDocument>
#include <cstdio>

namespace vantelso {

namespace {

int fail(int code, const QString& text) {
    std::fprintf(stderr, "error: %s\n", qPrintable(text));
    return code;
}

// "2026-03-01" (from local midnight) or a whole ISO date and time.
QDateTime parseSince(const QString& text) {
    const QDate day = QDate::fromString(text, Qt::ISODate);
    if (day.isValid())
        return day.startOfDay();
    return QDateTime::fromString(text, Qt::ISODate);
}

int list(records::RecordStore& store, const QCommandLineParser& parser) {
    records::RecordStore::Filter filter;
    filter.unitId = parser.value(QStringLiteral("unit")).trimmed();
    if (parser.isSet(QStringLiteral("since"))) {
        filter.since = parseSince(parser.value(QStringLiteral("since")));
        if (!filter.since.isValid())
            return fail(ExitUsage, QStringLiteral("--since takes a date, 2026-03-01, or a date "
                                                  "and time, 2026-03-01T08:00"));
    }
    QString why;
    const auto runs = store.runs(filter, &why);
    if (!runs)
        return fail(ExitFile, QStringLiteral("reading the records %1 failed: %2")
                                  .arg(store.location().display(), why));
    QTextStream out(stdout);
    if (parser.isSet(QStringLiteral("json"))) {
        QJsonArray array;
        for (const records::RunRecord& r : *runs)
            array.append(records::RunToJson(r));
        out << QJsonDocument(array).toJson(QJsonDocument::Indented);
    } else if (parser.isSet(QStringLiteral("csv"))) {
        out << records::RunsCsv(*runs);
    } else {
        for (const records::RunRecord& r : *runs) {
            out << QStringList{QString::number(r.id),
                               records::TimeText(r.started),
                               r.unit.unitId,
                               r.unit.model,
                               records::KindName(r.kind),
                               records::OutcomeName(r.outcome),
                               QString::number(r.steps.size()),
                               r.benchHost,
                               r.operatorName}
                       .join(QLatin1Char('\t'))
                << '\n';
        }
    }
    return ExitDone;
}

int import(records::RecordStore& store, const QString& path) {
    QString why;
    const auto count = records::ImportFallback(store, path, &why);
    if (!count)
        return fail(ExitFile, QStringLiteral("importing %1 into %2 stopped: %3; nothing is lost, "
                                             "run the import again once the records take runs")
                                  .arg(path, store.location().display(), why));
    std::fprintf(stderr, "%d run(s) stored, %d already in the records", count->stored,
                 count->alreadyPresent);
    if (count->unreadable > 0)
        std::fprintf(stderr, ", %d line(s) that are not a run skipped", count->unreadable);
    std::fprintf(stderr, "\n");
    return ExitDone;
}

#ifdef VANTELSO_HAS_REPORT
int certificate(records::RecordStore& store, const QString& run, const QString& out) {
    bool ok = false;
    records::RecordStore::Filter filter;
    filter.runId = run.toLongLong(&ok);
    if (!ok || filter.runId <= 0)
        return fail(
            ExitUsage,
            QStringLiteral("\"%1\" is not a run number (see vantelso-cli records)").arg(run));
    QString why;
    const auto runs = store.runs(filter, &why);
    if (!runs)
        return fail(ExitFile, why);
    if (runs->isEmpty())
        return fail(ExitRefused,
                    QStringLiteral("no run %1 in %2").arg(run, store.location().display()));
    Texts english;
    english.setLanguage(Texts::English);
    if (!report::Certificate(runs->first(), english).writePdf(out, &why))
        return fail(ExitFile, QStringLiteral("cannot write %1: %2").arg(out, why));
    std::fprintf(stderr, "wrote the certificate of run %s (unit %s) to %s\n", qPrintable(run),
                 qPrintable(runs->first().unit.unitId), qPrintable(out));
    return ExitDone;
}
#endif

} // namespace

// records [--unit ID] [--since DATE] [--json|--csv], records import FILE,
// records certificate RUN OUT.pdf; --records chooses the database.
int RunRecords(const QCommandLineParser& parser) {
    const QStringList args = parser.positionalArguments();
    const QString sub = args.value(1);
    const bool listing = args.size() == 1;
    const bool importing = sub == QLatin1String("import") && args.size() == 3;
    const bool printing = sub == QLatin1String("certificate") && args.size() == 4;
    if (!listing && !importing && !printing)
        return fail(ExitUsage, QStringLiteral("usage: vantelso-cli records [--unit ID] [--since "
                                              "DATE] [--json|--csv], records import FILE, records "
                                              "certificate RUN OUT.pdf"));
    if (parser.isSet(QStringLiteral("json")) && parser.isSet(QStringLiteral("csv")))
        return fail(ExitUsage, QStringLiteral("give either --json or --csv"));
    QString why;
    const auto location = records::StoreLocation::parse(
        records::ResolveLocation(parser.value(QStringLiteral("records"))), &why);
    if (!location)
        return fail(ExitUsage, why);
    records::RecordStore store(*location);
    if (!store.open(&why))
        return fail(ExitFile,
                    QStringLiteral("cannot open the records %1: %2").arg(location->display(), why));
    if (importing)
        return import(store, args[2]);
    if (printing) {
#ifdef VANTELSO_HAS_REPORT
        return certificate(store, args[2], args[3]);
#else
        return fail(ExitUsage, QStringLiteral("this build has no PDF output"));
#endif
    }
    return list(store, parser);
}

} // namespace vantelso
