#include "desktopsession.h"
#include "frmabout.h"
#include "lamp.h"
#include "messageboxprompter.h"

#include <QApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace vantelso;
using namespace vantelso::gui;

class TestDesktop : public QObject {
    Q_OBJECT

private slots:
    void startUpShowsPanel();
    void everyWindowOpens();
    void languageSwitchesCaptions();
    void demoOpenAndRead();
    void openFailureClearsSwitch();
    void vanishedDeviceLeavesPanelUsable();
    void fileMenus();
    void messageBoxPrompter_data();
    void messageBoxPrompter();
};

void TestDesktop::startUpShowsPanel() {
    Session s;
    Communication* p = s.panel();
    QVERIFY(s.window->panelWindow()->isVisible());
    QCOMPARE(s.window->panelWindow()->pos(), QPoint(0, 0));
    // The panel and the editor window, which waits hidden.
    QCOMPARE(s.window->workArea()->subWindowList().size(), 2);
    QVERIFY(!s.window->programSubWindow()->isVisible());
    QVERIFY(!p->Check1->isChecked());
    QVERIFY(p->cmb_Porta->isEditable());
    QCOMPARE(p->cmb_Porta->currentText(), QStringLiteral("COM1"));
    QCOMPARE(p->Spia->colourValue(), app::lamp::Green);
    QVERIFY(s.prompter.questions().isEmpty());

    // What is not available yet is disabled; the panel never offers the factory menu.
    QVERIFY(p->cmd_read->isEnabled() && p->cmd_write->isEnabled() && p->cmd_modo[0]->isEnabled());
    QVERIFY(!p->cmd_start->isEnabled() && !p->cmd_modo[1]->isEnabled());
    for (const ShellMenu* m : s.menus()) {
        for (QAction* a : {m->save, m->viewMeasure, m->start, m->eeprom, m->taratura})
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        QVERIFY(m->open->isEnabled() && m->saveAs->isEnabled() && m->viewProgram->isEnabled());
    }
    QVERIFY(!p->menu.collaudo->isEnabled());
    QVERIFY(s.window->mainMenu().collaudo->isEnabled());
}

// The About box and the flag dialog hide rather than close; the links go to the opener
// given, never to the desktop.
void TestDesktop::everyWindowOpens() {
    Session s;
    s.window->mainMenu().language->trigger();
    QVERIFY(s.window->languageDialog()->isVisible());
    s.window->languageDialog()->close();
    QVERIFY(!s.window->languageDialog()->isVisible());

    FrmAbout* about = s.window->aboutBox();
    QList<QUrl> opened;
    about->setUrlOpener([&](const QUrl& u) {
        opened << u;
        return true;
    });
    s.window->mainMenu().about->trigger();
    QVERIFY(about->isVisible());
    about->close(); // only hidden: the same box comes back
    s.panel()->menu.about->trigger();
    QCOMPARE(s.window->aboutBox(), about);
    QVERIFY(about->isVisible());
    QCOMPARE(about->lbl_Link[0]->text(), QStringLiteral("www.merovan.example.com"));
    about->lbl_Link[0]->click();
    about->picIcon->click();
    about->picPDF->click();
    s.window->shell().chooseLanguage(1);
    about->lbl_Link[1]->click();
    QCOMPARE(opened.size(), 4);
    QCOMPARE(opened[0].host(), QStringLiteral("www.merovan.example.com"));
    QCOMPARE(opened[1], opened[0]);
    QVERIFY(opened[2].toLocalFile().endsWith(QLatin1String("/MT_ITA_VANTELSO_0114R00.pdf")));
    QVERIFY(opened[3].toLocalFile().endsWith(QLatin1String("/MT_EN_VANTELSO_0114R00.pdf")));
#ifndef Q_OS_WIN
    // Without the system information tool a message says so.
    about->cmdSysInfo->click();
    QCOMPARE(s.prompter.texts(),
             QStringList{
                 QStringLiteral("Le informazioni sul sistema non sono attualmente disponibili.")});
    QCOMPARE(s.prompter.questions().first().icon, Prompter::Icon::None);
#endif
    about->cmdOK->click();
    QVERIFY(!about->isVisible());
}

// Captions in every window follow the language chosen from the flag dialog, both ways.
void TestDesktop::languageSwitchesCaptions() {
    Session s;
    QObject* panel = s.panel();
    QObject* menus = s.window->menuBar();
    const std::tuple<QObject*, const char*, const char*, const char*> rows[] = {
        {panel, "Check1", "Apri Com", "Open Com"},
        {panel, "cmd_modo_0", "Programma", "Program"},
        {panel, "mnu_exit", "Esci", "Exit"},
        {menus, "mnu_open", "Apri...", "Open..."},
        {menus, "mnu_act_measure", "Misura", "Measure"},
        {menus, "mnu_taratura", "Taratura", "Taratura"},
        {s.window->aboutBox(), "lbl_Link_1", "Manuale Utente", "User Guide"},
    };
    FrmLang* lang = s.window->languageDialog();
    for (int language : {0, 1, 0}) {
        s.chooseLanguage(language);
        QVERIFY(!lang->isVisible());
        QCOMPARE(s.state.texts.langIndex(), language);
        for (const auto& [root, control, italian, english] : rows)
            QCOMPARE(s.caption(QLatin1String(control), root),
                     QString::fromUtf8(language ? english : italian));
    }
    s.panel()->cmd_Lang->click();
    QVERIFY(lang->opt_lang[0]->isChecked()); // the flag of the language in use
}

// On a pseudo-terminal: the real serial-port path.
void TestDesktop::demoOpenAndRead() {
    Session s(QStringLiteral("RSX7131B"), /*pty=*/true);
    if (!s.demo->onPseudoTerminal())
        QSKIP("no pseudo-terminals here");
    QComboBox* ports = s.panel()->cmb_Porta;
    QCOMPARE(ports->itemData(0).toString(), s.demo->port()); // the demo entry on top, chosen
    QCOMPARE(ports->currentIndex(), 0);
    QList<int> lamp;
    connect(&s.state.link, &DeviceLink::activityChanged, s.panel(),
            [&](bool) { lamp << s.panel()->Spia->colourValue(); });

    QVERIFY(s.open());
    QVERIFY(s.panel()->Check1->isChecked());
    QCOMPARE(s.panel()->Check1->text(), QStringLiteral("Chiudi Com"));
    QCOMPARE(s.panel()->lbl_device->text(), QStringLiteral("ID=12/3"));
    QCOMPARE(s.panel()->lbl_device_1->text(), QStringLiteral("RSX 7131 B"));
    QVERIFY(s.prompter.questions().isEmpty());
    QVERIFY(lamp.contains(app::lamp::Red)); // lit while the device talks
    QCOMPARE(s.panel()->bar->value(), s.panel()->bar->maximum());
    QCOMPARE(s.count("$V"), 2); // opening reads the configuration twice

    // In English the name stays and the captions change; an open port closes without a word.
    s.window->shell().chooseLanguage(1);
    QCOMPARE(s.panel()->Check1->text(), QStringLiteral("Close Com"));
    QCOMPARE(s.panel()->lbl_device_1->text(), QStringLiteral("RSX 7131 B"));
    s.panel()->Check1->click();
    QVERIFY(!s.window->shell().portOpen());
    QCOMPARE(s.panel()->Check1->text(), QStringLiteral("Open Com"));
    QVERIFY(s.prompter.questions().isEmpty());
}

void TestDesktop::openFailureClearsSwitch() {
    Session s;
    s.panel()->cmb_Porta->setEditText(QStringLiteral("/dev/vantelso-no-such-port"));
    s.panel()->Check1->click();
    QVERIFY(!s.window->shell().portOpen());
    QVERIFY(!s.panel()->Check1->isChecked());
    QCOMPARE(s.panel()->Check1->text(), QStringLiteral("Apri Com"));
    QCOMPARE(s.prompter.questions().size(), 1);
    const auto q = s.prompter.questions().first();
    QCOMPARE(q.icon, Prompter::Icon::Critical);
    QVERIFY(q.text.startsWith(QStringLiteral("Porta COM utilizzata da un altra applicazione")));
    // The transport's own reason follows.
    QVERIFY2(q.text.contains(QStringLiteral("/dev/vantelso-no-such-port")), qPrintable(q.text));
}

void TestDesktop::vanishedDeviceLeavesPanelUsable() {
    Session s(QStringLiteral("RSX7030"));
    QVERIFY(s.open());

    sim::Fault f;
    f.kind = sim::Fault::Kind::Vanish;
    s.demo->device()->injectFault(f);
    s.panel()->cmd_read->click(); // every retry question is answered Cancel
    QTRY_VERIFY(!s.window->shell().portOpen());
    QTRY_VERIFY(!s.panel()->Check1->isChecked());
    QVERIFY(!s.panel()->lbl_status->text().isEmpty());
    QVERIFY(s.panel()->isEnabled() && s.panel()->cmb_Porta->isEnabled());
    QCOMPARE(s.panel()->Spia->colourValue(), app::lamp::Green);
    QCOMPARE(s.panel()->Check1->text(), QStringLiteral("Apri Com"));

    // The device comes back and the port opens again; Exit closes it.
    s.demo->device()->revive();
    QVERIFY(s.open());
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

void TestDesktop::fileMenus() {
    Session s;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("panel.VNT"));
    // Save as from the panel's menu: the file is written, Save becomes available in both
    // menus and the panel's caption names the file.
    s.prompter.pushFile(path);
    s.panel()->menu.saveAs->trigger();
    QCOMPARE(QFileInfo(path).size(), 292);
    for (const ShellMenu* m : s.menus())
        QVERIFY(m->save->isEnabled());
    QCOMPARE(s.window->panelWindow()->windowTitle(),
             QStringLiteral("VANTELSO v.2.7 - ") + QFileInfo(path).absoluteFilePath());
    // The caption survives a language change.
    s.window->mainMenu().save->trigger();
    s.state.texts.setLanguage(Texts::English);
    QVERIFY(s.window->panelWindow()->windowTitle().endsWith(QStringLiteral("panel.VNT")));
    // Open from the main menu, the dialog cancelled: nothing happens; then the file itself.
    s.window->mainMenu().open->trigger();
    s.prompter.pushFile(path);
    s.window->mainMenu().open->trigger();
    QVERIFY(s.prompter.questions().isEmpty());
}

void TestDesktop::messageBoxPrompter_data() {
    using B = Prompter::Buttons;
    using I = Prompter::Icon;
    using A = Prompter::Answer;
    using M = QMessageBox;
    QTest::addColumn<B>("buttons");
    QTest::addColumn<I>("icon");
    QTest::addColumn<int>("click"); // the button pressed
    QTest::addColumn<QString>("seen");
    QTest::addColumn<A>("answer");
    const auto row = [](const char* name, B b, I i, M::StandardButton click, M::Icon boxIcon,
                        A answer, int buttonCount) {
        QTest::newRow(name) << b << i << int(click)
                            << QStringLiteral("KELMA-02 v.2.7 %1 %2").arg(boxIcon).arg(buttonCount)
                            << answer;
    };
    row("retry", B::RetryCancel, I::Critical, M::Retry, M::Critical, A::Retry, 2);
    row("ok/cancel", B::OkCancel, I::Warning, M::Ok, M::Warning, A::Ok, 2);
    row("ignore", B::AbortRetryIgnore, I::Critical, M::Ignore, M::Critical, A::Ignore, 3);
    row("info", B::Ok, I::Information, M::Ok, M::Information, A::Ok, 1);
    row("plain", B::Ok, I::None, M::Ok, M::NoIcon, A::Ok, 1);
}

// The real message box: the product title, the icon and the buttons asked for.
void TestDesktop::messageBoxPrompter() {
    QFETCH(Prompter::Buttons, buttons);
    QFETCH(Prompter::Icon, icon);
    QFETCH(int, click);
    QFETCH(QString, seen);
    QFETCH(Prompter::Answer, answer);

    MessageBoxPrompter prompter([] { return QStringLiteral("KELMA-02 v.2.7"); });
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        shown = QStringLiteral("%1 %2 %3")
                    .arg(box->windowTitle())
                    .arg(box->icon())
                    .arg(box->buttons().size());
        box->button(QMessageBox::StandardButton(click))->click();
    });
    QCOMPARE(prompter.ask(QStringLiteral("text"), buttons, icon), answer);
    QCOMPARE(shown, seen);
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
