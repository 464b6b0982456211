// The simulated bench's physical model: the switch unit routes the calibrator to a device
// input and a device output to the meter; the device maps its input onto its output or
// drives a DAC count while programming; the calibrator keeps its function through sensor
// reads and ignores frames with a bad checksum.
#include "defaultimages.h"
#include "simulatedbench.h"

#include <QTest>

using namespace vantelso::sim;

namespace {

QByteArray frame(int command, int d1, int d2, int d3, int d4, int checksumDelta = 0) {
    QByteArray f;
    f.append(char(1)).append(char(command));
    for (int d : {d1, d2, d3, d4})
        f.append(char(d));
    f.append(char(((d1 + d2 + d3 + d4) & 127) + checksumDelta));
    return f;
}

} // namespace

class TestSimBench : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void routing() {
        // Model byte, the lines closed, the channels of the calibrator and of the meter.
        for (const auto& [modelByte, lines, calibratorChannel, meterChannel] :
             {std::tuple{5, "", 0, 0},
              {5, "rout:close (@101,102)\r\n", 1, 0},
              {5, "rout:close (@101)\r\n", 0, 0}, // only 101
              {5, "rout:close (@111)\nrout:close (@112)\n", 0, 1},
              {0, "rout:close (@109)\r\n", 1, 0},    // RSX7030: B input
              {0, "rout:close (@114)\r\n", 0, 1},    // B mA out
              {0, "rout:close (@108)\r\n", 0, 1}}) { // B V out
            SimulatedBench b{std::uint8_t(modelByte)};
            b.switches().receive(lines);
            QCOMPARE(b.switches().errors(), 0);
            QCOMPARE(b.calibratorChannel(), calibratorChannel);
            QCOMPARE(b.meterChannel(), meterChannel);

            // 12.5 mV from the calibrator (mVL, 12500 uV) lands on the routed input only.
            b.calibrator().receive(frame(0x80, 0, 0, 0, 0) + frame(0x81, 0, 0, 0x30, 0xD4));
            QCOMPARE(b.calibrator().output(), 12.5);
            QCOMPARE(b.device().analogInput(calibratorChannel), std::optional<double>(12.5));
            QCOMPARE(b.device().analogInput(1 - calibratorChannel), std::nullopt);
        }
    }

    void deviceOutput() {
        SimulatedBench b(5);
        SimDevice& d = b.device();
        const bool current = d.outputIsCurrent(0);
        // Outside programming the output follows the input across the ranges.
        b.calibrator().receive(frame(0x80, 2, 0, 0, 0));
        d.setAnalogInput(0, 0.0);
        const double atZero = d.analogOutput(0);
        d.receive("PR\r");
        d.receive(QByteArray("$I") + char(0x0D) + char(0xAC) + char(0) + '\r'); // 3500
        QCOMPARE(d.directValueUpper(), 3500);
        QCOMPARE(d.analogOutput(0), OutputAtRawHigh(current));
        const auto expected = current ? OutputAtRawHigh(true) / 1000 : OutputAtRawHigh(false);
        QCOMPARE(b.meter(0).lines().size(), 0);
        b.meter(0).receive(current ? "CONF:CURR:DC\n" : "CONF:VOLT:DC\n");
        QByteArray reading;
        connect(&b.meter(0), &SimInstrument::transmit, this,
                [&](const QByteArray& r) { reading += r; });
        b.meter(0).receive(":READ?\r\n");
        QTRY_VERIFY(reading.endsWith("\r\n"));
        QCOMPARE(reading.trimmed().toDouble(), expected);
        // The wrong function reads nothing across the terminals.
        reading.clear();
        b.meter(0).receive(current ? "CONF:VOLT:DC\n:READ?\n" : "CONF:CURR:DC\n:READ?\n");
        QTRY_COMPARE(reading, QByteArray("+0.00000000E+00\r\n"));
        d.receive("$FPxx\r");
        QCOMPARE(d.analogOutput(0), atZero);
    }

    void calibratorFrames() {
        SimulatedBench b(5);
        SimCalibrator& c = b.calibrator();
        c.receive(frame(0x80, 8, 1, 0, 0x40)); // thermocouple K
        c.receive(frame(0x81, 0, 0, 0x03, 0xE8));
        QCOMPARE(c.quantity(), SimCalibrator::Quantity::Celsius);
        QCOMPARE(c.output(), 100.0);
        // A sensor read leaves the source alone; a bad checksum is ignored.
        c.receive(frame(0x82, 1, 0, 0, 0) + frame(0x80, 8, 1, 1, 0) + frame(0x80, 8, 1, 0, 0xC0) +
                  frame(0x82, 0, 0, 0, 0));
        c.receive(frame(0x81, 0, 0, 0, 5, 1));
        QCOMPARE(c.checksumErrors(), 1);
        QCOMPARE(c.output(), 100.0);
        QCOMPARE(c.function(), (std::array<std::uint8_t, 4>{8, 1, 0, 0x40}));
        c.receive(frame(0x81, 0xFF, 0xFF, 0xFF, 0x9C)); // -100
        QCOMPARE(c.output(), -10.0);
    }

    void supplyLoad() {
        SimulatedBench b(0);
        SimPowerSupply& s = b.supply();
        s.receive("SV 30.00\r");
        QCOMPARE(s.milliamps(), 0.0);
        s.receive("KOE\r");
        QCOMPARE(s.volts(), 30.0);
        QVERIFY(qAbs(s.milliamps() - (2 + 500.0 / 30)) < 1e-9);
        s.receive("KOD\r");
        QCOMPARE(s.milliamps(), 0.0);
    }
};

QTEST_GUILESS_MAIN(TestSimBench)
#include "tst_simbench.moc"
