// The simulated device on its own: command parsing, programming mode, injected faults,
// wire timing and its in-process port. Reply contents are checked through the link by the
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
using K = Fault::Kind;

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
const QByteArray kReplyR0("*\x00\x00\x08\r\n", 6); // model 0, address 0

} // namespace

class TestSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void programmingMode() {
        SimDevice d(0);
        const QList<QByteArray> queries{cmd('R'), cmd('V'), cmd('D'), cmd('S', 1, 1)};
        for (const QByteArray& q : queries)
            QCOMPARE(exchange(d, q), QByteArray());
        exchange(d, cmd('W', 0, 40, 9));
        QCOMPARE(d.memory(0, 40), std::uint8_t(0));
        QCOMPARE(exchange(d, "PR\r"), kOk);
        for (const QByteArray& q : queries)
            QVERIFY(exchange(d, q).endsWith("\r\n"));
        QCOMPARE(exchange(d, cmd('W', 0, 40, 9)), QByteArray());
        QCOMPARE(d.memory(0, 40), std::uint8_t(9));
        exchange(d, "$FPxx\r");
        QVERIFY(!d.inProgramming());
        QCOMPARE(exchange(d, cmd('R')), QByteArray());
    }

    void resync() {
        const QByteArray r13 = cmd('R', 0, 13, 13), reply13("*\x00\x0d\x0d\r\n", 6);
        const struct {
            QByteArray request;
            bool byteAtATime;
            QByteArray expected;
        } rows[] = {{r13, false, reply13}, // address and value equal to CR
                    {r13, true, reply13},
                    {QByteArray("\x00\xff\x13zz", 5) + cmd('R'), false, kReplyR0},
                    {QByteArray("$R\x00", 3) + cmd('R'), false, kReplyR0}, // cut command
                    {"\r\n\r" + cmd('R'), false, kReplyR0},
                    {"$" + cmd('R'), false, kReplyR0},
                    {"$Q" + cmd('R'), false, kReplyR0},
                    {"SX" + cmd('R'), false, kReplyR0},
                    {"P\r" + cmd('R'), false, kReplyR0}};
        for (const auto& r : rows) {
            SimDevice d(0);
            d.setMemory(0, 13, 13);
            QCOMPARE(exchange(d, "PR\r"), kOk);
            QCOMPARE(exchange(d, r.request, r.byteAtATime), r.expected);
        }
    }

    void faults() {
        const struct {
            Fault fault;
            QByteArray request, expected;
        } rows[] = {
            {{K::NoReply, {}}, cmd('R'), {}},
            {{K::DelayedReply, {}, 0, 1, 30}, cmd('R'), kReplyR0},
            {{K::CorruptReply, {}}, cmd('R'), QByteArray("*\x00\x00\x08??", 6)},
            {{K::TruncatedReply, {}}, cmd('R'), QByteArray("*\x00\x00", 3)},
            {{K::JunkBefore, {}}, cmd('R'), QByteArray("\r\n*\x07*\r\n\x00", 8) + kReplyR0},
            {{K::DropWrites, {}}, cmd('W', 0, 0, 99), {}},
            {{K::WrongHandshake, {}}, "PR\r", "ERR\r\n"},
        };
        for (const auto& r : rows) {
            SimDevice d(0);
            const bool handshake = r.request == "PR\r";
            if (!handshake)
                QCOMPARE(exchange(d, "PR\r"), kOk);
            d.injectFault(r.fault);
            QElapsedTimer t;
            t.start();
            QCOMPARE(exchange(d, r.request), r.expected);
            QVERIFY(t.elapsed() >= r.fault.delayMs);
            QCOMPARE(d.inProgramming(), !handshake);
            QCOMPARE(d.memory(0, 0), std::uint8_t(8)); // a dropped write changed nothing
            // Count 1: used up, the next request is answered normally.
            QCOMPARE(exchange(d, handshake ? r.request : cmd('R')), handshake ? kOk : kReplyR0);
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

        d.injectFault({K::Vanish, "$V"});
        QVERIFY(port.write(cmd('V') + cmd('R')));
        QVERIFY(d.isGone());
        drain(d);
        QCOMPARE(vanished.count(), 1);
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.first().first().toString(), QStringLiteral("device disconnected"));
        QVERIFY(!port.isOpen());
        QVERIFY(!port.write("PR\r"));
        QVERIFY(!port.open());
        QCOMPARE(exchange(d, "PR\r"), QByteArray()); // a gone device hears nothing
    }

    void swap() {
        SimDevice d(0);
        QCOMPARE(exchange(d, "PR\r"), kOk);
        d.swapTo(3, 0x20);
        QVERIFY(!d.inProgramming());
        QCOMPARE(d.identity().ModelByte, std::uint8_t(3));
        QCOMPARE(d.memory(0, 0), std::uint8_t(18));
        QCOMPARE(d.modelIdentifier(), QStringLiteral("RSX7131B"));
    }

    void wireTiming() {
        // Request and reply bytes on the wire in total, and the reply bytes awaited.
        const struct {
            QByteArray requests;
            int wireBytes, replyBytes;
        } rows[] = {{"PR\r", 3 + 4, 4},
                    {"PR\r" + cmd('R'), 3 + 6 + 6, 10},
                    {"PR\r" + cmd('V'), 3 + 6 + 7, 11}};
        for (const auto& r : rows) {
            SimDevice d(0);
            d.setWireTiming(true);
            QByteArray got;
            qint64 arrivedNs = -1;
            QElapsedTimer t;
            connect(&d, &SimDevice::transmit, this, [&](const QByteArray& b) {
                if ((got += b).size() == r.replyBytes)
                    arrivedNs = t.nsecsElapsed();
            });
            t.start();
            d.receive(r.requests);
            QTRY_VERIFY_WITH_TIMEOUT(arrivedNs >= 0, 5000);
            // The request has to cross the wire before the device answers, and so does the
            // reply (a queued request waits for its predecessor's reply too, at worst the same).
            QVERIFY2(arrivedNs >= SimDevice::wireTimeNs(r.wireBytes),
                     qPrintable(QString::number(arrivedNs)));
        }
    }

    void modelText() {
        // Unknown texts and the plain identifiers are tried through the command-line tool.
        for (const auto& [text, identifier] :
             {std::pair{"3", "RSX7032B"}, {"RSX7132D", "RSX7132D"}}) {
            QString error;
            std::unique_ptr<SimDevice> d(
                SimDevice::fromModelText(QString::fromLatin1(text), nullptr, &error));
            QVERIFY2(d, qPrintable(error));
            QCOMPARE(d->modelIdentifier(), QString::fromLatin1(identifier));
        }
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
