// The range calibration steps against a simulated unit: the constant by range kind and its
// ±2 % check, what is written where, the cold-junction byte, the PTC words, and that an
// unticked range touches nothing.
#include "calrig.h"
#include "codecs.h"

#include <QTest>

using namespace vantelso;
using namespace vantelso::bench;

class TestCalSteps : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The RSX7030 reports its input directly, so the unit's gain error sets the reading at the
    // calibration point exactly.
    void inputConstant_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("gainError");
        QTest::addColumn<double>("k");
        QTest::addColumn<bool>("written");
        // 50 mV read as 50.0: k = 50, outside 55.37..57.63 around 56.5.
        QTest::newRow("90 mV k=50") << 0 << 0.13 << 50.0 << false;
        // 300 ohm read as 297: k = 1.0101, inside 0.98..1.02.
        QTest::newRow("500 ohm 297") << 6 << -0.01 << 300.0 / 297 << true;
        QTest::newRow("10 V in tolerance") << 3 << 0.01 << 5700 / 1.01 << true;
        QTest::newRow("20 mA 3% high") << 4 << 0.03 << 10300 / 1.03 << false;
    }
    void inputConstant() {
        QFETCH(int, index);
        QFETCH(double, gainError);
        QFETCH(double, k);
        QFETCH(bool, written);
        CalRig r(QStringLiteral("RSX7030"));
        r.rig.bench.calibrationModel()->unit.inputGainError[0] = gainError;
        r.rig.bench.supply().receive("KOE\r");
        QVERIFY(r.link.ReadIdentity().at(0) == 0);
        const CalStep step = *FindCalStep(QStringLiteral("RSX7030"), index);
        const double before = r.constantAt(step.address);
        QVERIFY(r.run.CalibrateInputRange(step));
        const RangeResult& res = r.run.ranges[std::size_t(index)];
        // The frame's float keeps 15 fraction bits.
        QVERIFY2(qAbs(res.k1.text.toDouble() - k) <= k * 2e-4, qPrintable(res.k1.text));
        QCOMPARE(res.k1.colour, written ? FieldColour::Green : FieldColour::Red);
        QCOMPARE(res.box, written ? FieldColour::Green : FieldColour::Red);
        if (written) {
            // M, H, E of the float, the low mantissa byte dropped.
            const auto e = codecs::FloatToBytes(k);
            QCOMPARE(r.device().memory(0, step.address), e[2]);
            QCOMPARE(r.device().memory(0, step.address + 1), e[1]);
            QCOMPARE(r.device().memory(0, step.address + 2), e[0]);
            QCOMPARE(res.span.colour, FieldColour::Green);
        } else {
            QCOMPARE(r.constantAt(step.address), before);
            QVERIFY(res.zero.text.isEmpty()); // no check after a refused constant
        }
        // The range was set: code at address 0, function byte cleared, full scale at 20/21.
        QCOMPARE(int(r.device().memory(0, 0)), step.code);
        QCOMPARE(r.device().memory(0, 20) | r.device().memory(0, 21) << 8,
                 RangeEndWord(step.code, step.span));
    }

    // A junction reading 3.4 °C above the calibrator's sensor gives -34, stored as 222 at
    // both offset addresses; a second attempt is made only when the first is out of range.
    void cjcOffset_data() {
        QTest::addColumn<double>("sensorError");
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("passed");
        QTest::newRow("-3.4") << 3.4 << 222 << true;
        QTest::newRow("+1.3") << -1.3 << 13 << true;
        QTest::newRow("beyond 12.7") << 20.0 << 0 << false;
    }
    void cjcOffset() {
        QFETCH(double, sensorError);
        QFETCH(int, stored);
        QFETCH(bool, passed);
        CalRig r(QStringLiteral("RSX7032A"));
        r.rig.bench.calibrationModel()->unit.cjcError = sensorError;
        r.rig.bench.supply().receive("KOE\r");
        QVERIFY(r.link.ReadIdentity().at(0) == 0);
        QVERIFY(r.run.CalibrateInputRange(*FindCalStep(QStringLiteral("RSX7032A"), 7)));
        QCOMPARE(int(r.device().memory(0, 7)), stored);
        QCOMPARE(int(r.device().memory(0, 8)), stored);
        const RangeResult& res = r.run.ranges[7];
        QCOMPARE(res.box, passed ? FieldColour::Green : FieldColour::Red);
        QCOMPARE(res.half.colour, FieldColour::Green); // not used for the junction
        if (passed)
            QCOMPARE(res.zero.colour, FieldColour::Green);
        else
            QCOMPARE(res.k1.text, QStringLiteral("-200"));
    }

    void ptcConstants() {
        const PtcConstants c = *ComputePtc(15225, 10324);
        QVERIFY(qAbs(c.k1 - 1.3562) < 1e-4);
        QVERIFY(qAbs(c.k2 - 1807) < 1);
        QCOMPARE(c.k3Word, 28984);
        QCOMPARE(c.k2Tenths, 18074);
        for (int channel : {0, 1}) {
            CalRig r(QStringLiteral("RSX7131C"));
            r.rig.bench.supply().receive("KOE\r");
            QVERIFY(r.run.PtcManual(channel));
            QCOMPARE(r.run.ptcK3, QStringLiteral("28984"));
            QCOMPARE(r.run.ptcK2, QStringLiteral("18074"));
            // Little-endian words at 65 (A) or 44 (B); this model repeats them at 44.
            for (int base : channel == 0 ? QList<int>{65, 44} : QList<int>{44}) {
                QCOMPARE(r.device().memory(0, base) | r.device().memory(0, base + 1) << 8, 28984);
                QCOMPARE(r.device().memory(0, base + 2) | r.device().memory(0, base + 3) << 8,
                         18074);
            }
        }
    }

    void untickedRangeIsSilent() {
        CalRig r(QStringLiteral("RSX7030"));
        r.run.setRangeTicked(0, false);
        r.rig.bench.calibrator().clearHeard();
        r.rig.bench.switches().clearLines();
        r.rig.bench.meter(0).clearLines();
        r.device().clearCommandLog();
        QVERIFY(r.run.CalibrateInputRange(*FindCalStep(QStringLiteral("RSX7030"), 0)));
        r.run.setRangeTicked(8, false);
        QVERIFY(r.run.CalibrateOutput(*FindCalStep(QStringLiteral("RSX7030"), 8)));
        QTest::qWait(20);
        QVERIFY(r.rig.bench.calibrator().heard().isEmpty());
        QVERIFY(r.rig.bench.switches().lines().isEmpty());
        QVERIFY(r.rig.bench.meter(0).lines().isEmpty());
        QVERIFY(r.device().commandLog().isEmpty());
        QCOMPARE(r.run.ranges[0].box, FieldColour::White);
    }

    // The model choice: RSX7132D copies RSX7032D with the default image ticked; the OEM
    // board has neither the switch test nor the current test.
    void modelChoice() {
        CalRig r(QStringLiteral("RSX7030"));
        r.run.SelectModel(FindCalModel(QStringLiteral("RSX7132D")));
        const auto ticks = [&] {
            QList<int> t;
            for (int i = 0; i < kRangeCount; ++i)
                if (r.run.ranges[std::size_t(i)].ticked)
                    t << i;
            return t;
        };
        const QList<int> d132 = ticks();
        QVERIFY(r.run.options.loadDefault);
        r.run.SelectModel(FindCalModel(QStringLiteral("RSX7032D")));
        QCOMPARE(ticks(), d132);
        QVERIFY(r.run.options.loadDefault);
        QCOMPARE(r.run.ExpectedCurrent, (std::array<int, 3>{18, 18, 18}));
        r.run.SelectModel(FindCalModel(QStringLiteral("5010OEM")));
        QVERIFY(!r.run.options.switchTest && !r.run.options.switchTestEnabled);
        QVERIFY(!r.run.options.supplyTest && !r.run.options.loadDefault);
        QCOMPARE(ticks(), (QList<int>{9, 20}));
        QCOMPARE(r.run.options.channels, (std::array<bool, 2>{true, false}));
        QCOMPARE(r.run.SettleSeconds, 4);
    }
};

QTEST_GUILESS_MAIN(TestCalSteps)
#include "tst_calsteps.moc"
