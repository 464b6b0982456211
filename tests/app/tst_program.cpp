// The editor window on the desktop: a configuration read into the widgets, edited, written to
// the simulated device and read back; captions in both languages; typed garbage.
#include "appstate.h"
#include "communication.h"
#include "demodevice.h"
#include "editormodel.h"
#include "frmlang.h"
#include "frmprogram.h"
#include "principale.h"
#include "scriptedprompter.h"
#include "simdevice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

using namespace vantelso;
using namespace vantelso::gui;
using Answer = Prompter::Answer;

namespace {

struct Session {
    explicit Session(const QString& demoModel = {}) {
        if (!demoModel.isEmpty()) {
            QString why;
            // In process: the serial path has its own tests, and this is quicker.
            demo = app::DemoDevice::create(demoModel, &why, /*allowPty=*/false);
            if (!demo)
                qFatal("%s", qPrintable(why));
        }
        window = std::make_unique<Principale>(state, demo.get());
        window->startUp();
        window->show();
    }
    ~Session() { window.reset(); }

    Communication* panel() const { return window->panel(); }
    FrmProgram* program() const { return window->programWindow(); }
    template <class W> W* widget(const char* name, int element = 0) const {
        auto* w = qobject_cast<W*>(program()->control(QLatin1String(name), element));
        if (!w)
            qFatal("no widget %s %d", name, element);
        return w;
    }
    QString caption(const QString& objectName) const {
        QObject* o = program()->findChild<QObject*>(objectName);
        if (!o)
            o = window->operatorDialog()->findChild<QObject*>(objectName);
        if (auto* b = qobject_cast<QAbstractButton*>(o))
            return b->text();
        if (auto* g = qobject_cast<QGroupBox*>(o))
            return g->title();
        if (auto* l = qobject_cast<QLabel*>(o))
            return l->text();
        return QStringLiteral("<missing %1>").arg(objectName);
    }
    void type(const char* name, int element, const QString& text) const {
        auto* edit = widget<QLineEdit>(name, element);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    void pick(const char* name, int element, const QString& text) const {
        auto* box = widget<QComboBox>(name, element);
        const int i = box->findText(text);
        QVERIFY2(i >= 0, qPrintable(text));
        box->setCurrentIndex(i);
        Q_EMIT box->activated(i);
    }
    void chooseLanguage(int index) const {
        panel()->cmd_Lang->click();
        window->languageDialog()->opt_lang[std::size_t(index)]->click();
    }
    int writes() const {
        int n = 0;
        for (const QByteArray& c : demo->device()->commandLog())
            n += c.startsWith("$W") ? 1 : 0;
        return n;
    }

    std::unique_ptr<app::DemoDevice> demo;
    ScriptedPrompter prompter;
    app::AppState state{&prompter};
    std::unique_ptr<Principale> window;
};

constexpr int kTcJ = 7;

} // namespace

class TestProgram : public QObject {
    Q_OBJECT

private slots:
    void readEditWriteReadBack();
    void captionsFollowLanguage_data();
    void captionsFollowLanguage();
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

    s.panel()->Check1->click();
    QVERIFY(s.window->shell().portOpen());
    QVERIFY(s.window->programSubWindow()->isVisible()); // brought into view by the open
    QCOMPARE(s.widget<QComboBox>("cmb_Prog_In")->currentText(), QStringLiteral("Tc J"));
    QCOMPARE(s.widget<QLineEdit>("txt_Input_max")->text(), QStringLiteral("500"));
    QCOMPARE(s.widget<QLineEdit>("txt_Input_min")->text(), QStringLiteral("0"));
    QCOMPARE(s.widget<QComboBox>("cmb_Prog_Out")->currentText(), QStringLiteral("4-20 mA"));
    QCOMPARE(s.widget<QLineEdit>("txt_soglia_H")->text(), QStringLiteral("800"));
    QCOMPARE(s.widget<QLabel>("lbl_limite_in")->text(), QStringLiteral("-200 ÷ 1200 °C"));
    QVERIFY(s.widget<QRadioButton>("opt_CJC", 1)->isChecked());
    QVERIFY(s.prompter.questions().isEmpty());

    s.pick("cmb_Prog_In", 0, QStringLiteral("Tc K"));
    QCOMPARE(s.widget<QLabel>("lbl_limite_in")->text(), QStringLiteral("-200 ÷ 1300 °C"));
    s.type("txt_Input_max", 0, QStringLiteral("1000"));
    s.type("txt_Input_min", 0, QStringLiteral("0"));
    QCOMPARE(s.state.editor.text(QStringLiteral("txt_Input_max")), QStringLiteral("1000"));

    s.prompter.setFallback(Answer::Ok);
    s.panel()->cmd_write->click();
    QVERIFY2(s.prompter.questions().isEmpty(), qPrintable(s.prompter.texts().join(u'\n')));
    QVERIFY(s.writes() > 0);
    const auto tcK = s.state.catalogue.FindInputType(QStringLiteral("Tc K"));
    QVERIFY(tcK);
    QCOMPARE(device->memory(0, 0) & 0x1F, *tcK);
    QCOMPARE(device->memory(0, 20) | (device->memory(0, 21) << 8), 10000);

    // Something else on screen, then the read puts the device's values back.
    s.pick("cmb_Prog_In", 0, QStringLiteral("Tc J"));
    s.type("txt_Input_max", 0, QStringLiteral("1"));
    s.panel()->cmd_read->click();
    QCOMPARE(s.widget<QComboBox>("cmb_Prog_In")->currentText(), QStringLiteral("Tc K"));
    QCOMPARE(s.widget<QLineEdit>("txt_Input_max")->text(), QStringLiteral("1000"));
    QCOMPARE(s.widget<QLineEdit>("txt_Input_min")->text(), QStringLiteral("0"));

    const QStringList names = {QStringLiteral("frm_input_0"),   QStringLiteral("frm_output_0"),
                               QStringLiteral("frm_soglie_0"),  QStringLiteral("opt_CJC_1"),
                               QStringLiteral("opt_Break_1"),   QStringLiteral("lbl_offset_0"),
                               QStringLiteral("frm_channel_1"), QStringLiteral("chk_Doubler_0")};
    QStringList before;
    for (const QString& n : names)
        before << s.caption(n);
    s.chooseLanguage(1);
    QStringList after;
    for (const QString& n : names)
        after << s.caption(n);
    QCOMPARE(after, (QStringList{"Input", "Output", "Trips", "Internal", "Down", "CJC Offset",
                                 "Channel B", "DOUBLER"}));
    for (int i = 0; i < names.size(); ++i)
        QVERIFY2(before[i] != after[i], qPrintable(names[i]));
    QCOMPARE(s.window->programSubWindow()->windowTitle(), QStringLiteral("Program"));
    // The values stay what the device holds.
    QCOMPARE(s.widget<QLineEdit>("txt_Input_max")->text(), QStringLiteral("1000"));
}

void TestProgram::captionsFollowLanguage_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("italian");
    QTest::addColumn<QString>("english");
    const auto row = [](const char* c, const char* it, const char* en) {
        QTest::newRow(c) << QString::fromUtf8(c) << QString::fromUtf8(it) << QString::fromUtf8(en);
    };
    row("frm_channel_0", "Canale A", "Channel A");
    row("frm_input_1", "Ingresso", "Input");
    row("lbl_tipo_in_0", "Tipo", "Type");
    row("opt_CJC_0", "Esterno", "External");
    row("frm_fili_1", "Fili", "Wires");
    row("opt_Break_2", "Alto", "Up");
    row("frm_funz_0", "Funzioni", "Function");
    row("opt_funz_1", "Serbatoio", "Tank");
    row("opt_funz_0", "Lineare", "Linear");
    row("optRele_0", "Diretto", "Direct");
    row("optRele_3", "Inverso", "Reverse");
    row("frm_modo_1", "Opzioni", "Options");
    row("lbl_filter", "Integrazione", "Smooth");
    row("lbl_trig_0", "Livello Trigger", "Trig Level");
    row("lbl_aux_0", "Moltipl.", "Multipl.");
    row("cmd_math_0", "Funzioni", "Functions");
    row("frm_modo_3", "Fisico", "Physical");
    row("lbl_col_analog", "Analogica", "Analog");
    row("frm_operatore", "Funzione Algebrica", "Algebraic Function");
    row("fra_Oper", "Funzioni", "Function");
    row("Frame1_0", "Opzioni", "Options");
    row("opt_gradi_far_0", "°F", "°F");
}

void TestProgram::captionsFollowLanguage() {
    QFETCH(QString, control);
    QFETCH(QString, italian);
    QFETCH(QString, english);
    Session s;
    QCOMPARE(s.caption(control), italian);
    s.chooseLanguage(1);
    QCOMPARE(s.caption(control), english);
    s.chooseLanguage(0);
    QCOMPARE(s.caption(control), italian);
}

void TestProgram::everyWindowOpens() {
    Session s;
    QMdiSubWindow* program = s.window->programSubWindow();
    QToolButton* view = s.panel()->cmd_modo[0];
    view->click();
    QVERIFY(program->isVisible());
    QCOMPARE(program->windowTitle(), QStringLiteral("Programma"));
    QVERIFY(program->x() >= s.window->panelWindow()->geometry().right());
    QCOMPARE(program->y(), s.window->panelWindow()->y());
    view->click(); // the same button hides it again
    QVERIFY(!program->isVisible());
    s.window->mainMenu().viewProgram->trigger();
    QVERIFY(program->isVisible());
    program->close(); // only hidden: the same window comes back with its state
    QVERIFY(!program->isVisible());
    view->click();
    QVERIFY(program->isVisible());

    // The operator dialog opens from a channel's operator button and is hidden, not closed.
    FrmOper* oper = s.window->operatorDialog();
    QVERIFY(!oper->isVisible());
    s.widget<QPushButton>("cmd_Operatore", 1)->click();
    QVERIFY(oper->isVisible());
    QVERIFY(oper->isModal());
    QCOMPARE(oper->windowTitle(), QStringLiteral("Funzione Algebrica"));
    auto* max = qobject_cast<QRadioButton*>(oper->control(QStringLiteral("opt_Oper"), 6));
    max->click();
    QVERIFY(max->isChecked());
    QVERIFY(oper->control(QStringLiteral("Frame1"))->isVisible());
    QCOMPARE(s.widget<QPushButton>("cmd_Operatore", 1)->text(), QStringLiteral("MAX"));
    QCOMPARE(s.state.editor.operatorCode(1), 6);
    oper->close();
    QVERIFY(!oper->isVisible());
    s.widget<QPushButton>("cmd_Operatore", 1)->click();
    QVERIFY(oper->isVisible());
    QVERIFY(max->isChecked()); // kept its state
    qobject_cast<QPushButton*>(oper->control(QStringLiteral("Cmd_ok")))->click();
    QVERIFY(!oper->isVisible());

    // Both languages both ways, with every window open.
    s.window->showAbout();
    s.window->showLanguageDialog();
    s.window->shell().chooseLanguage(1);
    QCOMPARE(program->windowTitle(), QStringLiteral("Program"));
    QCOMPARE(oper->windowTitle(), QStringLiteral("Algebraic Function"));
    s.window->shell().chooseLanguage(0);
    QCOMPARE(program->windowTitle(), QStringLiteral("Programma"));
    QVERIFY(s.prompter.questions().isEmpty());
}

// Which groups a model shows available: trips, frequency, physical page, channel B's input.
void TestProgram::modelLayout_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("tripsA");
    QTest::addColumn<bool>("tripsB");
    QTest::addColumn<bool>("frequency");
    QTest::addColumn<bool>("math");
    QTest::addColumn<bool>("channelB");
    QTest::newRow("RSX7030") << "RSX7030" << true << false << false << false << false;
    QTest::newRow("RSX7131B") << "RSX7131B" << false << false << false << false << true;
    QTest::newRow("RSX7040") << "RSX7040" << true << true << true << false << true;
    QTest::newRow("math") << "5" << false << false << false << true << true;
    QTest::newRow("RSX7035") << "RSX7035" << false << false << false << false << false;
}

void TestProgram::modelLayout() {
    QFETCH(QString, model);
    QFETCH(bool, tripsA);
    QFETCH(bool, tripsB);
    QFETCH(bool, frequency);
    QFETCH(bool, math);
    QFETCH(bool, channelB);

    Session s(model);
    s.panel()->Check1->click();
    QVERIFY(s.window->shell().portOpen());
    FrmProgram* p = s.program();
    QCOMPARE(p->findChild<QWidget*>(QStringLiteral("frm_soglie_0"))->isEnabled(), tripsA);
    QCOMPARE(p->findChild<QWidget*>(QStringLiteral("frm_soglie_1"))->isEnabled(), tripsB);
    QCOMPARE(p->findChild<QWidget*>(QStringLiteral("frm_freq"))->isEnabled(), frequency);
    QCOMPARE(p->findChild<QWidget*>(QStringLiteral("pnl_in_1"))->isEnabled(), channelB);
    if (channelB) // a model read after the start-up one gets channel B's output back
        QVERIFY(p->control(QStringLiteral("frm_output"), 1)->isEnabled());
    auto* mathButton = s.widget<QPushButton>("cmd_math");
    QCOMPARE(mathButton->isEnabled(), math);
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
    // Accepted as typed, the number still cannot be stored.
    QTest::newRow("overflow") << "txt_Input_max"
                              << "1e999" << true << "Errore: controllare i dati di programmazione";
    QTest::newRow("letters") << "txt_Input_max"
                             << "abc" << false << "Channel A: Valori di ingresso (SPAN)";
    QTest::newRow("huge offset") << "txt_offset"
                                 << "99999,5" << false << "Channel A: Offset CJC oltre i limiti";
}

void TestProgram::garbageIsRefused() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, acceptLimits);
    QFETCH(QString, message);

    Session s(QStringLiteral("RSX7030"));
    s.panel()->Check1->click();
    QVERIFY(s.window->shell().portOpen());
    const QByteArray name = field.toLatin1();
    s.type(name.constData(), 0, text);
    QCOMPARE(s.widget<QLineEdit>(name.constData())->text(), text);

    s.prompter.setFallback(acceptLimits ? Answer::Ok : Answer::Cancel);
    s.panel()->cmd_write->click();
    QVERIFY(!s.prompter.questions().isEmpty());
    QVERIFY2(s.prompter.questions().last().text.startsWith(message),
             qPrintable(s.prompter.texts().join(u'\n')));
    QCOMPARE(s.writes(), 0);

    // The editor stays usable: a good value is taken and the field keeps what was typed.
    QVERIFY(s.program()->isEnabled());
    s.type(name.constData(), 0, QStringLiteral("10"));
    QCOMPARE(s.state.editor.text(field), QStringLiteral("10"));
    s.pick("cmb_Prog_Out", 0, QStringLiteral("0-10 V"));
    QCOMPARE(s.widget<QLineEdit>("txt_Output_max")->text(), QStringLiteral("10"));
}

QTEST_MAIN(TestProgram)
#include "tst_program.moc"
