// The command-line tool end to end: a simulated device served on a pseudo-terminal by
// "vantelso-cli sim", then the tool's commands against that port.
#include "clirun.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
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

    void readModels_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("trip");
        QTest::newRow("RSX7030") << "RSX7030"
                                 << "Tc K" << true;
        QTest::newRow("RSX7040") << "RSX7040"
                                 << "Freq" << true;
        QTest::newRow("RSX7132D") << "RSX7132D"
                                  << "10 V" << false;
    }
    void readModels() {
        QFETCH(QString, model);
        QFETCH(QString, input);
        QFETCH(bool, trip);
        const CliRun r = cli({"--demo", model, "read", "--json"});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject a = channelA(json(r));
        QCOMPARE(a.value(QStringLiteral("input")).toString(), input);
        QCOMPARE(a.contains(QStringLiteral("trip")), trip);
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
        QFile fa(file), fb(back);
        QVERIFY(fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly));
        QCOMPARE(fb.readAll(), fa.readAll());

        // Into another model: the device check asks, the tool answers Cancel, nothing is written.
        CliSim other(QStringLiteral("RSX7040"));
        const CliRun refused = cli({"-p", other.port, "load", file});
        QCOMPARE(refused.exitCode, 3);
        QVERIFY(
            refused.err.contains(QLatin1String("File not compatible with the device connected")));
        QVERIFY(refused.err.contains(QLatin1String("nothing written")));
    }

    void failures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("no command") << QStringList{} << 2 << "no command";
        QTest::newRow("unknown command") << QStringList{"-p", "x", "frobnicate"} << 2 << "unknown";
        QTest::newRow("no port") << QStringList{"identify"} << 2 << "-p PORT";
        QTest::newRow("address past 255")
            << QStringList{"-p", "x", "dump", "--from", "250", "--count", "10"} << 2 << "past";
        QTest::newRow("bad number")
            << QStringList{"-p", "x", "dump", "--bank", "b"} << 2 << "--bank";
        QTest::newRow("missing port")
            << QStringList{"-p", "/dev/no-such-port", "identify"} << 1 << "does not exist";
        QTest::newRow("unknown model") << QStringList{"sim", "RSX9999"} << 2 << "RSX9999";
        QTest::newRow("empty port") << QStringList{"-p", "", "identify"} << 2 << "-p";
        QTest::newRow("demo and port")
            << QStringList{"--demo", "RSX7030", "-p", "/dev/null", "read"} << 2 << "--demo";
        // Files that cannot be read or written: 4, found before any device is asked (the
        // port given does not exist, which would be 1).
        QTest::newRow("show: not a file") << QStringList{"show", "/dev/null"} << 4 << "0 bytes";
        QTest::newRow("show: missing")
            << QStringList{"show", "/no/such/file.VNT"} << 4 << "/no/such/file.VNT";
        QTest::newRow("load: missing")
            << QStringList{"-p", "/dev/no-such-port", "load", "/no/such/file.VNT"} << 4
            << "/no/such/file.VNT";
        QTest::newRow("load: not a file")
            << QStringList{"-p", "/dev/no-such-port", "load", "/dev/null"} << 4 << "0 bytes";
        QTest::newRow("save: no such folder")
            << QStringList{"-p", "/dev/no-such-port", "save", "/no/such/dir/a.VNT"} << 4
            << "/no/such/dir";
        QTest::newRow("save: a folder")
            << QStringList{"-p", "/dev/no-such-port", "save", "/tmp"} << 4 << "/tmp";
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

    // A file saved from a simulated device and loaded into another of the same model: the
    // frequency model's own file passes every check; a type the model does not offer is
    // kept and said on stderr (an RSX7035 has only the 4-20 mA output).
    void loadOwnAndForeignFiles() {
        QTemporaryDir dir;
        const QString own = dir.filePath(QStringLiteral("own.VNT"));
        QCOMPARE(cli({"--demo", "RSX7040", "save", own}).exitCode, 0);
        const CliRun back = cli({"--demo", "RSX7040", "load", own});
        QCOMPARE(back.exitCode, 0);
        QVERIFY2(back.err.contains(QLatin1String("verified")), qPrintable(back.err));

        const QString voltage = dir.filePath(QStringLiteral("v.VNT"));
        QCOMPARE(cli({"--demo", "RSX7035", "save", voltage}).exitCode, 0);
        QFile f(voltage);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(46));
        QVERIFY(f.putChar(2)); // channel A: "0-10 V"
        f.close();
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
        QFile f(changed);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(46));
        QVERIFY(f.putChar(2)); // channel A output "0-10 V"
        f.close();
        const QString other = dir.filePath(QStringLiteral("other.VNT"));
        QCOMPARE(cli({"--demo", "RSX7040", "save", other}).exitCode, 0);
        const QString junk = dir.filePath(QStringLiteral("junk.VNT"));
        QFile j(junk);
        QVERIFY(j.open(QIODevice::WriteOnly));
        j.write("not a configuration");
        j.close();

        const CliRun equal = cli({"--demo", "RSX7035", "diff", same});
        QCOMPARE(equal.exitCode, 0);
        QCOMPARE(equal.out.trimmed().split(u'\n').last(), QStringLiteral("equal"));
        const CliRun one = cli({"--demo", "RSX7035", "diff", changed, "--json"});
        QCOMPARE(one.exitCode, 3);
        const QJsonObject o = QJsonDocument::fromJson(one.out.toUtf8()).object();
        // The type, and both range ends, whose numbers now mean volts instead of milliamps.
        QCOMPARE(o.value(QStringLiteral("differences")).toInt(), 3);
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
