// The editor window on the desktop: a configuration read into the widgets, edited, written to
// the simulated device and read back; captions in both languages.
#include "desktopsession.h"
#include "editormodel.h"

using namespace vantelso;
using namespace vantelso::gui;
using namespace Qt::StringLiterals;
using Answer = Prompter::Answer;

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    void readEditWriteReadBack();
    void editorAndOperatorWindows();
    void modelLayout();
};

// Open the port, see the device's configuration, change it, write, read it back, English.
void TestProgram::readEditWriteReadBack() {
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
    QVERIFY(
        s.prompter.texts().last().startsWith(u"Errore: controllare i dati di programmazione"_s));
    QCOMPARE(s.count("$W"), 0);
    s.prompter.clear();
    s.type("txt_Input_max", u"1000"_s);
    s.type("txt_Input_min", u"0"_s);
    s.panel()->cmd_write->click();
    QVERIFY2(s.prompter.questions().isEmpty(), qPrintable(s.prompter.texts().join(u'\n')));
    // The panel says that the write was read back and found as written.
    QCOMPARE(s.panel()->lbl_status->text(), u"Configurazione scritta e verificata."_s);
    QCOMPARE(device->memory(0, 0) & 0x1F, s.state.catalogue.FindInputType(u"Tc K"_s).value_or(-1));
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
    QCOMPARE(s.prompter.texts().last(), "Communication error\n" + s.panel()->lbl_status->text());
    QCOMPARE(s.panel()->bar->value(), 0);
    // The editor stays usable: another output type resets the output range.
    s.pick("cmb_Prog_Out", u"0-10 V"_s);
    QCOMPARE(s.widget<QLineEdit>("txt_Output_max")->text(), u"10"_s);
}

void TestProgram::editorAndOperatorWindows() {
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
void TestProgram::modelLayout() {
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
        {"RSX7131B", "00001", "", "150", "Impostato dai DIP-switch: Pt 100 -50 ÷ 150 °C -> 4-20 mA",
         "", "Set by the DIP switches: Pt 100 -50 ÷ 150 °C -> 4-20 mA"},
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
        if (enabled[4] == '1') // a model read after the start-up one gets channel B's output back
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

QTEST_MAIN(TestProgram)
#include "tst_program.moc"
