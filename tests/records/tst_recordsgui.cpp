// What the records show people: the calibration certificate of a run in both languages, the
// Collaudo > Registro window (filter, table, CSV export, certificate) and the command-line
// tool's records command (list, JSON, CSV, import, certificate).
// With VANTELSO_SCREENSHOTS set to a folder, the window and the certificate are saved there.
#include "benchrecorder.h"
#include "certificate.h"
#include "clirun.h"
#include "desktopsession.h"
#include "failingrow.h"
#include "frmregistro.h"
#include "owntexts.h"
#include "testfiles.h"
#include "texts.h"
#include "unitidfield.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace vantelso;
using namespace vantelso::records;

namespace {

RunRecord run(const QString& unit, RunKind kind, Outcome outcome, int daysAgo) {
    RunRecord r;
    r.unit = {unit, u"RSX7030"_s, 12, 0, 0x41, 0x07};
    r.kind = kind;
    r.started = QDateTime::currentDateTimeUtc().addDays(-daysAgo);
    r.finished = r.started.addSecs(180);
    r.benchHost = u"banco-1"_s;
    r.operatorName = u"Bianchi"_s;
    r.instruments = u"supply=Com4; meter=Com3; switches=Com5; calibrator=Com6"_s;
    r.outcome = outcome;
    if (kind == RunKind::Calibration)
        r.steps = {StepRecord{u"90 mV A"_s, u"56.52"_s, u"0.001"_s, u"45.002"_s, u"90.004"_s, true,
                              40, QByteArray("\x1a\x80\x03", 3), QString()},
                   StepRecord{u"mA A"_s, u"3.998 / 20.011"_s, u"4.000"_s, u"12.003"_s, u"20.120"_s,
                              outcome == Outcome::Passed, 60, QByteArray(), QString()}};
    return r;
}

// The command-line tool's records command on the records at `db`.
CliRun recordsCommand(const QStringList& args, const QString& db) {
    return ::cli(QStringList{u"records"_s} + args + QStringList{u"--records"_s, db});
}

void screenshot(const QImage& image, const QString& name) {
    const QString folder = qEnvironmentVariable("VANTELSO_SCREENSHOTS");
    if (!folder.isEmpty())
        image.save(folder + u'/' + name);
}

} // namespace

class TestRecordsGui : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_db;
    QList<RunRecord> m_written;

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        m_db = m_dir.filePath(u"records.sqlite"_s);
        RecordStore store(*StoreLocation::parse(m_db, nullptr));
        QString why;
        QVERIFY2(store.open(&why), qPrintable(why));
        m_written = {run(u"U1"_s, RunKind::Calibration, Outcome::Passed, 40),
                     run(u"U2"_s, RunKind::Download, Outcome::Passed, 3),
                     run(u"U1"_s, RunKind::Calibration, Outcome::Failed, 1)};
        for (RunRecord& r : m_written)
            QCOMPARE(store.write(&r, &why), RecordStore::Written::Stored);
    }

    // In both languages: texts the certificate holds, '|' between them.
    void certificate() {
        const std::pair<Texts::Language, QString> rows[] = {
            {Texts::Italian, u"Certificato di taratura|Unità|U1|Superato|1/2 scala|"
                             "40: 1A 80 03|Bianchi|calibrator=Com6"_s},
            {Texts::English, u"Calibration certificate|Unit|U1|Passed|Half scale|"
                             "40: 1A 80 03|Bianchi|ID=12/0"_s}};
        for (const auto& [language, expected] : rows) {
            const FailingRow row(language == Texts::English ? "english" : "italiano");
            Texts texts;
            texts.setLanguage(language);
            const report::Certificate c(m_written[0], texts);
            QCOMPARE(c.pageCount(), 1);
            for (const QString& e : expected.split(u'|'))
                QVERIFY2(c.text().contains(e), qPrintable(e + " missing in:\n" + c.text()));
            screenshot(c.page(0),
                       u"certificate-%1.png"_s.arg(language == Texts::English ? "en" : "it"));
        }
    }

    // The texts split into columns, kinds and outcomes have as many parts in both languages
    // as the window and the certificate index.
    void lists() {
        const std::pair<int, int> rows[] = {
            std::pair(own::RegistroColumns, 8), std::pair(own::RunKinds, 5),
            std::pair(own::RunOutcomes, 4), std::pair(own::CertificateFields, 10),
            std::pair(own::CertificateSteps, 7)};
        Texts texts;
        for (Texts::Language l : {Texts::Italian, Texts::English}) {
            texts.setLanguage(l);
            for (const auto& [id, parts] : rows) {
                const QStringList split = texts.lang(id).split(u'|');
                QVERIFY2(split.size() == parts && !split.contains(QString()),
                         qPrintable(texts.lang(id)));
            }
        }
    }

    void window_data() {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("sinceDays");
        QTest::addColumn<QStringList>("units"); // newest first
        QTest::newRow("all") << "" << -1 << QStringList{"U1", "U2", "U1"};
        QTest::newRow("one unit, scanned") << " U1\n" << -1 << QStringList{"U1", "U1"};
        QTest::newRow("last week") << "" << 7 << QStringList{"U1", "U2"};
        QTest::newRow("unknown unit") << "U404" << -1 << QStringList{};
    }
    void window() {
        QFETCH(QString, unit);
        QFETCH(int, sinceDays);
        QFETCH(QStringList, units);
        Texts texts;
        ScriptedPrompter prompter;
        gui::FrmRegistro w(texts, prompter, m_db);
        w.resize(900, 400);
        w.txt_unit->setText(unit);
        w.chk_since->setChecked(sinceDays >= 0); // unchecked, the date (tomorrow) filters nothing
        w.dat_since->setDate(QDate::currentDate().addDays(-sinceDays));
        QTest::mouseClick(w.cmd_refresh, Qt::LeftButton);
        QCOMPARE(w.tbl_runs->rowCount(), units.size());
        for (int r = 0; r < units.size(); ++r)
            QCOMPARE(w.tbl_runs->item(r, 0)->text(), units[r]);
        QCOMPARE(w.lbl_status->text(), u"%1 prove"_s.arg(units.size()));
        QCOMPARE(w.cmd_export->isEnabled(), !units.isEmpty());
        QVERIFY(!w.cmd_certificate->isEnabled());
    }

    void windowActions() {
        Texts texts;
        ScriptedPrompter prompter;
        gui::FrmRegistro w(texts, prompter, m_db);
        w.resize(900, 400);
        QVERIFY(w.refresh());
        QCOMPARE(w.tbl_runs->item(0, 7)->text(), u"Fallito"_s);
        QCOMPARE(w.tbl_runs->item(1, 2)->text(), u"Download"_s);
        // The certificate is of a calibration run only.
        w.tbl_runs->selectRow(1);
        QVERIFY(!w.cmd_certificate->isEnabled());
        w.tbl_runs->selectRow(2);
        QVERIFY(w.cmd_certificate->isEnabled());
        const QString pdf = m_dir.filePath(u"U1.pdf"_s);
        prompter.pushFile(pdf);
        QTest::mouseClick(w.cmd_certificate, Qt::LeftButton);
        QCOMPARE(prompter.fileDialogs.last().fileName, u"U1.pdf"_s);
        QVERIFY(QFileInfo(pdf).size() > 1000);
        // CSV: the rows shown, oldest first, with their steps.
        const QString csv = m_dir.filePath(u"runs.csv"_s);
        prompter.pushFile(csv);
        QTest::mouseClick(w.cmd_export, Qt::LeftButton);
        QCOMPARE(QString::fromUtf8(ReadTestFile(csv)), RunsCsv(m_written));
        screenshot(w.grab().toImage(), u"registro-it.png"_s);
        // A file that cannot be written is told, in the window's language.
        texts.setLanguage(Texts::English);
        QCOMPARE(w.tbl_runs->horizontalHeaderItem(0)->text(), u"Unit"_s);
        QCOMPARE(w.tbl_runs->item(0, 7)->text(), u"Failed"_s);
        QCOMPARE(w.windowTitle(), u"Production records"_s);
        prompter.pushFile(m_dir.filePath(u"records.sqlite/runs.csv"_s));
        QVERIFY(!w.exportCsv());
        QVERIFY(prompter.texts().last().startsWith(u"Cannot write"_s));
        screenshot(w.grab().toImage(), u"registro-en.png"_s);
    }

    // The bench windows' field: what is scanned reaches the recorder without the scanner's
    // line end; an id generated for an empty field comes back into it with the hint.
    void unitIdField() {
        Texts texts;
        ScriptedPrompter prompter;
        Recorder recorder({m_dir.filePath(u"field.sqlite"_s), {}, 1000}, &prompter, texts);
        BenchRecorder bench(recorder, nullptr);
        gui::UnitIdField field(bench, texts);
        gui::UnitIdField other(bench, texts); // the station's window beside the bench's
        QTest::keyClicks(field.txt_unit, u" AB-1234 "_s);
        // Trimmed for the recorder and the window beside; not rewritten while typed.
        QCOMPARE(QStringList({bench.unitId(), other.txt_unit->text(), field.txt_unit->text()}),
                 QStringList({u"AB-1234"_s, u"AB-1234"_s, u" AB-1234 "_s}));
        QVERIFY(field.lbl_generated->isHidden());
        field.txt_unit->selectAll();
        QTest::keyClick(field.txt_unit, Qt::Key_Delete);
        QCOMPARE(bench.unitId(), QString());
        const Recorder::Result r = bench.record(run({}, RunKind::Eeprom, Outcome::Passed, 0));
        QCOMPARE(r.where, Recorder::Where::Database);
        QVERIFY(r.unitId.startsWith(u'V'));
        // In both fields, selected in the one the operator left empty.
        QCOMPARE(QStringList({field.txt_unit->text(), other.txt_unit->text(),
                              field.txt_unit->selectedText()}),
                 QStringList(3, r.unitId));
        QVERIFY(!field.lbl_generated->isHidden() && field.lbl_generated->text().contains(r.unitId));
        texts.setLanguage(Texts::English);
        QCOMPARE(field.lbl_generated->text(),
                 u"Unit id generated: %1. Write it on the unit's label."_s.arg(r.unitId));
        // The next run keeps that id until the operator scans another.
        QCOMPARE(bench.record(run({}, RunKind::Eeprom, Outcome::Passed, 0)).unitId, r.unitId);
    }

    // Collaudo > Registro in the desktop program, from the main menu.
    void menuEntry() {
        Session s;
        QAction* item = s.window->mainMenu().registro;
        QVERIFY(item && item->isEnabled());
        QCOMPARE(item->text().remove(u'&'), u"Registro"_s);
        item->trigger();
        QVERIFY(s.window->registroSubWindow() && s.window->registroSubWindow()->isVisible());
        QCOMPARE(s.window->registroSubWindow()->windowTitle(), u"Registro di produzione"_s);
        screenshot(s.window->grab().toImage(), u"registro-desktop.png"_s);
    }

    void windowUnreadable() {
        Texts texts;
        ScriptedPrompter prompter;
        gui::FrmRegistro w(texts, prompter, m_dir.filePath(u"records.sqlite/x/r.sqlite"_s));
        QVERIFY(!w.refresh());
        QCOMPARE(w.tbl_runs->rowCount(), 0);
        QVERIFY(w.lbl_status->text().contains(u"r.sqlite"_s));
        QVERIFY(!w.cmd_export->isEnabled());
    }

    void command_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("runs"); // lines or JSON entries; -1 to skip
        QTest::newRow("list") << QStringList{} << 0 << 3;
        QTest::newRow("unit json") << QStringList{"--unit", "U1", "--json"} << 0 << 2;
        QTest::newRow("since csv")
            << QStringList{"--since", QDate::currentDate().addDays(-7).toString(Qt::ISODate),
                           "--csv"}
            << 0 << 4; // header, the download, the failed run's two steps
        QTest::newRow("bad date") << QStringList{"--since", "yesterday"} << 2 << -1;
        QTest::newRow("both formats") << QStringList{"--json", "--csv"} << 2 << -1;
        QTest::newRow("unknown sub") << QStringList{"purge"} << 2 << -1;
        QTest::newRow("no run 99") << QStringList{"certificate", "99", "x.pdf"} << 3 << -1;
    }
    void command() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(int, runs);
        const CliRun r = recordsCommand(args, m_db);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(exitCode == 0 || r.err.contains(u"error: "_s), qPrintable(r.err));
        if (exitCode != 0)
            return;
        if (args.contains(u"--json"_s)) {
            const QJsonArray a = QJsonDocument::fromJson(r.out.toUtf8()).array();
            QCOMPARE(a.size(), runs);
            QCOMPARE(a[0].toObject().value(u"uuid"_s).toString(), m_written[0].uuid);
            QCOMPARE(a[1].toObject().value(u"steps"_s).toArray().size(), 2);
        } else {
            QCOMPARE(r.lines().size(), runs);
        }
        QVERIFY(!args.isEmpty() || r.lines()[2].startsWith(u"%1\t"_s.arg(m_written[2].id)));
    }

    // The fallback file loads once; the certificate of a loaded run prints.
    void cliImport() {
        const QString pending = m_dir.filePath(u"pending.jsonl"_s);
        RunRecord late = run(u"U3"_s, RunKind::Calibration, Outcome::Passed, 0);
        late.uuid = u"late-run"_s;
        QString why;
        QVERIFY(AppendFallback(pending, late, &why));
        const QString db = m_dir.filePath(u"i.db"_s);
        CliRun r = recordsCommand({"import", pending}, db);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.startsWith(u"1 run(s) stored, 0 already"_s), qPrintable(r.err));
        r = recordsCommand({"import", pending}, db);
        QVERIFY2(r.err.startsWith(u"0 run(s) stored, 1 already"_s), qPrintable(r.err));
        QCOMPARE(recordsCommand({"import", m_dir.filePath("none")}, db).exitCode, 4);
        const QString pdf = m_dir.filePath(u"late.pdf"_s);
        QCOMPARE(recordsCommand({"certificate", "1", pdf}, db).exitCode, 0);
        QVERIFY(QFileInfo(pdf).size() > 1000);
    }
};

QTEST_MAIN(TestRecordsGui)

#include "tst_recordsgui.moc"
