// vantelso-cli bench sim: every instrument's port is printed, and each one answers there.
// vantelso-cli bench calibrate: a whole run on a simulated bench, its lines and exit code.
#include "benchinstruments.h"
#include "clirun.h"
#include "scriptedprompter.h"
#include "sessionfactory.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace vantelso;
using namespace vantelso::bench;
using namespace Qt::StringLiterals;

class TestBenchCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
#ifdef Q_OS_UNIX
    void benchSim() {
        QProcess cli;
        cli.start(QStringLiteral(VANTELSO_CLI), {u"bench"_s, u"sim"_s, u"RSX7030"_s});
        QVERIFY(cli.waitForStarted());
        QHash<QString, QString> ports; // name -> address, pseudo-terminals and sockets apart
        while (ports.size() < 8 && cli.waitForReadyRead(5000)) {
            while (cli.canReadLine()) {
                const QStringList f = QString::fromLocal8Bit(cli.readLine()).trimmed().split(u'\t');
                QCOMPARE(f.size(), 3);
                ports.insert(f[0] + (f[1].startsWith(u'/') ? QString() : u"/tcp"_s), f[1]);
            }
        }
        QCOMPARE(ports.size(), 8);
        for (const char* name :
             {"dispositivo", "alimentatore", "calibratore", "multimetro0", "multimetro1", "switch"})
            QVERIFY2(ports.value(QLatin1String(name)).startsWith(u"/dev/"_s), name);
        QVERIFY(ports.value(u"generatore/tcp"_s).startsWith(u"TCPIP::"_s));

        ScriptedPrompter prompter;
        ResourceAliases aliases;
        aliases.add(u"UsbDevice2"_s, ports.value(u"multimetro0/tcp"_s));
        SessionFactory sessions(aliases);
        BenchInstruments bench(&prompter, &sessions);
        bench.context.timings = BenchTimings().scaled(0);
        bench.setPortPath(4, ports.value(u"alimentatore"_s));
        bench.setPortPath(6, ports.value(u"calibratore"_s));
        bench.setPortPath(3, ports.value(u"multimetro0"_s));
        bench.setPortPath(5, ports.value(u"switch"_s));
        QCOMPARE(bench.openPorts(), QStringList());
        QCOMPARE(bench.supply.SetSupply(true, u"20.00"_s), BenchStatus::Ok);
        QCOMPARE(bench.supply.ReadSupplyCurrent().value(), 27.0);
        QCOMPARE(bench.calibrator.ReadAmbientTemp().value, 23.5);
        QVERIFY(bench.meters.ReadMultimeter(0).ok());
        bench.meters.setSelector(u"Usb2"_s);
        QVERIFY(bench.meters.ReadMultimeter(0).ok());
        cli.kill();
        cli.waitForFinished();
    }
#endif

    // Exit 0 only when every selected range passed and the final programming was read
    // back; a range that failed exits 3 and is named; usage mistakes exit 2 before any run.
    void calibrate_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("lastLine");
        QTest::addColumn<QString>("stderrHas");
        QTest::newRow("RSX7030") << QStringList{"RSX7030"} << 0 << u"COLLAUDO TERMINATO"_s << u""_s;
        QTest::newRow("gain error 5 %")
            << QStringList{"RSX7032A", "--gain-error", "5"} << 3 << u"COLLAUDO TERMINATO"_s
            << u"not passed: 90 mV A, 200 mV A, 800 mV A, 90 mV B"_s;
        QTest::newRow("gain error 1 % passes")
            << QStringList{"RSX7031A", "--gain-error", "1", "--ranges", "0,cjca"} << 0
            << u"COLLAUDO TERMINATO"_s << u""_s;
        // A model byte 1 unit keeps its output pair the other way round.
        QTest::newRow("model byte 1 outputs")
            << QStringList{"RSX7030", "--model-byte", "1", "--ranges", "9,mAB"} << 0
            << u"COLLAUDO TERMINATO"_s << u""_s;
        QTest::newRow("model byte of another model")
            << QStringList{"RSX7030", "--model-byte", "2"} << 2 << u""_s << u"--model-byte 2"_s;
        QTest::newRow("range of another model")
            << QStringList{"RSX7031A", "--ranges", "PTCA"} << 2 << u""_s << u"not a range"_s;
        QTest::newRow("unknown model")
            << QStringList{"RSX9999"} << 2 << u""_s << u"unknown bench model"_s;
        QTest::newRow("gain error not a number")
            << QStringList{"RSX7030", "--gain-error", "x"} << 2 << u""_s << u"--gain-error"_s;
    }
    void calibrate() {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, lastLine);
        QFETCH(QString, stderrHas);
        const CliRun r = cli(QStringList{"bench", "calibrate"} + args);
        QVERIFY2(r.exitCode == exitCode, qPrintable(r.out + r.err));
        QCOMPARE(r.lines().value(r.lines().size() - 1), lastLine);
        QVERIFY2(r.err.contains(stderrHas), qPrintable(r.err));
        if (exitCode == 0 && args.size() == 1) // one line per range, then the ending
            QCOMPARE(r.lines().size(), 13);
    }

    // --json: every selected range with its fields, and the unit identifier given.
    void calibrateJson() {
        const CliRun r = cli({"bench", "calibrate", "RSX7032A", "--ranges", "1,mAA", "--unit",
                              "L-0042", "--gain-error", "3", "--json"});
        QCOMPARE(r.exitCode, 3);
        const QJsonObject o = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(o.value("unit").toString(), u"L-0042"_s);
        QCOMPARE(o.value("passed").toBool(true), false);
        QCOMPARE(o.value("finalProgrammed").toBool(), true);
        QCOMPARE(o.value("failedRanges").toArray(), QJsonArray{u"200 mV A"_s});
        const QJsonArray ranges = o.value("ranges").toArray();
        QCOMPARE(ranges.size(), 2);
        QCOMPARE(ranges[0].toObject().value("range").toString(), u"200 mV A"_s);
        QVERIFY(ranges[1].toObject().value("passed").toBool());
        QVERIFY(!ranges[1].toObject().value("k2").toString().isEmpty());

        // The run is in the production records under the unit's id, with its steps.
        const CliRun listed = cli({"records", "--unit", "L-0042", "--json"});
        QVERIFY2(listed.exitCode == 0, qPrintable(listed.err));
        const QJsonArray runs = QJsonDocument::fromJson(listed.out.toUtf8()).array();
        QCOMPARE(runs.size(), 1);
        const QJsonObject run = runs[0].toObject();
        QCOMPARE(run.value("kind").toString(), u"calibration"_s);
        QCOMPARE(run.value("outcome").toString(), u"failed"_s);
        const QJsonArray steps = run.value("steps").toArray();
        QCOMPARE(steps.size(), 2);
        QCOMPARE(steps[0].toObject().value("range").toString(), u"200 mV A"_s);
        QCOMPARE(steps[0].toObject().value("passed").toBool(true), false);
        QVERIFY(steps[1].toObject().value("passed").toBool());
    }
};

QTEST_GUILESS_MAIN(TestBenchCli)
#include "tst_benchcli.moc"
