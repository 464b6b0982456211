// vantelso-cli monitor: live measurements on stdout from the in-process simulated device.
#include "clirun.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

using namespace Qt::StringLiterals;
class TestMonitor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // --csv: the header, then one line per channel per frame with "." decimals.
    void csv_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QStringList>("channels");
        QTest::addColumn<QString>("inputUnit");
        // The RSX7030's one input on its two outputs.
        QTest::newRow("second output") << "RSX7030" << QStringList{"A", "B"} << "°C";
        QTest::newRow("one channel") << "RSX7040" << QStringList{"A"} << "Hz";
        QTest::newRow("two channels") << "RSX7131B" << QStringList{"A", "B"} << "°C";
    }
    void csv() {
        QFETCH(QString, model);
        QFETCH(QStringList, channels);
        QFETCH(QString, inputUnit);
        const CliRun r = cli({u"--demo"_s, model, u"monitor"_s, u"--count"_s, u"3"_s, u"--csv"_s});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.lines().value(0), u"time,channel,input,input_unit,output,output_unit,status"_s);
        QCOMPARE(r.lines().size(), 1 + 3 * channels.size());
        const QRegularExpression row(QStringLiteral(
            R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z,([AB]),-?\d+(\.\d+)?,([^,]*),-?\d+\.\d{3},(mA|V),\d+$)"));
        for (int i = 1; i < r.lines().size(); ++i) {
            const auto m = row.match(r.lines()[i]);
            QVERIFY2(m.hasMatch(), qPrintable(r.lines()[i]));
            QCOMPARE(m.captured(1), channels[(i - 1) % channels.size()]);
            QCOMPARE(m.captured(3), inputUnit);
        }
    }

    // Ctrl-C ends the stream cleanly: exit 0 and only whole lines on stdout.
    void interrupt() {
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
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "tst_monitor.moc"
