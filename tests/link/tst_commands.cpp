// The device command set against the simulated device: bytes on the wire, retries,
// questions to the user and what each failure leaves behind.
#include "devicelink.h"
#include "scriptedprompter.h"
#include "simbench.h"
#include "simdevice.h"
#include "simtransport.h"

#include <QSignalSpy>
#include <QTest>

using namespace vantelso;
using namespace vantelso::sim;
using Answer = Prompter::Answer;

namespace {

struct Bench : SimBench {
    using SimBench::SimBench;
    // Addresses of the "$R" requests the device saw, in order.
    QList<int> readAddresses() const {
        QList<int> out;
        for (const QByteArray& c : device.commandLog())
            if (c.startsWith("$R"))
                out << quint8(c.at(3));
        return out;
    }
};

Fault fault(Fault::Kind kind, const char* match, int skip = 0, int count = 1, int delayMs = 0) {
    Fault f;
    f.kind = kind;
    f.match = match;
    f.skip = skip;
    f.count = count;
    f.delayMs = delayMs;
    return f;
}

QList<int> range(int first, int count) {
    QList<int> out;
    for (int a = first; a < first + count; ++a)
        out << a;
    return out;
}

} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readBlockWholeBank() {
        Bench b(0);
        for (int a = 0; a < 256; ++a)
            b.device.setMemory(0, a, quint8(255 - a));
        QSignalSpy progress(&b.link, &DeviceLink::progressChanged);
        QSignalSpy panel(&b.link, &DeviceLink::panelEnabledChanged);
        const QByteArray r = b.link.ReadBlock(0, 0, 256);
        QCOMPARE(b.link.CommError, 0);
        for (int a = 0; a < 256; ++a)
            QCOMPARE(quint8(r.at(a)), quint8(255 - a));
        QCOMPARE(progress.count(), 256);
        QCOMPARE(progress.last().at(0).toInt(), 256);
        QCOMPARE(panel.count(), 2);
        QCOMPARE(panel.last().at(0).toBool(), true);
        // Stop streaming, handshake, one "$R" per byte, then leave programming mode.
        const QList<QByteArray> log = b.device.commandLog();
        QCOMPARE(log.first(), QByteArray("SM\r"));
        QCOMPARE(log.at(1), QByteArray("PR\r"));
        QCOMPARE(log.at(2), QByteArray("$R\x00\x00\x00\r", 6));
        QCOMPARE(log.last(), QByteArray("$FPxx\r"));
        QVERIFY(!b.device.inProgramming());
        QVERIFY(b.prompter.questions().isEmpty());
    }

    void readBlockFaults_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("skip");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<int>("restarts");
        using K = Fault::Kind;
        QTest::newRow("time-out at the last byte") << int(K::NoReply) << 9 << 1 << 0 << 1;
        QTest::newRow("two time-outs") << int(K::NoReply) << 3 << 2 << 0 << 2;
        QTest::newRow("corrupt reply") << int(K::CorruptReply) << 4 << 1 << 0 << 1;
        QTest::newRow("truncated reply") << int(K::TruncatedReply) << 0 << 1 << 0 << 1;
        QTest::newRow("junk before every reply") << int(K::JunkBefore) << 0 << -1 << 0 << 0;
        QTest::newRow("slow but in time") << int(K::DelayedReply) << 2 << 1 << 400 << 0;
        QTest::newRow("too slow") << int(K::DelayedReply) << 2 << 1 << 1200 << 1;
    }
    void readBlockFaults() {
        QFETCH(int, kind);
        QFETCH(int, skip);
        QFETCH(int, count);
        QFETCH(int, delayMs);
        QFETCH(int, restarts);
        Bench b(3);
        b.device.injectFault(fault(Fault::Kind(kind), "$R", skip, count, delayMs));
        const QByteArray r = b.link.ReadBlock(0, 20, 10);
        QCOMPARE(b.link.CommError, 0);
        for (int k = 0; k < 10; ++k)
            QCOMPARE(quint8(r.at(k)), b.device.memory(0, 20 + k));
        QVERIFY(b.prompter.questions().isEmpty());
        // Every automatic retry reads the whole block again from its first address.
        const QList<int> seen = b.readAddresses();
        QCOMPARE(seen.count(20), restarts + 1);
        QCOMPARE(seen.mid(seen.size() - 10), range(20, 10));
        QCOMPARE(b.count("PR"), restarts + 1);
    }

    void readBlockAsksAfterThreeAttempts_data() {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("failures");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("questions");
        QTest::newRow("cancel") << QList<int>{int(Answer::Cancel)} << -1 << false << 1;
        QTest::newRow("retry then works") << QList<int>{int(Answer::Retry)} << 3 << true << 1;
        QTest::newRow("retry, fails, cancel")
            << QList<int>{int(Answer::Retry), int(Answer::Cancel)} << 4 << false << 2;
    }
    void readBlockAsksAfterThreeAttempts() {
        QFETCH(QList<int>, answers);
        QFETCH(int, failures);
        QFETCH(bool, ok);
        QFETCH(int, questions);
        Bench b(0);
        for (int a : answers)
            b.prompter.push(Answer(a));
        b.device.injectFault(fault(Fault::Kind::NoReply, "$R", 0, failures));
        const QByteArray r = b.link.ReadBlock(0, 0, 3);
        QCOMPARE(b.link.CommError, ok ? 0 : 1);
        if (ok)
            QCOMPARE(quint8(r.at(2)), b.device.memory(0, 2));
        else
            QCOMPARE(int(r.at(0)), 1);
        QCOMPARE(b.prompter.questions().size(), questions);
        for (const auto& q : b.prompter.questions()) {
            QCOMPARE(q.text, QStringLiteral("Communication error"));
            QCOMPARE(q.buttons, Prompter::Buttons::RetryCancel);
        }
    }

    void readBlockOnClosedOrVanishingPort_data() {
        QTest::addColumn<bool>("closedBefore");
        QTest::newRow("port closed") << true;
        QTest::newRow("device vanishes mid-block") << false;
    }
    void readBlockOnClosedOrVanishingPort() {
        QFETCH(bool, closedBefore);
        Bench b(0);
        if (closedBefore)
            b.transport.close();
        else
            b.device.injectFault(fault(Fault::Kind::Vanish, "$R", 30));
        QSignalSpy activity(&b.link, &DeviceLink::activityChanged);
        const QByteArray r = b.link.ReadBlock(0, 0, 65);
        QCOMPARE(b.link.CommError, 1);
        QCOMPARE(int(r.at(0)), 1);
        // A dead port is a failure, not a question the user could answer with Retry.
        QVERIFY(b.prompter.questions().isEmpty());
        QVERIFY(!activity.isEmpty());
        QCOMPARE(activity.last().at(0).toBool(), false);
        QVERIFY(!b.link.busy());
    }

    void blockPastLastAddressIsRefused() {
        Bench b(0);
        const QByteArray r = b.link.ReadBlock(0, 250, 10);
        QCOMPARE(b.link.CommError, 1);
        QCOMPARE(int(r.at(0)), 1);
        QCOMPARE(b.count("$R"), 0);
    }

    void identify_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("variant");
        QTest::addColumn<QString>("identifier");
        QTest::newRow("RSX7030") << 0 << 0 << "RSX7030";
        QTest::newRow("RSX7031A") << 2 << 0x60 << "RSX7031A";
        QTest::newRow("RSX7131B") << 3 << 0x20 << "RSX7131B";
        QTest::newRow("RSX7132D") << 5 << 0x40 << "RSX7132D";
        QTest::newRow("RSX7032C") << 6 << 0x00 << "RSX7032C";
        QTest::newRow("RSX7040") << 7 << 0 << "RSX7040";
        QTest::newRow("RSX5035") << 9 << 0 << "RSX5035";
    }
    void identify() {
        QFETCH(int, model);
        QFETCH(int, variant);
        QFETCH(QString, identifier);
        Bench b{quint8(model), quint8(variant)};
        const QByteArray r = b.link.ReadIdentity();
        QCOMPARE(b.link.CommError, 0);
        QCOMPARE(b.link.identity, b.device.identity());
        QCOMPARE(quint8(r.at(1)), b.device.identity().IdByte4);
        QCOMPARE(quint8(r.at(2)), b.device.identity().DeviceCode);
        QCOMPARE(quint8(r.at(3)), b.device.identity().ModelByte);
        QCOMPARE(quint8(r.at(4)), b.device.identity().IdByte3);
        QCOMPARE(b.link.ReadModelIdentifier(), identifier);
        QCOMPARE(b.count("$R"), ModelNeedsVariantByte(quint8(model)) ? 1 : 0);
        QVERIFY(!b.device.inProgramming());
    }

    void identifySwappedDevice() {
        Bench b(0);
        b.link.ReadIdentity();
        QCOMPARE(b.link.ReadModelIdentifier(), QStringLiteral("RSX7030"));
        b.device.swapTo(7, 0);
        b.link.ReadIdentity();
        QCOMPARE(b.link.identity.ModelByte, quint8(7));
        QCOMPARE(b.link.ReadModelIdentifier(), QStringLiteral("RSX7040"));
    }

    void identifyNoAnswer_data() {
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("message");
        QTest::newRow("silent device") << false << "Communication error";
        QTest::newRow("closed port") << true << "COM Port not open";
    }
    void identifyNoAnswer() {
        QFETCH(bool, closed);
        QFETCH(QString, message);
        Bench b(4);
        const DeviceIdentity before = b.link.identity;
        b.device.injectFault(fault(Fault::Kind::NoReply, "$V", 0, 2));
        if (closed)
            b.transport.close();
        b.prompter.push(Answer::Cancel);
        const QByteArray r = b.link.ReadIdentity();
        QCOMPARE(int(r.at(0)), 1);
        QCOMPARE(b.link.CommError, 1);
        QCOMPARE(b.link.identity, before);
        QCOMPARE(b.prompter.texts(), QStringList{message});
    }

    void identifyRetryHasNoLimit() {
        Bench b(4);
        b.device.injectFault(fault(Fault::Kind::NoReply, "$V", 0, 2));
        b.prompter.push(Answer::Retry);
        b.prompter.push(Answer::Retry);
        b.link.ReadIdentity();
        QCOMPARE(b.link.CommError, 0);
        QCOMPARE(b.link.identity.ModelByte, quint8(4));
        QCOMPARE(b.count("$V"), 3);
    }

    void writeBlock() {
        Bench b(0);
        QSignalSpy written(&b.link, &DeviceLink::blockWritten);
        const WriteQueue q{{20, 0xE8}, {21, 0x03}, {13, 0x0D}};
        b.link.WriteBlock(0, q);
        QCOMPARE(b.link.CommError, 0);
        QCOMPARE(b.device.memory(0, 20), quint8(0xE8));
        QCOMPARE(b.device.memory(0, 21), quint8(0x03));
        QCOMPARE(b.device.memory(0, 13), quint8(0x0D)); // an address equal to CR
        QCOMPARE(b.count("$W"), 3);
        QVERIFY(b.device.commandLog().contains(QByteArray("$W\x00\x14\xE8\r", 6)));
        QCOMPARE(written.count(), 1);
        QVERIFY(!b.device.inProgramming());
    }

    void writeBlockWithoutHandshake() {
        Bench b(0);
        b.device.injectFault(fault(Fault::Kind::WrongHandshake, "PR", 0, -1));
        b.link.WriteBlock(0, {{20, 1}});
        QCOMPARE(b.count("PR"), 3);
        QCOMPARE(b.count("$W"), 0);
        QCOMPARE(b.prompter.questions().size(), 1);
        QCOMPARE(b.prompter.questions().first().icon, Prompter::Icon::Critical);
        // Nothing went out, and the caller must not be told otherwise.
        QCOMPARE(b.link.CommError, 1);
    }

    void readTable_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("words");
        QTest::addColumn<int>("replyLength");
        QTest::newRow("model 7") << 7 << 66 << 132;
        QTest::newRow("model 0") << 0 << 80 << 160;
        QTest::newRow("model 4") << 4 << 34 << 68;
    }
    void readTable() {
        QFETCH(int, model);
        QFETCH(int, words);
        QFETCH(int, replyLength);
        Bench b{quint8(model)};
        b.link.identity = b.device.identity();
        int a = 0, bb = 0;
        QCOMPARE(DeviceLink::TableDataBytes(quint8(model), &a, &bb, 0, 0) + 4, replyLength);
        const QList<int> t = b.link.ReadTable(1);
        QCOMPARE(b.link.CommError, 0);
        QCOMPARE(t.size(), words);
        // Scale words come from the record, table words from the reply.
        const int scale = 132;
        QCOMPARE(t.at(0), int(b.device.memory(0, scale)) * 256 + b.device.memory(0, scale + 1));
        QVERIFY(t.at(2) > t.at(1));
        QCOMPARE(b.link.BUF.at(0), char(b.device.memory(0, scale)));
    }

    void readData_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("longReply");
        QTest::newRow("model 0, four bytes") << 0 << true;
        QTest::newRow("model 3, two bytes") << 3 << false;
        QTest::newRow("model 8, four bytes") << 8 << true;
    }
    void readData() {
        QFETCH(int, model);
        QFETCH(bool, longReply);
        Bench b{quint8(model)};
        b.link.identity = b.device.identity();
        b.device.setSwitchBytes(QByteArray("\x11\x22\x33\x44", 4));
        const QList<int> d = b.link.ReadData();
        QCOMPARE(b.link.CommError, 0);
        QCOMPARE(d.at(0), 0x11);
        QCOMPARE(d.at(1), 0x22);
        QCOMPARE(d.at(2), longReply ? 0x33 : 13);
        QCOMPARE(d.at(3), longReply ? 0x44 : 10);
    }

    void readDataCancel() {
        Bench b(3);
        b.link.identity = b.device.identity();
        b.device.injectFault(fault(Fault::Kind::NoReply, "$D", 0, -1));
        const QList<int> d = b.link.ReadData();
        QCOMPARE(b.count("$D"), 3);
        QCOMPARE(b.prompter.questions().size(), 1);
        QCOMPARE(d.at(0), 0);
        QCOMPARE(b.link.CommError, 0); // a cancelled switch read is not a link failure
    }

    void readFrame_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("lastFilled");
        QTest::newRow("model 8: no element 14") << 8 << 13;
        QTest::newRow("model 7: element 14") << 7 << 14;
        QTest::newRow("model 3: seven bytes") << 3 << 7;
    }
    void readFrame() {
        QFETCH(int, model);
        QFETCH(int, lastFilled);
        Bench b{quint8(model)};
        b.link.identity = b.device.identity();
        b.link.StartMeasure();
        QVERIFY(b.device.streaming());
        const QByteArray f = b.link.ReadFrame();
        QCOMPARE(int(f.at(0)), 0);
        QCOMPARE(DeviceLink::FrameTemplate(b.link.identity).pattern.size(),
                 SimDevice::frameLength(b.device.identity()));
        for (int k = lastFilled + 1; k < 20; ++k)
            QCOMPARE(int(f.at(k)), 0);
        b.link.StopMeasure();
        QVERIFY(!b.device.streaming());
    }

    void readFrameCancel() {
        Bench b(3);
        b.link.identity = b.device.identity();
        const QByteArray f = b.link.ReadFrame(); // streaming never started
        QCOMPARE(int(f.at(0)), 1);
        QCOMPARE(b.prompter.questions().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
