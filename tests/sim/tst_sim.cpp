// The simulated device on its own: model texts, command parsing, wire timing and its
// in-process port. Replies and injected faults are checked through the link by the
// command tests.
#include "simdevice.h"
#include "simtransport.h"

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

} // namespace

class TestSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void modelTexts() {
        // Model texts: a bare model byte, and an identifier (unknown ones go to the tool).
        for (const auto& [text, identifier] :
             {std::pair{"3", "RSX7032B"}, {"RSX7132D", "RSX7132D"}}) {
            std::unique_ptr<SimDevice> m(
                SimDevice::fromModelText(QString::fromLatin1(text), nullptr, nullptr));
            QVERIFY(m);
            QCOMPARE(m->modelIdentifier(), QString::fromLatin1(identifier));
        }
    }

    void resync() {
        // Junk, cut commands and stray terminators before a request whose address and value
        // equal CR, sent at once and byte by byte.
        const QByteArray r13 = cmd('R', 0, 13, 13), reply13("*\x00\x0d\x0d\r\n", 6);
        const QByteArray junk[] = {"",
                                   QByteArray("\x00\xff\x13zz", 5),
                                   QByteArray("$R\x00", 3),
                                   "\r\n\r",
                                   "$",
                                   "$Q",
                                   "SX",
                                   "P\r"};
        for (bool byteAtATime : {false, true}) {
            for (const QByteArray& j : junk) {
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
        QVERIFY(!port.write("PR\r"));
        QVERIFY(port.open());
        QVERIFY(port.write("PR\r"));
        QCOMPARE(port.bytesAvailable(), 0); // replies are never synchronous
        drain(d);
        QCOMPARE(port.readAll(), kOk);

        d.injectFault({Fault::Kind::Vanish, "$V"});
        QVERIFY(port.write(cmd('V') + cmd('R')));
        QVERIFY(d.isGone());
        drain(d);
        QCOMPARE(vanished.count(), 1);
        QCOMPARE(failed.count(), 1);
        QCOMPARE(port.problem().kind, PortProblem::Kind::Disconnected);
        QCOMPARE(failed.first().first().toString(), port.errorString());
        QVERIFY(!port.isOpen());
        QVERIFY(!port.write("PR\r"));
        QVERIFY(!port.open());
        QCOMPARE(exchange(d, "PR\r"), QByteArray()); // a gone device hears nothing
    }

    void wireTiming() {
        // Request and reply bytes on the wire in total, and the reply bytes awaited.
        for (const auto& [requests, wireBytes, replyBytes] :
             {std::tuple{QByteArray("PR\r"), 3 + 4, 4},
              {"PR\r" + cmd('R'), 3 + 6 + 6, 10},
              {"PR\r" + cmd('V'), 3 + 6 + 7, 11}}) {
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
};

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
