#include "desktopsession.h"
#include "failingrow.h"
#include "frmabout.h"
#include "frmmisura.h"
#include "frmstrumver.h"
#include "frmtara.h"
#include "frmverifica.h"
#include "lamp.h"
#include "messageboxprompter.h"
#include "shellmessages.h"
#include "stringtable.h"
#include "testfiles.h"
#include "verificationstation.h"

using namespace vantelso;
using namespace vantelso::gui;
using namespace Qt::StringLiterals;

namespace {
// Answers the next message box with `click`, noting what it showed as "title|icon|buttons", the
// buttons' texts sorted and without their keyboard marks.
void answerBox(QMessageBox::StandardButton click, QString& seen) {
    QTimer::singleShot(0, [click, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QStringList buttons;
        for (QAbstractButton* b : box->buttons())
            buttons << b->text().remove(u'&');
        buttons.sort();
        seen = box->windowTitle() + u'|' + QString::number(box->icon()) + u'|' + buttons.join(u' ');
        box->button(click)->click();
    });
}
} // namespace

class TestDesktop : public QObject {
    Q_OBJECT

private slots:
    void startUpShowsPanel();
    void aboutAndLanguageDialogs();
    void messageBoxes();
    void demoOpenAndRead();
    void openFailureClearsSwitch();
    void vanishedDeviceLeavesPanelUsable();
    void staleStateAfterUnplug();
    void exitAsksBeforeDroppingEdits();
    void oneLanguagePerWindow_data();
    void oneLanguagePerWindow();
};

void TestDesktop::startUpShowsPanel() {
    Session s;
    Communication* p = s.panel();
    QCOMPARE(s.window->panelWindow()->pos(), QPoint(0, 0));
    // The windows on show, by name.
    const auto shown = [&s] {
        QStringList names;
        for (QMdiSubWindow* w : s.window->workArea()->subWindowList())
            if (w->isVisible())
                names << w->widget()->objectName();
        return names.join(u' ');
    };
    // The panel, and the editor, switch, measurement, EEPROM, compare, communication log,
    // calibration, two-position tool, production test and programming station (report and
    // set-up) windows, which wait hidden.
    QCOMPARE(s.window->workArea()->subWindowList().size(), 12);
    QCOMPARE(shown(), u"communication"_s);
    QVERIFY(!p->cmd_reconnect->isVisible() && !p->chk_autoreconnect->isVisible());
    QVERIFY(p->cmd_modo[2]->isEnabled() && !p->Check1->isChecked() && p->cmb_Porta->isEditable());
    QCOMPARE(p->cmb_Porta->currentText(), u"COM1"_s);

    // Before a port is open no device is named and nothing that needs one is offered; both
    // menu bars show the factory menu alike.
    QCOMPARE(p->lbl_device->text(), u"ID=12/0"_s);
    QVERIFY(!p->cmd_read->isEnabled() && !p->cmd_write->isEnabled() && p->cmd_modo[0]->isEnabled());
    QVERIFY(!p->cmd_start->isEnabled() && p->cmd_modo[1]->isEnabled());
    QVERIFY(!s.window->measureWindow()->Cmd_StartRead->isEnabled());
    for (const ShellMenu* m : {&s.window->mainMenu(), &std::as_const(p->menu)}) {
        const FailingRow row(m == &s.window->mainMenu() ? "main menu" : "panel menu");
        QVERIFY(m->viewMeasure->isEnabled() && !m->start->isEnabled() && !m->stop->isEnabled());
        QVERIFY(!m->save->isEnabled() && !m->read->isEnabled() && !m->write->isEnabled());
        QVERIFY(!m->compare->isEnabled() && !m->report->isEnabled());
        QVERIFY(m->open->isEnabled() && m->saveAs->isEnabled() && m->viewProgram->isEnabled() &&
                m->viewSwitch->isEnabled() && m->eeprom->isEnabled() && m->taratura->isEnabled() &&
                m->test->isEnabled() && m->collaudo->isEnabled());
    }
    // Every menu has its keyboard letter; the panel's titles leave Alt to the main bar.
    QVERIFY(s.window->mainMenu().collaudo->title().contains(u'&'));
    QVERIFY(s.window->mainMenu().exit->text().contains(u'&'));
    QVERIFY(p->menu.open->text().contains(u'&') && !p->menu.collaudo->title().contains(u'&'));

    // Collaudo > Taratura brings up the calibration bench; choosing the two-position model
    // there brings up its tool; closing only hides them.
    s.window->mainMenu().taratura->trigger();
    QCOMPARE(shown(), u"communication frm_tara"_s);
    FrmTara* tara = s.window->taraWindow();
    tara->modelButton(bench::FindCalModel(u"RSX7030"_s))->click();
    QCOMPARE(shown(), u"communication frm_tara"_s);
    tara->modelButton(bench::FindCalModel(u"RSX5035"_s))->click();
    QCOMPARE(shown(), u"communication frm_tara Frm_5035"_s);
    // "Prog" brings up the programming station, reset; its instrument button the set-up.
    s.window->verificationStation()->downloads = 3;
    tara->findChild<QPushButton*>(u"Command7"_s)->click();
    QCOMPARE(shown(), u"communication frm_tara Frm_5035 frm_verifica"_s);
    QCOMPARE(s.window->verificationStation()->downloads, 0);
    QCOMPARE(s.window->verificaWindow()->statusLabel()->text(), u"STOP"_s);
    s.window->verificaWindow()->instrumentsButton()->click();
    QCOMPARE(shown(), u"communication frm_tara Frm_5035 frm_verifica interfaccia_strum_ver"_s);
    QCOMPARE(s.window->strumVerWindow()->captionLabel()->text(),
             u"Selezionare Modo di taratura:"_s);
    s.window->strumVerSubWindow()->close();
    s.window->verificaSubWindow()->close();
    s.window->taraSubWindow()->close();
    s.window->tool5035SubWindow()->close();
    QCOMPARE(shown(), u"communication"_s);

    // Collaudo > Test brings up the production test; closing only hides it.
    s.window->mainMenu().test->trigger();
    QCOMPARE(shown(), u"communication frm_test"_s);
    s.window->workArea()->findChild<QMdiSubWindow*>(u"frm_test_window"_s)->close();
    QCOMPARE(shown(), u"communication"_s);
    QCOMPARE(s.window->workArea()->subWindowList().size(), 12);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"panel.VNT"_s);
    // Save as from the panel's menu: the file is written, Save becomes available in both
    // menus and the panel's caption names the file.
    s.prompter.pushFile(path);
    s.panel()->menu.saveAs->trigger();
    QCOMPARE(QFileInfo(path).size(), 292);
    QVERIFY(s.window->mainMenu().save->isEnabled() && s.panel()->menu.save->isEnabled());
    QCOMPARE(s.window->panelWindow()->windowTitle(),
             u"VANTELSO v.2.7 - "_s + QFileInfo(path).absoluteFilePath());
    // The caption survives a language change.
    s.window->mainMenu().save->trigger();
    s.state.texts.setLanguage(Texts::English);
    QVERIFY(s.window->panelWindow()->windowTitle().endsWith(u"panel.VNT"_s));
    // Open from the main menu, the dialog cancelled: nothing happens; then the file itself.
    s.window->mainMenu().open->trigger();
    s.prompter.pushFile(path);
    s.window->mainMenu().open->trigger();
    QVERIFY(s.prompter.questions().isEmpty());
}

// The About box and the flag dialog hide rather than close; the links go to the opener
// given, never to the desktop.
void TestDesktop::aboutAndLanguageDialogs() {
    Session s;
    s.window->mainMenu().language->trigger();
    QVERIFY(s.window->languageDialog()->isVisible());
    s.window->languageDialog()->close();
    QVERIFY(!s.window->languageDialog()->isVisible());

    FrmAbout* about = s.window->aboutBox();
    QStringList opened;
    about->setUrlOpener([&](const QUrl& u) {
        opened << (u.isLocalFile() ? QFileInfo(u.toLocalFile()).fileName() : u.host());
        return true;
    });
    s.window->mainMenu().about->trigger();
    about->close(); // only hidden: the same box comes back
    s.panel()->menu.about->trigger();
    QVERIFY(s.window->aboutBox() == about && about->isVisible());
    // The Italian manual is in the working folder, the English one nowhere.
    QTemporaryDir dir;
    QVERIFY(WriteTestFile(dir.filePath(u"MT_ITA_VANTELSO_0114R00.pdf"_s), {}));
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    about->lbl_Link[0]->click();
    about->picIcon->click();
    about->picPDF->click();
    QVERIFY(s.prompter.questions().isEmpty());
    s.window->shell().chooseLanguage(1);
    about->lbl_Link[1]->click();
    QDir::setCurrent(before);
    QCOMPARE(opened, (QStringList{"www.merovan.example.com", "www.merovan.example.com",
                                  "MT_ITA_VANTELSO_0114R00.pdf"}));
    // A missing manual is told in a box, in the language of the moment, with the folders
    // looked in: where the program is installed first, then the working folder.
    QCOMPARE(s.prompter.texts().size(), 1);
    const QString told = s.prompter.texts().constFirst();
    QVERIFY2(told.startsWith("User manual MT_EN_VANTELSO_0114R00.pdf not found. Looked in: " +
                             QDir::toNativeSeparators(QCoreApplication::applicationDirPath())),
             qPrintable(told));
    QVERIFY2(told.endsWith(QDir::toNativeSeparators(QDir(dir.path()).absolutePath())),
             qPrintable(told));
    QCOMPARE(s.prompter.questions().first().icon, Prompter::Icon::Warning);
    s.window->shell().chooseLanguage(0);
    s.prompter.clear();
    about->picPDF->click(); // the Italian one, and not in the folder the program runs in now
    QVERIFY(s.prompter.texts().value(0).startsWith(
        "Manuale utente MT_ITA_VANTELSO_0114R00.pdf non trovato. Cercato in: "));
#ifndef Q_OS_WIN
    // Without the system information tool a message says so, in the language of the moment.
    for (int language : {1, 0}) {
        const FailingRow row(language ? "English" : "Italian");
        s.window->shell().chooseLanguage(language);
        s.prompter.clear();
        about->cmdSysInfo->click();
        QCOMPARE(s.prompter.texts().join(u'|'),
                 language ? u"System information is not available at the moment."_s
                          : u"Le informazioni sul sistema non sono attualmente disponibili."_s);
        QCOMPARE(s.prompter.questions().first().icon, Prompter::Icon::None);
    }
#endif
    about->cmdOK->click();
    QVERIFY(!about->isVisible());
}

// Message boxes show the product title, the icon and the buttons asked for, and follow the
// language chosen from the flag dialog, both ways: Qt's own standard buttons and the program's
// own ones (the windows' captions are walked in oneLanguagePerWindow). The file dialogs start
// in the documents folder, then where the last one ended.
void TestDesktop::messageBoxes() {
    Session s;
    using B = Prompter::Buttons;
    using I = Prompter::Icon;
    using A = Prompter::Answer;
    using M = QMessageBox;
    // Asked for, clicked, the box's icon, the answer, the buttons in Italian and in English.
    const std::tuple<B, I, M::StandardButton, M::Icon, A, const char*, const char*> rows[] = {
        {B::RetryCancel, I::Critical, M::Retry, M::Critical, A::Retry, "Annulla Riprova",
         "Cancel Retry"},
        {B::OkCancel, I::Warning, M::Ok, M::Warning, A::Ok, "Annulla OK", "Cancel OK"},
        {B::AbortRetryIgnore, I::Critical, M::Ignore, M::Critical, A::Ignore,
         "Ignora Interrompi Riprova", "Abort Ignore Retry"},
        {B::Ok, I::Information, M::Ok, M::Information, A::Ok, "OK", "OK"},
        {B::Ok, I::None, M::Ok, M::NoIcon, A::Ok, "OK", "OK"},
        {B::SaveDiscardCancel, I::Warning, M::Discard, M::Warning, A::Discard,
         "Annulla Non salvare Salva", "Cancel Don't save Save"}};
    MessageBoxPrompter boxes([] { return QString(); });
    // The program's own boxes name their buttons from the string table, whatever Qt's
    // translations on the machine; the answer is the button clicked.
    MessageBoxPrompter ours([] { return u"KELMA-02 v.2.7"_s; });
    ours.setButtonTexts([&s](Prompter::Answer a) { return app::ButtonText(a, s.state.texts); });
    for (int language : {1, 0}) {
        const FailingRow row(language ? "English" : "Italian");
        s.chooseLanguage(language);
        QVERIFY(!s.window->languageDialog()->isVisible());
        QString seen;
        answerBox(QMessageBox::Cancel, seen);
        boxes.ask(u"?"_s, B::RetryCancel, I::Warning);
        QCOMPARE(seen, language ? u"|2|Cancel Retry"_s : u"|2|Annulla Riprova"_s);
        for (const auto& [buttons, icon, click, boxIcon, answer, italian, english] : rows) {
            const FailingRow box(QString::fromUtf8(english) + u", icon %1"_s.arg(int(boxIcon)));
            answerBox(click, seen);
            QCOMPARE(ours.ask(u"?"_s, buttons, icon), answer);
            QCOMPARE(seen, u"KELMA-02 v.2.7|%1|"_s.arg(int(boxIcon)) +
                               QString::fromUtf8(language ? english : italian));
        }
    }
    s.panel()->cmd_Lang->click();
    QVERIFY(s.window->languageDialog()->opt_lang[0]->isChecked()); // the language in use

    QStandardPaths::setTestModeEnabled(true);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QVERIFY(QDir().mkpath(documents));
    QTemporaryDir dir;
    const QString chosen = QDir(dir.path()).absoluteFilePath(u"a.VNT"_s);
    QStringList started;
    const auto answer = [&](const QString& file) {
        QTimer::singleShot(0, [&, file] {
            auto* box = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(box);
            started << box->directory().absolutePath();
            box->selectFile(file);
            static_cast<QDialog*>(box)->accept();
        });
    };
    answer(chosen);
    QCOMPARE(ours.saveFile({}), std::optional<QString>(chosen));
    answer(u"b.VNT"_s);
    QVERIFY(ours.saveFile({}));
    QCOMPARE(started,
             (QStringList{QDir(documents).absolutePath(), QDir(dir.path()).absolutePath()}));
    QStandardPaths::setTestModeEnabled(false);
}

// On a pseudo-terminal: the real serial-port path.
void TestDesktop::demoOpenAndRead() {
    Session s(u"RSX7131B"_s, /*pty=*/true);
    if (!s.demo->onPseudoTerminal())
        QSKIP("no pseudo-terminals here");
    Communication* p = s.panel();
    QCOMPARE(p->cmb_Porta->itemData(0).toString(), s.demo->port()); // on top, chosen
    QCOMPARE(p->cmb_Porta->currentIndex(), 0);
    bool lit = false;
    connect(&s.state.link, &DeviceLink::activityChanged, p,
            [&](bool) { lit |= p->Spia->colourValue() == app::lamp::Red; });

    QVERIFY(s.open());
    QCOMPARE(p->Check1->text(), u"Chiudi Com"_s);
    QCOMPARE(p->lbl_device->text() + u' ' + p->lbl_device_1->text(), "ID=12/3 RSX 7131 B");
    QVERIFY(lit); // while the device talks
    QCOMPARE(p->bar->value(), p->bar->maximum());
    QCOMPARE(s.count("$V"), 2); // opening reads the configuration twice

    // In English the name stays and the captions change; an open port closes without a word.
    s.window->shell().chooseLanguage(1);
    QCOMPARE(p->Check1->text() + u'|' + p->lbl_device_1->text(), u"Close Com|RSX 7131 B"_s);
    p->Check1->click();
    QVERIFY(!s.window->shell().portOpen());
    QCOMPARE(p->Check1->text(), u"Open Com"_s);
    QVERIFY(s.prompter.questions().isEmpty());
}

// A typed port that does not exist: the box and the status line say so, in each language.
void TestDesktop::openFailureClearsSwitch() {
    Session s;
    s.panel()->cmb_Porta->setEditText(u"/dev/vantelso-no-such-port"_s);
    for (int language : {0, 1}) {
        const FailingRow row(language ? "English" : "Italian");
        s.chooseLanguage(language);
        s.prompter.clear();
        QVERIFY(!s.open());
        QVERIFY(!s.panel()->Check1->isChecked());
        QCOMPARE(s.panel()->Check1->text(), language ? "Open Com" : "Apri Com");
        const QString missing =
            language ? u"Serial port /dev/vantelso-no-such-port does not exist. Check the cable "
                       u"or choose another port."_s
                     : u"La porta seriale /dev/vantelso-no-such-port non esiste. Controllare il "
                       u"cavo o scegliere un'altra porta."_s;
        QCOMPARE(s.prompter.texts(), QStringList{missing});
        QCOMPARE(s.prompter.questions().first().icon, Prompter::Icon::Critical);
        QCOMPARE(s.panel()->lbl_status->text(), missing);
    }
}

// A device gone from under the panel: the panel says so and offers to reconnect, with the
// option to do so by itself, which the shell follows.
void TestDesktop::vanishedDeviceLeavesPanelUsable() {
    Session s(u"RSX7030"_s);
    Communication* p = s.panel();
    QVERIFY(s.open());
    s.demo->device()->injectFault({.kind = sim::Fault::Kind::Vanish, .match = {}});
    p->cmd_read->click(); // every retry question is answered Cancel
    QTRY_VERIFY(!s.window->shell().portOpen() && !p->Check1->isChecked());
    QVERIFY(p->cmb_Porta->isEnabled());
    // The status line says what happened, and follows the language.
    // Reconnection is offered, and waits for the adapter.
    QTRY_VERIFY(p->cmd_reconnect->isVisible() && !p->cmd_reconnect->isEnabled());
    s.chooseLanguage(1);
    QCOMPARE(p->lbl_status->text(), u"The device on sim:RSX7030 was disconnected. Plug the "
                                    u"adapter in again to reconnect."_s);
    QCOMPARE(p->cmd_reconnect->text(), u"Reconnect"_s);
    QVERIFY(p->chk_autoreconnect->isVisible());
    QCOMPARE(p->chk_autoreconnect->text(), u"Reconnect automatically"_s);
    p->chk_autoreconnect->click();
    QVERIFY(s.window->shell().autoReconnect());
    s.chooseLanguage(0);
    QCOMPARE(p->Spia->colourValue(), app::lamp::Green);
    QCOMPARE(p->Check1->text(), u"Apri Com"_s);

    // The device comes back: it went away before it could identify itself again, so it is
    // still known as the one that answered before. Exit closes the port.
    s.demo->device()->revive();
    QVERIFY(s.window->shell().reconnect());
    QVERIFY(!p->cmd_reconnect->isVisible() && p->Check1->isChecked());
    QCOMPARE(p->lbl_device_1->text(), u"RSX 7030"_s);
    s.window->mainMenu().exit->trigger();
    QVERIFY(s.state.flags.exiting && !s.window->shell().portOpen() && !s.window->isVisible());

    // Closing the panel's own window ends the program too.
    Session t;
    t.window->panelWindow()->close();
    QTRY_VERIFY(!t.window->isVisible() && t.state.flags.exiting);
}

// The port goes away under a running measurement: the measurement window says its values
// are stale and its lamps go grey, the device box names no device, the commands that need one
// are unavailable; a save is what the status line reports.
void TestDesktop::staleStateAfterUnplug() {
    Session s(u"RSX7131B"_s);
    QVERIFY(s.open());
    Communication* p = s.panel();
    QTemporaryDir dir;
    s.answerFile(s.window->mainMenu().saveAs, dir.filePath(u"b.VNT"_s));
    QVERIFY(p->lbl_status->text().startsWith(u"Configurazione salvata in "_s));

    FrmMisura* m = s.window->measureWindow();
    int frames = 0;
    QString running; // the start button's caption and the window's state, while measuring
    connect(&m->measurement(), &measure::Measurement::frameShown, m, [&] {
        if (++frames != 3)
            return;
        running = p->cmd_start->text() + u'|' + m->lbl_state->text();
        // While streaming.
        s.demo->device()->injectFault({.kind = sim::Fault::Kind::Vanish, .match = "A"});
    });
    m->startMeasure(); // returns when the measurement has ended
    QVERIFY(frames >= 3 && !m->running());
    QCOMPARE(running, u"Arresta|In misura"_s);
    QVERIFY(!m->txt_misura_in[0]->text().isEmpty());
    QCOMPARE(m->lbl_state->text(), u"Valori non aggiornati: la misura si è interrotta."_s);
    for (Lamp* led : m->Led)
        QCOMPARE(led->colourValue(), measure::colour::Grey);
    QCOMPARE(p->cmd_start->text(), u"Avvia"_s);
    QTRY_VERIFY(!s.window->shell().portOpen() && !p->Check1->isChecked());
    QTRY_COMPARE(p->lbl_device->text() + u'|' + p->lbl_device_1->text(), u"|Nessun dispositivo"_s);
    QVERIFY(!p->cmd_read->isEnabled() && !p->cmd_write->isEnabled() && !p->cmd_start->isEnabled());
    QVERIFY(!s.window->mainMenu().read->isEnabled() && !m->Cmd_StartRead->isEnabled());

    // Back again: the old values stay marked until a new measurement starts from empty
    // fields.
    s.demo->device()->revive();
    QVERIFY(s.open() && !p->cmd_reconnect->isVisible());
    QCOMPARE(p->lbl_device_1->text(), u"RSX 7131 B"_s);
    QVERIFY(m->lbl_state->text().startsWith(u"Valori non aggiornati"_s));
    bool emptyAtStart = false;
    connect(&m->measurement(), &measure::Measurement::rangesReady, m, [&] {
        emptyAtStart = m->txt_misura_in[0]->text().isEmpty();
        m->stopMeasure();
    });
    m->startMeasure();
    QVERIFY(emptyAtStart);
    QCOMPARE(m->lbl_state->text(), u"Ferma"_s);
    // With no port, a read says so instead of naming an empty port.
    p->Check1->click();
    s.window->shell().read();
    QCOMPARE(p->lbl_status->text(), u"Nessun dispositivo risponde: la porta non è aperta."_s);
}

// Exit with edits neither written nor saved asks Save / Discard / Cancel; without edits, or
// after a write or a save, it asks nothing.
void TestDesktop::exitAsksBeforeDroppingEdits() {
    using A = Prompter::Answer;
    QTemporaryDir dir;
    // The case, what is typed into channel A's input end (empty: no edit), written to the
    // device or not, the answer to the question, whether the program ends.
    const std::tuple<const char*, const char*, bool, A, bool> rows[] = {
        {"no edit", "", false, A::Cancel, true},     {"cancel", "300", false, A::Cancel, false},
        {"discard", "300", false, A::Discard, true}, {"save", "300", false, A::Save, true},
        {"written", "300", true, A::Cancel, true},
    };
    for (const auto& [name, edit, written, answer, closes] : rows) {
        const FailingRow row(name);
        Session s(u"RSX7030"_s);
        QVERIFY(s.open());
        if (*edit)
            s.type("txt_Input_max", QString::fromLatin1(edit));
        if (written) {
            s.prompter.setFallback(A::Ok);
            s.panel()->cmd_write->click();
            s.prompter.setFallback(A::Cancel);
        }
        const QString path = dir.filePath(QString::fromLatin1(name) + u".VNT"_s);
        s.prompter.push(answer);
        s.answerFile(s.window->mainMenu().exit, path);
        QCOMPARE(s.window->isVisible(), !closes);
        QCOMPARE(s.state.flags.exiting, closes);
        const bool asked = *edit && !written;
        QCOMPARE(s.prompter.questions().size(), asked ? 1 : 0);
        if (asked)
            QCOMPARE(s.prompter.questions().first().buttons, Prompter::Buttons::SaveDiscardCancel);
        QCOMPARE(QFileInfo::exists(path), answer == A::Save && asked);
    }
}

// Every window a user meets, walked widget by widget, shows texts of one language only: no
// caption of the interface's language is missing from its table, none comes from the other
// language's table. Numbers, units and the catalogue's type names read the same in both.
void TestDesktop::oneLanguagePerWindow_data() {
    QTest::addColumn<int>("language");
    QTest::newRow("Italian") << 0;
    QTest::newRow("English") << 1;
}

void TestDesktop::oneLanguagePerWindow() {
    QFETCH(int, language);
    Session s(u"RSX7131B"_s);
    QVERIFY(s.open());
    s.chooseLanguage(1 - language); // the other one first: captions must switch both ways
    s.chooseLanguage(language);
    const StringTable& table = StringTable::builtIn();
    // Captions that read the same in both languages.
    QSet<QString> neutral = {
        "File",     "Collaudo", "EEprom", "Taratura", "Test", "OK",  "CJC", "Burn-out",
        "Max",      "Min",      "Hi",     "Lo",       "Freq", "A",   "B",   "H",
        "L",        "Zero",     "SWITCH", "Off",      "On",   "Ext", "Int", "Lingua / Language",
        "Italiano", "English",  "COM",    "sec.",     "= A",  "= B", "A+B", "A-B",
        "A*B",      "A/B",      "MAX",    "MIN",      "s",    "°C",  "°F",  "---",
        "ERR",      "EEPROM",   "2w",     "3w",       "2/4w", "CSV"};
    // The texts of each language: the language section and the program's own blocks.
    QSet<QString> mine, theirs;
    for (int id : table.ids()) {
        const QString t = table.text(id).section(u'%', 0, 0).trimmed();
        if (id >= 1000)
            neutral.insert(table.text(id).trimmed());
        else if (id >= 31 && !t.isEmpty())
            ((id / 300) % 2 == language ? mine : theirs).insert(t);
    }
    // Qt's own items of the frames' system menus, in the language of the moment.
    for (const char* item :
         {"&Restore", "&Move", "&Size", "Mi&nimize", "Ma&ximize", "Stay on &Top", "&Close"})
        neutral.insert(QCoreApplication::translate("QMdiSubWindow", item).remove(u'&'));
    theirs.subtract(mine);
    Catalogue cat;
    cat.Init(s.state.link.identity);
    for (int code = 0; code < 64; ++code)
        neutral << cat.Input(code).name << cat.Input(code).unit << cat.Input(code).unitFahrenheit
                << cat.Output(code).name << cat.Output(code).unit;

    for (QMdiSubWindow* frame : {s.window->programSubWindow(), s.window->measureSubWindow(),
                                 s.window->switchSubWindow(), s.window->compareSubWindow()})
        frame->show();
    s.window->showAbout();
    s.window->showCommLog();
    QStringList wrong;
    int checked = 0;
    const auto check = [&](const QString& where, QString text) {
        text = text.remove(u'&').trimmed();
        ++checked;
        if (text.isEmpty() || neutral.contains(text) || text.contains(QRegularExpression("\\d")))
            return;
        if (theirs.contains(text) || !mine.contains(text))
            wrong << where + u": \""_s + text + u'"';
    };
    const QRegularExpression benchWindow(
        u"^(frm_tara|Frm_5035|frm_test|frm_verifica|interfaccia_strum_ver|frm_eeprom)_window$"_s);
    for (QWidget* root : QList<QWidget*>{s.window.get(), s.window->aboutBox(),
                                         s.window->languageDialog(), s.window->operatorDialog()}) {
        for (QWidget* w : QList<QWidget*>{root} + root->findChildren<QWidget*>()) {
            // The factory bench windows keep their fixed Italian texts.
            bool bench = false;
            for (QWidget* up = w; up && !bench; up = up->parentWidget())
                bench = benchWindow.match(up->objectName()).hasMatch();
            if (bench || !w->isVisibleTo(root))
                continue;
            const QString name = w->objectName();
            if (auto* b = qobject_cast<QAbstractButton*>(w))
                check(name, b->text());
            else if (auto* g = qobject_cast<QGroupBox*>(w))
                check(name, g->title());
            else if (auto* l = qobject_cast<QLabel*>(w))
                check(name, l->text());
            if (w->isWindow() || qobject_cast<QMdiSubWindow*>(w))
                check(name + u" title"_s, w->windowTitle());
            if (!w->toolTip().isEmpty())
                check(name + u" tip"_s, w->toolTip());
            for (QAction* a : w->actions())
                if (!a->isSeparator() && a->objectName() != QLatin1String("mnu_language"))
                    check(a->objectName(), a->text());
        }
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
    QVERIFY2(checked > 200, qPrintable(QString::number(checked))); // the walk reached the windows
}

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
