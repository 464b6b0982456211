// The windows beside the panel on a desktop session with a simulated device: the editor (a
// configuration read into the widgets, edited, written and read back; the groups each model
// offers; captions in both languages); the measurement window bound to its core (the panel's
// start/stop button, the values shown, a Read while measuring, the CSV log); the communication
// log and the panel's port list; File > Compare with file... (the table of fields, the rows that
// differ, what the window says for an equal file, a changed one and another model's, in both
// languages) and File > Print report.... With VANTELSO_SCREENSHOTS set to a folder, pictures of
// the log, the port list and the compare window are saved there.
#include "configdiff.h"
#include "desktopsession.h"
#include "editormodel.h"
#include "failingrow.h"
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
using Answer = Prompter::Answer;

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
    // Open the port, see the device's configuration, change it, write, read it back, English.
    void readEditWriteReadBack() {
        Session s(u"RSX7030"_s);
        sim::SimDevice* device = s.demo->device();
        const auto shown = [&] {
            return s.widget<QComboBox>("cmb_Prog_In")->currentText() + u' ' +
                   s.widget<QLineEdit>("txt_Input_min")->text() + u' ' +
                   s.widget<QLineEdit>("txt_Input_max")->text();
        };
        // The device starts on "Tc J" (7) 0..500 °C so that the edit below changes something.
        device->setMemory(0, 0, 7);
        device->setMemory(0, 20, 5000 & 0xFF);
        device->setMemory(0, 21, 5000 >> 8);

        QVERIFY(s.open());
        QVERIFY(s.window->programSubWindow()->isVisible()); // brought into view by the open
        QCOMPARE(shown(), u"Tc J 0 500"_s);
        QCOMPARE(s.widget<QComboBox>("cmb_Prog_Out")->currentText(), u"4-20 mA"_s);
        QVERIFY(s.widget<QRadioButton>("opt_CJC", 1)->isChecked());

        s.pick("cmb_Prog_In", u"Tc K"_s);
        QCOMPARE(s.widget<QLabel>("lbl_limite_in")->text(), u"-200 ÷ 1300 °C"_s);
        // A number too large to store is refused, in the language of the moment, unwritten.
        s.type("txt_Input_max", u"1e999"_s);
        s.prompter.setFallback(Answer::Ok);
        s.panel()->cmd_write->click();
        QVERIFY(s.prompter.texts().last().startsWith(
            u"Errore: controllare i dati di programmazione"_s));
        QCOMPARE(s.count("$W"), 0);
        s.prompter.clear();
        s.type("txt_Input_max", u"1000"_s);
        s.type("txt_Input_min", u"0"_s);
        s.panel()->cmd_write->click();
        QVERIFY2(s.prompter.questions().isEmpty(), qPrintable(s.prompter.texts().join(u'\n')));
        QCOMPARE(device->memory(0, 0) & 0x1F,
                 s.state.catalogue.FindInputType(u"Tc K"_s).value_or(-1));
        QCOMPARE(device->memory(0, 20) | (device->memory(0, 21) << 8), 10000);

        // Something else on screen, then the read puts the device's values back.
        s.pick("cmb_Prog_In", u"Tc J"_s);
        s.type("txt_Input_max", u"1"_s);
        s.panel()->cmd_read->click();
        QCOMPARE(shown(), u"Tc K 0 1000"_s);

        // In English the captions change and the values stay what the device holds.
        s.chooseLanguage(1);
        QCOMPARE(s.program()->findChild<QGroupBox*>(u"frm_soglie_0"_s)->title(), u"Trips"_s);
        QCOMPARE(s.window->programSubWindow()->windowTitle(), u"Program"_s);
        QCOMPARE(shown(), u"Tc K 0 1000"_s);

        // In English a write that the device does not keep names the addresses that differ.
        s.type("txt_Input_max", u"900"_s);
        device->injectFault({.kind = sim::Fault::Kind::DropWrites, .match = "$W", .count = -1});
        s.prompter.clear();
        s.panel()->cmd_write->click();
        QCOMPARE(s.panel()->lbl_status->text(),
                 QStringLiteral("Verify failed: the device does not hold what was written at "
                                "addresses 20-21."));
        QCOMPARE(s.prompter.texts().last(),
                 "Communication error\n" + s.panel()->lbl_status->text());
        QCOMPARE(s.panel()->bar->value(), 0);
        // The editor stays usable: another output type resets the output range.
        s.pick("cmb_Prog_Out", u"0-10 V"_s);
        QCOMPARE(s.widget<QLineEdit>("txt_Output_max")->text(), u"10"_s);
    }

    void editorAndOperatorWindows() {
        Session s;
        QMdiSubWindow* program = s.window->programSubWindow();
        QToolButton* view = s.panel()->cmd_modo[0];
        view->click();
        QVERIFY(program->isVisible());
        QVERIFY(program->x() >= s.window->panelWindow()->geometry().right());
        QCOMPARE(program->y(), s.window->panelWindow()->y());
        view->click(); // the same button hides it again
        QVERIFY(!program->isVisible());
        s.window->mainMenu().viewProgram->trigger();
        QVERIFY(program->isVisible());
        program->close(); // only hidden: the same window comes back
        view->click();
        QVERIFY(program->isVisible());

        // The operator dialog opens from a channel's operator button and is hidden, not closed.
        FrmOper* oper = s.window->operatorDialog();
        auto* operButton = s.widget<QPushButton>("cmd_Operatore", 1);
        operButton->click();
        QVERIFY(oper->isVisible() && oper->isModal());
        auto* max = qobject_cast<QRadioButton*>(oper->control(u"opt_Oper"_s, 6));
        max->click();
        QVERIFY(oper->control(u"Frame1"_s)->isVisible());
        QCOMPARE(operButton->text(), u"MAX"_s);
        QCOMPARE(s.state.editor.operatorCode(1), 6);
        oper->close();
        operButton->click();
        QVERIFY(max->isChecked()); // kept its state
        qobject_cast<QPushButton*>(oper->control(u"Cmd_ok"_s))->click();
        QVERIFY(!oper->isVisible());

        QCOMPARE(program->windowTitle(), u"Programma"_s);
    }

    // Which groups a model offers: trips A and B, frequency, the maths page, channel B's input.
    // On a switch-configured device whose switches select an input, each channel notes what they
    // set, in both languages (the same words as `read`), while the range field keeps the record's
    // value that a write stores; no note where the record decides or on a model without switches.
    void modelLayout() {
        // Model, groups enabled, switch banks S0,S1,S2, channel A's input end field, the notes of
        // channels A and B in Italian ("" none), channel A's note in English.
        using S = const char*;
        const std::tuple<S, S, S, S, S, S, S> rows[] = {
            {"RSX7030", "10000", "104,122,10", "1000",
             "Impostato dai DIP-switch: Tc K 0 ÷ 190 °C -> 4-20 mA",
             "Impostato dai DIP-switch: Tc K 0 ÷ 190 °C -> 0-10 V",
             "Set by the DIP switches: Tc K 0 ÷ 190 °C -> 4-20 mA"},
            // The simulated unit's own switches select its record's input: the record fills the
            // "Default" zero and span positions.
            {"RSX7131B", "00001", "", "150",
             "Impostato dai DIP-switch: Pt 100 -50 ÷ 150 °C -> 4-20 mA", "",
             "Set by the DIP switches: Pt 100 -50 ÷ 150 °C -> 4-20 mA"},
            {"RSX7040", "11101", "0,74,6", "1000",
             "Impostato dai DIP-switch: TTL 0 ÷ 500 Hz -> 4-20 mA", "",
             "Set by the DIP switches: TTL 0 ÷ 500 Hz -> 4-20 mA"},
            {"5", "00011", "4,21,0", "10", "Impostato dai DIP-switch: 10 V 0 ÷ 10 V Inverso",
             "Impostato dai DIP-switch: 20 mA 0 ÷ 10 mA Inverso",
             "Set by the DIP switches: 10 V 0 ÷ 10 V Reverse"},
            {"RSX7035", "00000", "0,0,0", "", "", "", ""},
            {"RSX5035", "00000", "8,0,0", "", "", "", ""}, // no switches: whatever the bytes
        };
        for (const auto& [model, enabled, banks, inMax, noteA, noteB, noteEnglish] : rows) {
            const FailingRow row(model);
            Session s(QString::fromLatin1(model));
            QByteArray bytes;
            for (const QString& b : QString::fromLatin1(banks).split(u',', Qt::SkipEmptyParts))
                bytes.append(char(b.toInt()));
            if (!bytes.isEmpty())
                s.demo->device()->setSwitchBytes(bytes);
            QVERIFY(s.open());
            FrmProgram* p = s.program();
            const auto note = [p](int c) {
                auto* l = qobject_cast<QLabel*>(p->control(u"lbl_switch_note"_s, c));
                return l->isHidden() ? QString() : l->text();
            };
            QCOMPARE(note(0), QString::fromUtf8(noteA));
            QCOMPARE(note(1), QString::fromUtf8(noteB));
            if (*inMax)
                QCOMPARE(s.widget<QLineEdit>("txt_Input_max")->text(), QLatin1String(inMax));
            s.chooseLanguage(1);
            QCOMPARE(note(0), QString::fromUtf8(noteEnglish));
            s.chooseLanguage(0);
            QString seen;
            for (const char* group :
                 {"frm_soglie_0", "frm_soglie_1", "frm_freq", "cmd_math_0", "pnl_in_1"})
                seen += p->findChild<QWidget*>(QLatin1String(group))->isEnabled() ? u'1' : u'0';
            QCOMPARE(seen, QLatin1String(enabled));
            // A model read after the start-up one gets channel B's output back.
            if (enabled[4] == '1')
                QVERIFY(p->control(u"frm_output"_s, 1)->isEnabled());
            const bool math = enabled[3] == '1';
            QWidget* physical = p->control(u"frm_modo"_s, 3);
            QVERIFY(!physical->isVisible());
            s.widget<QPushButton>("cmd_math")->click();
            QCOMPARE(physical->isVisible(), math);
            QCOMPARE(p->control(u"frm_modo"_s, 2)->isVisible(), !math);
            if (math) {
                QCOMPARE(s.widget<QLineEdit>("txt_Input_max", 2)->text(),
                         s.widget<QLineEdit>("txt_Input_max", 0)->text());
                // Leaving the page brings back the normal page in full, the options frame with
                // its Functions button included, and again after a language change.
                QWidget* options = p->control(u"frm_modo"_s, 1);
                for (int language : {1, 0}) {
                    const FailingRow then(language ? "then English" : "then Italian");
                    QVERIFY(!options->isVisible());
                    s.widget<QPushButton>("cmd_OperOk")->click();
                    QVERIFY(!physical->isVisible() && options->isVisible());
                    QVERIFY(s.widget<QPushButton>("cmd_math")->isVisible() &&
                            s.widget<QCheckBox>("chk_HS")->isVisible());
                    s.chooseLanguage(language);
                    s.widget<QPushButton>("cmd_math")->click();
                }
                s.widget<QPushButton>("cmd_OperOk")->click();
            }
            QVERIFY2(s.prompter.questions().isEmpty(), qPrintable(s.prompter.texts().join(u'\n')));
        }
    }

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
            const FailingRow row(answer == Prompter::Answer::Yes ? "Yes" : "No");
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
            const FailingRow row(u"%1 to %2"_s.arg(low).arg(high));
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
