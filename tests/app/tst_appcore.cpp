// The desktop program's core without windows: captions and labels in both languages, the
// About box's details, the manual and the start folder, the shell's start-up, status line and
// file caption; the port list that explains itself, the watch for adapters plugged in and pulled
// out, the reconnection to a port that went away, and the trace kept for the communication log.
#include "captions.h"
#include "failingrow.h"
#include "linktrace.h"
#include "owntexts.h"
#include "portlist.h"
#include "ptyserver.h"
#include "reconnect.h"
#include "recordingview.h"
#include "startfolder.h"
#include "systeminfo.h"
#include "testfiles.h"
#include "tracelog.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vantelso;
using namespace vantelso::app;
using namespace Qt::StringLiterals;

namespace {
PortDescription usb(const QString& node, const QString& serial, const QString& stable = {}) {
    return {node, u"FT232R USB UART"_s, u"FTDI"_s, serial, stable};
}
} // namespace

class TestAppCore : public QObject {
    Q_OBJECT

private slots:
    // Every text exists in both languages, and no control is named twice.
    void everyCaptionIdInBothLanguages() {
        const StringTable& table = StringTable::builtIn();
        for (Window w : {Window::Principale, Window::Communication, Window::Language, Window::About,
                         Window::Program, Window::Operator}) {
            const FailingRow row(u"window %1"_s.arg(int(w)));
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
    void deviceLabels() {
        const auto shown = [](int brand, int model, int variant, const char* previous) {
            Texts texts;
            texts.setBrand(brand);
            DeviceLabels before;
            before.displayName = QLatin1String(previous);
            const auto v = variant < 0 ? std::nullopt : std::optional<std::uint8_t>(variant);
            const DeviceLabels after =
                UpdateDeviceLabels(before, texts, {.ModelByte = std::uint8_t(model)}, v);
            return after.idLabel + u' ' + after.displayName;
        };
        QCOMPARE(shown(0, 1, -1, ""), u"ID=12/1 RSX 7030"_s); // shares the 7030's name
        QCOMPARE(shown(0, 3, 0x20, ""), u"ID=12/3 RSX 7131 B"_s);
        QCOMPARE(shown(0, 3, -1, "RSX 7030"), u"ID=12/3 RSX 7030"_s);
        QCOMPARE(shown(2, 2, 0x40, ""), u"ID=12/2 KV-7132 A"_s);
        // Brand 3 has no name for the 7132 family: the family name stays.
        QCOMPARE(shown(3, 2, 0x40, "x"), u"ID=12/2 RSX 7132"_s);
        // Model byte 9 has no switch view.
        for (int model : {0, 8, 9})
            QCOMPARE(std::pair(model, BuildShellCaptions(Texts(), {}, std::uint8_t(model), false)
                                          .switchViewAvailable),
                     std::pair(model, model != 9));
    }

    // What the About box shows of each brand.
    void brandDetails() {
        const auto details = [](int brand, Texts::Language language) {
            Texts texts;
            texts.setBrand(brand);
            texts.setLanguage(language);
            const ShellCaptions c = BuildShellCaptions(texts, {}, 0, false);
            return QStringList{WindowTitle(Window::About, texts), c.webAddress, c.manualFile,
                               QString::number(c.brandIcon), c.showBrandPicture ? "picture" : ""};
        };
        QCOMPARE(details(0, Texts::Italian).first(), u"Info su VANTELSO v.2.7"_s);
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
    void systemInfoTool() {
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
        QCOMPARE(find({{sharedKey, shared}}, true), u"C:\\shared\\MSINFO32.EXE"_s);
        QCOMPARE(find({{sharedKey, shared}}, false), QString());
    }

    // The manual in the first folder that holds it; file dialogs start in the folder last used,
    // else in the documents folder, never in the working folder.
    void manualAndStartFolder() {
        QTemporaryDir a, b;
        QVERIFY(WriteTestFile(b.filePath(u"MT_EN.pdf"_s), {}));
        QCOMPARE(LocateManual(u"MT_EN.pdf "_s, {a.path(), b.path()}), b.filePath(u"MT_EN.pdf"_s));
        QCOMPARE(LocateManual(u"MT_IT.pdf"_s, {a.path(), b.path()}), QString());
        QCOMPARE(LocateManual(u" "_s, {a.path(), b.path()}), QString());
        // Where the program is installed first, then the working folder; each folder once.
        QCOMPARE(ManualFolders(u"/opt/v/bin"_s, u"/home/u"_s),
                 (QStringList{u"/opt/v/bin"_s, u"/opt/v/bin/doc"_s, u"/opt/v/share/doc/vantelso"_s,
                              u"/opt/v/share/vantelso"_s, u"/home/u"_s}));
        QCOMPARE(ManualFolders(u"/opt/v/bin"_s, u"/opt/v/bin/"_s).size(), 4);

        // The folder last used; a cancelled dialog changes nothing.
        StartFolder start;
        start.remember(b.filePath(u"x.VNT"_s));
        start.remember({});
        QCOMPARE(start.folder(), QDir(b.path()).absolutePath());
    }

    void startUp() {
        Bench b;
        b.state.link.identity.ModelByte = 5; // left over from nothing: start-up resets it
        b.state.flags.measuring = true;
        b.shell->startUp();
        QCOMPARE(b.view.calls, (QStringList{"factoryMenu", "portList", "load", "captions", "images",
                                            "progress", "place", "show"}));
        QCOMPARE(b.state.link.identity, DeviceIdentity{});
        QCOMPARE(b.view.captions.device.idLabel, u"ID=12/0"_s);
        QCOMPARE(b.state.flags.LastChannel, 1);
        QVERIFY(!b.state.flags.measuring && !b.state.flags.exiting && !b.shell->portOpen());

        // The start-up identity names the brand's first model; with no port open the panel says
        // no device is there rather than show that name.
        Bench branded;
        branded.shell->startUp(StartOptions{2});
        QCOMPARE(branded.state.device.displayName, u"KV-7030"_s);
        QCOMPARE(branded.view.captions.device.displayName, u"Nessun dispositivo"_s);
        QVERIFY(!branded.view.captions.deviceActions);

        // Clearing the switch of a port that is not open reports the port in use; the language
        // choice reaches the link's messages, both ways.
        b.shell->chooseLanguage(1);
        QCOMPARE(b.state.link.texts().communicationError, u"Communication error"_s);
        b.shell->portSwitchClicked(false);
        QCOMPARE(b.prompter.texts(), QStringList{u"COM Port already in use"_s});
        b.shell->chooseLanguage(0);
        QCOMPARE(b.state.link.texts().communicationError, u"Errore di comunicazione"_s);
    }

    // What the panel's status line says after a write or a read that went wrong, one step after
    // the other on one connection, each in a language and after a switch to the other. A read that
    // fails resets the progress bar; one that finds nothing answering empties the identification
    // labels; a device that vanished leaves its line after the port is released.
    void statusLine() {
        Bench b(u"RSX7030"_s);
        b.shell->startUp();
        b.shell->portSwitchClicked(true);
        QVERIFY(b.shell->portOpen());
        QCOMPARE(b.view.status, QString());
        QCOMPARE(b.view.captions.device.displayName, u"RSX 7030"_s);
        using K = sim::Fault::Kind;
        // A write of what is typed (the device keeps 140, not 150) or a read; the fault: its kind,
        // the commands it hits, those let through first; the language; Italian and English lines.
        const std::tuple<const char*, K, const char*, int, int, const char*, const char*> steps[] =
            {
                {"140", K::None, "", 0, 0, "Configurazione scritta e verificata.",
                 "Configuration written and verified."},
                {"150", K::DropWrites, "$W", 0, 1,
                 "Verifica non riuscita: il dispositivo non contiene i valori scritti agli "
                 "indirizzi 20.",
                 "Verify failed: the device does not hold what was written at addresses 20."},
                {nullptr, K::NoReply, "$R", 30, 0,
                 "Lettura incompleta: i valori mostrati non sono quelli del dispositivo.",
                 "Read incomplete: the values shown are not the device's."},
                {nullptr, K::NoReply, "$V", 0, 1, "Nessun dispositivo risponde su sim:RSX7030.",
                 "No device answers on sim:RSX7030."},
                {nullptr, K::Vanish, "$R", 30, 0,
                 "Lettura incompleta: i valori mostrati non sono quelli del dispositivo. Il "
                 "dispositivo su sim:RSX7030 è stato scollegato.",
                 "Read incomplete: the values shown are not the device's. The device on "
                 "sim:RSX7030 was disconnected."},
            };
        b.prompter.setFallback(Prompter::Answer::Ok); // limit questions; retries are Cancel
        for (const auto& [typed, kind, match, skip, language, it, en] : steps) {
            const FailingRow row(it);
            b.shell->chooseLanguage(language);
            b.device().clearFaults();
            b.device().injectFault({.kind = kind, .match = match, .skip = skip, .count = -1});
            if (typed) {
                b.state.editor.setText(u"txt_Input_max"_s, 0, QLatin1String(typed));
                QCOMPARE(b.shell->write(), kind == K::None);
            } else {
                b.prompter.setFallback(Prompter::Answer::Cancel);
                QVERIFY(!b.shell->read());
                b.prompter.setFallback(Prompter::Answer::Ok);
                QCOMPARE(b.view.progress, std::make_pair(0, 1)); // not left where the read stopped
                // Nothing answering: no name, no identification.
                const bool answered = qstrcmp(match, "$V") != 0;
                QCOMPARE(b.view.captions.device.displayName == b.state.texts.lang(own::NoDevice),
                         !answered);
                QCOMPARE(b.view.captions.device.idLabel.isEmpty(), !answered);
            }
            const QString italian = QString::fromUtf8(it), english = QString::fromUtf8(en);
            QVERIFY2(b.view.statusProblem == (kind != K::None), it);
            QCOMPARE(b.view.status, language ? english : italian);
            QTRY_COMPARE(b.shell->portOpen(), kind != K::Vanish);
            QCOMPARE(b.view.status, language ? english : italian);
            b.shell->chooseLanguage(1 - language);
            QCOMPARE(b.view.status, language ? italian : english);
        }
    }

    // Opening the port to a device, or reading one, takes the file's name out of the panel's
    // caption: the editor now shows the device's configuration.
    void fileCaptionFollowsDevice() {
        Bench b(u"RSX7131B"_s);
        b.shell->startUp();
        QTemporaryDir dir;
        const QString path = dir.filePath(u"a.VNT"_s);
        const auto title = [&] { return b.view.captions.titles.value(Window::Communication); };
        const QString named = u"VANTELSO v.2.7 - "_s + QFileInfo(path).absoluteFilePath();
        for (int round = 0; round < 3; ++round) {
            const FailingRow row(u"round %1"_s.arg(round));
            QCOMPARE(b.state.files.saveTo(path), ConfigFiles::Outcome::Done);
            QCOMPARE(title(), named);
            if (round == 0) {
                b.shell->portSwitchClicked(true); // a connection
            } else {
                // A read shows the device's settings, no longer the file's: the name goes. The
                // same device keeps the file for Save; another one does not (below).
                QVERIFY(b.shell->read());
                QCOMPARE(title(), u"VANTELSO v.2.7"_s);
                QCOMPARE(b.state.files.currentFile(), path);
                QCOMPARE(b.state.files.saveTo(path), ConfigFiles::Outcome::Done);
                if (round == 1)
                    b.device().swapTo(4, 0x20); // another model byte
                else
                    b.device().swapTo(3, 0x60); // same model byte, another letter
                QVERIFY(b.shell->read());
            }
            QCOMPARE(title(), u"VANTELSO v.2.7"_s);
            // The file was the other device's: Save asks for a name rather than overwrite it.
            // Cancel writes nothing; a name given is the file from then on.
            QFile::remove(path);
            b.prompter.fileDialogs.clear();
            QCOMPARE(b.state.files.SaveConfigFile(false), ConfigFiles::Outcome::Cancelled);
            QCOMPARE(b.prompter.fileDialogs.size(), 1);
            QVERIFY(!QFileInfo::exists(path));
            const QString other = dir.filePath(u"b%1.VNT"_s.arg(round));
            b.prompter.pushFile(other);
            QCOMPARE(b.state.files.SaveConfigFile(false), ConfigFiles::Outcome::Done);
            QCOMPARE(b.prompter.fileDialogs.size(), 2);
            QVERIFY(!QFileInfo::exists(path) && QFileInfo::exists(other));
            QCOMPARE(title(), u"VANTELSO v.2.7 - "_s + QFileInfo(other).absoluteFilePath());
            QCOMPARE(b.state.files.SaveConfigFile(false), ConfigFiles::Outcome::Done);
            QCOMPARE(b.prompter.fileDialogs.size(), 2); // the name given is kept
        }
        // Before any file was chosen Save writes nothing and asks nothing.
        Bench fresh(u"RSX7131B"_s);
        fresh.shell->startUp();
        fresh.shell->portSwitchClicked(true);
        QCOMPARE(fresh.state.files.SaveConfigFile(false), ConfigFiles::Outcome::Cancelled);
        QVERIFY(fresh.prompter.fileDialogs.isEmpty());
    }

    // What an adapter says of itself, in its list entry.
    void portLabel() {
        const char* const rows[][5] = {
            {"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A50285BI",
             "ttyUSB0 \u2014 FT232R USB UART (FTDI), S/N A50285BI"},
            {"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "",
             "ttyUSB0 \u2014 FT232R USB UART (FTDI)"},
            // The maker already in the description.
            {"/dev/ttyUSB1", "Prolific USB-Serial Controller", "prolific", "",
             "ttyUSB1 \u2014 Prolific USB-Serial Controller"},
            {"/dev/ttyACM0", "", "Arduino", "", "ttyACM0 \u2014 Arduino"},
            {"/dev/ttyACM1", "", "", "7", "ttyACM1 \u2014 S/N 7"},
            {"/dev/ttyS4", "", "", "", "ttyS4"},
            {"COM7", "USB Serial Port", "FTDI", "", "COM7 \u2014 USB Serial Port (FTDI)"},
        };
        const auto q = [](const char* t) { return QString::fromUtf8(t); };
        for (const auto& r : rows)
            QCOMPARE(PortLabel({q(r[0]), q(r[1]), q(r[2]), q(r[3]), {}}), q(r[4]));
    }

    // The stable names are the links of the folder, by the node they point to; a link whose node
    // is gone names nothing.
    void stableNames() {
        QTemporaryDir dir;
        const QString nodes = dir.filePath(u"dev"_s), byId = dir.filePath(u"by-id"_s);
        QVERIFY(QDir().mkpath(nodes) && QDir().mkpath(byId));
        for (const char* node : {"ttyUSB0", "ttyUSB1"})
            QVERIFY(WriteTestFile(nodes + u'/' + QLatin1String(node), {}));
        QVERIFY(QFile::link(nodes + u"/ttyUSB1"_s, byId + u"/usb-FTDI_A50285BI-if00-port0"_s));
        QVERIFY(QFile::link(nodes + u"/ttyUSB9"_s, byId + u"/usb-gone-if00-port0"_s));
        QCOMPARE(StablePortNames(byId),
                 (QHash<QString, QString>{{QFileInfo(nodes + u"/ttyUSB1"_s).canonicalFilePath(),
                                           byId + u"/usb-FTDI_A50285BI-if00-port0"_s}}));
        QVERIFY(StablePortNames(dir.filePath(u"none"_s)).isEmpty());
        QVERIFY(StablePortNames({}).isEmpty());
    }

    // The demo entry first, then COM1..COM16, then what was found that those do not stand for. A
    // found adapter is listed by what it says of itself and opened by its stable name; the tip
    // carries every detail; what the user picks or types finds its port.
    void listOpensStableNames() {
        const auto labels = [](const QList<PortEntry>& list) {
            QStringList out;
            for (const PortEntry& e : list)
                out << e.label;
            return out;
        };
        QStringList com;
        for (int n = 1; n <= 16; ++n)
            com << u"COM%1"_s.arg(n);
        const PortEntry demo{u"/dev/pts/4 (demo RSX7030)"_s, u"/dev/pts/4"_s, u"demo RSX7030"_s};
        QCOMPARE(labels(BuildPortList({}, demo)), QStringList{demo.label} + com);
#ifndef Q_OS_WIN
        // COM1 already stands for /dev/ttyS0: it is not listed twice.
        QCOMPARE(labels(BuildPortList({{u"/dev/ttyS0"_s, u"16550A"_s}})), com);
#endif
        const QString stable = u"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"_s;
        const QList<PortEntry> list =
            BuildPortList({usb(u"/dev/ttyUSB0"_s, u"A50285BI"_s, stable), {u"/dev/ttyACM0"_s, {}}});
        const PortEntry& e = list[16];
        QCOMPARE(labels(list), com + QStringList({e.label, u"ttyACM0"_s}));
        QCOMPARE(e.label, u"ttyUSB0 \u2014 FT232R USB UART (FTDI), S/N A50285BI"_s);
        QCOMPARE(e.port, stable);
        QCOMPARE(e.serialNumber, u"A50285BI"_s);
        QCOMPARE(e.description, u"FT232R USB UART\nFTDI\nA50285BI\n"_s + stable);
        // What the user typed or picked, to a port name.
        for (const auto& [text, port] :
             {std::pair(e.label, stable), std::pair(u"COM16"_s, u"COM16"_s),
              std::pair(u"com3"_s, u"COM3"_s), std::pair(u"/dev/ttyUSB7"_s, u"/dev/ttyUSB7"_s),
              std::pair(u"  /dev/ttyACM7 "_s, u"/dev/ttyACM7"_s), std::pair(QString(), QString())})
            QCOMPARE(PortForText(list, text), port);
        QCOMPARE(PortIndex(list, stable), 16);
        QCOMPARE(PortIndex(list, u"/dev/ttyACM0"_s), 17);
        QCOMPARE(PortIndex(list, u"/dev/ttyUSB7"_s), -1);
    }

    // Where a lost adapter is now: under its stable name, its serial number on another node, or
    // the typed path; nowhere while away or when another adapter took its node.
    void findAdapter() {
        const QString id = u"/dev/serial/by-id/usb-FTDI_X-if00-port0"_s, x = u"X"_s, none;
        const QString usb0 = u"/dev/ttyUSB0"_s, usb3 = u"/dev/ttyUSB3"_s,
                      typed = u"/tmp/ports/dev"_s;
        using L = QList<PortDescription>;
        // Name, port, serial number, stable name, adapters found, nodes present, where it is.
        const std::tuple<const char*, QString, QString, QString, L, QStringList, QString> rows[] = {
            {"stable name back", id, x, id, {}, {id}, id},
            {"serial on another node", usb0, x, none, {usb(usb3, x)}, {usb0}, usb3},
            {"another adapter on the node", usb0, x, none, {usb(usb0, u"Y"_s)}, {usb0}, none},
            {"still away", id, x, id, {}, {}, none},
            {"typed path back", typed, none, none, {}, {typed}, typed},
            {"typed path away", typed, none, none, {}, {}, none},
        };
        for (const auto& [name, port, serial, stable, found, existing, expected] : rows) {
            const FailingRow row(name);
            LostPort lost;
            std::tie(lost.port, lost.serialNumber, lost.stableName) =
                std::tie(port, serial, stable);
            const QStringList& nodes = existing; // a lambda may not capture a structured binding
            QCOMPARE(FindAdapter(lost, found, [&](const QString& n) { return nodes.contains(n); }),
                     expected);
            QCOMPARE(FindAdapter({}, found, [](const QString&) { return true; }), QString());
        }
    }

    // Plugging in and pulling out changes the list; the entry the field names stays chosen, and
    // a typed path stays as typed.
    void listFollowsAdapters() {
        Bench b;
        b.view.takeSelection = true;
        QList<PortDescription> found{usb(u"/dev/ttyUSB0"_s, u"A"_s)};
        b.shell->setPortScan([&found] { return found; });
        b.shell->startUp();
        QCOMPARE(b.view.ports.size(), 17);
        b.view.port = b.view.ports[16].label;
        found.prepend(usb(u"/dev/ttyUSB1"_s, u"B"_s));
        b.shell->pollPorts();
        QCOMPARE(b.view.ports.size(), 18);
        QCOMPARE(b.view.ports[b.view.selected].port, u"/dev/ttyUSB0"_s);
        b.view.selected = -2;
        b.shell->pollPorts(); // nothing changed: the list is left alone
        QCOMPARE(b.view.selected, -2);
        b.view.port = u"/dev/ttyXYZ"_s;
        found.removeLast();
        b.shell->pollPorts();
        QCOMPARE(b.view.ports.size(), 17);
        QCOMPARE(b.view.selected, -1);
        QCOMPARE(b.shell->ports(), b.view.ports);
        b.shell->shutDown();
    }

#ifdef Q_OS_UNIX
    // A device served on a pseudo-terminal, reached through a link as a by-id name would be. The
    // device goes away; the panel says so and offers to reconnect; a new terminal under the same
    // name with the same device is reopened and the device identified again, without reading its
    // configuration over the editor's; a terminal with another device is reported as a device
    // change, and the editor refuses to write to it.
    void reconnectOnPty() {
        QTemporaryDir dir;
        const QString name = dir.filePath(u"by-id-port"_s);
        std::unique_ptr<sim::PtyServer> server;
        const auto serve = [&](sim::SimDevice& device) {
            server = std::make_unique<sim::PtyServer>();
            QString why;
            QVERIFY2(server->start(&device, &why), qPrintable(why));
            QFile::remove(name);
            QVERIFY(QFile::link(server->slavePath(), name));
        };
        Bench b;
        b.prompter.setFallback(Prompter::Answer::Ok);
        b.state.link.setDelayScale(0.05);
        b.view.takeSelection = true;
        b.shell->setPortScan([] { return QList<PortDescription>{}; });
        b.shell->startUp();

        sim::SimDevice first(0);
        serve(first);
        b.view.port = name;
        b.shell->portSwitchClicked(true);
        QVERIFY(b.shell->portOpen());
        QCOMPARE(b.state.device.modelIdentifier, u"RSX7030"_s);
        // An edit not yet written, which the reconnection must not overwrite.
        b.state.editor.setText(u"txt_Input_max"_s, 0, u"123"_s);

        server.reset(); // the adapter is pulled out
        QTRY_VERIFY(!b.shell->portOpen());
        QCOMPARE(b.view.offers.last(), ReconnectOffer::Waiting);
        QCOMPARE(b.shell->lostPort().port, name);
        QVERIFY(b.view.statusProblem);
        QCOMPARE(b.view.status, u"Il dispositivo su %1 è stato scollegato. "
                                u"Ricollegare l'adattatore per riconnettersi."_s.arg(name));
        b.shell->pollPorts();
        QCOMPARE(b.view.offers.last(), ReconnectOffer::Waiting);

        sim::SimDevice same(0);
        serve(same);
        b.shell->chooseLanguage(1);
        b.shell->pollPorts();
        QCOMPARE(b.view.offers.last(), ReconnectOffer::Ready);
        QCOMPARE(b.view.status, u"The adapter of %1 is back: press Reconnect."_s.arg(name));
        QVERIFY(b.shell->reconnect());
        QVERIFY(b.shell->portOpen() && b.view.ticked);
        QCOMPARE(b.view.offers.last(), ReconnectOffer::None);
        QCOMPARE(b.view.status, u"Reconnected to %1: the same device answers."_s.arg(name));
        QVERIFY(!b.view.statusProblem);
        QCOMPARE(b.state.editor.text(u"txt_Input_max"_s, 0), u"123"_s);
        // Identified, nothing more: no record read.
        for (const QByteArray& command : same.commandLog())
            QVERIFY2(!command.startsWith("$R"), command.constData());

        // Away again; this time another model is plugged in and reconnected automatically.
        server.reset();
        QTRY_COMPARE(b.view.offers.last(), ReconnectOffer::Waiting);
        sim::SimDevice other(7);
        const QByteArray memory = other.bank(0);
        serve(other);
        b.shell->setAutoReconnect(true);
        b.prompter.clear();
        b.shell->pollPorts();
        QVERIFY(b.shell->portOpen());
        QVERIFY(b.view.statusProblem);
        QVERIFY2(b.view.status.startsWith(u"Another device answers on %1: "_s.arg(name)),
                 qPrintable(b.view.status));
        QVERIFY(b.view.status.endsWith(u"Read its configuration before writing."_s));
        QCOMPARE(b.prompter.texts(), QStringList{b.view.status});
        // The editor's fields were the first device's: they are not written to this one.
        b.prompter.clear();
        QVERIFY(!b.shell->write());
        QCOMPARE(b.prompter.texts(), QStringList{b.state.texts.lang(69)});
        QCOMPARE(other.bank(0), memory);
        for (const QByteArray& command : other.commandLog())
            QVERIFY2(!command.startsWith("$W"), command.constData());
        b.shell->shutDown();
    }
#endif

    // Recording switches the trace on and keeps its last lines; not recording, the trace is off
    // as the rules leave it and nothing is kept.
    void traceLog() {
        QVERIFY(!lcLink().isDebugEnabled());
        {
            TraceLog log(3);
            QVERIFY(log.attached());
            TraceLog second;
            QVERIFY(!second.attached());
            QSignalSpy added(&log, &TraceLog::lineAdded);
            qCDebug(lcLink) << "not kept";
            QVERIFY(log.lines().isEmpty());
            log.setRecording(true);
            for (int k = 1; k <= 5; ++k)
                qCDebug(lcLink).noquote() << "line" << k;
            qWarning("vantelso tests: a warning of another category passes by");
            QCOMPARE(log.lines(), (QStringList{u"line 3"_s, u"line 4"_s, u"line 5"_s}));
            QTRY_COMPARE(added.size(), 5);
            QCOMPARE(added.last().at(0).toString(), u"line 5"_s);

            // A failed save says why (the saved lines are checked through the window).
            QString why;
            QVERIFY(!log.saveTo(u"/no/such/folder/log.txt"_s, &why) && !why.isEmpty());

            log.setRecording(false);
            QVERIFY(!lcLink().isDebugEnabled());
            qCDebug(lcLink) << "not kept";
            QCOMPARE(log.lines().size(), 3);
            // Rules that switched the trace on keep it on when recording stops.
            QLoggingCategory::setFilterRules(u"vantelso.link.debug=true"_s);
            QVERIFY(lcLink().isDebugEnabled());
            log.setRecording(true);
            log.setRecording(false);
            QVERIFY(lcLink().isDebugEnabled());
            QLoggingCategory::setFilterRules({});
            QVERIFY(!lcLink().isDebugEnabled());
            log.clear();
            QVERIFY(log.lines().isEmpty());
        }
        // Gone with the log: the categories are as the rules say.
        QVERIFY(!lcLink().isDebugEnabled());
    }
};

QTEST_GUILESS_MAIN(TestAppCore)
#include "tst_appcore.moc"
