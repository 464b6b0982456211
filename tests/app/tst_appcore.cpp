#include "captions.h"
#include "demodevice.h"
#include "portlist.h"
#include "scriptedprompter.h"
#include "shell.h"
#include "simdevice.h"
#include "systeminfo.h"

#include <QSignalSpy>
#include <QTest>

using namespace vantelso;
using namespace vantelso::app;

namespace {

// A view that records what the shell asks of it.
class RecordingView : public ShellView {
public:
    QStringList calls;
    QList<PortEntry> ports;
    int selected = -1;
    QString typed;
    bool ticked = false;
    ShellCaptions captions;
    QString status;
    bool statusProblem = false;

    void disableFactoryMenu() override { calls << QStringLiteral("factoryMenu"); }
    void setPortList(const QList<PortEntry>& entries, int sel) override {
        calls << QStringLiteral("portList");
        ports = entries;
        selected = sel;
        typed = entries.value(sel).label;
    }
    void loadWindowsHidden() override { calls << QStringLiteral("load"); }
    void applyCaptions(const ShellCaptions& c) override {
        calls << QStringLiteral("captions");
        captions = c;
    }
    void setButtonImages(bool) override { calls << QStringLiteral("images"); }
    void setProgress(int, int) override { calls << QStringLiteral("progress"); }
    void placeWindows() override { calls << QStringLiteral("place"); }
    void showPanel() override { calls << QStringLiteral("show"); }
    QString portText() const override { return typed; }
    void setPortSwitch(bool t) override { ticked = t; }
    void showPortStatus(const QString& text, bool problem) override {
        status = text;
        statusProblem = problem;
    }
    void toggleProgramWindow() override { calls << QStringLiteral("toggleProgram"); }

    QString caption(Window w, const char* control) const {
        return captions.controls.value(w).value(QLatin1String(control));
    }
};

} // namespace

class TestAppCore : public QObject {
    Q_OBJECT

private slots:
    void portList_data();
    void portList();
    void portForText_data();
    void portForText();

    void captions_data();
    void captions();
    void everyCaptionIdInBothLanguages();
    void windowTitles();
    void deviceLabels_data();
    void deviceLabels();
    void brandDetails_data();
    void brandDetails();
    void switchView_data();
    void switchView();

    void systemInfoTool_data();
    void systemInfoTool();
    void aboutUrls();

    void startUpOrderAndState();
    void startUpWithBrand();
    void openFailureReportsPortInUse();
    void clearingClosedSwitchReportsPortInUse();
    void openReadsTwiceAndShowsDevice_data();
    void openReadsTwiceAndShowsDevice();
    void languageChoiceRecaptions();
    void vanishedDeviceClosesPort();
};

void TestAppCore::portList_data() {
    QTest::addColumn<QList<PortDescription>>("found");
    QTest::addColumn<PortEntry>("demo");
    QTest::addColumn<QStringList>("extraLabels"); // rows after the demo entry and COM1..16
    QTest::addColumn<bool>("demoFirst");

    QTest::newRow("nothing found")
        << QList<PortDescription>{} << PortEntry{} << QStringList{} << false;
    QTest::newRow("usb adapter") << QList<PortDescription>{{QStringLiteral("/dev/ttyUSB0"),
                                                            QStringLiteral("FTDI FT232R")}}
                                 << PortEntry{}
                                 << QStringList{QStringLiteral("/dev/ttyUSB0 - FTDI FT232R")}
                                 << false;
    QTest::newRow("no description")
        << QList<PortDescription>{{QStringLiteral("/dev/ttyACM0"), QString()}} << PortEntry{}
        << QStringList{QStringLiteral("/dev/ttyACM0")} << false;
    QTest::newRow("demo first") << QList<PortDescription>{}
                                << PortEntry{QStringLiteral("/dev/pts/4 (demo RSX7030)"),
                                             QStringLiteral("/dev/pts/4"),
                                             QStringLiteral("demo RSX7030")}
                                << QStringList{} << true;
#ifndef Q_OS_WIN
    // COM1 already stands for /dev/ttyS0: it is not listed twice.
    QTest::newRow("ttyS0 is COM1")
        << QList<PortDescription>{{QStringLiteral("/dev/ttyS0"), QStringLiteral("16550A")},
                                  {QStringLiteral("/dev/ttyUSB1"), QStringLiteral("CP2102")}}
        << PortEntry{} << QStringList{QStringLiteral("/dev/ttyUSB1 - CP2102")} << false;
#endif
}

void TestAppCore::portList() {
    QFETCH(QList<PortDescription>, found);
    QFETCH(PortEntry, demo);
    QFETCH(QStringList, extraLabels);
    QFETCH(bool, demoFirst);

    const QList<PortEntry> list = BuildPortList(found, demo);
    const int first = demoFirst ? 1 : 0;
    QCOMPARE(list.size(), first + 16 + extraLabels.size());
    if (demoFirst)
        QCOMPARE(list.first().port, demo.port);
    for (int n = 1; n <= 16; ++n) {
        QCOMPARE(list[first + n - 1].label, QStringLiteral("COM%1").arg(n));
        QCOMPARE(list[first + n - 1].port, QStringLiteral("COM%1").arg(n));
    }
    for (int i = 0; i < extraLabels.size(); ++i)
        QCOMPARE(list[first + 16 + i].label, extraLabels[i]);
}

void TestAppCore::portForText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("port");
    QTest::newRow("first") << "COM1"
                           << "COM1";
    QTest::newRow("sixteenth") << "COM16"
                               << "COM16";
    QTest::newRow("lower case") << "com3"
                                << "COM3";
    QTest::newRow("label with description") << "/dev/ttyUSB0 - FTDI FT232R"
                                            << "/dev/ttyUSB0";
    QTest::newRow("typed path") << "  /dev/ttyACM7 "
                                << "/dev/ttyACM7";
    QTest::newRow("empty") << ""
                           << "";
}

void TestAppCore::portForText() {
    QFETCH(QString, text);
    QFETCH(QString, port);
    const auto list =
        BuildPortList({{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FTDI FT232R")}});
    QCOMPARE(PortForText(list, text), port);
}

void TestAppCore::captions_data() {
    QTest::addColumn<Window>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("italian");
    QTest::addColumn<QString>("english");

    const auto P = Window::Principale;
    const auto C = Window::Communication;
    QTest::newRow("Check1 open") << C << "Check1" << false << "Apri Com"
                                 << "Open Com";
    QTest::newRow("Check1 close") << C << "Check1" << true << "Chiudi Com"
                                  << "Close Com";
    QTest::newRow("panel exit") << C << "mnu_exit" << false << "Esci"
                                << "Exit";
    QTest::newRow("main exit") << P << "mnu_exit" << false << "Esci"
                               << "Exit";
    QTest::newRow("open") << C << "mnu_open" << false << "Apri..."
                          << "Open...";
    QTest::newRow("save") << P << "mnu_save" << false << "Salva"
                          << "Save";
    QTest::newRow("save as") << P << "mnu_saveas" << false << "Salva con nome..."
                             << "Save as...";
    QTest::newRow("about") << C << "mnu_about" << false << "Info su"
                           << "About";
    QTest::newRow("read button") << C << "cmd_read" << false << "Leggi"
                                 << "Read";
    QTest::newRow("write item") << P << "mnu_write" << false << "Scrivi"
                                << "Write";
    QTest::newRow("view program") << C << "cmd_modo_0" << false << "Programma"
                                  << "Program";
    QTest::newRow("view measure") << P << "mnu_measure" << false << "Misura"
                                  << "Measure";
    QTest::newRow("device frame") << C << "fra_device" << false << "Dispositivo"
                                  << "Device";
    QTest::newRow("factory stays Italian") << P << "mnu_taratura" << false << "Taratura"
                                           << "Taratura";
    QTest::newRow("manual link") << Window::About << "lbl_Link_1" << false << "Manuale Utente"
                                 << "User Guide";
    QTest::newRow("flag option") << Window::Language << "opt_lang_1" << false << "English"
                                 << "English";
}

void TestAppCore::captions() {
    QFETCH(Window, window);
    QFETCH(QString, control);
    QFETCH(bool, ticked);
    QFETCH(QString, italian);
    QFETCH(QString, english);

    Texts texts;
    QCOMPARE(BuildCaptions(window, texts, ticked).value(control), italian);
    texts.setLanguage(Texts::English);
    QCOMPARE(BuildCaptions(window, texts, ticked).value(control), english);
    texts.setLanguage(Texts::Italian);
    QCOMPARE(BuildCaptions(window, texts, ticked).value(control), italian);
}

void TestAppCore::everyCaptionIdInBothLanguages() {
    const StringTable& table = StringTable::builtIn();
    for (Window w : {Window::Principale, Window::Communication, Window::Language, Window::About}) {
        for (const LanguageCaption& c : LanguageCaptions(w)) {
            QVERIFY2(table.contains(c.baseId), c.control);
            QVERIFY2(table.contains(c.baseId + 300), c.control);
        }
        // No control is named twice with different texts.
        QSet<QString> names;
        for (const LanguageCaption& c : LanguageCaptions(w)) {
            QVERIFY2(!names.contains(QLatin1String(c.control)), c.control);
            names.insert(QLatin1String(c.control));
        }
        for (const FixedCaption& c : FixedCaptions(w)) {
            QVERIFY2(!names.contains(QLatin1String(c.control)), c.control);
            names.insert(QLatin1String(c.control));
        }
    }
}

void TestAppCore::windowTitles() {
    Texts texts;
    QCOMPARE(WindowTitle(Window::Communication, texts), QStringLiteral("VANTELSO v.2.7"));
    QCOMPARE(WindowTitle(Window::Principale, texts), QStringLiteral("VANTELSO v.2.7"));
    QCOMPARE(WindowTitle(Window::About, texts), QStringLiteral("Info su VANTELSO v.2.7"));
    texts.setBrand(3);
    QCOMPARE(WindowTitle(Window::Communication, texts), QStringLiteral("KELMA-02 v.2.7"));
    texts.setLanguage(Texts::English);
    QCOMPARE(WindowTitle(Window::About, texts), QStringLiteral("About KELMA-02 v.2.7"));
}

void TestAppCore::deviceLabels_data() {
    QTest::addColumn<int>("brand");
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("variant"); // -1: not read
    QTest::addColumn<QString>("previous");
    QTest::addColumn<QString>("idLabel");
    QTest::addColumn<QString>("name");

    QTest::newRow("start-up") << 0 << 0 << -1 << ""
                              << "ID=12/0"
                              << "RSX 7030";
    QTest::newRow("model 1 shares 7030") << 0 << 1 << -1 << ""
                                         << "ID=12/1"
                                         << "RSX 7030";
    QTest::newRow("7131 B") << 0 << 3 << 0x20 << ""
                            << "ID=12/3"
                            << "RSX 7131 B";
    QTest::newRow("7031 C") << 0 << 6 << 0x60 << ""
                            << "ID=12/6"
                            << "RSX 7031 C";
    QTest::newRow("letter unknown keeps name") << 0 << 3 << -1 << "RSX 7030"
                                               << "ID=12/3"
                                               << "RSX 7030";
    QTest::newRow("frequency model") << 0 << 7 << -1 << ""
                                     << "ID=12/7"
                                     << "RSX 7040";
    QTest::newRow("model 9") << 0 << 9 << -1 << ""
                             << "ID=12/9"
                             << "RSX 5035";
    QTest::newRow("brand 2") << 2 << 2 << 0x40 << ""
                             << "ID=12/2"
                             << "KV-7132 A";
    QTest::newRow("brand 3 named") << 3 << 0 << -1 << ""
                                   << "ID=12/0"
                                   << "NR6126";
    // Brand 3 has no name for the 7132 family: the family name stays.
    QTest::newRow("brand 3 family only") << 3 << 2 << 0x40 << "x"
                                         << "ID=12/2"
                                         << "RSX 7132";
    QTest::newRow("unknown model keeps name") << 0 << 12 << -1 << "RSX 7040"
                                              << "ID=12/12"
                                              << "RSX 7040";
}

void TestAppCore::deviceLabels() {
    QFETCH(int, brand);
    QFETCH(int, model);
    QFETCH(int, variant);
    QFETCH(QString, previous);
    QFETCH(QString, idLabel);
    QFETCH(QString, name);

    Texts texts;
    texts.setBrand(brand);
    DeviceLabels before;
    before.displayName = previous;
    DeviceIdentity id;
    id.ModelByte = std::uint8_t(model);
    const auto v = variant < 0 ? std::nullopt : std::optional<std::uint8_t>(std::uint8_t(variant));
    const DeviceLabels after = UpdateDeviceLabels(before, texts, id, v);
    QCOMPARE(after.idLabel, idLabel);
    QCOMPARE(after.displayName, name);
}

void TestAppCore::brandDetails_data() {
    QTest::addColumn<int>("brand");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("web");
    QTest::addColumn<QString>("manual");
    QTest::addColumn<bool>("picture");

    QTest::newRow("0 it") << 0 << false << "www.merovan.example.com"
                          << "MT_ITA_VANTELSO_0114R00.pdf" << true;
    QTest::newRow("0 en") << 0 << true << "www.merovan.example.com"
                          << "MT_EN_VANTELSO_0114R00.pdf" << true;
    QTest::newRow("1 en, trailing blank") << 1 << true << ""
                                          << "MT_EN_AN_VANTELSO_0114R00.pdf" << false;
    QTest::newRow("2 it") << 2 << false << "www.castrel.example.com"
                          << "MT_ITA_CASTREL_VANTELSO_0114R00.pdf" << true;
    QTest::newRow("3 en") << 3 << true << "www.orvane.example.com"
                          << "MT_EN_NRKELMA02_0608R01.pdf" << true;
}

void TestAppCore::brandDetails() {
    QFETCH(int, brand);
    QFETCH(bool, english);
    QFETCH(QString, web);
    QFETCH(QString, manual);
    QFETCH(bool, picture);

    Texts texts;
    texts.setBrand(brand);
    texts.setLanguage(english ? Texts::English : Texts::Italian);
    const ShellCaptions c = BuildShellCaptions(texts, {}, 0, false);
    QCOMPARE(c.webAddress, web);
    QCOMPARE(c.manualFile, manual);
    QCOMPARE(c.showBrandPicture, picture);
    QCOMPARE(c.brandIcon, picture ? brand : -1);
}

void TestAppCore::switchView_data() {
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("available");
    for (int m = 0; m <= 9; ++m)
        QTest::addRow("model %d", m) << m << (m != 9);
}

void TestAppCore::switchView() {
    QFETCH(int, model);
    QFETCH(bool, available);
    QCOMPARE(SwitchViewAvailable(std::uint8_t(model)), available);
    Texts texts;
    QCOMPARE(BuildShellCaptions(texts, {}, std::uint8_t(model), false).switchViewAvailable,
             available);
}

void TestAppCore::systemInfoTool_data() {
    QTest::addColumn<QString>("toolPath");     // "PATH" of the tool's key; empty = absent
    QTest::addColumn<QString>("sharedFolder"); // "MSINFO" of the shared location
    QTest::addColumn<bool>("fileThere");
    QTest::addColumn<QString>("expected"); // empty = not available

    QTest::newRow("tool key") << "C:\\msinfo\\msinfo32.exe"
                              << "C:\\shared" << true << "C:\\msinfo\\msinfo32.exe";
    QTest::newRow("shared folder") << ""
                                   << "C:\\shared" << true << "C:\\shared\\MSINFO32.EXE";
    QTest::newRow("shared folder, no file") << ""
                                            << "C:\\shared" << false << "";
    QTest::newRow("nothing") << ""
                             << "" << true << "";
}

void TestAppCore::systemInfoTool() {
    QFETCH(QString, toolPath);
    QFETCH(QString, sharedFolder);
    QFETCH(bool, fileThere);
    QFETCH(QString, expected);

    QStringList asked;
    const RegistryReader reg = [&](const QString& key,
                                   const QString& value) -> std::optional<QString> {
        asked << key + u'|' + value;
        if (key == QLatin1String("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO") &&
            value == QLatin1String("PATH") && !toolPath.isEmpty())
            return toolPath;
        if (key == QLatin1String("SOFTWARE\\Microsoft\\Shared Tools Location") &&
            value == QLatin1String("MSINFO") && !sharedFolder.isEmpty())
            return sharedFolder;
        return std::nullopt;
    };
    const auto found = FindSystemInfoTool(reg, [&](const QString&) { return fileThere; });
    QCOMPARE(found.value_or(QString()), expected);
    QCOMPARE(asked.first(), QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH"));
#ifndef Q_OS_WIN
    QVERIFY(!FindSystemInfoTool(NativeRegistryReader(), [](const QString&) { return true; }));
#endif
    QCOMPARE(SystemInfoUnavailableText(),
             QStringLiteral("Le informazioni sul sistema non sono attualmente disponibili."));
}

void TestAppCore::aboutUrls() {
    const QUrl web = WebAddressUrl(QStringLiteral("www.merovan.example.com"));
    QCOMPARE(web.host(), QStringLiteral("www.merovan.example.com"));
    QVERIFY(web.scheme().startsWith(QLatin1String("http")));
    QVERIFY(WebAddressUrl(QStringLiteral(" ")).isEmpty());
    const QUrl manual =
        ManualUrl(QStringLiteral("MT_EN_VANTELSO_0114R00.pdf "), QDir(QStringLiteral("/opt/x")));
    QVERIFY(manual.isLocalFile());
    QCOMPARE(manual.toLocalFile(), QStringLiteral("/opt/x/MT_EN_VANTELSO_0114R00.pdf"));
}

void TestAppCore::startUpOrderAndState() {
    ScriptedPrompter prompter;
    AppState state(&prompter);
    state.link.identity.ModelByte = 5; // left over from nothing: start-up resets it
    state.flags.measuring = true;
    RecordingView view;
    Shell shell(state, view);
    shell.startUp();

    QCOMPARE(view.calls, (QStringList{"factoryMenu", "portList", "load", "captions", "images",
                                      "progress", "place", "show"}));
    QVERIFY(view.ports.size() >= 16);
    QCOMPARE(view.ports.first().label, QStringLiteral("COM1"));
    QCOMPARE(view.ports[15].label, QStringLiteral("COM16"));
    QCOMPARE(view.selected, 0);
    QCOMPARE(state.link.identity, DeviceIdentity{});
    QCOMPARE(view.captions.device.idLabel, QStringLiteral("ID=12/0"));
    QCOMPARE(view.captions.device.displayName, QStringLiteral("RSX 7030"));
    QCOMPARE(view.caption(Window::Communication, "Check1"), QStringLiteral("Apri Com"));
    QCOMPARE(state.texts.langIndex(), int(Texts::Italian));
    QCOMPARE(state.texts.brandIndex(), 0);
    QCOMPARE(state.flags.LastChannel, 1);
    QVERIFY(!state.flags.measuring);
    QVERIFY(!state.flags.exiting);
    QVERIFY(!shell.portOpen());
    QVERIFY(prompter.questions().isEmpty());
    QCOMPARE(state.webAddress, QStringLiteral("www.merovan.example.com"));
}

void TestAppCore::startUpWithBrand() {
    ScriptedPrompter prompter;
    AppState state(&prompter);
    RecordingView view;
    Shell shell(state, view);
    shell.startUp(StartOptions{2});
    QCOMPARE(state.texts.brandIndex(), 2);
    QCOMPARE(view.captions.device.displayName, QStringLiteral("KV-7030"));
    QCOMPARE(view.captions.titles.value(Window::Communication), QStringLiteral("VANTELSO v.2.7"));
}

void TestAppCore::openFailureReportsPortInUse() {
    ScriptedPrompter prompter;
    AppState state(&prompter);
    RecordingView view;
    Shell shell(state, view);
    shell.startUp();
    view.typed = QStringLiteral("/dev/vantelso-no-such-port");
    shell.portSwitchClicked(true);

    QVERIFY(!shell.portOpen());
    QVERIFY(!shell.portSwitchTicked());
    QVERIFY(!view.ticked);
    QCOMPARE(prompter.questions().size(), 1);
    const auto q = prompter.questions().first();
    QCOMPARE(q.icon, Prompter::Icon::Critical);
    QVERIFY(q.text.startsWith(QStringLiteral("Porta COM utilizzata da un altra applicazione")));
    // The transport's own reason follows.
    QVERIFY2(q.text.contains(QStringLiteral("/dev/vantelso-no-such-port")), qPrintable(q.text));
    QCOMPARE(view.caption(Window::Communication, "Check1"), QStringLiteral("Apri Com"));
}

void TestAppCore::clearingClosedSwitchReportsPortInUse() {
    ScriptedPrompter prompter;
    AppState state(&prompter);
    RecordingView view;
    Shell shell(state, view);
    shell.startUp();
    state.texts.setLanguage(Texts::English);
    shell.portSwitchClicked(false);
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("COM Port already in use")});
    QCOMPARE(view.caption(Window::Communication, "Check1"), QStringLiteral("Open Com"));
}

void TestAppCore::openReadsTwiceAndShowsDevice_data() {
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("idLabel");
    QTest::addColumn<QString>("name");
    QTest::newRow("RSX7030") << "RSX7030"
                             << "ID=12/0"
                             << "RSX 7030";
    QTest::newRow("RSX7131B") << "RSX7131B"
                              << "ID=12/3"
                              << "RSX 7131 B";
    QTest::newRow("RSX7040") << "RSX7040"
                             << "ID=12/7"
                             << "RSX 7040";
}

void TestAppCore::openReadsTwiceAndShowsDevice() {
    QFETCH(QString, model);
    QFETCH(QString, idLabel);
    QFETCH(QString, name);

    QString why;
    auto demo = DemoDevice::create(model, &why, /*allowPty=*/false);
    QVERIFY2(demo, qPrintable(why));
    ScriptedPrompter prompter;
    AppState state(&prompter);
    RecordingView view;
    Shell shell(state, view, demo.get());
    QSignalSpy reads(&shell, &Shell::configurationRead);
    shell.startUp();
    QCOMPARE(view.ports.first().port, demo->port());
    QCOMPARE(view.selected, 0);

    shell.portSwitchClicked(true);
    QVERIFY(shell.portOpen());
    QVERIFY(view.ticked);
    QCOMPARE(reads.size(), 2);
    QVERIFY(prompter.questions().isEmpty());
    QCOMPARE(view.captions.device.idLabel, idLabel);
    QCOMPARE(view.captions.device.displayName, name);
    QCOMPARE(view.caption(Window::Communication, "Check1"), QStringLiteral("Chiudi Com"));
    QVERIFY(state.lastRead.has_value());
    QCOMPARE(state.lastRead->model, model);
    const auto log = demo->device()->commandLog();
    QCOMPARE(std::count_if(log.begin(), log.end(),
                           [](const QByteArray& c) { return c.startsWith("$V"); }),
             qsizetype(2));

    shell.portSwitchClicked(false);
    QVERIFY(!shell.portOpen());
    QVERIFY(prompter.questions().isEmpty()); // an open port closes without a word
    QCOMPARE(view.caption(Window::Communication, "Check1"), QStringLiteral("Apri Com"));
}

void TestAppCore::languageChoiceRecaptions() {
    ScriptedPrompter prompter;
    AppState state(&prompter);
    RecordingView view;
    Shell shell(state, view);
    shell.startUp();
    shell.chooseLanguage(1);
    QCOMPARE(view.caption(Window::Principale, "mnu_exit"), QStringLiteral("Exit"));
    QCOMPARE(state.link.texts().communicationError, QStringLiteral("Communication error"));
    QCOMPARE(state.manualFile, QStringLiteral("MT_EN_VANTELSO_0114R00.pdf"));
    shell.chooseLanguage(0);
    QCOMPARE(view.caption(Window::Principale, "mnu_exit"), QStringLiteral("Esci"));
    QCOMPARE(state.link.texts().communicationError, QStringLiteral("Errore di comunicazione"));
    QCOMPARE(state.manualFile, QStringLiteral("MT_ITA_VANTELSO_0114R00.pdf"));
}

void TestAppCore::vanishedDeviceClosesPort() {
    QString why;
    auto demo = DemoDevice::create(QStringLiteral("RSX7030"), &why, false);
    QVERIFY(demo);
    ScriptedPrompter prompter; // every retry question is answered Cancel
    AppState state(&prompter);
    RecordingView view;
    Shell shell(state, view, demo.get());
    shell.startUp();
    shell.portSwitchClicked(true);
    QVERIFY(shell.portOpen());

    sim::Fault f;
    f.kind = sim::Fault::Kind::Vanish;
    demo->device()->injectFault(f);
    QVERIFY(!shell.read());
    QTRY_VERIFY(!shell.portOpen());
    QTRY_VERIFY(!view.ticked);
    QVERIFY(view.statusProblem);
    QVERIFY(!view.status.isEmpty());
    QCOMPARE(view.caption(Window::Communication, "Check1"), QStringLiteral("Apri Com"));

    // The panel stays usable: the device comes back and the port opens again.
    demo->device()->revive();
    shell.portSwitchClicked(true);
    QVERIFY(shell.portOpen());
}

QTEST_GUILESS_MAIN(TestAppCore)
#include "tst_appcore.moc"
