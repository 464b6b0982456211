#include "appstate.h"
#include "communication.h"
#include "demodevice.h"
#include "frmabout.h"
#include "frmlang.h"
#include "lamp.h"
#include "messageboxprompter.h"
#include "principale.h"
#include "scriptedprompter.h"
#include "simdevice.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace vantelso;
using namespace vantelso::gui;

namespace {

// One desktop session: state, windows and an optional demo device.
struct Session {
    explicit Session(const QString& demoModel = {}, bool pty = true) {
        if (!demoModel.isEmpty()) {
            QString why;
            demo = app::DemoDevice::create(demoModel, &why, pty);
            if (!demo)
                qFatal("%s", qPrintable(why));
        }
        window = std::make_unique<Principale>(state, demo.get());
        window->startUp();
        window->show();
    }
    ~Session() { window.reset(); }

    Communication* panel() const { return window->panel(); }
    QString text(QObject* root, const char* name) const {
        QObject* o = root->findChild<QObject*>(QLatin1String(name));
        if (auto* a = qobject_cast<QAction*>(o))
            return a->text();
        if (auto* m = qobject_cast<QMenu*>(o))
            return m->title();
        if (auto* b = qobject_cast<QAbstractButton*>(o))
            return b->text();
        if (auto* g = qobject_cast<QGroupBox*>(o))
            return g->title();
        if (auto* l = qobject_cast<QLabel*>(o))
            return l->text();
        return QStringLiteral("<missing %1>").arg(QLatin1String(name));
    }

    std::unique_ptr<app::DemoDevice> demo;
    ScriptedPrompter prompter;
    app::AppState state{&prompter};
    std::unique_ptr<Principale> window;
};

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT

private slots:
    void startUpShowsPanel();
    void portListContent();
    void everyWindowOpens();
    void languageSwitchesCaptions_data();
    void languageSwitchesCaptions();
    void unavailableCommandsDisabled();
    void demoOpenAndRead_data();
    void demoOpenAndRead();
    void openFailureClearsSwitch();
    void vanishedDeviceLeavesPanelUsable();
    void aboutLinks();
    void systemInfoFallsBackToMessage();
    void exitClosesPort();
    void fileMenus();
    void messageBoxPrompter_data();
    void messageBoxPrompter();
};

void TestDesktop::startUpShowsPanel() {
    Session s;
    QVERIFY(s.window->panelWindow()->isVisible());
    QCOMPARE(s.window->panelWindow()->pos(), QPoint(0, 0));
    // The panel and the editor window, which waits hidden.
    QCOMPARE(s.window->workArea()->subWindowList().size(), 2);
    QVERIFY(!s.window->programSubWindow()->isVisible());
    QCOMPARE(s.window->windowTitle(), QStringLiteral("VANTELSO v.2.7"));
    QCOMPARE(s.window->panelWindow()->windowTitle(), QStringLiteral("VANTELSO v.2.7"));
    QCOMPARE(s.panel()->lbl_device->text(), QStringLiteral("ID=12/0"));
    QCOMPARE(s.panel()->lbl_device_1->text(), QStringLiteral("RSX 7030"));
    QCOMPARE(s.panel()->Check1->text(), QStringLiteral("Apri Com"));
    QVERIFY(!s.panel()->Check1->isChecked());
    QCOMPARE(s.panel()->Spia->colourValue(), app::lamp::Green);
    QCOMPARE(s.panel()->bar->value(), 0);
    QVERIFY(!s.window->languageDialog()->isVisible());
    QVERIFY(!s.window->aboutBox()->isVisible());
    QVERIFY(s.prompter.questions().isEmpty());
}

void TestDesktop::portListContent() {
    Session s;
    QComboBox* ports = s.panel()->cmb_Porta;
    QVERIFY(ports->isEditable());
    QVERIFY(ports->count() >= 16);
    for (int n = 1; n <= 16; ++n)
        QCOMPARE(ports->itemText(n - 1), QStringLiteral("COM%1").arg(n));
    QCOMPARE(ports->currentIndex(), 0);
    QCOMPARE(ports->currentText(), QStringLiteral("COM1"));

    Session withDemo(QStringLiteral("RSX7030"));
    QComboBox* demoPorts = withDemo.panel()->cmb_Porta;
    QCOMPARE(demoPorts->count(), ports->count() + 1);
    QCOMPARE(demoPorts->itemData(0).toString(), withDemo.demo->port());
    QCOMPARE(demoPorts->currentIndex(), 0);
    QCOMPARE(demoPorts->itemText(1), QStringLiteral("COM1"));
}

void TestDesktop::everyWindowOpens() {
    Session s;
    QAction* language = s.window->mainMenu().language;
    language->trigger();
    QVERIFY(s.window->languageDialog()->isVisible());
    s.window->languageDialog()->close();
    QVERIFY(!s.window->languageDialog()->isVisible());

    s.panel()->cmd_Lang->click();
    QVERIFY(s.window->languageDialog()->isVisible());
    QVERIFY(s.window->languageDialog()->opt_lang[0]->isChecked());
    s.window->languageDialog()->close();

    s.window->mainMenu().about->trigger();
    QVERIFY(s.window->aboutBox()->isVisible());
    QCOMPARE(s.window->aboutBox()->windowTitle(), QStringLiteral("Info su VANTELSO v.2.7"));
    s.window->aboutBox()->close(); // only hidden: the same box comes back
    FrmAbout* about = s.window->aboutBox();
    s.panel()->menu.about->trigger();
    QCOMPARE(s.window->aboutBox(), about);
    QVERIFY(about->isVisible());
    about->cmdOK->click();
    QVERIFY(!about->isVisible());
}

void TestDesktop::languageSwitchesCaptions_data() {
    QTest::addColumn<QString>("where"); // "panel", "main", "about"
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("italian");
    QTest::addColumn<QString>("english");

    QTest::newRow("Check1") << "panel"
                            << "Check1"
                            << "Apri Com"
                            << "Open Com";
    QTest::newRow("Read button") << "panel"
                                 << "cmd_read"
                                 << "Leggi"
                                 << "Read";
    QTest::newRow("Write button") << "panel"
                                  << "cmd_write"
                                  << "Scrivi"
                                  << "Write";
    QTest::newRow("view program") << "panel"
                                  << "cmd_modo_0"
                                  << "Programma"
                                  << "Program";
    QTest::newRow("device frame") << "panel"
                                  << "fra_device"
                                  << "Dispositivo"
                                  << "Device";
    QTest::newRow("panel exit") << "panel"
                                << "mnu_exit"
                                << "Esci"
                                << "Exit";
    QTest::newRow("panel save as") << "panel"
                                   << "mnu_saveas"
                                   << "Salva con nome..."
                                   << "Save as...";
    QTest::newRow("main exit") << "main"
                               << "mnu_exit"
                               << "Esci"
                               << "Exit";
    QTest::newRow("main open") << "main"
                               << "mnu_open"
                               << "Apri..."
                               << "Open...";
    QTest::newRow("main about") << "main"
                                << "mnu_about"
                                << "Info su"
                                << "About";
    QTest::newRow("main measure") << "main"
                                  << "mnu_act_measure"
                                  << "Misura"
                                  << "Measure";
    QTest::newRow("factory") << "main"
                             << "mnu_taratura"
                             << "Taratura"
                             << "Taratura";
    QTest::newRow("manual link") << "about"
                                 << "lbl_Link_1"
                                 << "Manuale Utente"
                                 << "User Guide";
}

void TestDesktop::languageSwitchesCaptions() {
    QFETCH(QString, where);
    QFETCH(QString, control);
    QFETCH(QString, italian);
    QFETCH(QString, english);

    Session s;
    QObject* root = where == QLatin1String("panel")  ? static_cast<QObject*>(s.panel())
                    : where == QLatin1String("main") ? static_cast<QObject*>(s.window->menuBar())
                                                     : static_cast<QObject*>(s.window->aboutBox());
    const QByteArray name = control.toLatin1();
    QCOMPARE(s.text(root, name.constData()), italian);

    FrmLang* lang = s.window->languageDialog();
    s.panel()->cmd_Lang->click();
    lang->opt_lang[1]->click();
    QVERIFY(!lang->isVisible());
    QCOMPARE(s.state.texts.langIndex(), 1);
    QCOMPARE(s.text(root, name.constData()), english);
    QCOMPARE(s.window->aboutBox()->windowTitle(), QStringLiteral("About VANTELSO v.2.7"));

    s.panel()->cmd_Lang->click();
    QVERIFY(lang->opt_lang[1]->isChecked());
    lang->opt_lang[0]->click();
    QCOMPARE(s.state.texts.langIndex(), 0);
    QCOMPARE(s.text(root, name.constData()), italian);
}

void TestDesktop::fileMenus() {
    Session s;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("panel.VNT"));
    for (const ShellMenu* m :
         {&s.window->mainMenu(), static_cast<const ShellMenu*>(&s.panel()->menu)})
        QVERIFY(!m->save->isEnabled());
    // Save as from the panel's menu: the file is written, Save becomes available in both
    // menus and the panel's caption names the file.
    s.prompter.pushFile(path);
    s.panel()->menu.saveAs->trigger();
    QCOMPARE(QFileInfo(path).size(), 292);
    for (const ShellMenu* m :
         {&s.window->mainMenu(), static_cast<const ShellMenu*>(&s.panel()->menu)})
        QVERIFY(m->save->isEnabled());
    QCOMPARE(s.window->panelWindow()->windowTitle(),
             QStringLiteral("VANTELSO v.2.7 - ") + QFileInfo(path).absoluteFilePath());
    // The caption survives a language change.
    s.window->mainMenu().save->trigger();
    s.state.texts.setLanguage(Texts::English);
    QVERIFY(s.window->panelWindow()->windowTitle().endsWith(QStringLiteral("panel.VNT")));
    // Open from the main menu, the dialog cancelled: nothing happens.
    s.window->mainMenu().open->trigger();
    QVERIFY(s.prompter.questions().isEmpty());
    s.prompter.pushFile(path);
    s.window->mainMenu().open->trigger();
    QVERIFY(s.prompter.questions().isEmpty());
}

void TestDesktop::unavailableCommandsDisabled() {
    Session s;
    Communication* p = s.panel();
    QVERIFY(p->cmd_read->isEnabled());
    QVERIFY(p->cmd_write->isEnabled());
    QVERIFY(!p->cmd_start->isEnabled());
    QVERIFY(p->cmd_modo[0]->isEnabled());
    QVERIFY(!p->cmd_modo[1]->isEnabled());
    QVERIFY(!p->cmd_modo[2]->isEnabled());
    QVERIFY(p->cmd_Lang->isEnabled());
    for (const ShellMenu* m : {&s.window->mainMenu(), static_cast<const ShellMenu*>(&p->menu)}) {
        for (QAction* a :
             {m->save, m->viewMeasure, m->viewSwitch, m->start, m->stop, m->eeprom, m->taratura})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        QVERIFY(m->open->isEnabled());
        QVERIFY(m->saveAs->isEnabled());
        QVERIFY(m->read->isEnabled());
        QVERIFY(m->write->isEnabled());
        QVERIFY(m->viewProgram->isEnabled());
        QVERIFY(m->about->isEnabled());
        QVERIFY(m->exit->isEnabled());
    }
    // The panel's factory menu is never offered; the main window keeps its own.
    QVERIFY(!p->menu.collaudo->isEnabled());
    QVERIFY(s.window->mainMenu().collaudo->isEnabled());
}

void TestDesktop::demoOpenAndRead_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("idLabel");
    QTest::addColumn<QString>("name");
    QTest::newRow("RSX7030") << "RSX7030"
                             << "ID=12/0"
                             << "RSX 7030";
    QTest::newRow("RSX7131B") << "RSX7131B"
                              << "ID=12/3"
                              << "RSX 7131 B";
}

void TestDesktop::demoOpenAndRead() {
    QFETCH(QString, model);
    QFETCH(QString, idLabel);
    QFETCH(QString, name);

    Session s(model); // served on a pseudo-terminal: the real serial-port path
    if (!s.demo->onPseudoTerminal())
        QSKIP("no pseudo-terminals here");
    QList<int> lamp;
    connect(&s.state.link, &DeviceLink::activityChanged, s.panel(),
            [&](bool) { lamp << s.panel()->Spia->colourValue(); });

    s.panel()->Check1->click();
    QVERIFY(s.window->shell().portOpen());
    QVERIFY(s.panel()->Check1->isChecked());
    QCOMPARE(s.panel()->Check1->text(), QStringLiteral("Chiudi Com"));
    QCOMPARE(s.panel()->lbl_device->text(), idLabel);
    QCOMPARE(s.panel()->lbl_device_1->text(), name);
    QVERIFY(s.prompter.questions().isEmpty());
    QVERIFY(lamp.contains(app::lamp::Red));
    QCOMPARE(s.panel()->Spia->colourValue(), app::lamp::Green);
    QCOMPARE(s.panel()->bar->value(), s.panel()->bar->maximum());
    QVERIFY(s.panel()->isEnabled());

    // Read again from the panel, then in English: the name stays, the captions change.
    s.panel()->cmd_read->click();
    QCOMPARE(s.panel()->lbl_device->text(), idLabel);
    s.window->shell().chooseLanguage(1);
    QCOMPARE(s.panel()->Check1->text(), QStringLiteral("Close Com"));
    QCOMPARE(s.panel()->lbl_device_1->text(), name);

    s.panel()->Check1->click();
    QVERIFY(!s.window->shell().portOpen());
    QCOMPARE(s.panel()->Check1->text(), QStringLiteral("Open Com"));
    QVERIFY(s.prompter.questions().isEmpty());
}

void TestDesktop::openFailureClearsSwitch() {
    Session s;
    s.panel()->cmb_Porta->setEditText(QStringLiteral("/dev/vantelso-no-such-port"));
    s.panel()->Check1->click();
    QVERIFY(!s.panel()->Check1->isChecked());
    QCOMPARE(s.panel()->Check1->text(), QStringLiteral("Apri Com"));
    QCOMPARE(s.prompter.questions().size(), 1);
    QCOMPARE(s.prompter.questions().first().icon, Prompter::Icon::Critical);
    QVERIFY(s.prompter.questions().first().text.startsWith(
        QStringLiteral("Porta COM utilizzata da un altra applicazione")));
}

void TestDesktop::vanishedDeviceLeavesPanelUsable() {
    Session s(QStringLiteral("RSX7030"));
    if (!s.demo->onPseudoTerminal())
        QSKIP("no pseudo-terminals here");
    s.panel()->Check1->click();
    QVERIFY(s.window->shell().portOpen());

    sim::Fault f;
    f.kind = sim::Fault::Kind::Vanish;
    s.demo->device()->injectFault(f);
    s.panel()->cmd_read->click();
    QTRY_VERIFY(!s.window->shell().portOpen());
    QTRY_VERIFY(!s.panel()->Check1->isChecked());
    QVERIFY(!s.panel()->lbl_status->text().isEmpty());
    QVERIFY(s.panel()->isEnabled());
    QVERIFY(s.panel()->cmb_Porta->isEnabled());
    QCOMPARE(s.panel()->Spia->colourValue(), app::lamp::Green);
    QCOMPARE(s.panel()->Check1->text(), QStringLiteral("Apri Com"));
}

void TestDesktop::aboutLinks() {
    Session s;
    QList<QUrl> opened;
    FrmAbout* about = s.window->aboutBox();
    about->setUrlOpener([&](const QUrl& u) {
        opened << u;
        return true;
    });
    s.window->showAbout();
    QCOMPARE(about->lblTitle->text(), QStringLiteral("VANTELSO v.2.7"));
    QCOMPARE(about->lbl_Link[0]->text(), QStringLiteral("www.merovan.example.com"));
    about->lbl_Link[0]->click();
    about->picIcon->click();
    about->picPDF->click();
    s.window->shell().chooseLanguage(1);
    about->lbl_Link[1]->click();

    QCOMPARE(opened.size(), 4);
    QCOMPARE(opened[0].host(), QStringLiteral("www.merovan.example.com"));
    QCOMPARE(opened[1], opened[0]);
    QVERIFY(opened[2].isLocalFile());
    QVERIFY(opened[2].toLocalFile().endsWith(QLatin1String("/MT_ITA_VANTELSO_0114R00.pdf")));
    QVERIFY(opened[3].toLocalFile().endsWith(QLatin1String("/MT_EN_VANTELSO_0114R00.pdf")));
}

void TestDesktop::systemInfoFallsBackToMessage() {
#ifdef Q_OS_WIN
    QSKIP("the registry decides on Windows");
#endif
    Session s;
    s.window->showAbout();
    s.window->aboutBox()->cmdSysInfo->click();
    QCOMPARE(s.prompter.texts(),
             QStringList{
                 QStringLiteral("Le informazioni sul sistema non sono attualmente disponibili.")});
    QCOMPARE(s.prompter.questions().first().icon, Prompter::Icon::None);
}

void TestDesktop::exitClosesPort() {
    Session s(QStringLiteral("RSX7030"), /*pty=*/false);
    s.panel()->Check1->click();
    QVERIFY(s.window->shell().portOpen());
    s.window->mainMenu().exit->trigger();
    QVERIFY(s.state.flags.exiting);
    QVERIFY(!s.window->shell().portOpen());
    QVERIFY(!s.window->isVisible());

    // Closing the panel's own window ends the program too.
    Session t;
    t.window->panelWindow()->close();
    QTRY_VERIFY(!t.window->isVisible());
    QVERIFY(t.state.flags.exiting);
}

void TestDesktop::messageBoxPrompter_data() {
    QTest::addColumn<Prompter::Buttons>("buttons");
    QTest::addColumn<Prompter::Icon>("icon");
    QTest::addColumn<int>("click"); // QMessageBox::StandardButton
    QTest::addColumn<QMessageBox::Icon>("boxIcon");
    QTest::addColumn<Prompter::Answer>("answer");

    using B = Prompter::Buttons;
    using I = Prompter::Icon;
    using A = Prompter::Answer;
    QTest::newRow("retry") << B::RetryCancel << I::Critical << int(QMessageBox::Retry)
                           << QMessageBox::Critical << A::Retry;
    QTest::newRow("cancel") << B::RetryCancel << I::Critical << int(QMessageBox::Cancel)
                            << QMessageBox::Critical << A::Cancel;
    QTest::newRow("ok/cancel ok") << B::OkCancel << I::Warning << int(QMessageBox::Ok)
                                  << QMessageBox::Warning << A::Ok;
    QTest::newRow("ignore") << B::AbortRetryIgnore << I::Critical << int(QMessageBox::Ignore)
                            << QMessageBox::Critical << A::Ignore;
    QTest::newRow("abort") << B::AbortRetryIgnore << I::Critical << int(QMessageBox::Abort)
                           << QMessageBox::Critical << A::Abort;
    QTest::newRow("info") << B::Ok << I::Information << int(QMessageBox::Ok)
                          << QMessageBox::Information << A::Ok;
    QTest::newRow("plain") << B::Ok << I::None << int(QMessageBox::Ok) << QMessageBox::NoIcon
                           << A::Ok;
}

void TestDesktop::messageBoxPrompter() {
    QFETCH(Prompter::Buttons, buttons);
    QFETCH(Prompter::Icon, icon);
    QFETCH(int, click);
    QFETCH(QMessageBox::Icon, boxIcon);
    QFETCH(Prompter::Answer, answer);

    MessageBoxPrompter prompter([] { return QStringLiteral("KELMA-02 v.2.7"); });
    QString title;
    QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
    int buttonCount = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        seenIcon = box->icon();
        buttonCount = int(box->buttons().size());
        box->button(QMessageBox::StandardButton(click))->click();
    });
    QCOMPARE(prompter.ask(QStringLiteral("text"), buttons, icon), answer);
    QCOMPARE(title, QStringLiteral("KELMA-02 v.2.7"));
    QCOMPARE(seenIcon, boxIcon);
    const int expectedButtons = buttons == Prompter::Buttons::Ok                 ? 1
                                : buttons == Prompter::Buttons::AbortRetryIgnore ? 3
                                                                                 : 2;
    QCOMPARE(buttonCount, expectedButtons);
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
