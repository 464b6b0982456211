// The transaction engine against a scripted wire (what the device side sends, and when, is
// set by each test), and the real serial transport on a pseudo-terminal.
#include "devicelink.h"
#include "failingrow.h"
#include "portnames.h"
#include "ptyserver.h"
#include "scriptedprompter.h"
#include "serialtransport.h"
#include "simdevice.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace vantelso;

namespace {

class WireTransport : public Transport {
public:
    bool open() override { return m_open = true; }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    bool write(const QByteArray& bytes) override {
        if (m_open) {
            sent += bytes;
            onWrite(bytes);
        }
        return m_open;
    }
    QByteArray readAll() override { return std::exchange(m_input, {}); }
    qint64 bytesAvailable() const override { return m_input.size(); }
    void clearInput() override { m_input.clear(); }
    QString portName() const override { return QStringLiteral("wire"); }
    qint64 byteTimeNs() const override { return byteNs; }

    // Bytes from the device side, delivered after `ms` milliseconds.
    void arrive(const QByteArray& bytes, int ms = 0) {
        QTimer::singleShot(ms, this, [this, bytes] {
            m_input += bytes;
            Q_EMIT readyRead();
        });
    }

    QByteArray sent;
    std::function<void(const QByteArray&)> onWrite = [](const QByteArray&) {};
    qint64 byteNs = 0; // 0: the far end answers without wire time
    bool m_open = true;
    QByteArray m_input;
};

// A link on an open scripted wire.
struct Wire {
    Wire() { link.setTransport(&wire); }
    WireTransport wire;
    ScriptedPrompter prompter;
    DeviceLink link{&prompter};
};

const ReplyTemplate kFive{QByteArray("*#####"), false};

} // namespace

class TestWaitReply : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findLast() {
        const QByteArray five("*#####"), eight("A########");
        for (const auto& [received, pattern, crOnly, expected] :
             {std::tuple{QByteArray("*\x00\x04\x07\r\n", 6), five, false, 0},
              {QByteArray("*\x2a\x2a\x2a\r\n", 6), five, false, 0}, // marker in the data
              {QByteArray("xx*\r\n*\x00\x01\x02\r\n", 11), five, false, 5},
              {QByteArray("*\x00\x01\x01\r\n*\x00\x01\x02\r\n", 12), five, false, 6}, // last wins
              {QByteArray("*\x00\x01\x02\r", 5), five, false, -1},                    // incomplete
              {QByteArray("A1234567\r"), eight, false, -1}, // CR only in CR LF mode
              {QByteArray("A1234567\r"), eight, true, 0},
              // A wrong marker.
              {QByteArray("#\x00\x01\x02\r\n", 6), five, false, -1}}) {
            const FailingRow row(QString::fromLatin1(received.toPercentEncoding("*")) +
                                 (crOnly ? " CR only" : ""));
            QCOMPARE(FindLastReply(received, {pattern, crOnly}), expected);
            // Fed one byte at a time or in a single piece, the scanner finds the same reply.
            ReplyScanner whole({pattern, crOnly});
            whole.feed(received);
            QCOMPARE(whole.reply(),
                     expected < 0 ? QByteArray() : received.mid(expected, pattern.size()));
            ReplyScanner bytewise({pattern, crOnly});
            for (char ch : received)
                if (bytewise.feed(QByteArray(1, ch)))
                    break;
            QCOMPARE(bytewise.found(), expected >= 0);
        }
    }

    void replyAndFailures() {
        // Nothing comes; a stale reply is flushed (why callers flush first: bytes already
        // waiting count as the reply); the port is closed; the port dies while waiting; the
        // reply comes in pieces.
        const QByteArray request("$R\0\4\0\r", 6), pieces("*\x00\x04\x07\r\n", 6);
        const QByteArray expected[] = {"timeout", "timeout", "errore", "errore", pieces};
        for (int setup = 0; setup < 5; ++setup) {
            const FailingRow row(QStringLiteral("setup %1").arg(setup));
            Wire w;
            if (setup == 1) {
                w.wire.arrive(QByteArray("*\x00\x00\x09\r\n", 6));
                QTest::qWait(5);
                w.link.FlushInput();
            } else if (setup == 2) {
                w.wire.close();
            } else if (setup == 3) {
                QTimer::singleShot(50, &w.wire, [&] {
                    w.wire.close();
                    Q_EMIT w.wire.failed(QStringLiteral("gone"));
                });
            } else if (setup == 4) {
                w.wire.arrive(pieces.left(3), 20);
                w.wire.arrive(pieces.mid(3), 60);
            }
            QCOMPARE(w.link.WaitReply(request, kFive, 1).text(), expected[setup]);
            QCOMPARE(w.wire.sent, setup == 2 ? QByteArray() : request);
        }
    }

    // On a line of 2 ms per byte a "$R" exchange takes 24 ms. A reply completed sooner is
    // held back until the line would have delivered one, plus the turnaround the device has
    // shown so far; a reply completing by then replaces it, so a repeated or late answer to
    // an earlier request is not taken for this one. A device faster than the line is paced,
    // never refused.
    void heldReplies() {
        // How late the earlier replies came (-1 none), a stale reply's arrival (-1 none), the
        // reply's arrival: a device faster than the line; a fast device, stale first; stale,
        // reply at the line's time; stale, reply after the turnaround (sooner than the
        // turnaround so far, which a loaded machine can only lengthen).
        for (const auto& [turnaround, staleAt, replyAt] :
             {std::tuple{-1, -1, 0}, {-1, 0, 2}, {0, 3, 24}, {10, 3, 30}}) {
            const FailingRow row(QString::asprintf("turnaround %d, stale at %d, reply at %d",
                                                   turnaround, staleAt, replyAt));
            const int turnaroundMs = turnaround, staleMs = staleAt, replyMs = replyAt;
            constexpr int kWireMs = 24;
            const QByteArray request("$R\0\4\0\r", 6), reply("*\x00\x04\x07\r\n", 6),
                stale("*\x00\x03\x66\r\n", 6);
            Wire w;
            w.wire.byteNs = 2'000'000;
            for (int k = 0; turnaroundMs >= 0 && k < 2; ++k) {
                w.wire.onWrite = [&](const QByteArray&) {
                    w.wire.arrive(reply, kWireMs + turnaroundMs);
                };
                QCOMPARE(w.link.WaitReply(request, kFive, 1).text(), reply);
            }
            w.wire.onWrite = [&](const QByteArray&) {
                if (staleMs >= 0)
                    w.wire.arrive(stale, staleMs);
                w.wire.arrive(reply, replyMs);
            };
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(w.link.WaitReply(request, kFive, 1).text(), reply);
            QVERIFY(clock.elapsed() >= kWireMs - 1); // never sooner than the line could
        }
    }

    void handshakeSecondTry() {
        Wire w;
        int prCount = 0;
        w.wire.onWrite = [&](const QByteArray& b) {
            if (b == "PR\r")
                w.wire.arrive(++prCount == 2 ? "OK\r\n" : "NO\r\n", 5);
        };
        // Accepted at the second try; then never more than three tries.
        for (const auto& [first, tries, error] : {std::tuple{0, 2, 0}, {10, 3, 1}}) {
            const FailingRow row(first ? "refused" : "second try");
            prCount = first;
            w.link.EnterProgramming();
            QCOMPARE(QList<int>({prCount, w.link.CommError}), QList<int>({first + tries, error}));
        }
    }

    void shortCommandBytes() {
        const std::pair<std::function<void(DeviceLink&)>, QByteArray> cases[] = {
            {[](DeviceLink& l) { l.StopMeasure(); }, "SM\r"},
            {[](DeviceLink& l) { l.StartMeasure(); }, "MI\r"},
            {[](DeviceLink& l) { l.EndProgramming(); }, "$FPxx\r"},
            {[](DeviceLink& l) { l.SendValueUpperI(-2); }, QByteArray("$I\xff\xfe\x00\r", 6)},
            {[](DeviceLink& l) { l.SendValueLowerI(256); }, QByteArray("$i\x01\x00\x00\r", 6)},
        };
        for (const auto& [send, expected] : cases) {
            const FailingRow row(QString::fromLatin1(expected.left(2)));
            Wire w;
            QSignalSpy panel(&w.link, &DeviceLink::portPanelEnabled);
            send(w.link);
            QCOMPARE(w.wire.sent, expected);
            QCOMPARE(panel.count(), 1);
        }
    }

    void secondCommandIsRefused() {
        Wire w;
        w.wire.onWrite = [&](const QByteArray& b) {
            if (b == "PR\r")
                w.wire.arrive("OK\r\n", 2);
            else if (b.startsWith("$V"))
                w.wire.arrive(QByteArray("*\x03\x07\x01\x0c\r\n", 7), 300);
        };
        QSignalSpy refused(&w.link, &DeviceLink::commandRefused);
        // A click while the identification waits must not interleave a block read: its
        // failure flag, and the link telling it was refused.
        QList<int> inner;
        QTimer::singleShot(400, &w.link, [&] {
            inner = {w.link.ReadBlock(0, 0, 4).at(0), w.link.lastCallRefused()};
        });
        const QByteArray id = w.link.ReadIdentity();
        // Refused once, then the block read's answer.
        QCOMPARE(QList<int>({int(refused.count())}) + inner, QList<int>({1, 1, 1}));
        QVERIFY(!w.wire.sent.contains("$R"));
        QCOMPARE(QList<int>({id.at(0), w.link.CommError}), QList<int>({0, 0}));
        QCOMPARE(IdentificationLabel(w.link.identity), QStringLiteral("ID=12/3"));
        QVERIFY(!w.link.busy());
    }

    void portNames() {
        // The standard entries COM1..COM16, and that a missing port fails to open with its
        // message, are checked through the port list and the command line tool's tests.
#ifdef Q_OS_WIN
        QCOMPARE(SystemPortName(QStringLiteral("COM16")), QStringLiteral("COM16"));
#else
        // The list's entry, then the system's name for it.
        for (const QString& row :
             QStringLiteral("COM1 /dev/ttyS0|COM16 /dev/ttyS15|com3 /dev/ttyS2|"
                            "/dev/ttyUSB0 /dev/ttyUSB0|COMX COMX")
                 .split(u'|'))
            QCOMPARE(SystemPortName(row.section(u' ', 0, 0)), row.section(u' ', 1));
#endif
    }

    // Why a port failed to open, from the error the port reported and the device node: a
    // group is suggested only when joining it would open the port and it is not root's.
    void openFailures() {
        const auto row = [](OpenError e, const PortNode& n, const QString& message) {
            QCOMPARE(
                DescribePortProblem(ClassifyOpenFailure(QStringLiteral("/dev/ttyUSB0"), e,
                                                        QStringLiteral("Input/output error"), n)),
                message);
        };
        // Exists, accessible, owner, group, the group may open it, the group is root's, mode.
        const PortNode rw{true, true, "root", "dialout", true, false, "crw-rw----"};
        const QString missing = QStringLiteral(
            "Serial port /dev/ttyUSB0 does not exist. Check the cable or choose another port.");
        row(OpenError::NotFound, rw, missing);
        row(OpenError::Other, {false, false, "root", "-", false, false, "-"}, missing);
        row(OpenError::Other, rw, "Serial port /dev/ttyUSB0 cannot be opened: Input/output error");
        row(OpenError::Permission, rw, // busy
            "Serial port /dev/ttyUSB0 is already in use by another program. Close that program "
            "or choose another port.");
        row(OpenError::Permission, {true, false, "root", "dialout", true, false, "crw-rw----"},
            "Permission denied on /dev/ttyUSB0. The port belongs to group \"dialout\"; add "
            "yourself to it with: sudo usermod -aG dialout $USER (then log out and in again).");
        row(OpenError::Permission, {true, false, "root", "root", true, true, "crw-rw----"},
            "Permission denied on /dev/ttyUSB0 (owner root:root, mode crw-rw----). Ask the "
            "administrator for access to the port.");
        row(OpenError::Permission, {true, false, "root", "dialout", false, false, "crw-------"},
            "Permission denied on /dev/ttyUSB0 (owner root:dialout, mode crw-------). Ask the "
            "administrator for access to the port.");
    }
#ifdef Q_OS_UNIX
    // What the file system tells about a node; root passes every permission check.
    void portNode() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ttyFake"));
        QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        const PortNode n = InspectPortNode(path);
        // Exists, the group may not open it, mode, the owner may.
        QCOMPARE(QVariantList({n.exists, n.groupMayOpen, n.mode, n.accessible}),
                 QVariantList({true, false, QStringLiteral("-rw-------"), true}));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadGroup | QFile::WriteGroup));
        QVERIFY(InspectPortNode(path).groupMayOpen);
        QVERIFY(!InspectPortNode(dir.filePath(QStringLiteral("none"))).exists);
    }

    // The real serial transport on a pseudo-terminal served by the simulated device.
    void overPty() {
        sim::SimDevice device(7);
        sim::PtyServer server;
        QString why;
        QVERIFY2(server.start(&device, &why), qPrintable(why));
        SerialTransport port(server.slavePath());
        QVERIFY(port.open());
        ScriptedPrompter prompter;
        DeviceLink link(&prompter);
        link.setTransport(&port);
        link.ReadIdentity();
        QCOMPARE(link.identity, device.identity());
        // Address and value 13 travel unchanged: the line is raw in both directions.
        device.setMemory(0, 13, 13);
        QCOMPARE(link.ReadBlock(0, 12, 2).left(2), device.bank(0).mid(12, 2));
        // (That a block write at the protocol's pace loses nothing to the device's EEPROM write
        // time is checked on the in-process port by the command tests.)

        QSignalSpy failed(&port, &Transport::failed);
        device.injectFault({sim::Fault::Kind::Vanish, "$R", 10});
        // Well inside the time-outs: the failure ends the read at once.
        const QDeadlineTimer limit(5000);
        // The read's failure flag, then the link's.
        QCOMPARE(QList<int>({link.ReadBlock(0, 0, 65).at(0), link.CommError}), QList<int>({1, 1}));
        QVERIFY(!limit.hasExpired());
        // A vanished device is reported once, as a disconnection, and the port is closed
        // however many errors the port raises.
        QTRY_VERIFY(!port.isOpen());
        QTest::qWait(100);
        QCOMPARE(failed.count(), 1);
        QVERIFY(failed.first().at(0).toString().contains(QLatin1String("disconnected")));
        QVERIFY(!port.write("SM\r"));
        QVERIFY(prompter.questions().isEmpty());
    }
#endif
};

QTEST_GUILESS_MAIN(TestWaitReply)
#include "tst_waitreply.moc"
