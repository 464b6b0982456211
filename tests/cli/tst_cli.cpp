// The command-line tool end to end: a simulated device served on a pseudo-terminal by
// "vantelso-cli sim", then the tool's commands against that port; `monitor` streaming live
// measurements; `eeprom read|write|verify` with ".dat" images, bad images refused before the
// port sees a byte, and a device that does not answer. And one simulated device seen through
// every view the program has of its configuration: the editor (with its captions), `read`
// (JSON and text), the bytes of the file saved from the editor and `show` of that file. The
// same field must say the same thing in all of them.
#include "captions.h"
#include "clirun.h"
#include "configeditor.h"
#include "configfiles.h"
#include "configread.h"
#include "editormodel.h"
#include "failingrow.h"
#include "ptyline.h"
#include "recordformat.h"
#include "simbench.h"
#include "testfiles.h"
#include "texts.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>
#include <algorithm>
#ifdef Q_OS_UNIX
#include <csignal>
#endif

using namespace Qt::StringLiterals;
using namespace vantelso;
using Patch = QList<QPair<int, int>>; // address, value
namespace {

// Standard output as JSON, or nothing when the run ended with another exit code.
QJsonObject json(const CliRun& r, int exitCode = 0) {
    return r.exitCode == exitCode ? QJsonDocument::fromJson(r.out.toUtf8()).object()
                                  : QJsonObject();
}

QJsonObject channel(const QJsonObject& o, int c = 0) {
    return o.value(u"channels"_s).toArray().at(c).toObject();
}

// `o` holds every key of `want` with its value, and the keys of `present` with any value.
bool holds(const QJsonObject& o, const QJsonObject& want, const QStringList& present = {}) {
    for (auto it = want.begin(); it != want.end(); ++it)
        if (o.value(it.key()) != it.value())
            return false;
    return std::ranges::all_of(present, [&](const QString& k) { return o.contains(k); });
}

// Arguments split at blanks; '' is an empty one.
QStringList split(const char* args) {
    QStringList a = QString::fromUtf8(args).split(u' ', Qt::SkipEmptyParts);
    return a.replaceInStrings(QRegularExpression(u"^''$"_s), QString());
}

QByteArray image(const QByteArray& bank) {
    QByteArray text;
    for (char c : bank)
        text += QByteArray::number(quint8(c)) + "\r\n";
    return text;
}

// The exit code and standard output as one text, "0: 0 errori\n".
QString result(const CliRun& r) {
    return u"%1: %2"_s.arg(r.exitCode).arg(r.out);
}

// `vantelso-cli eeprom ...` on the device given.
QString eeprom(const QStringList& device, const QStringList& args) {
    return result(cli(device + QStringList{u"eeprom"_s} + args));
}

// A device of one model, its memory patched, read into an editor and saved to a file.
struct Views : SimBench {
    Views(int model, int variant, const Patch& patch)
        : SimBench(std::uint8_t(model), std::uint8_t(variant)), editor(catalogue, texts),
          config(editor, link, catalogue, texts), files(editor, link.identity, texts, prompter) {
        texts.setLanguage(Texts::English);
        for (const auto& [address, value] : patch)
            device.setMemory(0, address, std::uint8_t(value));
        if (config.ReadEprom() != EditorOutcome::Done)
            return;
        // `read` reads the device again, with a catalogue of its own.
        Catalogue readCatalogue;
        const auto r = ReadConfiguration(link, readCatalogue);
        if (!r)
            return;
        read = RecordJson(r->record, r->identity, readCatalogue);
        readLines = RecordLines(r->record, r->identity, readCatalogue);
        const QString path = dir.filePath(u"v.VNT"_s);
        files.saveTo(path);
        const auto rec = ConfigFileRecord::fromBytes(ReadTestFile(path));
        if (!rec)
            return;
        file = rec->toBytes();
        Catalogue showCatalogue;
        showCatalogue.Init(DeviceIdentity{rec->deviceCode, rec->modelByte, 0, 0});
        show = FileJson(*rec, showCatalogue);
        showLines = FileLines(show);
        ok = true;
    }
    int flagAt(int offset) const { return qFromLittleEndian<qint16>(file.constData() + offset); }

    Texts texts;
    Catalogue catalogue;
    EditorModel editor;
    ConfigEditor config;
    ConfigFiles files;
    QTemporaryDir dir;
    bool ok = false;
    QJsonObject read, show;
    QStringList readLines, showLines;
    QByteArray file;
};

} // namespace

class TestCli : public QObject {
    Q_OBJECT
    CliSim m_sim{u"RSX7131B"_s};
    const QString m_port = m_sim.port;
    QTemporaryDir m_dir; // every test's files, each under a name of its own

private Q_SLOTS:
    // Refusals of every command: the exit code and what stderr says, nothing on stdout. Files
    // that cannot be read or written are 4, found before any device is asked (the port given
    // does not exist, which would be 1). Arguments are split at blanks; '' is an empty one.
    void failures() {
        // The command line (which names the row in a failure), its exit code, what stderr says.
        const std::tuple<const char*, int, const char*> rows[] = {
            {"", 2, "no command"},
            {"-p x frobnicate", 2, "unknown"},
            {"identify", 2, "-p PORT"},
            {"-p x dump --from 250 --count 10", 2, "past"},
            {"-p x dump --bank b", 2, "--bank"},
            {"-p /dev/no-such-port identify", 1, "does not exist"},
            {"sim RSX9999", 2, "RSX9999"},
            {"-p '' identify", 2, "-p"},
            {"--demo RSX7030 -p /dev/null read", 2, "--demo"},
            {"show /dev/null", 4, "0 bytes"},
            {"show /no/such/file.VNT", 4, "/no/such/file.VNT"},
            {"-p /dev/no-such-port load /no/such/file.VNT", 4, "/no/such/file.VNT"},
            {"-p /dev/no-such-port load /dev/null", 4, "0 bytes"},
            {"-p /dev/no-such-port save /no/such/dir/a.VNT", 4, "/no/such/dir"},
            {"-p /dev/no-such-port save /tmp", 4, "/tmp"},
            {"monitor", 2, "error: "},
            {"--demo RSX7030 monitor --count 0", 2, "error: "},
            {"--demo RSX9999 monitor", 2, "error: "},
            {"-p /nonexistent/tty monitor", 1, "error: "},
            {"--demo RSX7030 eeprom", 2, "usage"},
            {"--demo RSX7030 eeprom erase x.dat", 2, "usage"},
            {"--demo RSX7030 eeprom read", 2, "usage"},
            {"--demo RSX7030 eeprom read x.dat --bank 256", 2,
             "--bank must be a number from 0 to 255"},
            {"--demo RSX7030 eeprom verify /nonexistent/x.dat", 4, "Cannot read"},
            {"--demo RSX7030 eeprom read /nonexistent/x.dat", 4, "cannot write"},
            {"switches --model RSX7031A --input 18", 2, "not offered"},
            {"switches --model RSX7030 --multiplier 1", 2, "does not apply"},
            {"switches --model RSX7030 --option 1", 2, "on or off"},
            {"switches --model RSX5035", 2, "has no switches"},
            {"--demo RSX7030 --switches 72,300 switches", 2, "0 to 255"},
        };
        for (const auto& [args, exitCode, message] : rows) {
            const CliRun r = cli(split(args));
            QVERIFY2(r.exitCode == exitCode && r.err.contains(QLatin1String(message)) &&
                         r.out.isEmpty(),
                     qPrintable(u"%1: %2 %3"_s.arg(args).arg(r.exitCode).arg(r.err)));
        }
    }

    // The exit codes are documented where users look.
    void exitCodesDocumented() {
        const CliRun help = cli({"--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.out.contains(u"4  file cannot be read or written"_s), qPrintable(help.out));
    }

    // diff: 0 equal, 3 different (one changed byte, another model), 4 for a file that is no
    // configuration file, before the device is touched. The changed file loaded: the type the
    // model does not offer (an RSX7035 has only the 4-20 mA output) is kept and said on
    // stderr, as a note the tool does not wait on.
    void diffAndKeptType() {
        const QString same = m_dir.filePath(u"same.VNT"_s);
        QCOMPARE(cli({"--demo", "RSX7035", "save", same}).exitCode, 0);
        const QString changed = m_dir.filePath(u"changed.VNT"_s);
        QVERIFY(QFile::copy(same, changed));
        QVERIFY(PatchTestFile(changed, 46, 2)); // channel A output "0-10 V"
        const QString other = m_dir.filePath(u"other.VNT"_s);
        QCOMPARE(cli({"--demo", "RSX7040", "save", other}).exitCode, 0);
        const QString junk = m_dir.filePath(u"junk.VNT"_s);
        QVERIFY(WriteTestFile(junk, "not a configuration"));

        const CliRun equal = cli({"--demo", "RSX7035", "diff", same});
        QCOMPARE(equal.exitCode, 0);
        QCOMPARE(equal.out.trimmed().split(u'\n').last(), u"equal"_s);
        // Exit 3; the type, and both range ends, whose numbers now mean volts, not milliamps.
        const QJsonObject o = json(cli({"--demo", "RSX7035", "diff", changed, "--json"}), 3);
        QVERIFY(holds(o, {{"differences", 3}, {"same_model", true}}));
        QStringList differing;
        for (const QJsonValue& v : o.value(u"fields"_s).toArray())
            if (v.toObject().value(u"differs"_s).toBool())
                differing << v.toObject().value(u"field"_s).toString() + u'=' +
                                 v.toObject().value(u"file"_s).toString();
        QCOMPARE(differing, QStringList({"output=0-10 V", "output_end=20", "output_start=4"}));
        const CliRun model = cli({"--demo", "RSX7035", "diff", other});
        QCOMPARE(model.exitCode, 3);
        QVERIFY2(model.out.contains(u"another model"_s), qPrintable(model.out));
        const CliRun bad = cli({"-p", "/dev/no-such-port", "diff", junk});
        QCOMPARE(bad.exitCode, 4);
        QVERIFY2(bad.err.contains(u"nothing was read"_s), qPrintable(bad.err));
        const CliRun kept = cli({"--demo", "RSX7035", "load", changed});
        QCOMPARE(kept.exitCode, 0);
        QVERIFY2(kept.err.contains(
                     u"Channel A output type and range kept: the file's type \"0-10 V\""_s),
                 qPrintable(kept.err));
    }

    // report: a PDF of the device or of a file; the files are checked before the device is
    // touched (4), a port with nothing on it is a communication failure (1).
    void reportExitCodes() {
        const QString file = m_dir.filePath(u"c.VNT"_s), junk = m_dir.filePath(u"junk.VNT"_s);
        const QString out = m_dir.filePath(u"r.pdf"_s);
        QCOMPARE(cli({"--demo", "RSX7030", "save", file}).exitCode, 0);
        QVERIFY(WriteTestFile(junk, "not a configuration"));
        // The command line (FILE: a saved file, JUNK: no configuration, OUT: the PDF), the exit
        // code, what stderr says.
        const std::tuple<const char*, int, const char*> rows[] = {
            {"--demo RSX7040 report OUT", 0, "2 page(s)"},
            {"report FILE OUT", 0, "1 page(s)"},
            {"report JUNK OUT", 4, "not a configuration file"},
            {"report nowhere.VNT OUT", 4, ""},
            {"--demo RSX7030 report /no/such/r.pdf", 4, "nothing was read"},
            {"-p /dev/no-such-port report OUT", 1, "does not exist"},
            {"--demo RSX7030 report FILE OUT", 2, "not both"},
            {"report", 2, "usage"}};
        for (const auto& [line, exitCode, says] : rows) {
            QFile::remove(out);
            QStringList args = split(line);
            for (QString& a : args)
                a = a == u"OUT"_s ? out : a == u"FILE"_s ? file : a == u"JUNK"_s ? junk : a;
            const CliRun r = cli(args);
            QVERIFY2(r.exitCode == exitCode && r.err.contains(QLatin1String(says)),
                     qPrintable(u"%1: %2 %3"_s.arg(line).arg(r.exitCode).arg(r.err)));
            QVERIFY2(QFile::exists(out) == (exitCode == 0), line);
            QVERIFY2(exitCode || ReadTestFile(out).startsWith("%PDF-"), line);
        }
    }

    // --trace: the link's requests and replies on stderr, nothing of it on stdout.
    void trace() {
        const CliRun r = cli({"--demo", "RSX7030", "--trace", "identify"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.contains(u"-> 24 56 00 00 00 0d  |$V....|"_s) &&
                     r.err.contains(u"<- 4f 4b 0d 0a  |OK..|"_s) && !r.out.contains(u"->"_s),
                 qPrintable(r.err));
        QVERIFY(!cli({"--demo", "RSX7030", "identify"}).err.contains(u"->"_s));
    }

    // --csv: the header, then one line per channel per frame with "." decimals.
    void monitorCsv() {
        const QRegularExpression line(QStringLiteral(
            R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z,([AB]),-?\d+(\.\d+)?,([^,]*),-?\d+\.\d{3},(mA|V),\d+$)"));
        // The RSX7030's one input on its two outputs; one channel; two channels.
        for (const auto& [model, channels, unit] : {std::tuple{"RSX7030", "AB", "°C"},
                                                    {"RSX7040", "A", "Hz"},
                                                    {"RSX7131B", "AB", "°C"}}) {
            const FailingRow row(model);
            const CliRun r = cli({"--demo", model, "monitor", "--count", "3", "--csv"});
            QCOMPARE(r.exitCode, 0);
            const QStringList lines = r.lines();
            QCOMPARE(lines.value(0), u"time,channel,input,input_unit,output,output_unit,status"_s);
            const int n = int(qstrlen(channels));
            QCOMPARE(lines.size(), 1 + 3 * n);
            for (int i = 1; i < lines.size(); ++i) {
                const auto m = line.match(lines[i]);
                QVERIFY2(m.hasMatch() && m.captured(1) == QLatin1Char(channels[(i - 1) % n]) &&
                             m.captured(3) == QString::fromUtf8(unit),
                         qPrintable(lines[i]));
            }
        }
    }

    // read writes the device's bank as the file; verify against it finds nothing; a changed
    // file is listed address by address with the device's and the file's value.
    void eepromReadAndVerify() {
        const QString path = m_dir.filePath(u"EEprom.dat"_s);
        const QStringList demo{u"--demo"_s, u"RSX7030"_s};
        QVERIFY(eeprom(demo, {"read", path}).startsWith(u"0: "_s));
        const QByteArray bank = sim::SimDevice(0).bank(0);
        QCOMPARE(ReadTestFile(path), image(bank));
        QCOMPARE(eeprom(demo, {"verify", path}), u"0: 0 errori\n"_s);

        QByteArray changed = bank;
        changed[4] = char(quint8(bank[4]) ^ 0x01);
        changed[255] = char(quint8(bank[255]) ^ 0x80);
        QVERIFY(WriteTestFile(path, image(changed)));
        const auto row = [&](int a) {
            return u"%1\t%2\t%3\n"_s.arg(a).arg(quint8(bank[a])).arg(quint8(changed[a]));
        };
        QCOMPARE(eeprom(demo, {"verify", path}),
                 u"3: address\tdevice\tfile\n"_s + row(4) + row(255) + u"2 errori\n"_s);
        // Another bank: the simulated device's bank 1 is erased.
        QVERIFY(eeprom(demo, {"verify", path, "--bank", "1"})
                    .startsWith(u"3: address\tdevice\tfile\n0\t255\t%1\n"_s.arg(quint8(bank[0]))));
    }

    // The tests from here to #endif need pseudo-terminals or signals, Unix features.
#ifdef Q_OS_UNIX
    // identify, dump, read, then save, show and load with the served device.
    void servedDevice() {
        QCOMPARE(result(cli({"-p", m_port, "identify"})), u"0: ID=12/3\nRSX7131B\n"_s);
        QVERIFY(holds(json(cli({"-p", m_port, "identify", "--json"})),
                      {{"device_code", 12}, {"model_byte", 3}, {"model", "RSX7131B"}},
                      {"id_byte3", "id_byte4"}));

        // Address and value; address 4 carries the variant bits of the lettered models: 0x20
        // for RSX7131 (41 is 0x29).
        QCOMPARE(result(cli({"-p", m_port, "dump", "--from", "4", "--count", "3"})),
                 u"0: 4\t41\n5\t0\n6\t9\n"_s);

        const QJsonObject o = json(cli({"-p", m_port, "read", "--json"}));
        QCOMPARE(o.value(u"identity"_s).toObject().value(u"model"_s), u"RSX7131B"_s);
        QCOMPARE(o.value(u"channels"_s).toArray().size(), 2);
        QVERIFY(holds(channel(o),
                      {{"input", "Pt 100"},
                       {"input_type", 18},
                       {"input_start", -50},
                       {"input_end", 150},
                       {"output", "4-20 mA"}},
                      {"output_type", "output_start", "output_end", "offset"}));
        const CliRun readText = cli({"-p", m_port, "read"});
        QCOMPARE(readText.exitCode, 0);
        QVERIFY(readText.out.contains(u"Channel A input: Pt 100\n"_s));
        QVERIFY(readText.out.contains(u"Channel B input start: -50 °C\n"_s));

        const QString file = m_dir.filePath(u"a.VNT"_s);
        QCOMPARE(cli({"-p", m_port, "save", file}).exitCode, 0);
        QCOMPARE(QFileInfo(file).size(), 292);
        const QJsonObject shown = json(cli({"show", file, "--json"}));
        QCOMPARE(shown.value(u"identity"_s).toObject().value(u"model_byte"_s), 3);
        QVERIFY(holds(channel(shown), {{"input", "Pt 100"}, {"input_start", -50}}));

        // Into a second device of the same model: written and verified, no question asked.
        CliSim second(u"RSX7131B"_s);
        const CliRun load = cli({"-p", second.port, "load", file});
        QCOMPARE(load.exitCode, 0);
        QVERIFY(load.err.contains(u"verified"_s));
        const QString back = m_dir.filePath(u"b.VNT"_s);
        QCOMPARE(cli({"-p", second.port, "save", back}).exitCode, 0);
        QCOMPARE(ReadTestFile(back), ReadTestFile(file));

        // Into another model: the device check asks, the tool answers Cancel, nothing is written.
        CliSim other(u"RSX7040"_s);
        const CliRun refused = cli({"-p", other.port, "load", file});
        QCOMPARE(refused.exitCode, 3);
        QVERIFY(refused.err.contains(u"File not compatible with the device connected"_s));
        QVERIFY(refused.err.contains(u"nothing written"_s));
    }

    // Ctrl-C ends the stream cleanly: exit 0 and only whole lines on stdout.
    void monitorInterrupt() {
        QProcess p;
        p.start(QStringLiteral(VANTELSO_CLI), {u"--demo"_s, u"RSX7030"_s, u"monitor"_s});
        QVERIFY(p.waitForStarted(5000));
        QByteArray out;
        while (out.count('\n') < 2 && p.waitForReadyRead(10000))
            out += p.readAllStandardOutput();
        QVERIFY(out.count('\n') >= 2);
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        out += p.readAllStandardOutput();
        QVERIFY(out.endsWith('\n') && out.contains(" status 0x"));
    }

    // Load -> write -> verify -> read on one device: the memory is the file, exactly.
    void eepromWriteVerifyRead() {
        CliSim sim(u"RSX7030"_s);
        const QString path = m_dir.filePath(u"in.dat"_s);
        QByteArray wanted(256, '\0');
        for (int a = 0; a < 256; ++a)
            wanted[a] = char((a * 13 + 7) & 0xFF);
        QVERIFY(WriteTestFile(path, image(wanted).replace("\r\n", "\n"))); // edited on Linux
        const QStringList port{u"-p"_s, sim.port};
        QCOMPARE(eeprom(port, {"write", path, "--bank", "2"}), u"0: 0 errori\n"_s);
        QCOMPARE(eeprom(port, {"verify", path, "--bank", "2"}), u"0: 0 errori\n"_s);
        const QString back = m_dir.filePath(u"back.dat"_s);
        QVERIFY(eeprom(port, {"read", back, "--bank", "2"}).startsWith(u"0: "_s));
        QCOMPARE(ReadTestFile(back), image(wanted));
    }

    // A bad image is refused with the line named, before a single byte reaches the port; a
    // port with nothing behind it is a communication failure, never "0 errori".
    void eepromRefused() {
        QByteArray good;
        for (int a = 0; a < 256; ++a)
            good += QByteArray::number(a) + "\n";
        const std::tuple<const char*, QByteArray, int, const char*> rows[] = {
            {"300", QByteArray(good).replace("\n20\n", "\n300\n"), 3,
             "line 21: 300 is outside 0..255"},
            {"empty", QByteArray(), 3, "line 1"},
            {"silent device", image(QByteArray(256, '\0')), 1,
             "Communication error: nothing was verified"}};
        const QString path = m_dir.filePath(u"bad.dat"_s);
        for (const auto& [name, text, exitCode, says] : rows) {
            const FailingRow row(name);
            sim::PtyLine line;
            QString why;
            QVERIFY2(line.start(&why), qPrintable(why));
            QSignalSpy received(&line, &sim::PtyLine::received);
            QVERIFY(WriteTestFile(path, text));
            // The silent device is asked to verify only.
            for (const char* action : {"write", "verify"}) {
                if (exitCode == 1 && action[0] == 'w')
                    continue;
                const CliRun r = cli({"-p", line.slavePath(), "eeprom", action, path});
                QVERIFY2(
                    r.exitCode == exitCode && r.err.contains(QLatin1String(says)) &&
                        !r.out.contains(u"errori"_s),
                    qPrintable(u"%1 %2: %3 %4"_s.arg(name, action).arg(r.exitCode).arg(r.err)));
            }
            QTest::qWait(50);
            QVERIFY(exitCode != 3 || received.count() == 0);
        }
    }
#endif

    // The wiring code of the record against the editor's caption, `read`, the file's three
    // flags (2 wires at 104, 4 at 108, 3 at 112) and `show`.
    void wires() {
        // The code (-1: the default image, a three-wire Pt 100), the wires, the flag set.
        for (const auto& [code, count, fileOffset] :
             {std::tuple{-1, 3, 112}, {0, 2, 104}, {1, 4, 108}, {2, 3, 112}}) {
            const FailingRow row(code < 0 ? u"default image"_s : u"code %1"_s.arg(code));
            // An RSX7131B; a code: Pt 100 and 4-20 mA on both channels, this wiring.
            Views v(3, 0x20,
                    code < 0 ? Patch{} : Patch{{4, 0x21 | code << 2}, {6, 0x01 | code << 2}});
            QVERIFY(v.ok);
            const auto captions = app::BuildCaptions(app::Window::Program, v.texts, false);
            for (int c = 0; c < 2; ++c) {
                const QString p = u"Channel %1 "_s.arg(c == 0 ? 'A' : 'B');
                const int chosen = v.editor.choice(u"opt_Fili"_s, c);
                QVERIFY(chosen >= 0);
                QCOMPARE(captions.value(u"opt_Fili_%1"_s.arg(3 * c + chosen)),
                         QString::number(count));
                QCOMPARE(channel(v.read, c).value(u"wires"_s).toInt(-1), count);
                QVERIFY(v.readLines.contains(p + u"wires: %1"_s.arg(count)));
                for (int offset : {104, 108, 112})
                    QCOMPARE(v.flagAt(offset + 2 * c), offset == fileOffset ? -1 : 0);
                QCOMPARE(channel(v.show, c).value(u"wires"_s).toInt(-1), count);
                QVERIFY(v.showLines.contains(p + u"wires: %1"_s.arg(count)));
            }
        }
    }
    // The response time (a count of steps at 28/29) as the editor shows it in tenths of a
    // second, in `read` and its text; trips only where the model has them.
    void responseTimeAndTrips() {
        // RSX7035 at three codes, RSX5035, and RSX7040 (trips, its default response time).
        const std::tuple<int, int, bool> rows[] = {
            {8, 0, false}, {8, 7, false}, {8, 123, false}, {9, 49, false}, {7, -1, true}};
        for (const auto& [model, code, trips] : rows) {
            const FailingRow row(u"model %1, code %2"_s.arg(model).arg(code));
            Views v(model, 0, code < 0 ? Patch{} : Patch{{28, code & 0xFF}, {29, code >> 8}});
            QVERIFY(v.ok);
            if (code >= 0) {
                const QString shown = v.editor.text(u"txt_Delay"_s, 0);
                QVERIFY(!shown.isEmpty());
                QCOMPARE(v.read.value(u"response_time_s"_s).toDouble(), shown.toDouble());
                const QStringList line = v.readLines.filter(u"response_time_s: "_s);
                QCOMPARE(line.size(), 1);
                QCOMPARE(line[0].section(u": "_s, 1).toDouble(), shown.toDouble());
            }
            // Trips in read, in show and in show's text.
            QCOMPARE((QList<bool>{channel(v.read, 0).contains(u"trip"_s),
                                  channel(v.show, 0).contains(u"trip"_s),
                                  !v.showLines.filter(u" trip "_s).isEmpty()}),
                     QList<bool>(3, trips));
            // Numbers read back as typed, without a float's tail.
            for (const QString& line : v.showLines)
                QVERIFY2(!line.contains(QRegularExpression(u"\\.\\d{4,}"_s)), qPrintable(line));
        }
    }
    // The doubler (address 4 bit 5) and channel B. On the lettered models the bit is part of
    // the model letter: no view may call it a doubler. The single-channel models have no
    // channel B of their own: the editor leaves its fields empty and read and show leave it
    // out, except for the output the doubler gives model 0 (the file then stores channel B's
    // input code as 0, the doubler entry having no row).
    void doublerAndChannelB() {
        // Channel B: 4-20 mA, 4..20 (bytes 6 and 16..19).
        const Patch outB{{6, 0x01}, {16, 0x20}, {17, 0x4E}, {18, 0xA0}, {19, 0x0F}};
        // The model, its variant and patch, its doubler (-1: the model has none), whether it
        // has a channel B of its own.
        const std::tuple<const char*, int, int, Patch, int, bool> rows[] = {
            {"RSX7131A", 2, 0x20, {}, -1, true},
            {"RSX7031C", 6, 0x60, {}, -1, true},
            {"RSX7132D", 5, 0x40, {}, -1, true},
            {"RSX7040", 7, 0, {{4, 0x25}}, -1, true},
            {"RSX7030", 0, 0, {}, 0, false},
            {"RSX7030, doubler", 0, 0, Patch{{4, 0x31}} + outB, 1, false},
            {"model byte 1", 1, 0, {{1, 9}, {12, 0x44}}, 0, false},
            {"RSX7035", 8, 0, {{14, 0x43}, {15, 0x44}}, 0, false},
            {"RSX5035", 9, 0, {}, 0, false}};
        for (const auto& [name, model, variant, patch, doubler, ownChannelB] : rows) {
            const FailingRow row(name);
            Views v(model, variant, patch);
            QVERIFY(v.ok);
            const bool on = doubler == 1;

            // The doubler itself: offered and checked in the editor, in read, its line in read's
            // text, the file's byte, in show and show's text.
            const int has = doubler >= 0;
            QCOMPARE(
                (QList<int>{v.editor.enabled(u"chk_Doubler"_s), v.editor.checked(u"chk_Doubler"_s),
                            v.read.contains(u"doubler"_s), v.read.value(u"doubler"_s).toBool(),
                            v.readLines.contains(u"doubler: on"_s), v.file.at(291),
                            v.show.contains(u"doubler_state"_s),
                            v.showLines.contains(u"doubler: 1"_s)}),
                (QList<int>{has, on, has, on, on, on, has, on}));

            // Channel B in every view.
            const bool channelB = ownChannelB || on;
            for (const QJsonObject& o : {v.read, v.show})
                QCOMPARE(o.value(u"channels"_s).toArray().size(), channelB ? 2 : 1);
            for (const QStringList& lines : {v.readLines, v.showLines})
                QCOMPARE(lines.filter(QRegularExpression(u"^Channel B "_s)).isEmpty(), !channelB);
            const QString inputB = v.editor.text(u"cmb_Prog_In"_s, 1);
            QCOMPARE(inputB.isEmpty(), !channelB);
            if (on) // channel B's input: the doubler in the editor, read and show; 0 in the file
                QCOMPARE((QStringList{inputB, channel(v.read, 1).value(u"input"_s).toString(),
                                      channel(v.show, 1).value(u"input"_s).toString(),
                                      QString::number(v.file.at(13))}),
                         QStringList(3, v.texts.lang(31)) << u"0"_s);
            // The input side of channel B belongs to channel B's own input only.
            for (const char* field : {"txt_Input_max", "txt_Input_min", "txt_offset"})
                QCOMPARE(v.editor.text(QLatin1String(field), 1).isEmpty(), !ownChannelB);
            for (const QJsonObject& ch : {channel(v.read, 1), channel(v.show, 1)})
                QCOMPARE(ch.contains(u"input_end"_s), ownChannelB);
            // Its output side also serves the doubler.
            const QString outEnd = v.editor.text(u"txt_Output_max"_s, 1);
            QCOMPARE(outEnd.isEmpty(), !channelB);
            QCOMPARE(v.editor.text(u"lbl_limite_out"_s, 1).isEmpty(), !channelB);
            for (const QJsonObject& ch : {channel(v.read, 1), channel(v.show, 1)})
                QVERIFY(!channelB || ch.value(u"output_end"_s).toDouble() == outEnd.toDouble());
            if (!channelB) {
                // Nothing of the unused channel reaches the file.
                QCOMPARE(int(v.file.at(13)) + int(v.file.at(47)), 0);
                for (int offset : {22, 38, 56, 72, 96})
                    QCOMPARE(qFromLittleEndian<double>(v.file.constData() + offset), 0.0);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
