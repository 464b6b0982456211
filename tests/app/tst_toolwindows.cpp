// The panel's windows beside the editor, on a desktop session with a simulated device: the
// measurement window bound to its core (the panel's start/stop button, the values shown, a Read
// while measuring, the CSV log); the communication log and the panel's port list; File >
// Compare with file... (the table of fields, the rows that differ, what the window says for an
// equal file, a changed one and another model's, in both languages) and File > Print report....
// With VANTELSO_SCREENSHOTS set to a folder, pictures of the log, the port list and the compare
// window are saved there.
#include "configdiff.h"
#include "desktopsession.h"
#include "fieldtexts.h"
#include "frmcommlog.h"
#include "frmcompare.h"
#include "frmmisura.h"
#include "linktrace.h"
#include "owntexts.h"
#include "simbench.h"
#include "testfiles.h"
#include "trendhistory.h"

using namespace vantelso;
using namespace vantelso::gui;
using namespace Qt::StringLiterals;

namespace {
void screenshot(const QPixmap& picture, const char* file) {
    const QString dir = qEnvironmentVariable("VANTELSO_SCREENSHOTS");
    if (!dir.isEmpty())
        QVERIFY(picture.save(dir + u'/' + QLatin1String(file)));
}

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

class TestToolWindows : public QObject {
    Q_OBJECT

private slots:
    void panelStartStop() {
        Session s(u"RSX7030"_s);
        QVERIFY(s.open());
        s.demo->device()->setStreamInterval(5);
        gui::FrmMisura* w = s.window->measureWindow();
        s.panel()->cmd_modo[1]->click();
        QVERIFY(s.window->measureSubWindow()->isVisible());
        int frames = 0;
        QString readDuring;
        connect(&w->measurement(), &measure::Measurement::frameShown, w, [&] {
            if (++frames == 3) {
                QVERIFY(!w->Cmd_StartRead->isEnabled() && w->Cmd_StopRead->isEnabled());
                readDuring = w->txt_misura_in[0]->text();
                // A Read while measuring stops the measurement first, then reads.
                s.panel()->cmd_read->click();
            }
        });
        const int readsBefore = s.count("$V");
        s.panel()->cmd_start->click(); // returns when the measurement has ended
        QVERIFY(!w->running());
        QVERIFY(readDuring.endsWith(u" °C"_s));
        QVERIFY(w->txt_misura_out[0]->text().endsWith(u" mA"_s));
        QVERIFY(!w->lbl_progIn[0]->text().isEmpty());
        QCOMPARE(w->lbl_progTrip[2]->text(), u"MAX"_s);
        QVERIFY(w->Cmd_StartRead->isEnabled() && !w->Cmd_StopRead->isEnabled());
        QTRY_VERIFY(s.count("$V") >= readsBefore + 2); // the measurement's and the Read's
        QVERIFY(s.state.flags.measuring == false);
        QVERIFY(s.demo->device()->commandLog().contains(QByteArray("SM\r")));
    }
    // The log's file and its lines are on show; a window shown again with the log still
    // open asks before the file grows further, and No stops the log.
    void csvLogAsksWhenShownAgain() {
        Session s(u"RSX7030"_s);
        QVERIFY(s.open());
        s.demo->device()->setStreamInterval(5);
        gui::FrmMisura* w = s.window->measureWindow();
        s.window->toggleMeasureWindow();
        QCOMPARE(w->lbl_log->text(), u"Non registra"_s);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"m.csv"_s);
        s.prompter.pushFile(path);
        w->chk_log->click();
        QVERIFY(w->chk_log->isChecked());
        int frames = 0;
        connect(&w->measurement(), &measure::Measurement::frameShown, w, [&] {
            if (++frames == 4)
                w->stopMeasure();
        });
        w->startMeasure();
        QCOMPARE(w->lbl_state->text(), u"Ferma"_s);
        // One line per channel per frame: the RSX7030 measures its input and both outputs.
        const int lines = frames * 2;
        const QString shown = w->lbl_log->text();
        QVERIFY2(shown.startsWith(QDir::toNativeSeparators(path)) &&
                     shown.endsWith(u": %1 righe"_s.arg(lines)),
                 qPrintable(shown));
        // Hidden and shown again: asked, with the lines the file holds; Yes goes on.
        for (const auto answer : {Prompter::Answer::Yes, Prompter::Answer::No}) {
            s.prompter.clear();
            s.prompter.push(answer);
            s.window->toggleMeasureWindow();
            s.window->toggleMeasureWindow();
            QCOMPARE(s.prompter.questions().size(), 1);
            QVERIFY(s.prompter.questions().first().text.contains(u"m.csv"_s));
            QCOMPARE(w->chk_log->isChecked(), answer == Prompter::Answer::Yes);
        }
        QCOMPARE(w->lbl_log->text(), u"Non registra"_s);
        // Opened again, the file's lines are counted, the header not.
        s.prompter.pushFile(path);
        w->chk_log->click();
        QVERIFY(w->lbl_log->text().endsWith(u": %1 righe"_s.arg(lines)));
    }

    // The plot's ticks fall on round values: -60 ... 0 s, and 1, 2 or 5 times a power of ten
    // on the value axis, never more than asked for.
    void roundTicks() {
        // Low, high, most ticks, the ticks.
        const std::tuple<double, double, int, std::vector<double>> rows[] = {
            {-60, 0, 7, {-60, -50, -40, -30, -20, -10, 0}}, // the first minute
            {-300, 0, 7, {-300, -250, -200, -150, -100, -50, 0}},
            {-100, 1200, 6, {0, 500, 1000}}, // Tc J
            {4, 20, 6, {5, 10, 15, 20}},
            {12.3, 939.7, 6, {200, 400, 600, 800}}, // off-round
            {-0.1, 0.1, 6, {-0.1, -0.05, 0, 0.05, 0.1}},
            {5, 5, 6, {}}, // empty
        };
        for (const auto& [low, high, most, ticks] : rows) {
            const std::vector<double> got = measure::RoundTicks(low, high, most);
            QCOMPARE(got.size(), ticks.size());
            for (std::size_t i = 0; i < got.size(); ++i)
                QVERIFY2(qAbs(got[i] - ticks[i]) < 1e-9, qPrintable(QString::number(got[i])));
        }
    }

    // The link's note about a reply it held back reads in the user's language; other lines stay
    // as traced.
    void heldLinesInWords() {
        Texts texts;
        const QString held =
            u"12:00:00.000 sooner than the wire allows, held 2a 31 0d 0a  |*1..|"_s;
        const QString plain = u"12:00:00.000 -> 24 56 0d  |$V.|"_s;
        QCOMPARE(
            app::CommLogLine(held, texts),
            u"12:00:00.000 risposta arrivata prima del tempo di linea, trattenuta: 2a 31 0d 0a  "
            u"|*1..|"_s);
        QCOMPARE(app::CommLogLine(plain, texts), plain);
        texts.setLanguage(Texts::English);
        QCOMPARE(
            app::CommLogLine(held, texts),
            u"12:00:00.000 reply sooner than the line allows, held back: 2a 31 0d 0a  |*1..|"_s);
    }

    // View, Communication log starts recording; a Read's requests and replies appear in it, the
    // lines are saved through the file dialog, a failed save is told, and the texts follow the
    // language.
    void showsTheTraffic() {
        Session s(u"RSX7030"_s);
        QVERIFY(!lcLink().isDebugEnabled());
        QVERIFY(s.open()); // not recorded: the log was never opened
        s.window->mainMenu().commLog->trigger();
        FrmCommLog* log = s.window->commLogWindow();
        QVERIFY(s.window->commLogSubWindow()->isVisible());
        QVERIFY(log->chk_record->isChecked() && lcLink().isDebugEnabled());
        QVERIFY(log->txt_log->toPlainText().isEmpty());
        QCOMPARE(s.window->commLogSubWindow()->windowTitle(), u"Registro delle comunicazioni"_s);

        s.panel()->cmd_read->click();
        QTRY_VERIFY(log->txt_log->toPlainText().contains(u"-> 24 56 00 00 00 0d  |$V....|"_s));
        const QStringList lines = log->txt_log->toPlainText().split(u'\n');
        QVERIFY2(lines.size() > 130, qPrintable(QString::number(lines.size())));
        QVERIFY(lines.last().contains(u"<-"_s) || lines.last().contains(u"->"_s));

        QTemporaryDir dir;
        const QString path = dir.filePath(u"trace.txt"_s);
        s.prompter.pushFile(path);
        log->cmd_save->click();
        QCOMPARE(s.prompter.fileDialogs.size(), 1);
        QCOMPARE(s.prompter.fileDialogs.first().filter, u"Testo (*.txt *.log)"_s);
        QCOMPARE(QString::fromUtf8(ReadTestFile(path)).trimmed(), log->txt_log->toPlainText());
        s.prompter.clear();
        s.prompter.pushFile(dir.filePath(u"no/such/folder/trace.txt"_s));
        QVERIFY(!log->save());
        QCOMPARE(s.prompter.questions().size(), 1);
        QVERIFY(s.prompter.questions().first().text.startsWith(u"Impossibile scrivere "_s));
        s.prompter.clear();
        QVERIFY(!log->save()); // cancelled: nothing asked, nothing written
        QVERIFY(s.prompter.questions().isEmpty());

        s.window->commLogSubWindow()->resize(900, 420);
        screenshot(s.window->commLogSubWindow()->grab(), "commlog-it.png");
        s.chooseLanguage(1);
        QCOMPARE(log->cmd_save->text(), u"Save..."_s);
        QCOMPARE(s.window->commLogSubWindow()->windowTitle(), u"Communication log"_s);
        QCOMPARE(s.window->mainMenu().commLog->text().remove(u'&'), u"Communication log"_s);
        s.window->commLogSubWindow()->resize(900, 420);
        screenshot(s.window->commLogSubWindow()->grab(), "commlog-en.png");

        // Recording off: the trace is off and the window keeps what it has.
        log->chk_record->click();
        QVERIFY(!lcLink().isDebugEnabled());
        const QString kept = log->txt_log->toPlainText();
        s.panel()->cmd_read->click();
        QTest::qWait(50);
        QCOMPARE(log->txt_log->toPlainText(), kept);
        log->cmd_clear->click();
        QVERIFY(log->txt_log->toPlainText().isEmpty());
    }

    // Adapters found are listed by what they say of themselves; one plugged in later appears at
    // the next look, and the chosen entry stays chosen.
    void portListExplainsItself() {
        Session s;
        QList<PortDescription> found{
            {u"/dev/ttyUSB0"_s, u"FT232R USB UART"_s, u"FTDI"_s, u"A50285BI"_s,
             u"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"_s},
            {u"/dev/ttyACM0"_s, u"USB Serial"_s, u"Silicon Labs"_s, {}, {}}};
        s.window->shell().setPortScan([&found] { return found; });
        s.window->shell().pollPorts();
        QComboBox* list = s.panel()->cmb_Porta;
        QCOMPARE(list->count(), 18);
        QCOMPARE(list->itemData(16).toString(),
                 u"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"_s);
        list->setCurrentIndex(17);
        found.prepend({u"/dev/ttyUSB1"_s, u"USB-Serial Controller"_s, u"Prolific"_s, {}, {}});
        s.window->shell().pollPorts();
        QCOMPARE(list->count(), 19);
        QCOMPARE(list->currentText(), u"ttyACM0 \u2014 USB Serial (Silicon Labs)"_s);
        // What the user typed stays typed.
        list->setEditText(u"/dev/ttyS9"_s);
        found.removeFirst();
        s.window->shell().pollPorts();
        QCOMPARE(list->count(), 18);
        QCOMPARE(list->currentText(), u"/dev/ttyS9"_s);

        // The panel with its list open, as one picture.
        s.chooseLanguage(1);
        list->setCurrentIndex(16);
        list->lineEdit()->setCursorPosition(0);
        list->showPopup();
        QWidget* popup = list->view()->window();
        QTRY_VERIFY(popup->isVisible());
        QWidget* panel = s.window->panelWindow();
        const QPoint at = popup->mapToGlobal(QPoint()) - panel->mapToGlobal(QPoint());
        QPixmap shot(QSize(qMax(panel->width(), at.x() + popup->width()),
                           qMax(panel->height(), at.y() + popup->height())));
        shot.fill(Qt::white);
        QPainter painter(&shot);
        painter.drawPixmap(0, 0, panel->grab());
        painter.drawPixmap(at, popup->grab());
        painter.end();
        screenshot(shot, "portlist-en.png");
        list->hidePopup();
    }

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
        if (*row.screenshot)
            screenshot(s.window->compareSubWindow()->grab(), row.screenshot);
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

QTEST_MAIN(TestToolWindows)
#include "tst_toolwindows.moc"
