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

// The file's model, the shift of its channel A input end, the language, the rows that differ
// (-1: another model, not counted), the summary's start, the picture taken.
struct Row {
    const char* name;
    int fileModel;
    double shift;
    int language, differing;
    const char* summary;
    const char* screenshot;
};
Q_DECLARE_METATYPE(Row)

class TestCompareWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void compare_data() {
        QTest::addColumn<Row>("row");
        const Row rows[] = {
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
        for (const Row& r : rows)
            QTest::newRow(r.name) << r;
    }
    void compare() {
        QFETCH(Row, row);
        const QString summary = QString::fromUtf8(row.summary);
        QTemporaryDir dir;
        const QString file = fileOf(dir, row.fileModel, row.shift);
        Session s(u"RSX7030"_s);
        QVERIFY(s.open());
        s.chooseLanguage(row.language);
        s.answerFile(s.window->mainMenu().compare, file);
        QVERIFY(s.window->compareSubWindow()->isVisible());
        QCOMPARE(s.prompter.texts(), QStringList());
        gui::FrmCompare* w = s.window->compareWindow();
        const auto cell = [w](int r, int c) { return w->tbl_fields->item(r, c)->text(); };
        QVERIFY2(w->lbl_summary->text().contains(summary), qPrintable(w->lbl_summary->text()));
        QVERIFY(w->tbl_fields->rowCount() > 10);
        int marked = 0, differs = -1;
        for (int r = 0; r < w->tbl_fields->rowCount(); ++r) {
            if (w->rowDiffers(r) && ++marked == 1)
                differs = r;
            // A row is marked exactly when its two values differ (same unit on one model).
            if (row.differing >= 0)
                QCOMPARE(w->rowDiffers(r), cell(r, 2) != cell(r, 3));
        }
        if (row.differing >= 0)
            QCOMPARE(marked, row.differing);
        if (row.differing == 1) {
            // Channel A's input end, in the words of the editor and in its unit.
            QCOMPARE(cell(differs, 0) + u'|' + cell(differs, 1),
                     u"A|"_s + FieldLabel(u"input_end"_s, s.state.texts));
            QCOMPARE(cell(differs, 3).toDouble() - cell(differs, 2).toDouble(), row.shift);
            QVERIFY(!cell(differs, 4).isEmpty());
        }
        const QString shots = qEnvironmentVariable("VANTELSO_SCREENSHOTS");
        if (!shots.isEmpty() && *row.screenshot)
            QVERIFY(s.window->compareSubWindow()->grab().save(shots + u'/' + row.screenshot));
        // "Only differences" leaves the marked rows alone, and gives the others back.
        const int all = w->tbl_fields->rowCount();
        w->chk_onlyDiff->click();
        QCOMPARE(w->tbl_fields->rowCount(), marked);
        for (int r = 0; r < w->tbl_fields->rowCount(); ++r)
            QVERIFY(w->rowDiffers(r));
        w->chk_onlyDiff->click();
        QCOMPARE(w->tbl_fields->rowCount(), all);

        // The other language at run time: headers and summary follow.
        s.chooseLanguage(1 - row.language);
        QCOMPARE(w->tbl_fields->horizontalHeaderItem(2)->text(), s.state.texts.lang(73));
        QVERIFY(!w->lbl_summary->text().contains(summary));
    }

    // A file that is no configuration file is told, and the device is not read for it; Print
    // report... writes the PDF of the device on the panel's port and says so on the status line.
    void unreadableFileAndReport() {
        QTemporaryDir dir;
        const QString junk = dir.filePath(u"junk.VNT"_s), pdf = dir.filePath(u"report.pdf"_s);
        QVERIFY(WriteTestFile(junk, "junk"));
        Session s(u"RSX7030"_s);
        QVERIFY(s.open());
        const int reads = s.count("$V");
        s.answerFile(s.window->mainMenu().compare, junk);
        QCOMPARE(s.prompter.questions().size(), 1);
        QCOMPARE(s.prompter.questions()[0].icon, Prompter::Icon::Critical);
        QVERIFY(s.prompter.questions()[0].text.contains(QLatin1String("junk.VNT")));
        QVERIFY(!s.window->compareSubWindow()->isVisible());
        QCOMPARE(s.count("$V"), reads);

        s.answerFile(s.window->mainMenu().report, pdf);
        QCOMPARE(s.prompter.texts(), QStringList());
        QVERIFY(ReadTestFile(pdf).startsWith("%PDF-"));
        QCOMPARE(s.panel()->lbl_status->text(), s.state.texts.lang(own::ReportSaved).arg(pdf));
        QCOMPARE(s.prompter.fileDialogs.last().defaultSuffix, u"pdf"_s);
    }
};

QTEST_MAIN(TestCompareWindow)
#include "tst_comparewindow.moc"
