#include "captions.h"
#include "owntexts.h"
#include "recordingview.h"
#include "startfolder.h"
#include "systeminfo.h"
#include "testfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace vantelso;
using namespace vantelso::app;
using namespace Qt::StringLiterals;

class TestAppCore : public QObject {
    Q_OBJECT

private slots:
    // Every text exists in both languages, and no control is named twice.
    void everyCaptionIdInBothLanguages() {
        const StringTable& table = StringTable::builtIn();
        for (Window w : {Window::Principale, Window::Communication, Window::Language, Window::About,
                         Window::Program, Window::Operator}) {
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
            DeviceIdentity id;
            id.ModelByte = std::uint8_t(model);
            const auto v = variant < 0 ? std::nullopt : std::optional<std::uint8_t>(variant);
            const DeviceLabels after = UpdateDeviceLabels(before, texts, id, v);
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
            QCOMPARE(
                BuildShellCaptions(Texts(), {}, std::uint8_t(model), false).switchViewAvailable,
                model != 9);
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

        QStandardPaths::setTestModeEnabled(true);
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QVERIFY(QDir().mkpath(documents));
        StartFolder start;
        QCOMPARE(start.folder(), documents);
        start.remember(b.filePath(u"x.VNT"_s));
        QCOMPARE(start.folder(), QDir(b.path()).absolutePath());
        start.remember({}); // a cancelled dialog changes nothing
        QCOMPARE(start.folder(), QDir(b.path()).absolutePath());
        QStandardPaths::setTestModeEnabled(false);
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
    }

    // Clearing the switch of a port that is not open reports the port in use; the language
    // choice reaches the link's messages, both ways.
    void closedSwitchAndLanguage() {
        Bench b;
        b.shell->startUp();
        b.shell->chooseLanguage(1);
        QCOMPARE(b.state.link.texts().communicationError, u"Communication error"_s);
        b.shell->portSwitchClicked(false);
        QCOMPARE(b.prompter.texts(), QStringList{u"COM Port already in use"_s});
        QCOMPARE(b.view.captions.controls.value(Window::Communication).value("Check1"), "Open Com");
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
                 "dispositivo "
                 "su sim:RSX7030 è stato scollegato.",
                 "Read incomplete: the values shown are not the device's. The device on "
                 "sim:RSX7030 "
                 "was disconnected."},
            };
        b.prompter.setFallback(Prompter::Answer::Ok); // limit questions; retries are Cancel
        for (const auto& [typed, kind, match, skip, language, it, en] : steps) {
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
};

QTEST_GUILESS_MAIN(TestAppCore)
#include "tst_appcore.moc"
