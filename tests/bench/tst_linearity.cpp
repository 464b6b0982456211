// The linearity aids on the simulated bench, their meters on pseudo-terminals of their own:
// each logs to "linear.dat" line by line until STOP, and leaves the meters on their ports.
#include "calrig.h"
#include "linearitysweep.h"

#include <QFile>
#include <QTest>

using namespace vantelso;
using namespace vantelso::bench;
using namespace Qt::StringLiterals;

namespace {

QStringList fileLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class TestLinearity : public QObject {
    Q_OBJECT
private:
    // A calibrated-bench rig with meters 0 and 1 also reachable as serial ports 1, 2 and 8.
    struct SweepRig {
        CalRig cal{u"RSX7032A"_s};
        LinearitySweep sweep{&cal.link, &cal.rig.instruments};
        QString why;
        bool serve() {
            if (!cal.rig.bench.serve(&why))
                return false;
            for (const auto& e : cal.rig.bench.endpoints()) {
                if (e.address.startsWith(u"TCPIP"_s))
                    continue;
                if (e.name == u"multimetro0"_s) {
                    cal.rig.instruments.setPortPath(1, e.address);
                    cal.rig.instruments.setPortPath(8, e.address);
                } else if (e.name == u"multimetro1"_s) {
                    cal.rig.instruments.setPortPath(2, e.address);
                }
            }
            sweep.folder = cal.folder.path();
            cal.run.SupplyOn();
            // The operator has set both outputs to a voltage range.
            cal.link.WriteBlock(0, {vantelso::WriteItem{4, 2}, vantelso::WriteItem{6, 2}});
            return cal.link.CommError == 0;
        }
        // STOP pressed once `n` data lines are logged.
        void stopAfter(int n) {
            QObject::connect(&sweep, &LinearitySweep::lineLogged, &sweep,
                             [this, n, seen = 0](const QString& l) mutable {
                                 if (!l.startsWith(u"Input"_s) && ++seen >= n)
                                     sweep.StopRequested = true;
                             });
        }
    };

private Q_SLOTS:
    void numberFormat_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("small") << 5.0123 << "05.012";
        QTest::newRow("two digits") << 10.5 << "10.500";
        QTest::newRow("negative") << -0.25 << "-00.250";
        QTest::newRow("negative zero") << -0.0001 << "00.000";
    }
    void numberFormat() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(SweepNumber(value), text);
    }

    void meterSweepUntilStop() {
        SweepRig r;
        QVERIFY2(r.serve(), qPrintable(r.why));
        r.stopAfter(5);
        const SweepOutcome out = r.sweep.MeterSweep();
        QVERIFY2(!out.error, qPrintable(out.message));
        QCOMPARE(out.lines, 5);
        const QStringList lines = fileLines(r.sweep.filePath());
        QCOMPARE(lines.size(), 5);
        double previous = -1;
        for (int n = 0; n < 5; ++n) {
            const QStringList f = lines[n].split(QLatin1Char('\t'));
            QCOMPARE(f.size(), 2);
            QCOMPARE(f[0], QString::number(801 + n));
            QVERIFY2(QRegularExpression(u"^-?\\d\\d\\.\\d{3}$"_s).match(f[1]).hasMatch(),
                     qPrintable(lines[n]));
            QVERIFY(f[1].toDouble() >= previous);
            previous = f[1].toDouble();
        }
        // Five counts up move the output by several millivolts.
        QVERIFY(previous > lines[0].section(QLatin1Char('\t'), 1).toDouble());
        // The meter ends on the count just sent, in remote mode; the ports are the selector's
        // again.
        QVERIFY(r.cal.rig.bench.meter(0).remote());
        QCOMPARE(r.cal.rig.instruments.meters.port(0), &r.cal.rig.meterPort);
        QVERIFY(!r.sweep.running());
    }

    void twoChannelSweepUntilStop() {
        SweepRig r;
        QVERIFY2(r.serve(), qPrintable(r.why));
        r.stopAfter(3);
        const SweepOutcome out = r.sweep.TwoChannelSweep();
        QVERIFY2(!out.error, qPrintable(out.message));
        QCOMPARE(out.lines, 3);
        const QStringList lines = fileLines(r.sweep.filePath());
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], u"Input\tInA\tOutA\tMultA\tInB\tOutB\tMultB"_s);
        for (int n = 1; n <= 3; ++n) {
            const QStringList f = lines[n].split(QLatin1Char('\t'));
            QCOMPARE(f.size(), 7);
            QCOMPARE(f[0], QString::number(n));
            // Both outputs are measured in volts by their own meter.
            QVERIFY2(f[3].toDouble() > 0 && f[6].toDouble() > 0, qPrintable(lines[n]));
        }
        QVERIFY(r.cal.rig.bench.meter(1).remote());
        QCOMPARE(r.cal.rig.instruments.meters.port(0), &r.cal.rig.meterPort);
    }

    // A folder that cannot take the file, or a meter that stops answering, end the sweep
    // with the reason; what was logged stays in the file.
    void failures() {
        SweepRig r;
        QVERIFY2(r.serve(), qPrintable(r.why));
        r.sweep.folder = r.cal.folder.filePath(u"missing/deeper"_s);
        SweepOutcome out = r.sweep.MeterSweep();
        QVERIFY(out.error && out.message.contains(u"linear.dat"_s));
        QCOMPARE(out.lines, 0);

        r.sweep.folder = r.cal.folder.path();
        QObject::connect(&r.sweep, &LinearitySweep::lineLogged, &r.sweep, [&r](const QString& l) {
            if (l.startsWith(u"803"_s))
                r.cal.rig.bench.meter(0).setSilent(true);
        });
        out = r.sweep.MeterSweep();
        QVERIFY(out.error);
        QCOMPARE(out.message, u"Multimetro non risponde"_s);
        QCOMPARE(out.lines, 3);
        QCOMPARE(fileLines(r.sweep.filePath()).size(), 3);
    }
};

QTEST_MAIN(TestLinearity)
#include "tst_linearity.moc"
