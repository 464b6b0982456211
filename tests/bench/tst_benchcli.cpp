// vantelso-cli bench sim: every instrument's port is printed, and each one answers there.
#include "benchinstruments.h"
#include "scriptedprompter.h"
#include "sessionfactory.h"

#include <QProcess>
#include <QTest>

using namespace vantelso;
using namespace vantelso::bench;

class TestBenchCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
#ifdef Q_OS_UNIX
    void benchSim() {
        QProcess cli;
        cli.start(QStringLiteral(VANTELSO_CLI),
                  {QStringLiteral("bench"), QStringLiteral("sim"), QStringLiteral("RSX7030")});
        QVERIFY(cli.waitForStarted());
        QHash<QString, QString> ports; // name -> address, pseudo-terminals and sockets apart
        while (ports.size() < 8 && cli.waitForReadyRead(5000)) {
            while (cli.canReadLine()) {
                const QStringList f = QString::fromLocal8Bit(cli.readLine()).trimmed().split(u'\t');
                QCOMPARE(f.size(), 3);
                ports.insert(f[0] + (f[1].startsWith(u'/') ? QString() : QStringLiteral("/tcp")),
                             f[1]);
            }
        }
        QCOMPARE(ports.size(), 8);
        for (const char* name :
             {"dispositivo", "alimentatore", "calibratore", "multimetro0", "multimetro1", "switch"})
            QVERIFY2(ports.value(QLatin1String(name)).startsWith(QLatin1String("/dev/")), name);
        QVERIFY(ports.value(QStringLiteral("generatore/tcp")).startsWith(QLatin1String("TCPIP::")));

        ScriptedPrompter prompter;
        ResourceAliases aliases;
        aliases.add(QStringLiteral("UsbDevice2"), ports.value(QStringLiteral("multimetro0/tcp")));
        SessionFactory sessions(aliases);
        BenchInstruments bench(&prompter, &sessions);
        bench.context.timings = BenchTimings().scaled(0);
        bench.setPortPath(4, ports.value(QStringLiteral("alimentatore")));
        bench.setPortPath(6, ports.value(QStringLiteral("calibratore")));
        bench.setPortPath(3, ports.value(QStringLiteral("multimetro0")));
        bench.setPortPath(5, ports.value(QStringLiteral("switch")));
        QCOMPARE(bench.openPorts(), QStringList());
        QCOMPARE(bench.supply.SetSupply(true, QStringLiteral("20.00")), BenchStatus::Ok);
        QCOMPARE(bench.supply.ReadSupplyCurrent().value(), 27.0);
        QCOMPARE(bench.calibrator.ReadAmbientTemp().value, 23.5);
        QVERIFY(bench.meters.ReadMultimeter(0).ok());
        bench.meters.setSelector(QStringLiteral("Usb2"));
        QVERIFY(bench.meters.ReadMultimeter(0).ok());
        cli.kill();
        cli.waitForFinished();
    }
#endif
};

QTEST_GUILESS_MAIN(TestBenchCli)
#include "tst_benchcli.moc"
