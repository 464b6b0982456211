// The command-line tool end to end: a simulated device served on a pseudo-terminal by
// "vantelso-cli sim", then the tool's commands against that port.
#include "clirun.h"
#include "testfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QJsonObject json(const CliRun& r) {
    return QJsonDocument::fromJson(r.out.toUtf8()).object();
}

QJsonObject channelA(const QJsonObject& o) {
    return o.value(QStringLiteral("channels")).toArray().at(0).toObject();
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
private:
    QProcess m_sim;
    QString m_port;

private Q_SLOTS:
    void initTestCase() {
#ifndef Q_OS_UNIX
        QSKIP("pseudo-terminals are a Unix feature");
#endif
        m_sim.start(QStringLiteral(VANTELSO_CLI),
                    {QStringLiteral("sim"), QStringLiteral("RSX7131B")});
        QVERIFY(m_sim.waitForStarted(5000));
        QVERIFY(m_sim.waitForReadyRead(5000));
        m_port = QString::fromLocal8Bit(m_sim.readLine()).trimmed();
        QVERIFY(m_port.startsWith(QLatin1String("/dev/")));
    }
    void cleanupTestCase() {
        m_sim.kill();
        m_sim.waitForFinished(2000);
    }

    void identify() {
        const CliRun text = cli({"-p", m_port, "identify"});
        QCOMPARE(text.exitCode, 0);
        QCOMPARE(text.out, QStringLiteral("ID=12/3\nRSX7131B\n"));

        const CliRun json = cli({"-p", m_port, "identify", "--json"});
        QCOMPARE(json.exitCode, 0);
        const QJsonObject o = ::json(json);
        QCOMPARE(o.value(QStringLiteral("device_code")).toInt(), 12);
        QCOMPARE(o.value(QStringLiteral("model_byte")).toInt(), 3);
        QCOMPARE(o.value(QStringLiteral("model")).toString(), QStringLiteral("RSX7131B"));
        QVERIFY(o.contains(QStringLiteral("id_byte3")));
        QVERIFY(o.contains(QStringLiteral("id_byte4")));
    }

    void dump() {
        const CliRun r = cli({"-p", m_port, "dump", "--from", "4", "--count", "3"});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        // Address 4 carries the variant bits of the lettered models: 0x20 for RSX7131.
        QCOMPARE(lines[0].section(u'\t', 0, 0), QStringLiteral("4"));
        QCOMPARE(lines[0].section(u'\t', 1, 1).toInt() & 0x60, 0x20);
        QCOMPARE(lines[2].section(u'\t', 0, 0), QStringLiteral("6"));
    }

    void read() {
        const CliRun r = cli({"-p", m_port, "read", "--json"});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject o = json(r);
        QCOMPARE(o.value(QStringLiteral("identity")).toObject().value(QStringLiteral("model")),
                 QStringLiteral("RSX7131B"));
        QCOMPARE(o.value(QStringLiteral("channels")).toArray().size(), 2);
        const QJsonObject a = channelA(o);
        QCOMPARE(a.value(QStringLiteral("input")).toString(), QStringLiteral("Pt 100"));
        QCOMPARE(a.value(QStringLiteral("input_type")).toInt(), 18);
        QCOMPARE(a.value(QStringLiteral("input_start")).toDouble(), -50.0);
        QCOMPARE(a.value(QStringLiteral("input_end")).toDouble(), 150.0);
        QCOMPARE(a.value(QStringLiteral("output")).toString(), QStringLiteral("4-20 mA"));
        for (const char* key : {"output_type", "output_start", "output_end", "offset"})
            QVERIFY2(a.contains(QLatin1String(key)), key);

        const CliRun text = cli({"-p", m_port, "read"});
        QCOMPARE(text.exitCode, 0);
        QVERIFY(text.out.contains(QStringLiteral("Channel A input: Pt 100\n")));
        QVERIFY(text.out.contains(QStringLiteral("Channel B input start: -50 °C\n")));
    }

    void saveShowLoad() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("a.VNT"));
        const CliRun save = cli({"-p", m_port, "save", file});
        QCOMPARE(save.exitCode, 0);
        QCOMPARE(QFileInfo(file).size(), 292);

        const CliRun show = cli({"show", file, "--json"});
        QCOMPARE(show.exitCode, 0);
        const QJsonObject o = json(show);
        QCOMPARE(o.value(QStringLiteral("identity")).toObject().value(QStringLiteral("model_byte")),
                 3);
        const QJsonObject a = channelA(o);
        QCOMPARE(a.value(QStringLiteral("input")).toString(), QStringLiteral("Pt 100"));
        QCOMPARE(a.value(QStringLiteral("input_start")).toDouble(), -50.0);

        // Into a second device of the same model: written and verified, no question asked.
        CliSim second(QStringLiteral("RSX7131B"));
        const CliRun load = cli({"-p", second.port, "load", file});
        QCOMPARE(load.exitCode, 0);
        QVERIFY(load.err.contains(QLatin1String("verified")));
        const QString back = dir.filePath(QStringLiteral("b.VNT"));
        QCOMPARE(cli({"-p", second.port, "save", back}).exitCode, 0);
        QCOMPARE(ReadTestFile(back), ReadTestFile(file));

        // Into another model: the device check asks, the tool answers Cancel, nothing is written.
        CliSim other(QStringLiteral("RSX7040"));
        const CliRun refused = cli({"-p", other.port, "load", file});
        QCOMPARE(refused.exitCode, 3);
        QVERIFY(
            refused.err.contains(QLatin1String("File not compatible with the device connected")));
        QVERIFY(refused.err.contains(QLatin1String("nothing written")));
    }

    // Refusals of every command: the exit code and what stderr says, nothing on stdout. Files
    // that cannot be read or written are 4, found before any device is asked (the port given
    // does not exist, which would be 1). Arguments are split at blanks; '' is an empty one.
    void failures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
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
        for (const auto& r : rows) {
            QStringList args = QString::fromLatin1(r.args).split(u' ', Qt::SkipEmptyParts);
            args.replaceInStrings(QRegularExpression(QStringLiteral("^''$")), QString());
            QTest::newRow(r.name) << args << r.exitCode << QString::fromLatin1(r.message);
        }
    }
    void failures() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const CliRun r = cli(args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }

    // The exit codes are documented where users look.
    void exitCodesDocumented() {
        const CliRun help = cli({"--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.out.contains(QLatin1String("4  file cannot be read or written")),
                 qPrintable(help.out));
    }

    // A type the model does not offer is kept and said on stderr, as a note the tool does not
    // wait on (an RSX7035 has only the 4-20 mA output).
    void keptTypeSaid() {
        QTemporaryDir dir;
        const QString voltage = dir.filePath(QStringLiteral("v.VNT"));
        QCOMPARE(cli({"--demo", "RSX7035", "save", voltage}).exitCode, 0);
        QVERIFY(PatchTestFile(voltage, 46, 2)); // channel A: "0-10 V"
        const CliRun kept = cli({"--demo", "RSX7035", "load", voltage});
        QCOMPARE(kept.exitCode, 0);
        QVERIFY2(kept.err.contains(QLatin1String("Channel A output type and range kept")),
                 qPrintable(kept.err));
        QVERIFY2(kept.err.contains(QLatin1String("\"0-10 V\"")), qPrintable(kept.err));
    }

    // diff: 0 equal, 3 different (one changed byte, another model), 4 for a file that is no
    // configuration file, before the device is touched.
    void diffExitCodes() {
        QTemporaryDir dir;
        const QString same = dir.filePath(QStringLiteral("same.VNT"));
        QCOMPARE(cli({"--demo", "RSX7035", "save", same}).exitCode, 0);
        const QString changed = dir.filePath(QStringLiteral("changed.VNT"));
        QVERIFY(QFile::copy(same, changed));
        QVERIFY(PatchTestFile(changed, 46, 2)); // channel A output "0-10 V"
        const QString other = dir.filePath(QStringLiteral("other.VNT"));
        QCOMPARE(cli({"--demo", "RSX7040", "save", other}).exitCode, 0);
        const QString junk = dir.filePath(QStringLiteral("junk.VNT"));
        QVERIFY(WriteTestFile(junk, "not a configuration"));

        const CliRun equal = cli({"--demo", "RSX7035", "diff", same});
        QCOMPARE(equal.exitCode, 0);
        QCOMPARE(equal.out.trimmed().split(u'\n').last(), QStringLiteral("equal"));
        const CliRun one = cli({"--demo", "RSX7035", "diff", changed, "--json"});
        QCOMPARE(one.exitCode, 3);
        const QJsonObject o = QJsonDocument::fromJson(one.out.toUtf8()).object();
        // The type, and both range ends, whose numbers now mean volts instead of milliamps.
        QCOMPARE(o.value(QStringLiteral("differences")).toInt(), 3);
        QVERIFY(o.value(QStringLiteral("same_model")).toBool());
        QStringList differing;
        for (const QJsonValue& v : o.value(QStringLiteral("fields")).toArray())
            if (v.toObject().value(QStringLiteral("differs")).toBool())
                differing << v.toObject().value(QStringLiteral("field")).toString() + u'=' +
                                 v.toObject().value(QStringLiteral("file")).toString();
        QCOMPARE(differing, QStringList({"output=0-10 V", "output_end=20", "output_start=4"}));
        const CliRun model = cli({"--demo", "RSX7035", "diff", other});
        QCOMPARE(model.exitCode, 3);
        QVERIFY2(model.out.contains(QLatin1String("another model")), qPrintable(model.out));
        const CliRun bad = cli({"-p", "/dev/no-such-port", "diff", junk});
        QCOMPARE(bad.exitCode, 4);
        QVERIFY2(bad.err.contains(QLatin1String("nothing was read")), qPrintable(bad.err));
    }

    // report: a PDF of the device or of a file; the files are checked before the device is
    // touched (4), a port with nothing on it is a communication failure (1).
    void reportExitCodes_data() {
        QTest::addColumn<QStringList>("args"); // FILE: a saved file, JUNK: no configuration
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("err");
        QTest::newRow("device") << QStringList{"--demo", "RSX7040", "report", "OUT"} << 0
                                << "2 page(s)";
        QTest::newRow("file") << QStringList{"report", "FILE", "OUT"} << 0 << "1 page(s)";
        QTest::newRow("bad file") << QStringList{"report", "JUNK", "OUT"} << 4
                                  << "not a configuration file";
        QTest::newRow("missing file") << QStringList{"report", "nowhere.VNT", "OUT"} << 4 << "";
        QTest::newRow("no folder") << QStringList{"--demo", "RSX7030", "report", "/no/such/r.pdf"}
                                   << 4 << "nothing was read";
        QTest::newRow("no device")
            << QStringList{"-p", "/dev/no-such-port", "report", "OUT"} << 1 << "does not exist";
        QTest::newRow("device and file")
            << QStringList{"--demo", "RSX7030", "report", "FILE", "OUT"} << 2 << "not both";
        QTest::newRow("no output") << QStringList{"report"} << 2 << "usage";
    }
    void reportExitCodes() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, err);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("c.VNT"));
        QCOMPARE(cli({"--demo", "RSX7030", "save", file}).exitCode, 0);
        const QString junk = dir.filePath(QStringLiteral("junk.VNT"));
        QVERIFY(WriteTestFile(junk, "not a configuration"));
        const QString out = dir.filePath(QStringLiteral("r.pdf"));
        args.replaceInStrings(QRegularExpression(QStringLiteral("^OUT$")), out);
        args.replaceInStrings(QRegularExpression(QStringLiteral("^FILE$")), file);
        args.replaceInStrings(QRegularExpression(QStringLiteral("^JUNK$")), junk);
        const CliRun r = cli(args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
        QCOMPARE(QFile::exists(out), exitCode == 0);
        if (exitCode == 0)
            QVERIFY(ReadTestFile(out).startsWith("%PDF-"));
    }

    // --trace: the link's requests and replies on stderr, nothing of it on stdout.
    void trace() {
        const CliRun r = cli({"--demo", "RSX7030", "--trace", "identify"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.contains(QLatin1String("-> 24 56 00 00 00 0d  |$V....|")),
                 qPrintable(r.err));
        QVERIFY2(r.err.contains(QLatin1String("<- 4f 4b 0d 0a  |OK..|")), qPrintable(r.err));
        QVERIFY(!r.out.contains(QLatin1String("->")));
        QVERIFY(!cli({"--demo", "RSX7030", "identify"}).err.contains(QLatin1String("->")));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
