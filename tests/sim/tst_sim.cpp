#include "codecs.h"
#include "defaultimages.h"
#include "identity.h"
#include "simdevice.h"
#include "simtransport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <memory>

using namespace vantelso;
using namespace vantelso::sim;

namespace {

QByteArray cmd(char op, int a = 0, int b = 0, int c = 0) {
    QByteArray r("$");
    return r.append(op).append(char(a)).append(char(b)).append(char(c)).append('\r');
}

QByteArray bytes(std::initializer_list<int> list) {
    QByteArray r;
    for (int v : list)
        r.append(char(v));
    return r;
}

// Runs the event loop until the device has delivered everything it scheduled.
void drain(SimDevice& d) {
    for (int i = 0; i < 10000 && d.hasPendingOutput(); ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

QByteArray exchange(SimDevice& d, const QByteArray& request) {
    QByteArray got;
    auto c = QObject::connect(&d, &SimDevice::transmit, [&](const QByteArray& b) { got += b; });
    d.receive(request);
    drain(d);
    QObject::disconnect(c);
    return got;
}

void enterProgramming(SimDevice& d) {
    QCOMPARE(exchange(d, "PR\r"), QByteArray("OK\r\n"));
}

double recordFloat(const SimDevice& d, int a) {
    return codecs::FloatFromBytes(d.memory(0, a + 1), d.memory(0, a), d.memory(0, a + 2));
}

int recordWord(const SimDevice& d, int a) {
    return codecs::Make16(d.memory(0, a + 1), d.memory(0, a), d.identity().ModelByte != 7);
}

} // namespace

class TestSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void replies_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("programming");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray none;
        QTest::newRow("PR") << 0 << false << QByteArray("PR\r") << QByteArray("OK\r\n");
        QTest::newRow("PR again") << 0 << true << QByteArray("PR\r") << QByteArray("OK\r\n");
        QTest::newRow("SM") << 0 << true << QByteArray("SM\r") << none;
        QTest::newRow("MI") << 0 << false << QByteArray("MI\r") << none;
        QTest::newRow("$FPxx") << 0 << true << QByteArray("$FPxx\r") << none;
        QTest::newRow("$R input type")
            << 0 << true << cmd('R', 0, 0) << bytes({'*', 0, 0, 8, 13, 10});
        QTest::newRow("$R option byte")
            << 0 << true << cmd('R', 0, 4) << bytes({'*', 0, 4, 0x11, 13, 10});
        QTest::newRow("$R erased bank")
            << 0 << true << cmd('R', 2, 7) << bytes({'*', 2, 7, 255, 13, 10});
        QTest::newRow("$R outside") << 0 << false << cmd('R', 0, 0) << none;
        QTest::newRow("$V model 0") << 0 << true << cmd('V') << bytes({'*', 0, 4, 2, 12, 13, 10});
        QTest::newRow("$V model 6") << 6 << true << cmd('V') << bytes({'*', 6, 2, 1, 12, 13, 10});
        QTest::newRow("$V outside") << 3 << false << cmd('V') << none;
        QTest::newRow("$D long") << 0 << true << cmd('D') << bytes({'*', 72, 9, 5, 0, 13, 10});
        QTest::newRow("$D short") << 2 << true << cmd('D') << bytes({'*', 7, 64, 13, 10});
        QTest::newRow("$D model 7") << 7 << true << cmd('D') << bytes({'*', 0, 10, 6, 0, 13, 10});
        QTest::newRow("$D outside") << 0 << false << cmd('D') << none;
        QTest::newRow("$S outside") << 0 << false << cmd('S', 1, 1) << none;
        QTest::newRow("$W") << 0 << true << cmd('W', 0, 40, 9) << none;
        QTest::newRow("$I") << 0 << true << cmd('I', 255, 254) << none;
    }
    void replies() {
        QFETCH(int, model);
        QFETCH(bool, programming);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, expected);
        SimDevice d{std::uint8_t(model)};
        if (programming)
            enterProgramming(d);
        QCOMPARE(exchange(d, request), expected);
        QCOMPARE(d.commandLog().last(), request);
    }

    void tableShape_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("words");
        QTest::newRow("model 0") << 0 << 78;
        QTest::newRow("model 4") << 4 << 32;
        QTest::newRow("model 5") << 5 << 32;
        QTest::newRow("model 7") << 7 << 64;
        QTest::newRow("model 9") << 9 << 78;
    }
    void tableShape() {
        QFETCH(int, model);
        QFETCH(int, words);
        SimDevice d{std::uint8_t(model)};
        enterProgramming(d);
        const QByteArray r = exchange(d, cmd('S', 3, 3));
        QCOMPARE(r.size(), 2 * words + 4);
        QCOMPARE(r.front(), '*');
        QVERIFY(r.endsWith("\r\n"));
        const int a = TableSizes(std::uint8_t(model)).first;
        int previous = -1;
        for (int k = 0; k < a; ++k) { // first segment rises
            const int w =
                codecs::Make16(std::uint8_t(r[1 + 2 * k]), std::uint8_t(r[2 + 2 * k]), false);
            QVERIFY(w > previous);
            previous = w;
        }
    }

    void writeAndRead() {
        SimDevice d(0);
        exchange(d, cmd('W', 0, 40, 9)); // outside programming: ignored
        QCOMPARE(d.memory(0, 40), std::uint8_t(0));
        enterProgramming(d);
        exchange(d, cmd('W', 1, 13, 0x5A));
        QCOMPARE(d.memory(1, 13), std::uint8_t(0x5A));
        QCOMPARE(d.writesApplied(), 1);
        QCOMPARE(exchange(d, cmd('R', 1, 13)), bytes({'*', 1, 13, 0x5A, 13, 10}));
        exchange(d, cmd('I', 255, 254));
        exchange(d, cmd('i', 1, 0));
        QCOMPARE(d.directValueUpper(), -2);
        QCOMPARE(d.directValueLower(), 256);
    }

    void oneByteAtATime() {
        SimDevice d(0);
        enterProgramming(d);
        QByteArray got;
        connect(&d, &SimDevice::transmit, this, [&](const QByteArray& b) { got += b; });
        for (char c : cmd('R', 0, 4)) {
            d.receive(QByteArray(1, c));
            drain(d);
        }
        QCOMPARE(got, bytes({'*', 0, 4, 0x11, 13, 10}));
    }

    void binaryBytesEqualToCr() {
        SimDevice d(0);
        d.setMemory(0, 13, 13);
        enterProgramming(d);
        QCOMPARE(exchange(d, cmd('R', 0, 13, 13)), bytes({'*', 0, 13, 13, 13, 10}));
        exchange(d, cmd('W', 0, 13, 13));
        QCOMPARE(d.writesApplied(), 1);
    }

    void resync_data() {
        QTest::addColumn<QByteArray>("garbage");
        QTest::newRow("noise") << QByteArray("\x00\xff\x13zz", 5);
        QTest::newRow("lone CR LF") << QByteArray("\r\n\r");
        QTest::newRow("stray dollar") << QByteArray("$");
        QTest::newRow("bad second letter") << QByteArray("$Q");
        QTest::newRow("cut command") << QByteArray("$R\x00");
        QTest::newRow("S without M") << QByteArray("SX");
        QTest::newRow("P and CR") << QByteArray("P\r");
    }
    void resync() {
        QFETCH(QByteArray, garbage);
        SimDevice d(0);
        enterProgramming(d);
        QCOMPARE(exchange(d, garbage + cmd('V')), bytes({'*', 0, 4, 2, 12, 13, 10}));
    }

    void faults_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<bool>("programmingAfter");
        const QByteArray r = bytes({'*', 0, 0, 8, 13, 10});
        using K = Fault::Kind;
        QTest::newRow("none") << int(K::None) << cmd('R') << r << true;
        QTest::newRow("no reply") << int(K::NoReply) << cmd('R') << QByteArray() << true;
        QTest::newRow("corrupt") << int(K::CorruptReply) << cmd('R')
                                 << bytes({'*', 0, 0, 8, '?', '?'}) << true;
        QTest::newRow("truncated")
            << int(K::TruncatedReply) << cmd('R') << bytes({'*', 0, 0}) << true;
        QTest::newRow("junk") << int(K::JunkBefore) << cmd('R')
                              << QByteArray("\r\n*\x07*\r\n\x00", 8) + r << true;
        QTest::newRow("drop writes")
            << int(K::DropWrites) << cmd('W', 0, 0, 99) << QByteArray() << true;
        QTest::newRow("wrong handshake")
            << int(K::WrongHandshake) << QByteArray("PR\r") << QByteArray("ERR\r\n") << false;
        QTest::newRow("PR swallowed")
            << int(K::NoReply) << QByteArray("PR\r") << QByteArray() << false;
    }
    void faults() {
        QFETCH(int, kind);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, expected);
        QFETCH(bool, programmingAfter);
        SimDevice d(0);
        if (request != "PR\r")
            enterProgramming(d);
        Fault f;
        f.kind = Fault::Kind(kind);
        d.injectFault(f);
        QCOMPARE(exchange(d, request), expected);
        QCOMPARE(d.inProgramming(), programmingAfter);
        QCOMPARE(d.memory(0, 0), std::uint8_t(8)); // a dropped write changed nothing
        QVERIFY(d.faults().isEmpty());             // count 1: used up
    }

    void faultMatchSkipCount() {
        SimDevice d(0);
        enterProgramming(d);
        d.injectFault({Fault::Kind::NoReply, "$R", 1, 2, 0});
        const QByteArray ok = bytes({'*', 0, 0, 8, 13, 10});
        QCOMPARE(exchange(d, cmd('V')).size(), 7); // not matched
        QCOMPARE(exchange(d, cmd('R')), ok);       // skipped
        QCOMPARE(exchange(d, cmd('R')), QByteArray());
        QCOMPARE(exchange(d, cmd('R')), QByteArray());
        QCOMPARE(exchange(d, cmd('R')), ok);
        d.injectFault({Fault::Kind::CorruptReply, {}, 0, -1, 0});
        for (int i = 0; i < 3; ++i)
            QVERIFY(!exchange(d, cmd('R')).endsWith("\r\n"));
        d.clearFaults();
        QCOMPARE(exchange(d, cmd('R')), ok);
    }

    void delayedReply() {
        SimDevice d(0);
        enterProgramming(d);
        d.injectFault({Fault::Kind::DelayedReply, "$V", 0, 1, 30});
        QElapsedTimer t;
        t.start();
        QCOMPARE(exchange(d, cmd('V')).size(), 7);
        QVERIFY(t.elapsed() >= 30);
    }

    void vanishAndRevive() {
        SimDevice d(0);
        SimTransport port(&d);
        QSignalSpy vanished(&d, &SimDevice::vanished);
        QSignalSpy failed(&port, &Transport::failed);
        QVERIFY(port.open());
        QVERIFY(port.write("PR\r"));
        drain(d);
        d.injectFault({Fault::Kind::Vanish, "$V", 0, 1, 0});
        QVERIFY(port.write(cmd('V') + cmd('R')));
        QVERIFY(d.isGone());
        drain(d);
        QCOMPARE(vanished.count(), 1);
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.first().first().toString(), QStringLiteral("device disconnected"));
        QVERIFY(!port.isOpen());
        QVERIFY(!port.write("PR\r"));
        QVERIFY(!port.open());
        QVERIFY(port.errorString().contains(QStringLiteral("disconnected")));
        QCOMPARE(exchange(d, "PR\r"), QByteArray()); // a gone device hears nothing

        d.revive();
        QVERIFY(port.open());
        QCOMPARE(exchange(d, "PR\r"), QByteArray("OK\r\n"));
        QCOMPARE(failed.count(), 1);
    }

    void swap() {
        SimDevice d(0);
        enterProgramming(d);
        d.swapTo(3, 0x20);
        QVERIFY(!d.inProgramming());
        enterProgramming(d);
        QCOMPARE(exchange(d, cmd('V')), bytes({'*', 3, 1, 3, 12, 13, 10}));
        QCOMPARE(exchange(d, cmd('R', 0, 0)), bytes({'*', 0, 0, 18, 13, 10}));
        QCOMPARE(d.modelIdentifier(), QStringLiteral("RSX7131B"));
    }

    void wireTiming_data() {
        QTest::addColumn<QByteArray>("requests");
        QTest::addColumn<int>("wireBytes"); // request and reply bytes on the wire, in total
        QTest::addColumn<int>("replyBytes");
        QTest::newRow("PR") << QByteArray("PR\r") << 3 + 4 << 4;
        QTest::newRow("$R") << QByteArray("PR\r") + cmd('R') << 3 + 6 + 6 << 10;
        QTest::newRow("$V") << QByteArray("PR\r") + cmd('V') << 3 + 6 + 7 << 11;
    }
    void wireTiming() {
        QFETCH(QByteArray, requests);
        QFETCH(int, wireBytes);
        QFETCH(int, replyBytes);
        SimDevice d(0);
        d.setWireTiming(true);
        QByteArray got;
        qint64 arrivedNs = -1;
        QElapsedTimer t;
        connect(&d, &SimDevice::transmit, this, [&](const QByteArray& b) {
            got += b;
            if (got.size() == replyBytes)
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

    void streaming_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("length");
        QTest::newRow("model 0") << 0 << 16;
        QTest::newRow("model 2") << 2 << 9;
        QTest::newRow("model 5") << 5 << 15;
        QTest::newRow("model 7") << 7 << 16;
        QTest::newRow("model 8") << 8 << 16;
    }
    void streaming() {
        QFETCH(int, model);
        QFETCH(int, length);
        SimDevice d{std::uint8_t(model)};
        d.setStreamInterval(2);
        QList<QByteArray> frames;
        connect(&d, &SimDevice::transmit, this, [&](const QByteArray& b) { frames << b; });
        d.receive("MI\r");
        QTRY_VERIFY_WITH_TIMEOUT(frames.size() >= 3, 5000);
        d.receive("SM\r");
        QVERIFY(!d.streaming());
        for (const QByteArray& f : frames) {
            QCOMPARE(f.size(), length);
            QCOMPARE(f.front(), 'A');
            QCOMPARE(f.back(), '\r');
            // Channel A's raw output reading sits between the calibration points.
            const double raw = codecs::MeasureFloatFromBytes(std::uint8_t(f[2]), std::uint8_t(f[3]),
                                                             std::uint8_t(f[4]));
            QVERIFY2(raw > kRawLow && raw < kRawHigh, qPrintable(QString::number(raw)));
        }
    }

    void defaultImages_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("inputType");
        QTest::addColumn<double>("inStart");
        QTest::addColumn<double>("inEnd");
        QTest::addColumn<int>("outputType");
        QTest::addColumn<double>("outStart");
        QTest::addColumn<double>("outEnd");
        QTest::newRow("0 Tc K") << 0 << 8 << 0.0 << 1000.0 << 1 << 4.0 << 20.0;
        QTest::newRow("1 EEPROM") << 1 << 0 << 0.0 << 1000.0 << 1 << 4.0 << 20.0;
        QTest::newRow("2 Tc J") << 2 << 7 << 0.0 << 600.0 << 1 << 4.0 << 20.0;
        QTest::newRow("3 Pt 100") << 3 << 18 << -50.0 << 150.0 << 1 << 4.0 << 20.0;
        QTest::newRow("4 20 mA") << 4 << 5 << 4.0 << 20.0 << 2 << 0.0 << 10.0;
        QTest::newRow("5 10 V") << 5 << 4 << 0.0 << 10.0 << 1 << 4.0 << 20.0;
        QTest::newRow("6 Cost10K") << 6 << 26 << 0.0 << 100.0 << 1 << 4.0 << 20.0;
        QTest::newRow("7 TTL Hz") << 7 << 2 << 1.0 << 1000.0 << 1 << 4.0 << 20.0;
        QTest::newRow("8 Pt 100") << 8 << 18 << -50.0 << 150.0 << 1 << 4.0 << 20.0;
        QTest::newRow("9 Tc K") << 9 << 8 << 0.0 << 1200.0 << 2 << 0.0 << 10.0;
    }
    void defaultImages() {
        QFETCH(int, model);
        QFETCH(int, inputType);
        QFETCH(double, inStart);
        QFETCH(double, inEnd);
        QFETCH(int, outputType);
        QFETCH(double, outStart);
        QFETCH(double, outEnd);
        SimDevice d{std::uint8_t(model)};
        QCOMPARE(d.bank(0).size(), 256);
        const int decimals = model == 7 ? (d.memory(0, 4) & 12) / 4 : InputDecimals(inputType);
        QCOMPARE(d.memory(0, 0) & (model == 7 ? 7 : 31), inputType);
        QCOMPARE(d.memory(0, 4) & 3, outputType);
        const double scale = std::pow(10.0, decimals);
        QCOMPARE(recordWord(d, 20) / scale, inEnd);
        QCOMPARE(recordWord(d, 22) / scale, inStart);
        QCOMPARE(recordWord(d, 24) / 1000.0, outEnd);
        QCOMPARE(recordWord(d, 26) / 1000.0, outStart);
        // Output calibration: the readout formula of the model maps 800 to the low end.
        const bool direct = model == 0 || model >= 7;
        const double at800 =
            codecs::FloatFromBytes(d.memory(0, direct ? 111 : 108), d.memory(0, direct ? 109 : 106),
                                   d.memory(0, direct ? 110 : 107));
        QCOMPARE(at800, OutputAtRawLow(true));
    }

    void trips() {
        SimDevice zero(0);
        QCOMPARE(recordFloat(zero, 10), 800.0);
        QCOMPARE(recordFloat(zero, 13), 780.0);
        QCOMPARE(zero.identity().IdByte3, std::uint8_t(4));
        SimDevice freq(7);
        QCOMPARE(recordFloat(freq, 28), 800.0);
        QCOMPARE(recordFloat(freq, 37), 150.0);
        QCOMPARE(freq.memory(0, 64), std::uint8_t(100));
    }

    void mathModelExtension() {
        SimDevice d(5);
        QCOMPARE(recordFloat(d, 128), 100.0);
        QCOMPARE(recordFloat(d, 131), 0.0 + std::ldexp(1.0, -127)); // zero encodes as 2^-127
        QCOMPARE(recordFloat(d, 137), -50.0);
        QCOMPARE(recordFloat(d, 150), -50.0);
        QCOMPARE(d.memory(0, 153), std::uint8_t(0));
        QVERIFY(d.memory(0, TableScaleAddress(7)) != 0); // beyond the block: present
        SimDevice other(0);
        QVERIFY(other.memory(0, TableScaleAddress(1)) != 0);
    }

    void modelText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("identifier");
        QTest::newRow("7030") << "RSX7030"
                              << "RSX7030";
        QTest::newRow("byte") << "3"
                              << "RSX7032B";
        for (const char* t : {"RSX7032A", "RSX7131B", "RSX7132D", "RSX7031C", "RSX7131D", "RSX7040",
                              "RSX7035", "RSX5035"})
            QTest::newRow(t) << QString::fromLatin1(t) << QString::fromLatin1(t);
    }
    void modelText() {
        QFETCH(QString, text);
        QFETCH(QString, identifier);
        QString error;
        std::unique_ptr<SimDevice> d(SimDevice::fromModelText(text, nullptr, &error));
        QVERIFY2(d, qPrintable(error));
        QCOMPARE(d->modelIdentifier(), identifier);
        SimTransport port(d.get());
        QCOMPARE(port.portName(), QStringLiteral("sim:") + identifier);
    }

    void unknownModelText() {
        QString error;
        QVERIFY(!SimDevice::fromModelText(QStringLiteral("XYZ"), nullptr, &error));
        QVERIFY(!error.isEmpty());
    }

    void transportBasics() {
        SimDevice d(0);
        SimTransport port(&d);
        QSignalSpy ready(&port, &Transport::readyRead);
        QVERIFY(!port.write("PR\r"));
        d.receive("PR\r");
        drain(d);
        QCOMPARE(port.bytesAvailable(), 0); // a closed port hears nothing
        QVERIFY(port.open());
        QVERIFY(port.write("SM\rPR\r"));
        QCOMPARE(port.bytesAvailable(), 0); // replies are never synchronous
        drain(d);
        QCOMPARE(port.bytesAvailable(), 4); // buffered as soon as transmitted
        QTRY_VERIFY(ready.count() >= 1);
        QCOMPARE(port.readAll(), QByteArray("OK\r\n"));
        QVERIFY(port.write(cmd('V')));
        drain(d);
        port.clearInput();
        QCOMPARE(port.bytesAvailable(), 0);
        port.close();
        QVERIFY(!port.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
