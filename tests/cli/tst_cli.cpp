// The command-line tool end to end: a simulated device served on a pseudo-terminal by
// "vantelso-cli sim", then the tool's commands against that port; `monitor` streaming live
// measurements; `eeprom read|write|verify` with ".dat" images, bad images refused before the
// port sees a byte, and a device that does not answer. And one simulated device seen through
// every view the program has of its configuration: the editor (with its captions), `read`
// (JSON and text), the bytes of the file saved from the editor and `show` of that file. The
// same field must say the same thing in all of them.
#include "captions.h"
#include "catalogue.h"
#include "clirun.h"
#include "configeditor.h"
#include "configfiles.h"
#include "editormodel.h"
#include "ptyline.h"
#include "recordformat.h"
#include "simbench.h"
#include "simdevice.h"
#include "testfiles.h"
#include "texts.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
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

QJsonObject json(const CliRun& r) {
    return QJsonDocument::fromJson(r.out.toUtf8()).object();
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

// `vantelso-cli eeprom ...` on the device given: its exit code and standard output as one
// text, "0: 0 errori\n".
QString eeprom(const QStringList& device, const QStringList& args) {
    const CliRun r = cli(device + QStringList{u"eeprom"_s} + args);
    return u"%1: %2"_s.arg(r.exitCode).arg(r.out);
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
        // `read` decodes the same bytes the editor read, with a catalogue of its own.
        const DeviceIdentity id = device.identity();
        Catalogue readCatalogue;
        readCatalogue.UpdateAfterRead(id);
        const QByteArray ext = HasExtensionBlock(id)
                                   ? device.bank(0).mid(ExtensionBlockFirst, ExtensionBlockSize)
                                   : QByteArray();
        const auto r = DecodeRecord(device.bank(0).left(MainBlockSize), ext, id, readCatalogue);
        if (!r)
            return;
        read = RecordJson(*r, id, readCatalogue);
        readLines = RecordLines(*r, id, readCatalogue);
        const QString path = dir.filePath(u"v.VNT"_s);
        if (files.saveTo(path) != ConfigFiles::Outcome::Done)
            return;
        QString error;
        const auto rec = ConfigFileRecord::load(path, texts, &error);
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
    QString caption(const QString& control) const {
        return app::BuildCaptions(app::Window::Program, texts, false).value(control);
    }

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

// The served-device tests need a pseudo-terminal, a Unix feature; elsewhere they skip.
#ifdef Q_OS_UNIX
#define NEEDS_PTY()
#else
#define NEEDS_PTY() QSKIP("pseudo-terminals are a Unix feature")
#endif

class TestCli : public QObject {
    Q_OBJECT
    CliSim m_sim{u"RSX7131B"_s};
    const QString m_port = m_sim.port;

private Q_SLOTS:
    void identify() {
        NEEDS_PTY();
        QVERIFY(m_port.startsWith(u"/dev/"_s));
        const CliRun text = cli({"-p", m_port, "identify"});
        QCOMPARE(text.exitCode, 0);
        QCOMPARE(text.out, u"ID=12/3\nRSX7131B\n"_s);
        const CliRun json = cli({"-p", m_port, "identify", "--json"});
        QCOMPARE(json.exitCode, 0);
        QVERIFY(holds(::json(json), {{"device_code", 12}, {"model_byte", 3}, {"model", "RSX7131B"}},
                      {"id_byte3", "id_byte4"}));
    }

    void dump() {
        NEEDS_PTY();
        const CliRun r = cli({"-p", m_port, "dump", "--from", "4", "--count", "3"});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        // Address 4 carries the variant bits of the lettered models: 0x20 for RSX7131.
        QCOMPARE(lines[0].section(u'\t', 0, 0), u"4"_s);
        QCOMPARE(lines[0].section(u'\t', 1, 1).toInt() & 0x60, 0x20);
        QCOMPARE(lines[2].section(u'\t', 0, 0), u"6"_s);
    }

    void read() {
        NEEDS_PTY();
        const CliRun r = cli({"-p", m_port, "read", "--json"});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject o = json(r);
        QCOMPARE(o.value(u"identity"_s).toObject().value(u"model"_s), u"RSX7131B"_s);
        QCOMPARE(o.value(u"channels"_s).toArray().size(), 2);
        QVERIFY(holds(channel(o),
                      {{"input", "Pt 100"},
                       {"input_type", 18},
                       {"input_start", -50},
                       {"input_end", 150},
                       {"output", "4-20 mA"}},
                      {"output_type", "output_start", "output_end", "offset"}));
        const CliRun text = cli({"-p", m_port, "read"});
        QCOMPARE(text.exitCode, 0);
        QVERIFY(text.out.contains(u"Channel A input: Pt 100\n"_s));
        QVERIFY(text.out.contains(u"Channel B input start: -50 °C\n"_s));
    }

    void saveShowLoad() {
        NEEDS_PTY();
        QTemporaryDir dir;
        const QString file = dir.filePath(u"a.VNT"_s);
        QCOMPARE(cli({"-p", m_port, "save", file}).exitCode, 0);
        QCOMPARE(QFileInfo(file).size(), 292);
        const CliRun show = cli({"show", file, "--json"});
        QCOMPARE(show.exitCode, 0);
        const QJsonObject o = json(show);
        QCOMPARE(o.value(u"identity"_s).toObject().value(u"model_byte"_s), 3);
        QVERIFY(holds(channel(o), {{"input", "Pt 100"}, {"input_start", -50}}));

        // Into a second device of the same model: written and verified, no question asked.
        CliSim second(u"RSX7131B"_s);
        const CliRun load = cli({"-p", second.port, "load", file});
        QCOMPARE(load.exitCode, 0);
        QVERIFY(load.err.contains(u"verified"_s));
        const QString back = dir.filePath(u"b.VNT"_s);
        QCOMPARE(cli({"-p", second.port, "save", back}).exitCode, 0);
        QCOMPARE(ReadTestFile(back), ReadTestFile(file));

        // Into another model: the device check asks, the tool answers Cancel, nothing is written.
        CliSim other(u"RSX7040"_s);
        const CliRun refused = cli({"-p", other.port, "load", file});
        QCOMPARE(refused.exitCode, 3);
        QVERIFY(refused.err.contains(u"File not compatible with the device connected"_s));
        QVERIFY(refused.err.contains(u"nothing written"_s));
    }

    // Refusals of every command: the exit code and what stderr says, nothing on stdout. Files
    // that cannot be read or written are 4, found before any device is asked (the port given
    // does not exist, which would be 1). Arguments are split at blanks; '' is an empty one.
    void failures() {
        const struct {
            const char *name, *args;
            int exitCode;
            const char* message;
        } rows[] = {
            {"no command", "", 2, "no command"},
            {"unknown command", "-p x frobnicate", 2, "unknown"},
            {"no port", "identify", 2, "-p PORT"},
            {"address past 255", "-p x dump --from 250 --count 10", 2, "past"},
            {"bad number", "-p x dump --bank b", 2, "--bank"},
            {"missing port", "-p /dev/no-such-port identify", 1, "does not exist"},
            {"unknown model", "sim RSX9999", 2, "RSX9999"},
            {"empty port", "-p '' identify", 2, "-p"},
            {"demo and port", "--demo RSX7030 -p /dev/null read", 2, "--demo"},
            {"show: not a file", "show /dev/null", 4, "0 bytes"},
            {"show: missing", "show /no/such/file.VNT", 4, "/no/such/file.VNT"},
            {"load: missing", "-p /dev/no-such-port load /no/such/file.VNT", 4,
             "/no/such/file.VNT"},
            {"load: not a file", "-p /dev/no-such-port load /dev/null", 4, "0 bytes"},
            {"save: no such folder", "-p /dev/no-such-port save /no/such/dir/a.VNT", 4,
             "/no/such/dir"},
            {"save: a folder", "-p /dev/no-such-port save /tmp", 4, "/tmp"},
            {"monitor: no device", "monitor", 2, "error: "},
            {"monitor: count 0", "--demo RSX7030 monitor --count 0", 2, "error: "},
            {"monitor: unknown model", "--demo RSX9999 monitor", 2, "error: "},
            {"monitor: port that does not open", "-p /nonexistent/tty monitor", 1, "error: "},
            {"eeprom: no action", "--demo RSX7030 eeprom", 2, "usage"},
            {"eeprom: unknown action", "--demo RSX7030 eeprom erase x.dat", 2, "usage"},
            {"eeprom: no file", "--demo RSX7030 eeprom read", 2, "usage"},
            {"eeprom: bank 256", "--demo RSX7030 eeprom read x.dat --bank 256", 2,
             "--bank must be a number from 0 to 255"},
            {"eeprom: missing file", "--demo RSX7030 eeprom verify /nonexistent/x.dat", 4,
             "Cannot read"},
            {"eeprom: unwritable file", "--demo RSX7030 eeprom read /nonexistent/x.dat", 4,
             "cannot write"},
            {"switches: input not offered", "switches --model RSX7031A --input 18", 2,
             "not offered"},
            {"switches: flag the model lacks", "switches --model RSX7030 --multiplier 1", 2,
             "does not apply"},
            {"switches: option word", "switches --model RSX7030 --option 1", 2, "on or off"},
            {"switches: no switches", "switches --model RSX5035", 2, "has no switches"},
            {"switches: bad bank byte", "--demo RSX7030 --switches 72,300 switches", 2, "0 to 255"},
        };
        for (const auto& row : rows) {
            const CliRun r = cli(split(row.args));
            QVERIFY2(r.exitCode == row.exitCode && r.err.contains(QLatin1String(row.message)) &&
                         r.out.isEmpty(),
                     qPrintable(u"%1: %2 %3"_s.arg(row.name).arg(r.exitCode).arg(r.err)));
        }
    }

    // The exit codes are documented where users look.
    void exitCodesDocumented() {
        const CliRun help = cli({"--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.out.contains(u"4  file cannot be read or written"_s), qPrintable(help.out));
    }

    // A type the model does not offer is kept and said on stderr, as a note the tool does not
    // wait on (an RSX7035 has only the 4-20 mA output).
    void keptTypeSaid() {
        QTemporaryDir dir;
        const QString voltage = dir.filePath(u"v.VNT"_s);
        QCOMPARE(cli({"--demo", "RSX7035", "save", voltage}).exitCode, 0);
        QVERIFY(PatchTestFile(voltage, 46, 2)); // channel A: "0-10 V"
        const CliRun kept = cli({"--demo", "RSX7035", "load", voltage});
        QCOMPARE(kept.exitCode, 0);
        QVERIFY2(kept.err.contains(u"Channel A output type and range kept"_s),
                 qPrintable(kept.err));
        QVERIFY2(kept.err.contains(u"\"0-10 V\""_s), qPrintable(kept.err));
    }

    // diff: 0 equal, 3 different (one changed byte, another model), 4 for a file that is no
    // configuration file, before the device is touched.
    void diffExitCodes() {
        QTemporaryDir dir;
        const QString same = dir.filePath(u"same.VNT"_s);
        QCOMPARE(cli({"--demo", "RSX7035", "save", same}).exitCode, 0);
        const QString changed = dir.filePath(u"changed.VNT"_s);
        QVERIFY(QFile::copy(same, changed));
        QVERIFY(PatchTestFile(changed, 46, 2)); // channel A output "0-10 V"
        const QString other = dir.filePath(u"other.VNT"_s);
        QCOMPARE(cli({"--demo", "RSX7040", "save", other}).exitCode, 0);
        const QString junk = dir.filePath(u"junk.VNT"_s);
        QVERIFY(WriteTestFile(junk, "not a configuration"));

        const CliRun equal = cli({"--demo", "RSX7035", "diff", same});
        QCOMPARE(equal.exitCode, 0);
        QCOMPARE(equal.out.trimmed().split(u'\n').last(), u"equal"_s);
        const CliRun one = cli({"--demo", "RSX7035", "diff", changed, "--json"});
        QCOMPARE(one.exitCode, 3);
        const QJsonObject o = json(one);
        // The type, and both range ends, whose numbers now mean volts instead of milliamps.
        QCOMPARE(o.value(u"differences"_s).toInt(), 3);
        QVERIFY(o.value(u"same_model"_s).toBool());
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
    }

    // report: a PDF of the device or of a file; the files are checked before the device is
    // touched (4), a port with nothing on it is a communication failure (1).
    void reportExitCodes() {
        QTemporaryDir dir;
        const QString file = dir.filePath(u"c.VNT"_s), junk = dir.filePath(u"junk.VNT"_s);
        const QString out = dir.filePath(u"r.pdf"_s);
        QCOMPARE(cli({"--demo", "RSX7030", "save", file}).exitCode, 0);
        QVERIFY(WriteTestFile(junk, "not a configuration"));
        // FILE: a saved file, JUNK: no configuration, OUT: the PDF.
        const struct {
            const char *name, *args;
            int exitCode;
            const char* err;
        } rows[] = {{"device", "--demo RSX7040 report OUT", 0, "2 page(s)"},
                    {"file", "report FILE OUT", 0, "1 page(s)"},
                    {"bad file", "report JUNK OUT", 4, "not a configuration file"},
                    {"missing file", "report nowhere.VNT OUT", 4, ""},
                    {"no folder", "--demo RSX7030 report /no/such/r.pdf", 4, "nothing was read"},
                    {"no device", "-p /dev/no-such-port report OUT", 1, "does not exist"},
                    {"device and file", "--demo RSX7030 report FILE OUT", 2, "not both"},
                    {"no output", "report", 2, "usage"}};
        for (const auto& row : rows) {
            QFile::remove(out);
            QStringList args = split(row.args);
            for (QString& a : args)
                a = a == u"OUT"_s ? out : a == u"FILE"_s ? file : a == u"JUNK"_s ? junk : a;
            const CliRun r = cli(args);
            QVERIFY2(r.exitCode == row.exitCode && r.err.contains(QLatin1String(row.err)),
                     qPrintable(u"%1: %2 %3"_s.arg(row.name).arg(r.exitCode).arg(r.err)));
            QVERIFY2(QFile::exists(out) == (row.exitCode == 0), row.name);
            QVERIFY2(row.exitCode || ReadTestFile(out).startsWith("%PDF-"), row.name);
        }
    }

    // --trace: the link's requests and replies on stderr, nothing of it on stdout.
    void trace() {
        const CliRun r = cli({"--demo", "RSX7030", "--trace", "identify"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.contains(u"-> 24 56 00 00 00 0d  |$V....|"_s), qPrintable(r.err));
        QVERIFY2(r.err.contains(u"<- 4f 4b 0d 0a  |OK..|"_s), qPrintable(r.err));
        QVERIFY(!r.out.contains(u"->"_s));
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
            const CliRun r = cli({"--demo", model, "monitor", "--count", "3", "--csv"});
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(r.lines().value(0),
                     u"time,channel,input,input_unit,output,output_unit,status"_s);
            const int n = int(qstrlen(channels));
            QCOMPARE(r.lines().size(), 1 + 3 * n);
            for (int i = 1; i < r.lines().size(); ++i) {
                const auto m = line.match(r.lines()[i]);
                QVERIFY2(m.hasMatch() && m.captured(1) == QLatin1Char(channels[(i - 1) % n]) &&
                             m.captured(3) == QString::fromUtf8(unit),
                         qPrintable(r.lines()[i]));
            }
        }
    }

    // Ctrl-C ends the stream cleanly: exit 0 and only whole lines on stdout.
    void monitorInterrupt() {
#ifndef Q_OS_UNIX
        QSKIP("sends SIGINT");
#else
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
        QVERIFY(out.endsWith('\n'));
        QVERIFY(out.contains(" status 0x"));
#endif
    }

    // read writes the device's bank as the file; verify against it finds nothing; a changed
    // file is listed address by address with the device's and the file's value.
    void eepromReadAndVerify() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"EEprom.dat"_s);
        const QStringList demo{u"--demo"_s, u"RSX7030"_s};
        QVERIFY(eeprom(demo, {"read", path}).startsWith(u"0: "_s));
        const QByteArray bank = sim::SimDevice(0).bank(0);
        QCOMPARE(ReadTestFile(path), image(bank));
        QCOMPARE(eeprom(demo, {"verify", path}), u"0: 0 errori\n"_s);

        QByteArray changed = bank;
        changed[4] = char(quint8(bank[4]) ^ 0x01);
        changed[255] = char(quint8(bank[255]) ^ 0x80);
        QVERIFY(WriteTestFile(path, image(changed)));
        QCOMPARE(
            eeprom(demo, {"verify", path}),
            u"3: address\tdevice\tfile\n4\t%1\t%2\n255\t%3\t%4\n2 errori\n"_s.arg(quint8(bank[4]))
                .arg(quint8(changed[4]))
                .arg(quint8(bank[255]))
                .arg(quint8(changed[255])));
        // Another bank: the simulated device's bank 1 is erased.
        const QString other = eeprom(demo, {"verify", path, "--bank", "1"});
        QVERIFY(other.startsWith(u"3: "_s));
        QVERIFY(other.contains(u"0\t255\t%1\n"_s.arg(quint8(bank[0]))));
    }

#ifdef Q_OS_UNIX
    // Load -> write -> verify -> read on one device: the memory is the file, exactly.
    void eepromWriteVerifyRead() {
        CliSim sim(u"RSX7030"_s);
        QVERIFY(!sim.port.isEmpty());
        QTemporaryDir dir;
        const QString path = dir.filePath(u"in.dat"_s);
        QByteArray wanted(256, '\0');
        for (int a = 0; a < 256; ++a)
            wanted[a] = char((a * 13 + 7) & 0xFF);
        QByteArray text = image(wanted);
        text.replace("\r\n", "\n"); // a file edited on Linux
        QVERIFY(WriteTestFile(path, text));
        const QStringList port{u"-p"_s, sim.port};
        QCOMPARE(eeprom(port, {"write", path, "--bank", "2"}), u"0: 0 errori\n"_s);
        QCOMPARE(eeprom(port, {"verify", path, "--bank", "2"}), u"0: 0 errori\n"_s);
        const QString back = dir.filePath(u"back.dat"_s);
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
            { "silent device",
              image(QByteArray(256, '\0')),
              1,
              "Communication error: nothing was verified" }};
        QTemporaryDir dir;
        const QString path = dir.filePath(u"bad.dat"_s);
        for (const auto& [name, text, exitCode, says] : rows) {
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
            QVERIFY2(exitCode != 3 || received.count() == 0, name);
        }
    }
#endif

    // The wiring code of the record against the editor's caption, `read`, the file's three
    // flags (2 wires at 104, 4 at 108, 3 at 112) and `show`.
    void wires() {
        // The code (-1: the default image, a three-wire Pt 100), the wires, the flag set.
        for (const auto& [code, count, fileOffset] :
             {std::tuple{-1, 3, 112}, {0, 2, 104}, {1, 4, 108}, {2, 3, 112}}) {
            Patch patch;
            if (code >= 0) // Pt 100 and 4-20 mA on both channels, this wiring
                patch = {{4, 0x21 | code << 2}, {6, 0x01 | code << 2}};
            Views v(3, 0x20, patch); // RSX7131B
            QVERIFY(v.ok);
            for (int c = 0; c < 2; ++c) {
                const QString p = u"Channel %1 "_s.arg(c == 0 ? 'A' : 'B');
                const int chosen = v.editor.choice(u"opt_Fili"_s, c);
                QVERIFY(chosen >= 0);
                QCOMPARE(v.caption(u"opt_Fili_%1"_s.arg(3 * c + chosen)), QString::number(count));
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
            Patch patch;
            if (code >= 0)
                patch = {{28, code & 0xFF}, {29, code >> 8}};
            Views v(model, 0, patch);
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
    void doublerAndChannelB_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("variant");
        QTest::addColumn<Patch>("patch");
        QTest::addColumn<int>("doubler"); // -1: the model has none
        QTest::addColumn<bool>("ownChannelB");
        // Channel B: 4-20 mA, 4..20 (bytes 6 and 16..19).
        const Patch outB{{6, 0x01}, {16, 0x20}, {17, 0x4E}, {18, 0xA0}, {19, 0x0F}};
        QTest::newRow("RSX7131A") << 2 << 0x20 << Patch{} << -1 << true;
        QTest::newRow("RSX7031C") << 6 << 0x60 << Patch{} << -1 << true;
        QTest::newRow("RSX7132D") << 5 << 0x40 << Patch{} << -1 << true;
        QTest::newRow("RSX7040") << 7 << 0 << Patch{{4, 0x25}} << -1 << true;
        QTest::newRow("RSX7030") << 0 << 0 << Patch{} << 0 << false;
        QTest::newRow("RSX7030, doubler") << 0 << 0 << Patch{{4, 0x31}} + outB << 1 << false;
        QTest::newRow("model byte 1") << 1 << 0 << Patch{{1, 9}, {12, 0x44}} << 0 << false;
        QTest::newRow("RSX7035") << 8 << 0 << Patch{{14, 0x43}, {15, 0x44}} << 0 << false;
        QTest::newRow("RSX5035") << 9 << 0 << Patch{} << 0 << false;
    }
    void doublerAndChannelB() {
        QFETCH(int, model);
        QFETCH(int, variant);
        QFETCH(Patch, patch);
        QFETCH(int, doubler);
        QFETCH(bool, ownChannelB);
        Views v(model, variant, patch);
        QVERIFY(v.ok);
        const bool on = doubler == 1;
        const QString doublerText = v.texts.lang(31);

        // The doubler itself.
        QCOMPARE(v.editor.enabled(u"chk_Doubler"_s), doubler >= 0);
        QCOMPARE(v.editor.checked(u"chk_Doubler"_s), on);
        QCOMPARE(v.read.contains(u"doubler"_s), doubler >= 0);
        QCOMPARE(v.read.value(u"doubler"_s).toBool(), on);
        QCOMPARE(v.readLines.contains(u"doubler: on"_s), on);
        QCOMPARE(int(v.file.at(291)), on ? 1 : 0);
        QCOMPARE(v.show.contains(u"doubler_state"_s), doubler >= 0);
        QCOMPARE(v.showLines.contains(u"doubler: 1"_s), on);

        // Channel B in every view.
        const bool channelB = ownChannelB || on;
        for (const QJsonObject& o : {v.read, v.show})
            QCOMPARE(o.value(u"channels"_s).toArray().size(), channelB ? 2 : 1);
        for (const QStringList& lines : {v.readLines, v.showLines})
            QCOMPARE(lines.filter(QRegularExpression(u"^Channel B "_s)).isEmpty(), !channelB);
        const QString inputB = v.editor.text(u"cmb_Prog_In"_s, 1);
        QCOMPARE(inputB.isEmpty(), !channelB);
        if (on) {
            QCOMPARE(inputB, doublerText);
            QCOMPARE(channel(v.read, 1).value(u"input"_s).toString(), doublerText);
            QCOMPARE(channel(v.show, 1).value(u"input"_s).toString(), doublerText);
            QCOMPARE(int(v.file.at(13)), 0);
        }
        // The input side of channel B belongs to channel B's own input only.
        for (const char* name : {"txt_Input_max", "txt_Input_min", "txt_offset"})
            QCOMPARE(v.editor.text(QLatin1String(name), 1).isEmpty(), !ownChannelB);
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
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
