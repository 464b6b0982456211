// The editor window on the desktop: a configuration read into the widgets, edited, written to
// the simulated device and read back; captions in both languages; typed garbage.
#include "desktopsession.h"
#include "editormodel.h"

#include <QPushButton>

using namespace vantelso;
using namespace vantelso::gui;
using Answer = Prompter::Answer;

namespace {
constexpr int kTcJ = 7;
} // namespace

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    void readEditWriteReadBack();
    void everyWindowOpens();
    void modelLayout_data();
    void modelLayout();
    void garbageIsRefused_data();
    void garbageIsRefused();
};

// Open the port, see the device's configuration, change it, write, read it back, English.
void TestProgram::readEditWriteReadBack() {
    Session s(QStringLiteral("RSX7030"));
    sim::SimDevice* device = s.demo->device();
    // The device starts on "Tc J" 0..500 °C so that the edit below changes something.
    device->setMemory(0, 0, kTcJ);
    device->setMemory(0, 20, 5000 & 0xFF);
    device->setMemory(0, 21, 5000 >> 8);

    QVERIFY(s.open());
    QVERIFY(s.window->programSubWindow()->isVisible()); // brought into view by the open
    QCOMPARE(s.widget<QComboBox>("cmb_Prog_In")->currentText(), QStringLiteral("Tc J"));
    QCOMPARE(s.widget<QLineEdit>("txt_Input_max")->text(), QStringLiteral("500"));
    QCOMPARE(s.widget<QLineEdit>("txt_Input_min")->text(), QStringLiteral("0"));
    QCOMPARE(s.widget<QComboBox>("cmb_Prog_Out")->currentText(), QStringLiteral("4-20 mA"));
    QCOMPARE(s.widget<QLineEdit>("txt_soglia_H")->text(), QStringLiteral("800"));
    QCOMPARE(s.widget<QLabel>("lbl_limite_in")->text(), QStringLiteral("-200 ÷ 1200 °C"));
    QVERIFY(s.widget<QRadioButton>("opt_CJC", 1)->isChecked());
    QVERIFY(s.prompter.questions().isEmpty());

    s.pick("cmb_Prog_In", QStringLiteral("Tc K"));
    QCOMPARE(s.widget<QLabel>("lbl_limite_in")->text(), QStringLiteral("-200 ÷ 1300 °C"));
    s.type("txt_Input_max", 0, QStringLiteral("1000"));
    s.type("txt_Input_min", 0, QStringLiteral("0"));
    QCOMPARE(s.state.editor.text(QStringLiteral("txt_Input_max")), QStringLiteral("1000"));

    s.prompter.setFallback(Answer::Ok);
    s.panel()->cmd_write->click();
    QVERIFY2(s.prompter.questions().isEmpty(), qPrintable(s.prompter.texts().join(u'\n')));
    QVERIFY(s.count("$W") > 0);
    const auto tcK = s.state.catalogue.FindInputType(QStringLiteral("Tc K"));
    QVERIFY(tcK);
    QCOMPARE(device->memory(0, 0) & 0x1F, *tcK);
    QCOMPARE(device->memory(0, 20) | (device->memory(0, 21) << 8), 10000);

    // Something else on screen, then the read puts the device's values back.
    s.pick("cmb_Prog_In", QStringLiteral("Tc J"));
    s.type("txt_Input_max", 0, QStringLiteral("1"));
    s.panel()->cmd_read->click();
    QCOMPARE(s.widget<QComboBox>("cmb_Prog_In")->currentText(), QStringLiteral("Tc K"));
    QCOMPARE(s.widget<QLineEdit>("txt_Input_max")->text(), QStringLiteral("1000"));
    QCOMPARE(s.widget<QLineEdit>("txt_Input_min")->text(), QStringLiteral("0"));

    // In English the captions change and the values stay what the device holds.
    s.chooseLanguage(1);
    QCOMPARE(s.caption(QStringLiteral("frm_soglie_0")), QStringLiteral("Trips"));
    QCOMPARE(s.window->programSubWindow()->windowTitle(), QStringLiteral("Program"));
    QCOMPARE(s.widget<QLineEdit>("txt_Input_max")->text(), QStringLiteral("1000"));
}

void TestProgram::everyWindowOpens() {
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
    QVERIFY(!oper->isVisible());
    operButton->click();
    QVERIFY(oper->isVisible() && oper->isModal());
    auto* max = qobject_cast<QRadioButton*>(oper->control(QStringLiteral("opt_Oper"), 6));
    max->click();
    QVERIFY(oper->control(QStringLiteral("Frame1"))->isVisible());
    QCOMPARE(operButton->text(), QStringLiteral("MAX"));
    QCOMPARE(s.state.editor.operatorCode(1), 6);
    oper->close();
    operButton->click();
    QVERIFY(max->isChecked()); // kept its state
    qobject_cast<QPushButton*>(oper->control(QStringLiteral("Cmd_ok")))->click();
    QVERIFY(!oper->isVisible());

    // The captions of both windows follow the language, both ways.
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"frm_channel_1", "Canale B", "Channel B"},
        {"opt_CJC_0", "Esterno", "External"},
        {"opt_Break_1", "Basso", "Down"},
        {"lbl_offset_0", "Offset CJC", "CJC Offset"},
        {"opt_funz_1", "Serbatoio", "Tank"},
        {"optRele_3", "Inverso", "Reverse"},
        {"lbl_trig_0", "Livello Trigger", "Trig Level"},
        {"cmd_math_0", "Funzioni", "Functions"},
        {"frm_modo_3", "Fisico", "Physical"},
        {"Frame1_0", "Opzioni", "Options"},
        {"opt_gradi_far_0", "°F", "°F"},
    };
    for (int language : {1, 0}) {
        s.chooseLanguage(language);
        for (const auto& [control, italian, english] : rows)
            QCOMPARE(s.caption(QLatin1String(control)),
                     QString::fromUtf8(language ? english : italian));
        QCOMPARE(oper->windowTitle(), language ? QStringLiteral("Algebraic Function")
                                               : QStringLiteral("Funzione Algebrica"));
    }
    QCOMPARE(program->windowTitle(), QStringLiteral("Programma"));
    QVERIFY(s.prompter.questions().isEmpty());
}

// Which groups a model offers: trips A and B, frequency, the maths page, channel B's input.
void TestProgram::modelLayout_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("enabled"); // one digit per group, in the order above
    const auto row = [](const char* model, const char* enabled) {
        QTest::newRow(model) << QString::fromLatin1(model) << QString::fromLatin1(enabled);
    };
    row("RSX7030", "10000");
    row("RSX7131B", "00001");
    row("RSX7040", "11101");
    row("5", "00011");
    row("RSX7035", "00000");
}

void TestProgram::modelLayout() {
    QFETCH(QString, model);
    QFETCH(QString, enabled);

    Session s(model);
    QVERIFY(s.open());
    FrmProgram* p = s.program();
    auto* mathButton = s.widget<QPushButton>("cmd_math");
    QString seen;
    for (QWidget* w :
         {p->findChild<QWidget*>(QStringLiteral("frm_soglie_0")),
          p->findChild<QWidget*>(QStringLiteral("frm_soglie_1")),
          p->findChild<QWidget*>(QStringLiteral("frm_freq")), static_cast<QWidget*>(mathButton),
          p->findChild<QWidget*>(QStringLiteral("pnl_in_1"))})
        seen += w->isEnabled() ? u'1' : u'0';
    QCOMPARE(seen, enabled);
    const bool math = enabled[3] == u'1';
    if (enabled[4] == u'1') // a model read after the start-up one gets channel B's output back
        QVERIFY(p->control(QStringLiteral("frm_output"), 1)->isEnabled());
    QWidget* physical = p->control(QStringLiteral("frm_modo"), 3);
    QVERIFY(!physical->isVisible());
    mathButton->click();
    QCOMPARE(physical->isVisible(), math);
    QCOMPARE(p->control(QStringLiteral("frm_modo"), 2)->isVisible(), !math);
    if (math) {
        QCOMPARE(s.widget<QLineEdit>("txt_Input_max", 2)->text(),
                 s.widget<QLineEdit>("txt_Input_max", 0)->text());
        s.widget<QPushButton>("cmd_OperOk")->click();
        QVERIFY(!physical->isVisible());
    }
    QVERIFY2(s.prompter.questions().isEmpty(), qPrintable(s.prompter.texts().join(u'\n')));
}

void TestProgram::garbageIsRefused_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("acceptLimits"); // the answer to every limit question
    QTest::addColumn<QString>("message");   // start of the last message shown
    const auto row = [](const char* name, const char* field, const char* text, bool accept,
                        const char* message) {
        QTest::newRow(name) << QString::fromLatin1(field) << QString::fromLatin1(text) << accept
                            << QString::fromLatin1(message);
    };
    // Accepted as typed, the number still cannot be stored.
    row("overflow", "txt_Input_max", "1e999", true, "Errore: controllare i dati di programmazione");
    row("letters", "txt_Input_max", "abc", false, "Channel A: Valori di ingresso (SPAN)");
    row("huge offset", "txt_offset", "99999,5", false, "Channel A: Offset CJC oltre i limiti");
}

void TestProgram::garbageIsRefused() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, acceptLimits);
    QFETCH(QString, message);

    Session s(QStringLiteral("RSX7030"));
    QVERIFY(s.open());
    const QByteArray name = field.toLatin1();
    s.type(name.constData(), 0, text);
    QCOMPARE(s.widget<QLineEdit>(name.constData())->text(), text);

    s.prompter.setFallback(acceptLimits ? Answer::Ok : Answer::Cancel);
    s.panel()->cmd_write->click();
    QVERIFY(!s.prompter.questions().isEmpty());
    QVERIFY2(s.prompter.questions().last().text.startsWith(message),
             qPrintable(s.prompter.texts().join(u'\n')));
    QCOMPARE(s.count("$W"), 0);

    // The editor stays usable: a good value is taken and the field keeps what was typed.
    QVERIFY(s.program()->isEnabled());
    s.type(name.constData(), 0, QStringLiteral("10"));
    QCOMPARE(s.state.editor.text(field), QStringLiteral("10"));
    s.pick("cmb_Prog_Out", QStringLiteral("0-10 V"));
    QCOMPARE(s.widget<QLineEdit>("txt_Output_max")->text(), QStringLiteral("10"));
}

QTEST_MAIN(TestProgram)
#include "tst_program.moc"
