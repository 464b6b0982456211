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
    ShellCaptions captions;

    void disableFactoryMenu() override { calls << QStringLiteral("factoryMenu"); }
    void setPortList(const QList<PortEntry>&, int) override { calls << QStringLiteral("portList"); }
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
};

// A shell without a device, not yet started.
struct Bench {
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
    void deviceLabels();
    void brandDetails();
    void systemInfoTool();
    void startUp();
    void closedSwitchAndLanguage();
};

// The demo entry first, then COM1..COM16, then what was found that those do not stand for.
void TestAppCore::portList() {
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

    QCOMPARE(labels(BuildPortList({}, demo)), QStringList{demo.label} + com);
    QCOMPARE(BuildPortList({}, demo).first().port, demo.port);
    const QList<PortEntry> list = BuildPortList({{QStringLiteral("/dev/ttyUSB0"), "FTDI FT232R"},
                                                 {QStringLiteral("/dev/ttyACM0"), QString()}});
    QCOMPARE(labels(list), com + QStringList({"/dev/ttyUSB0 - FTDI FT232R", "/dev/ttyACM0"}));
#ifndef Q_OS_WIN
    // COM1 already stands for /dev/ttyS0: it is not listed twice.
    QCOMPARE(labels(BuildPortList({{QStringLiteral("/dev/ttyS0"), "16550A"}})), com);
#endif
    // What the user typed or picked, to a port name.
    for (const auto& [text, port] :
         {std::pair("COM16", "COM16"), std::pair("com3", "COM3"),
          std::pair("/dev/ttyUSB0 - FTDI FT232R", "/dev/ttyUSB0"),
          std::pair("  /dev/ttyACM7 ", "/dev/ttyACM7"), std::pair("", "")})
        QCOMPARE(PortForText(list, QLatin1String(text)), QLatin1String(port));
}

// Every text exists in both languages, and no control is named twice.
void TestAppCore::everyCaptionIdInBothLanguages() {
    const StringTable& table = StringTable::builtIn();
    for (Window w : {Window::Principale, Window::Communication, Window::Language, Window::About}) {
        QStringList names;
        for (const LanguageCaption& c : LanguageCaptions(w)) {
            QVERIFY2(table.contains(c.baseId) && table.contains(c.baseId + 300), c.control);
            names << QLatin1String(c.control);
        }
        for (const FixedCaption& c : FixedCaptions(w))
            names << QLatin1String(c.control);
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    }
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
    // Model byte 9 has no switch view.
    for (int model : {0, 8, 9})
        QCOMPARE(BuildShellCaptions(Texts(), {}, std::uint8_t(model), false).switchViewAvailable,
                 model != 9);
}

// What the About box shows of each brand.
void TestAppCore::brandDetails() {
    const auto details = [](int brand, Texts::Language language) {
        Texts texts;
        texts.setBrand(brand);
        texts.setLanguage(language);
        const ShellCaptions c = BuildShellCaptions(texts, {}, 0, false);
        return QStringList{WindowTitle(Window::About, texts), c.webAddress, c.manualFile,
                           QString::number(c.brandIcon), c.showBrandPicture ? "picture" : ""};
    };
    QCOMPARE(details(0, Texts::Italian).first(), QStringLiteral("Info su VANTELSO v.2.7"));
    // Blank web address and a manual name with a trailing blank.
    QCOMPARE(details(1, Texts::English).mid(1),
             (QStringList{"", "MT_EN_AN_VANTELSO_0114R00.pdf", "-1", ""}));
    QCOMPARE(details(2, Texts::Italian).mid(1),
             (QStringList{"www.castrel.example.com", "MT_ITA_CASTREL_VANTELSO_0114R00.pdf", "2",
                          "picture"}));
    QCOMPARE(details(3, Texts::English),
             (QStringList{"About KELMA-02 v.2.7", "www.orvane.example.com",
                          "MT_EN_NRKELMA02_0608R01.pdf", "3", "picture"}));
}

// The tool's own key first, then the shared tools folder if the file is there.
void TestAppCore::systemInfoTool() {
    const QString toolKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH";
    const QString sharedKey = "SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO";
    const auto find = [](const QMap<QString, QString>& registry, bool fileThere) {
        const RegistryReader reg = [&](const QString& key, const QString& value) {
            const QString k = key + u'|' + value;
            return registry.contains(k) ? std::optional(registry.value(k)) : std::nullopt;
        };
        return FindSystemInfoTool(reg, [&](const QString&) { return fileThere; }).value_or("");
    };
    const QString shared = "C:\\shared", tool = "C:\\msinfo\\msinfo32.exe";
    QCOMPARE(find({{toolKey, tool}, {sharedKey, shared}}, true), tool);
    QCOMPARE(find({{sharedKey, shared}}, true), QStringLiteral("C:\\shared\\MSINFO32.EXE"));
    QCOMPARE(find({{sharedKey, shared}}, false), QString());
}

void TestAppCore::startUp() {
    Bench b;
    b.state.link.identity.ModelByte = 5; // left over from nothing: start-up resets it
    b.state.flags.measuring = true;
    b.shell.startUp();
    QCOMPARE(b.view.calls, (QStringList{"factoryMenu", "portList", "load", "captions", "images",
                                        "progress", "place", "show"}));
    QCOMPARE(b.state.link.identity, DeviceIdentity{});
    QCOMPARE(b.view.captions.device.idLabel, QStringLiteral("ID=12/0"));
    QCOMPARE(b.state.flags.LastChannel, 1);
    QVERIFY(!b.state.flags.measuring && !b.state.flags.exiting && !b.shell.portOpen());

    Bench branded;
    branded.shell.startUp(StartOptions{2});
    QCOMPARE(branded.view.captions.device.displayName, QStringLiteral("KV-7030"));
}

// Clearing the switch of a port that is not open reports the port in use; the language
// choice reaches the link's messages, both ways.
void TestAppCore::closedSwitchAndLanguage() {
    Bench b;
    b.shell.startUp();
    b.shell.chooseLanguage(1);
    QCOMPARE(b.state.link.texts().communicationError, QStringLiteral("Communication error"));
    b.shell.portSwitchClicked(false);
    QCOMPARE(b.prompter.texts(), QStringList{QStringLiteral("COM Port already in use")});
    QCOMPARE(b.view.captions.controls.value(Window::Communication).value("Check1"), "Open Com");
    b.shell.chooseLanguage(0);
    QCOMPARE(b.state.link.texts().communicationError, QStringLiteral("Errore di comunicazione"));
}

QTEST_GUILESS_MAIN(TestAppCore)
#include "tst_appcore.moc"
