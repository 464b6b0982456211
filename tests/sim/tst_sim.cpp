// The simulated device on its own (model texts, command parsing, wire timing and its
// in-process port), then the simulated bench around it: switch routing, the device's output,
// the calibrator's frames and the supply. Replies and injected faults are checked through the
// link by the command tests.
#include "failingrow.h"
#include "simdevice.h"
#include "simtransport.h"
#include "simulatedbench.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace vantelso;
using namespace vantelso::sim;

namespace {

QByteArray cmd(char op, int a = 0, int b = 0, int c = 0) {
    return QByteArray("$").append(op).append(char(a)).append(char(b)).append(char(c)).append('\r');
}

// Runs the event loop until the device has delivered everything it scheduled.
void drain(SimDevice& d) {
    for (int i = 0; i < 10000 && d.hasPendingOutput(); ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

QByteArray exchange(SimDevice& d, const QByteArray& request, bool byteAtATime = false) {
    QByteArray got;
    auto c = QObject::connect(&d, &SimDevice::transmit, [&](const QByteArray& b) { got += b; });
    for (qsizetype i = 0; i < request.size(); i += byteAtATime ? 1 : request.size()) {
        d.receive(request.mid(i, byteAtATime ? 1 : -1));
        drain(d);
    }
    QObject::disconnect(c);
    return got;
}

const QByteArray kOk("OK\r\n");

QByteArray frame(int command, int d1, int d2, int d3, int d4, int checksumDelta = 0) {
    QByteArray f;
    f.append(char(1)).append(char(command));
    for (int d : {d1, d2, d3, d4})
        f.append(char(d));
    f.append(char(((d1 + d2 + d3 + d4) & 127) + checksumDelta));
    return f;
}

} // namespace

class TestSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void modelTexts() {
        // A bare model byte (identifiers and their variant reach the device through the
        // command line tool's and the record's tests).
        std::unique_ptr<SimDevice> m(
            SimDevice::fromModelText(QStringLiteral("3"), nullptr, nullptr));
        QVERIFY(m);
        QCOMPARE(m->modelIdentifier(), QStringLiteral("RSX7032B"));
    }

    void resync() {
        // Junk, cut commands and stray terminators before a request whose address and value
        // equal CR, sent at once and byte by byte.
        const QByteArray r13 = cmd('R', 0, 13, 13), reply13("*\x00\x0d\x0d\r\n", 6);
        for (bool byteAtATime : {false, true}) {
            for (const QByteArray& j :
                 {QByteArray(), QByteArray("\x00\xff\x13zz", 5), QByteArray("$R\x00", 3),
                  QByteArray("\r\n\r"), QByteArray("$"), QByteArray("$Q"), QByteArray("SX"),
                  QByteArray("P\r")}) {
                const FailingRow row(QString::fromLatin1(j.toPercentEncoding("$")) +
                                     (byteAtATime ? " byte by byte" : " at once"));
                SimDevice d(0);
                d.setMemory(0, 13, 13);
                QCOMPARE(exchange(d, "PR\r"), kOk);
                QCOMPARE(exchange(d, j + r13, byteAtATime), reply13);
            }
        }
    }

    void portAndVanish() {
        SimDevice d(0);
        SimTransport port(&d);
        QSignalSpy vanished(&d, &SimDevice::vanished);
        QSignalSpy failed(&port, &Transport::failed);
        // A write before the port is open fails; then it opens and the write goes out.
        QCOMPARE((QList<bool>{port.write("PR\r"), port.open(), port.write("PR\r")}),
                 (QList<bool>{false, true, true}));
        QCOMPARE(port.bytesAvailable(), 0); // replies are never synchronous
        drain(d);
        QCOMPARE(port.readAll(), kOk);

        d.injectFault({Fault::Kind::Vanish, "$V"});
        QVERIFY(port.write(cmd('V') + cmd('R')));
        QVERIFY(d.isGone());
        drain(d);
        QCOMPARE(QList<qsizetype>({vanished.count(), failed.count()}), QList<qsizetype>({1, 1}));
        QCOMPARE(port.problem().kind, PortProblem::Kind::Disconnected);
        QCOMPARE(failed.first().first().toString(), port.errorString());
        // Closed, and neither a write nor opening again works.
        QCOMPARE((QList<bool>{port.isOpen(), port.write("PR\r"), port.open()}),
                 QList<bool>(3, false));
        QCOMPARE(exchange(d, "PR\r"), QByteArray()); // a gone device hears nothing
    }

    void wireTiming() {
        // Request and reply bytes on the wire in total, and the reply bytes awaited.
        for (const auto& [requests, wireBytes, replyBytes] :
             {std::tuple{QByteArray("PR\r"), 3 + 4, 4},
              {"PR\r" + cmd('R'), 3 + 6 + 6, 10},
              {"PR\r" + cmd('V'), 3 + 6 + 7, 11}}) {
            const FailingRow row(QStringLiteral("%1 bytes on the wire").arg(wireBytes));
            SimDevice d(0);
            d.setWireTiming(true);
            const int awaited = replyBytes; // a structured binding cannot be captured (C++20)
            QByteArray got;
            qint64 arrivedNs = -1;
            QElapsedTimer t;
            connect(&d, &SimDevice::transmit, this, [&](const QByteArray& b) {
                if ((got += b).size() == awaited)
                    arrivedNs = t.nsecsElapsed();
            });
            t.start();
            d.receive(requests);
            QTRY_VERIFY_WITH_TIMEOUT(arrivedNs >= 0, 5000);
            // The request has to cross the wire before the device answers, and so does the
            // reply (a queued request waits for its predecessor's reply too, at worst the same).
            QVERIFY2(arrivedNs >= SimDevice::wireTimeNs(wireBytes),
                     qPrintable(QString::number(arrivedNs)));
        }
    }

    // The simulated bench's physical model: the switch unit routes the calibrator to a device input
    // and a device output to the meter; the device maps its input onto its output or drives a DAC
    // count while programming; the calibrator keeps its function through sensor reads and ignores
    // frames with a bad checksum.
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
            const FailingRow row(QString::asprintf("model %d %s", modelByte, lines).simplified());
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
        // The count sent while programming drives the output, read back across the terminals
        // with the right function by the instrument tests; the wrong one reads nothing.
        // (That "$FPxx" ends the drive is seen through the command tests' end of programming.)
        d.receive("PR\r");
        d.receive(QByteArray("$I") + char(0x0D) + char(0xAC) + char(0) + '\r'); // 3500
        QCOMPARE(b.meter(0).lines().size(), 0);
        QByteArray reading;
        connect(&b.meter(0), &SimInstrument::transmit, this,
                [&](const QByteArray& r) { reading += r; });
        b.meter(0).receive(current ? "CONF:VOLT:DC\n:READ?\n" : "CONF:CURR:DC\n:READ?\n");
        QTRY_COMPARE(reading, QByteArray("+0.00000000E+00\r\n"));
    }

    void calibratorFrames() {
        SimulatedBench b(5);
        SimCalibrator& c = b.calibrator();
        c.receive(frame(0x80, 8, 1, 0, 0x40)); // thermocouple K
        c.receive(frame(0x81, 0, 0, 0x03, 0xE8));
        QCOMPARE(c.quantity(), SimCalibrator::Quantity::Celsius);
        QCOMPARE(c.output(), 100.0);
        // A bad checksum is ignored (that a sensor read leaves the source alone is checked
        // through the calibrator's driver by the instrument tests).
        c.receive(frame(0x81, 0, 0, 0, 5, 1));
        QCOMPARE(c.checksumErrors(), 1);
        QCOMPARE(c.output(), 100.0);
        QCOMPARE(c.function(), (std::array<std::uint8_t, 4>{8, 1, 0, 0x40}));
        c.receive(frame(0x81, 0xFF, 0xFF, 0xFF, 0x9C)); // -100
        QCOMPARE(c.output(), -10.0);
    }

    // The current the load draws, on and off, is checked through the supply's driver by the
    // instrument tests; the voltage set is seen only here.
    void supplyVolts() {
        SimulatedBench b(0);
        b.supply().receive("SV 30.00\r");
        QCOMPARE(b.supply().volts(), 30.0);
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
