#include "captions.h"
#include "portlist.h"
#include "scriptedprompter.h"
#include "shell.h"
#include "systeminfo.h"

#include <QTest>

using namespace vantelso;
using namespace vantelso::app;

namespace {

// A view that records what the shell asks of it.
class RecordingView : public ShellView {
public:
    QStringList calls;
    int selected = -1;
    ShellCaptions captions;

    void disableFactoryMenu() override { calls << QStringLiteral("factoryMenu"); }
    void setPortList(const QList<PortEntry>&, int sel) override {
        calls << QStringLiteral("portList");
        selected = sel;
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
    QString portText() const override { return {}; }
    void setPortSwitch(bool) override {}
    void showPortStatus(const QString&, bool) override {}
    void toggleProgramWindow() override {}

    QString caption(Window w, const char* control) const {
        return captions.controls.value(w).value(QLatin1String(control));
    }
};

// A started shell without a device.
struct Started {
    explicit Started(const StartOptions& options = {}) { shell.startUp(options); }
    ScriptedPrompter prompter;
    AppState state{&prompter};
    RecordingView view;
    Shell shell{state, view};
};

} // namespace

class TestAppCore : public QObject {
    Q_OBJECT

private slots:
    void portList();
    void everyCaptionIdInBothLanguages();
    void windowTitles();
    void deviceLabels();
    void brandDetails();
    void switchView();
    void systemInfoTool();
    void startUp();
    void clearingClosedSwitchReportsPortInUse();
    void languageChoiceRecaptions();
};

// The demo entry first, then COM1..COM16, then what was found that those do not stand for.
void TestAppCore::portList() {
    const QString usb = QStringLiteral("/dev/ttyUSB0");
    const PortEntry demo{QStringLiteral("/dev/pts/4 (demo RSX7030)"), QStringLiteral("/dev/pts/4"),
                         QStringLiteral("demo RSX7030")};
    const auto labels = [](const QList<PortEntry>& list) {
        QStringList out;
        for (const PortEntry& e : list)
            out << e.label;
        return out;
    };
    QStringList com;
    for (int n = 1; n <= 16; ++n)
        com << QStringLiteral("COM%1").arg(n);

    QCOMPARE(labels(BuildPortList({})), com);
    QCOMPARE(BuildPortList({}).last().port, QStringLiteral("COM16"));
    const QList<PortEntry> withDemo = BuildPortList({}, demo);
    QCOMPARE(labels(withDemo), QStringList{demo.label} + com);
    QCOMPARE(withDemo.first().port, demo.port);
    const QList<PortDescription> found{{usb, QStringLiteral("FTDI FT232R")},
                                       {QStringLiteral("/dev/ttyACM0"), QString()}};
    const QList<PortEntry> list = BuildPortList(found);
    const QStringList extra{usb + QStringLiteral(" - FTDI FT232R"), QStringLiteral("/dev/ttyACM0")};
    QCOMPARE(labels(list), com + extra);
#ifndef Q_OS_WIN
    // COM1 already stands for /dev/ttyS0: it is not listed twice.
    QCOMPARE(labels(BuildPortList({{QStringLiteral("/dev/ttyS0"), QStringLiteral("16550A")}})),
             com);
#endif
    // What the user typed or picked, to a port name.
    for (const auto& [text, port] :
         {std::pair("COM16", "COM16"), std::pair("com3", "COM3"),
          std::pair("/dev/ttyUSB0 - FTDI FT232R", "/dev/ttyUSB0"),
          std::pair("  /dev/ttyACM7 ", "/dev/ttyACM7"), std::pair("", "")})
        QCOMPARE(PortForText(list, QLatin1String(text)), QLatin1String(port));
}

void TestAppCore::everyCaptionIdInBothLanguages() {
    const StringTable& table = StringTable::builtIn();
    for (Window w : {Window::Principale, Window::Communication, Window::Language, Window::About}) {
        // Every text exists in both languages, and no control is named twice.
        QSet<QString> names;
        for (const LanguageCaption& c : LanguageCaptions(w)) {
            QVERIFY2(table.contains(c.baseId) && table.contains(c.baseId + 300), c.control);
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
    QCOMPARE(WindowTitle(Window::Principale, texts), QStringLiteral("VANTELSO v.2.7"));
    QCOMPARE(WindowTitle(Window::About, texts), QStringLiteral("Info su VANTELSO v.2.7"));
    texts.setBrand(3);
    QCOMPARE(WindowTitle(Window::Communication, texts), QStringLiteral("KELMA-02 v.2.7"));
    texts.setLanguage(Texts::English);
    QCOMPARE(WindowTitle(Window::About, texts), QStringLiteral("About KELMA-02 v.2.7"));
}

// The labels for a model byte and, when read, a variant byte; what is not known keeps the
// previous name.
void TestAppCore::deviceLabels() {
    const auto shown = [](int brand, int model, int variant, const char* previous) {
        Texts texts;
        texts.setBrand(brand);
        DeviceLabels before;
        before.displayName = QLatin1String(previous);
        DeviceIdentity id;
        id.ModelByte = std::uint8_t(model);
        const auto v = variant < 0 ? std::nullopt : std::optional<std::uint8_t>(variant);
        const DeviceLabels after = UpdateDeviceLabels(before, texts, id, v);
        return after.idLabel + u' ' + after.displayName;
    };
    QCOMPARE(shown(0, 1, -1, ""), QStringLiteral("ID=12/1 RSX 7030")); // shares the 7030's name
    QCOMPARE(shown(0, 3, 0x20, ""), QStringLiteral("ID=12/3 RSX 7131 B"));
    QCOMPARE(shown(0, 3, -1, "RSX 7030"), QStringLiteral("ID=12/3 RSX 7030"));
    QCOMPARE(shown(2, 2, 0x40, ""), QStringLiteral("ID=12/2 KV-7132 A"));
    // Brand 3 has no name for the 7132 family: the family name stays.
    QCOMPARE(shown(3, 2, 0x40, "x"), QStringLiteral("ID=12/2 RSX 7132"));
    QCOMPARE(shown(0, 12, -1, "RSX 7040"), QStringLiteral("ID=12/12 RSX 7040"));
}

// What the About box shows of each brand, and where its links lead.
void TestAppCore::brandDetails() {
    const auto details = [](int brand, Texts::Language language) {
        Texts texts;
        texts.setBrand(brand);
        texts.setLanguage(language);
        const ShellCaptions c = BuildShellCaptions(texts, {}, 0, false);
        const QUrl manual = ManualUrl(texts.manualFileName(), QDir(QStringLiteral("/opt/x")));
        return QStringList{c.webAddress,
                           WebAddressUrl(texts.webAddress()).host(),
                           c.manualFile,
                           manual.toLocalFile(),
                           QString::number(c.brandIcon),
                           c.showBrandPicture ? QStringLiteral("picture") : QString()};
    };
    // Blank web address and a manual name with a trailing blank.
    QCOMPARE(details(1, Texts::English),
             (QStringList{"", "", "MT_EN_AN_VANTELSO_0114R00.pdf",
                          "/opt/x/MT_EN_AN_VANTELSO_0114R00.pdf", "-1", ""}));
    QCOMPARE(details(2, Texts::Italian),
             (QStringList{"www.castrel.example.com", "www.castrel.example.com",
                          "MT_ITA_CASTREL_VANTELSO_0114R00.pdf",
                          "/opt/x/MT_ITA_CASTREL_VANTELSO_0114R00.pdf", "2", "picture"}));
    QCOMPARE(details(3, Texts::English),
             (QStringList{"www.orvane.example.com", "www.orvane.example.com",
                          "MT_EN_NRKELMA02_0608R01.pdf", "/opt/x/MT_EN_NRKELMA02_0608R01.pdf", "3",
                          "picture"}));
}

// Model byte 9 has no switch view.
void TestAppCore::switchView() {
    Texts texts;
    for (int model : {0, 8, 9}) {
        QCOMPARE(SwitchViewAvailable(std::uint8_t(model)), model != 9);
        QCOMPARE(BuildShellCaptions(texts, {}, std::uint8_t(model), false).switchViewAvailable,
                 model != 9);
    }
}

// The tool's own key first, then the shared tools folder if the file is there.
void TestAppCore::systemInfoTool() {
    const QString toolKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH");
    const QString sharedKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO");
    const auto find = [](const QMap<QString, QString>& registry, bool fileThere) {
        const RegistryReader reg = [&](const QString& key, const QString& value) {
            return registry.contains(key + u'|' + value)
                       ? std::optional<QString>(registry.value(key + u'|' + value))
                       : std::nullopt;
        };
        return FindSystemInfoTool(reg, [&](const QString&) { return fileThere; })
            .value_or(QString());
    };
    const QString shared = QStringLiteral("C:\\shared");
    const QString tool = QStringLiteral("C:\\msinfo\\msinfo32.exe");
    QCOMPARE(find({{toolKey, tool}, {sharedKey, shared}}, true), tool);
    QCOMPARE(find({{sharedKey, shared}}, true), QStringLiteral("C:\\shared\\MSINFO32.EXE"));
    QCOMPARE(find({{sharedKey, shared}}, false), QString());
    QCOMPARE(find({}, true), QString());
#ifndef Q_OS_WIN
    QVERIFY(!FindSystemInfoTool(NativeRegistryReader(), [](const QString&) { return true; }));
#endif
}

void TestAppCore::startUp() {
    ScriptedPrompter prompter;
    AppState state(&prompter);
    state.link.identity.ModelByte = 5; // left over from nothing: start-up resets it
    state.flags.measuring = true;
    RecordingView view;
    Shell shell(state, view);
    shell.startUp();

    QCOMPARE(view.calls, (QStringList{"factoryMenu", "portList", "load", "captions", "images",
                                      "progress", "place", "show"}));
    QCOMPARE(view.selected, 0);
    QCOMPARE(state.link.identity, DeviceIdentity{});
    QCOMPARE(view.captions.device.idLabel, QStringLiteral("ID=12/0"));
    QCOMPARE(state.flags.LastChannel, 1);
    QVERIFY(!state.flags.measuring && !state.flags.exiting && !shell.portOpen());
    QVERIFY(prompter.questions().isEmpty());

    Started branded(StartOptions{2});
    QCOMPARE(branded.view.captions.device.displayName, QStringLiteral("KV-7030"));
}

// Clearing the switch of a port that is not open reports the port in use.
void TestAppCore::clearingClosedSwitchReportsPortInUse() {
    Started s;
    s.state.texts.setLanguage(Texts::English);
    s.shell.portSwitchClicked(false);
    QCOMPARE(s.prompter.texts(), QStringList{QStringLiteral("COM Port already in use")});
    QCOMPARE(s.view.caption(Window::Communication, "Check1"), QStringLiteral("Open Com"));
}

// The language choice reaches the link's messages and the manual, both ways.
void TestAppCore::languageChoiceRecaptions() {
    Started s;
    s.shell.chooseLanguage(1);
    QCOMPARE(s.state.link.texts().communicationError, QStringLiteral("Communication error"));
    QCOMPARE(s.state.manualFile, QStringLiteral("MT_EN_VANTELSO_0114R00.pdf"));
    s.shell.chooseLanguage(0);
    QCOMPARE(s.state.link.texts().communicationError, QStringLiteral("Errore di comunicazione"));
    QCOMPARE(s.state.manualFile, QStringLiteral("MT_ITA_VANTELSO_0114R00.pdf"));
}

QTEST_GUILESS_MAIN(TestAppCore)
#include "tst_appcore.moc"
