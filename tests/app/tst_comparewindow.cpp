// File > Compare with file... and File > Print report... in the desktop program, on a
// simulated device: the table of fields, the rows that differ, what the window says for an
// equal file, a changed one and another model's, in both languages.
// With VANTELSO_SCREENSHOTS set to a folder, the compare window is saved there.
#include "configdiff.h"
#include "desktopsession.h"
#include "fieldtexts.h"
#include "frmcompare.h"
#include "owntexts.h"
#include "simbench.h"
#include "testfiles.h"

#include <QTemporaryDir>

using namespace vantelso;
using namespace Qt::StringLiterals;

namespace {

// A configuration file as a device of `model` saves it, channel A's input end moved by
// `shift`.
QString fileOf(const QTemporaryDir& dir, int model, double shift) {
    SimBench b{std::uint8_t(model)};
    b.link.setDelayScale(0.01);
    auto r = ReadDeviceAsFile(b.link, b.prompter);
    if (!r)
        qFatal("device read failed");
    r->inputEnd[0] += shift;
    const QString path = dir.filePath(u"c.VNT"_s);
    QString error;
    if (!r->save(path, Texts(), &error))
        qFatal("%s", qPrintable(error));
    return path;
}

} // namespace

class TestCompareWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The file's model, the shift of its channel A input end, the language, the rows that
    // differ (-1: another model, not counted), the summary's start, the picture taken.
    void compare_data() {
        QTest::addColumn<int>("fileModel");
        QTest::addColumn<double>("shift");
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("differing");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("screenshot");
        const std::tuple<const char*, int, double, int, int, const char*, const char*> rows[] = {
            {"equal it", 0, 0, 0, 0,
             "Il dispositivo RSX 7030 e il file c.VNT hanno la stessa configurazione.", ""},
            {"equal en", 0, 0, 1, 0,
             "The device RSX 7030 and the file c.VNT hold the same configuration.", ""},
            {"one field it", 0, 150, 0, 1,
             "Campi diversi tra il dispositivo RSX 7030 e il file c.VNT: 1.", "compare-it.png"},
            {"one field en", 0, 150, 1, 1,
             "Fields that differ between the device RSX 7030 and the file c.VNT: 1.",
             "compare-en.png"},
            {"another model it", 7, 0, 0, -1, "Il file è di un altro modello (RSX 7040)",
             "compare-other-model-it.png"},
            {"another model en", 7, 0, 1, -1, "The file is of another model (RSX 7040): only the",
             ""},
        };
        for (const auto& [name, model, shift, language, differing, summary, shot] : rows)
            QTest::newRow(name) << model << shift << language << differing
                                << QString::fromUtf8(summary) << QString::fromUtf8(shot);
    }
    void compare() {
        QFETCH(int, fileModel);
        QFETCH(double, shift);
        QFETCH(int, language);
        QFETCH(int, differing);
        QFETCH(QString, summary);
        QFETCH(QString, screenshot);
        QTemporaryDir dir;
        const QString file = fileOf(dir, fileModel, shift);
        Session s(u"RSX7030"_s);
        QVERIFY(s.open());
        s.chooseLanguage(language);
        s.prompter.clear();
        s.prompter.pushFile(file);
        s.window->mainMenu().compare->trigger();
        QVERIFY(s.window->compareSubWindow()->isVisible());
        QVERIFY2(s.prompter.questions().isEmpty(), qPrintable(s.prompter.texts().join(u'\n')));
        gui::FrmCompare* w = s.window->compareWindow();
        QVERIFY2(w->lbl_summary->text().contains(summary), qPrintable(w->lbl_summary->text()));
        QVERIFY(w->tbl_fields->rowCount() > 10);
        int marked = 0;
        for (int r = 0; r < w->tbl_fields->rowCount(); ++r) {
            const bool differs = w->rowDiffers(r);
            marked += differs ? 1 : 0;
            // A row is marked exactly when its two values differ (same unit on one model).
            if (differing >= 0)
                QCOMPARE(differs,
                         w->tbl_fields->item(r, 2)->text() != w->tbl_fields->item(r, 3)->text());
        }
        if (differing >= 0)
            QCOMPARE(marked, differing);
        if (differing == 1) {
            // Channel A's input end, in the words of the editor and in its unit.
            int row = 0;
            while (!w->rowDiffers(row))
                ++row;
            QCOMPARE(w->tbl_fields->item(row, 0)->text(), u"A"_s);
            QCOMPARE(w->tbl_fields->item(row, 1)->text(),
                     FieldLabel(u"input_end"_s, s.state.texts));
            QCOMPARE(w->tbl_fields->item(row, 3)->text().toDouble() -
                         w->tbl_fields->item(row, 2)->text().toDouble(),
                     shift);
            QVERIFY(!w->tbl_fields->item(row, 4)->text().isEmpty());
        }
        const QString shots = qEnvironmentVariable("VANTELSO_SCREENSHOTS");
        if (!shots.isEmpty() && !screenshot.isEmpty())
            QVERIFY(s.window->compareSubWindow()->grab().save(shots + u'/' + screenshot));
        // "Only differences" leaves the marked rows alone, and gives the others back.
        const int all = w->tbl_fields->rowCount();
        w->chk_onlyDiff->click();
        QCOMPARE(w->tbl_fields->rowCount(), marked);
        for (int r = 0; r < w->tbl_fields->rowCount(); ++r)
            QVERIFY(w->rowDiffers(r));
        w->chk_onlyDiff->click();
        QCOMPARE(w->tbl_fields->rowCount(), all);

        // The other language at run time: headers and summary follow.
        s.chooseLanguage(1 - language);
        QCOMPARE(w->tbl_fields->horizontalHeaderItem(2)->text(), s.state.texts.lang(73));
        QVERIFY(!w->lbl_summary->text().contains(summary));
    }

    // A file that is no configuration file is told, and the device is not read for it.
    void unreadableFile() {
        QTemporaryDir dir;
        const QString junk = dir.filePath(u"junk.VNT"_s);
        QVERIFY(WriteTestFile(junk, "junk"));
        Session s(u"RSX7030"_s);
        QVERIFY(s.open());
        const int reads = s.count("$V");
        s.prompter.clear();
        s.prompter.pushFile(junk);
        s.window->mainMenu().compare->trigger();
        QCOMPARE(s.prompter.questions().size(), 1);
        QCOMPARE(s.prompter.questions()[0].icon, Prompter::Icon::Critical);
        QVERIFY(s.prompter.questions()[0].text.contains(QLatin1String("junk.VNT")));
        QVERIFY(!s.window->compareSubWindow()->isVisible());
        QCOMPARE(s.count("$V"), reads);
    }

    // Print report...: the PDF of the device on the panel's port, and the status line.
    void printReport() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"report.pdf"_s);
        Session s(u"RSX7030"_s);
        QVERIFY(s.open());
        s.prompter.clear();
        s.prompter.pushFile(pdf);
        s.window->mainMenu().report->trigger();
        QVERIFY2(s.prompter.questions().isEmpty(), qPrintable(s.prompter.texts().join(u'\n')));
        QVERIFY(ReadTestFile(pdf).startsWith("%PDF-"));
        QCOMPARE(s.panel()->lbl_status->text(), s.state.texts.lang(own::ReportSaved).arg(pdf));
        QCOMPARE(s.prompter.fileDialogs.last().defaultSuffix, u"pdf"_s);
    }
};

QTEST_MAIN(TestCompareWindow)
#include "tst_comparewindow.moc"
