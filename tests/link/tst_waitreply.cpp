// The transaction engine against a scripted wire: what the device side sends, and when,
// is set by each test.
#include "devicelink.h"
#include "scriptedprompter.h"

#include <QSignalSpy>
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
        if (!m_open)
            return false;
        sent += bytes;
        if (onWrite)
            onWrite(bytes);
        return true;
    }
    QByteArray readAll() override { return std::exchange(m_input, {}); }
    qint64 bytesAvailable() const override { return m_input.size(); }
    void clearInput() override { m_input.clear(); }
    QString errorString() const override { return {}; }
    QString portName() const override { return QStringLiteral("wire"); }

    // Bytes from the device side, delivered after `ms` milliseconds.
    void arrive(const QByteArray& bytes, int ms = 0) {
        QTimer::singleShot(ms, this, [this, bytes] {
            m_input += bytes;
            Q_EMIT readyRead();
        });
    }
    void vanishAfter(int ms) {
        QTimer::singleShot(ms, this, [this] {
            m_open = false;
            Q_EMIT failed(QStringLiteral("gone"));
        });
    }

    QByteArray sent;
    std::function<void(const QByteArray&)> onWrite;

private:
    bool m_open = false;
    QByteArray m_input;
};

ReplyTemplate tmpl(const char* pattern, bool crOnly = false) {
    return {QByteArray(pattern), crOnly};
}

} // namespace

class TestWaitReply : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findLast_data() {
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<bool>("crOnly");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << QByteArray("*\x00\x04\x07\r\n", 6) << QByteArray("*#####")
                               << false << 0;
        QTest::newRow("marker in data")
            << QByteArray("*\x2a\x2a\x2a\r\n", 6) << QByteArray("*#####") << false << 0;
        QTest::newRow("junk then reply")
            << QByteArray("xx*\r\n*\x00\x01\x02\r\n", 11) << QByteArray("*#####") << false << 5;
        QTest::newRow("two replies, last wins")
            << QByteArray("*\x00\x01\x01\r\n*\x00\x01\x02\r\n", 12) << QByteArray("*#####") << false
            << 6;
        QTest::newRow("incomplete")
            << QByteArray("*\x00\x01\x02\r", 5) << QByteArray("*#####") << false << -1;
        QTest::newRow("CR only in CRLF mode")
            << QByteArray("A1234567\r", 9) << QByteArray("A########") << false << -1;
        QTest::newRow("CR only in CR mode")
            << QByteArray("A1234567\r", 9) << QByteArray("A########") << true << 0;
        QTest::newRow("wrong marker")
            << QByteArray("#\x00\x01\x02\r\n", 6) << QByteArray("*#####") << false << -1;
    }
    void findLast() {
        QFETCH(QByteArray, received);
        QFETCH(QByteArray, pattern);
        QFETCH(bool, crOnly);
        QFETCH(int, expected);
        QCOMPARE(FindLastReply(received, {pattern, crOnly}), expected);
    }

    void replyInPieces() {
        WireTransport wire;
        DeviceLink link(nullptr);
        link.setTransport(&wire);
        wire.open();
        wire.arrive(QByteArray("*\x00\x04", 3), 20);
        wire.arrive(QByteArray("\x07\r\n", 3), 60);
        const Reply r = link.WaitReply("$R\0\4\0\r", tmpl("*#####"), 1);
        QVERIFY(r.ok());
        QCOMPARE(r.at(4), quint8(7));
        QCOMPARE(wire.sent, QByteArray("$R\0\4\0\r"));
    }

    void timeoutAndErrors_data() {
        QTest::addColumn<QByteArray>("incoming");
        QTest::addColumn<bool>("crOnly");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("vanish");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("nothing") << QByteArray() << false << false << false
                                 << QByteArray("timeout");
        QTest::newRow("CR-only reply in CRLF mode")
            << QByteArray("*\x01\x02\x03\r", 5) << false << false << false << QByteArray("timeout");
        QTest::newRow("truncated")
            << QByteArray("*\x01\x02", 3) << false << false << false << QByteArray("timeout");
        QTest::newRow("closed port")
            << QByteArray() << false << true << false << QByteArray("errore");
        QTest::newRow("port dies while waiting")
            << QByteArray() << false << false << true << QByteArray("errore");
    }
    void timeoutAndErrors() {
        QFETCH(QByteArray, incoming);
        QFETCH(bool, crOnly);
        QFETCH(bool, closed);
        QFETCH(bool, vanish);
        QFETCH(QByteArray, expected);
        WireTransport wire;
        DeviceLink link(nullptr);
        link.setTransport(&wire);
        if (!closed)
            wire.open();
        if (!incoming.isEmpty())
            wire.arrive(incoming, 10);
        if (vanish)
            wire.vanishAfter(50);
        const Reply r = link.WaitReply("$V\0\0\0\r", tmpl("*#####", crOnly), 1);
        QCOMPARE(r.text(), expected);
    }

    void staleInputSatisfiesTemplate() {
        // Why callers flush first: bytes already waiting count as a reply.
        WireTransport wire;
        DeviceLink link(nullptr);
        link.setTransport(&wire);
        wire.open();
        wire.arrive(QByteArray("*\x00\x00\x09\r\n", 6));
        QTest::qWait(5);
        QCOMPARE(link.WaitReply("$R\0\0\0\r", tmpl("*#####"), 1).at(4), quint8(9));
        wire.arrive(QByteArray("*\x00\x00\x09\r\n", 6));
        QTest::qWait(5);
        link.FlushInput();
        QCOMPARE(link.WaitReply("$R\0\0\0\r", tmpl("*#####"), 1).text(), QByteArray("timeout"));
    }

    void handshakeSecondTry() {
        WireTransport wire;
        DeviceLink link(nullptr);
        link.setTransport(&wire);
        wire.open();
        int prCount = 0;
        wire.onWrite = [&](const QByteArray& b) {
            if (b == "PR\r" && ++prCount == 2)
                wire.arrive("OK\r\n", 5);
        };
        link.EnterProgramming();
        QCOMPARE(prCount, 2);
        QCOMPARE(link.CommError, 0);

        prCount = 0;
        wire.onWrite = [&](const QByteArray& b) {
            if (b == "PR\r") {
                ++prCount;
                wire.arrive("NO\r\n", 5);
            }
        };
        link.EnterProgramming();
        QCOMPARE(prCount, 3); // never more than three tries
        QCOMPARE(link.CommError, 1);
    }

    void shortCommandBytes_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("SM") << 0 << 0 << QByteArray("SM\r");
        QTest::newRow("MI") << 1 << 0 << QByteArray("MI\r");
        QTest::newRow("FP") << 2 << 0 << QByteArray("$FPxx\r");
        QTest::newRow("I -2") << 3 << -2 << QByteArray("$I\xff\xfe\x00\r", 6);
        QTest::newRow("i 256") << 4 << 256 << QByteArray("$i\x01\x00\x00\r", 6);
    }
    void shortCommandBytes() {
        QFETCH(int, which);
        QFETCH(int, value);
        QFETCH(QByteArray, expected);
        WireTransport wire;
        DeviceLink link(nullptr);
        link.setTransport(&wire);
        wire.open();
        QSignalSpy panel(&link, &DeviceLink::portPanelEnabled);
        switch (which) {
        case 0:
            link.StopMeasure();
            break;
        case 1:
            link.StartMeasure();
            break;
        case 2:
            link.EndProgramming();
            break;
        case 3:
            link.SendValueUpperI(value);
            break;
        default:
            link.SendValueLowerI(value);
        }
        QCOMPARE(wire.sent, expected);
        QCOMPARE(panel.count(), 1);
    }

    void secondCommandIsRefused() {
        WireTransport wire;
        ScriptedPrompter prompter;
        DeviceLink link(&prompter);
        link.setTransport(&wire);
        wire.open();
        wire.onWrite = [&](const QByteArray& b) {
            if (b == "PR\r")
                wire.arrive("OK\r\n", 2);
            else if (b.startsWith("$V"))
                wire.arrive(QByteArray("*\x03\x07\x01\x0c\r\n", 7), 300);
        };
        QSignalSpy refused(&link, &DeviceLink::commandRefused);
        QByteArray inner;
        // A click while the identification waits must not interleave a block read.
        bool innerRefused = false;
        QTimer::singleShot(400, &link, [&] {
            inner = link.ReadBlock(0, 0, 4);
            innerRefused = link.lastCallRefused();
        });
        const QByteArray id = link.ReadIdentity();
        QCOMPARE(refused.count(), 1);
        QCOMPARE(int(inner.at(0)), 1);
        QVERIFY(innerRefused);
        QVERIFY(!wire.sent.contains("$R"));
        QCOMPARE(int(id.at(0)), 0);
        QCOMPARE(link.identity.ModelByte, quint8(3));
        QCOMPARE(link.identity.IdByte3, quint8(7));
        QCOMPARE(link.identity.IdByte4, quint8(1));
        QCOMPARE(link.identity.DeviceCode, quint8(12));
        QCOMPARE(IdentificationLabel(link.identity), QStringLiteral("ID=12/3"));
        QCOMPARE(link.CommError, 0);
        QVERIFY(!link.busy());
    }
};

QTEST_GUILESS_MAIN(TestWaitReply)
#include "tst_waitreply.moc"
