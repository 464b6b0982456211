// The device command set against the simulated device: bytes on the wire, retries,
// questions to the user and what each failure leaves behind.
#include "simbench.h"

#include <QSignalSpy>
#include <QTest>

using namespace vantelso;
using namespace vantelso::sim;
using Answer = Prompter::Answer;
using K = Fault::Kind;

Q_DECLARE_METATYPE(vantelso::sim::Fault)

using Bench = SimBench;

class TestCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readBlockWholeBank() {
        Bench b(0);
        for (int a = 0; a < 256; ++a)
            b.device.setMemory(0, a, quint8(255 - a));
        // Neither a slow reply in time nor junk before every reply is a reason to start over.
        b.device.injectFault({K::DelayedReply, "$R", 100, 1, 400});
        b.device.injectFault({K::JunkBefore, "$R", 0, -1});
        QSignalSpy progress(&b.link, &DeviceLink::progressChanged);
        QSignalSpy panel(&b.link, &DeviceLink::panelEnabledChanged);
        const QByteArray r = b.link.ReadBlock(0, 0, 256);
        QCOMPARE(b.link.CommError, 0);
        QCOMPARE(r.left(256), b.device.bank(0));
        QCOMPARE(progress.count(), 256);
        QCOMPARE(progress.last().at(0).toInt(), 256);
        QCOMPARE(panel.count(), 2);
        QCOMPARE(panel.last().at(0).toBool(), true);
        // Stop streaming, handshake, one "$R" per byte, then leave programming mode.
        const QList<QByteArray> log = b.device.commandLog();
        QCOMPARE(log.mid(0, 3), (QList<QByteArray>{"SM\r", "PR\r", QByteArray("$R\0\0\0\r", 6)}));
        QCOMPARE(log.last(), QByteArray("$FPxx\r"));
        QCOMPARE(b.count("PR"), 1);
        QVERIFY(!b.device.inProgramming());
        QVERIFY(b.prompter.questions().isEmpty());
    }

    void readBlockFaults_data() {
        QTest::addColumn<QList<Fault>>("faults");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("attempts");
        QTest::addColumn<bool>("ok");
        const QByteArray r("$R");
        const int retry = int(Answer::Retry);
        // Attempts one to four fail at the last, the fifth, the first and the third address
        // (a skip counts the requests no earlier fault took); the fifth succeeds.
        QTest::newRow("time-out, corrupt, truncated, too slow; Retry twice")
            << QList<Fault>{{K::NoReply, r, 9},
                            {K::CorruptReply, r, 13},
                            {K::TruncatedReply, r, 13},
                            {K::DelayedReply, r, 15, 1, 1200}}
            << QList<int>{retry, retry} << 5 << true;
        QTest::newRow("no reply, Cancel") << QList<Fault>{{K::NoReply, r, 0, -1}}
                                          << QList<int>{int(Answer::Cancel)} << 3 << false;
    }
    void readBlockFaults() {
        QFETCH(QList<Fault>, faults);
        QFETCH(QList<int>, answers);
        QFETCH(int, attempts);
        QFETCH(bool, ok);
        Bench b(3);
        for (const Fault& f : faults)
            b.device.injectFault(f);
        for (int a : answers)
            b.prompter.push(Answer(a));
        const QByteArray r = b.link.ReadBlock(0, 20, 10);
        QCOMPARE(b.link.CommError, ok ? 0 : 1);
        // Every attempt reads the whole block again from its first address.
        QList<int> seen;
        for (const QByteArray& c : b.device.commandLog())
            if (c.startsWith("$R"))
                seen << quint8(c.at(3));
        QCOMPARE(seen.count(20), attempts);
        QCOMPARE(b.count("PR"), attempts);
        if (ok) {
            QCOMPARE(r.left(10), b.device.bank(0).mid(20, 10));
        } else {
            QCOMPARE(int(r.at(0)), 1);
        }
        // The user is asked once three attempts have failed, and after every one after that.
        QCOMPARE(b.prompter.questions().size(), answers.size());
        for (const auto& q : b.prompter.questions()) {
            QCOMPARE(q.text, QStringLiteral("Communication error"));
            QCOMPARE(q.buttons, Prompter::Buttons::RetryCancel);
        }
    }

    void readBlockFails_data() {
        QTest::addColumn<int>("setup");
        QTest::addColumn<int>("requests");
        QTest::newRow("port closed") << 0 << 0;
        QTest::newRow("device vanishes mid-block") << 1 << 31;
        QTest::newRow("block past the last address") << 2 << 0;
    }
    void readBlockFails() {
        QFETCH(int, setup);
        QFETCH(int, requests);
        Bench b(0);
        if (setup == 0)
            b.transport.close();
        else if (setup == 1)
            b.device.injectFault({K::Vanish, "$R", 30});
        QSignalSpy activity(&b.link, &DeviceLink::activityChanged);
        const QByteArray r = setup == 2 ? b.link.ReadBlock(0, 250, 10) : b.link.ReadBlock(0, 0, 65);
        QCOMPARE(b.link.CommError, 1);
        QCOMPARE(int(r.at(0)), 1);
        QCOMPARE(b.count("$R"), requests);
        // A dead port is a failure, not a question the user could answer with Retry.
        QVERIFY(b.prompter.questions().isEmpty());
        QVERIFY(!activity.isEmpty());
        QCOMPARE(activity.last().at(0).toBool(), false);
        QVERIFY(!b.link.busy());
    }

    void identifyAndSwap() {
        // One device swapped for others between reads: nothing of the previous one may stick.
        Bench b(9);
        const struct {
            int model, variant;
            const char* identifier;
        } rows[] = {{0, 0, "RSX7030"},
                    {2, 0x60, "RSX7031A"},
                    {3, 0x20, "RSX7131B"},
                    {6, 0, "RSX7032C"},
                    {7, 0, "RSX7040"}};
        for (const auto& row : rows) {
            b.device.swapTo(quint8(row.model), quint8(row.variant));
            b.device.clearCommandLog();
            const QByteArray r = b.link.ReadIdentity();
            const DeviceIdentity id = b.device.identity();
            QCOMPARE(b.link.CommError, 0);
            QCOMPARE(b.link.identity, id);
            const char expected[] = {char(id.IdByte4), char(id.DeviceCode), char(id.ModelByte),
                                     char(id.IdByte3)};
            QCOMPARE(r.mid(1, 4), QByteArray(expected, 4));
            QCOMPARE(b.link.ReadModelIdentifier(), QString::fromLatin1(row.identifier));
            QCOMPARE(b.count("$R"), ModelNeedsVariantByte(quint8(row.model)) ? 1 : 0);
            QVERIFY(!b.device.inProgramming());
        }
    }

    void identifyRetryAndCancel() {
        Bench b(4);
        b.device.injectFault({K::NoReply, "$V", 0, 2});
        b.prompter.push(Answer::Retry);
        b.prompter.push(Answer::Retry);
        b.link.ReadIdentity();
        QCOMPARE(b.link.CommError, 0);
        QCOMPARE(b.count("$V"), 3); // Retry has no limit
        const DeviceIdentity known = b.link.identity;
        QCOMPARE(known, b.device.identity());
        // Cancel fails the read and keeps what was known, first on a silent device, then on a
        // closed port.
        b.device.injectFault({K::NoReply, "$V"});
        for (bool closed : {false, true}) {
            if (closed)
                b.transport.close();
            b.prompter.push(Answer::Cancel);
            const QByteArray r = b.link.ReadIdentity();
            QCOMPARE(int(r.at(0)), 1);
            QCOMPARE(b.link.CommError, 1);
            QCOMPARE(b.link.identity, known);
        }
        const QString error = QStringLiteral("Communication error");
        QCOMPARE(b.prompter.texts(),
                 QStringList({error, error, error, QStringLiteral("COM Port not open")}));
    }

    void writeBlock() {
        Bench b(0);
        QSignalSpy written(&b.link, &DeviceLink::blockWritten);
        b.link.WriteBlock(0, {{20, 0xE8}, {21, 0x03}, {13, 0x0D}});
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
        b.device.injectFault({K::WrongHandshake, "PR", 0, -1});
        b.link.WriteBlock(0, {{20, 1}});
        QCOMPARE(b.count("PR"), 3);
        QCOMPARE(b.count("$W"), 0);
        QCOMPARE(b.prompter.questions().size(), 1);
        QCOMPARE(b.prompter.questions().first().icon, Prompter::Icon::Critical);
        // Nothing went out, and the caller must not be told otherwise.
        QCOMPARE(b.link.CommError, 1);
    }

    void replyShapes_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("tableWords");
        QTest::addColumn<bool>("longSwitchReply");
        QTest::addColumn<int>("lastFrameByte");
        QTest::newRow("model 4") << 4 << 34 << false << 7;
        QTest::newRow("model 7") << 7 << 66 << true << 14;
        QTest::newRow("model 8") << 8 << 80 << true << 13;
    }
    void replyShapes() {
        QFETCH(int, model);
        QFETCH(int, tableWords);
        QFETCH(bool, longSwitchReply);
        QFETCH(int, lastFrameByte);
        Bench b{quint8(model)};
        b.link.identity = b.device.identity();
        const QList<int> t = b.link.ReadTable(1);
        QCOMPARE(b.link.CommError, 0);
        QCOMPARE(t.size(), tableWords);
        // Scale words come from the record, table words from the reply.
        const int scale = 132;
        QCOMPARE(t.at(0), int(b.device.memory(0, scale)) * 256 + b.device.memory(0, scale + 1));
        QVERIFY(t.at(2) > t.at(1));
        QCOMPARE(b.link.BUF.at(0), char(b.device.memory(0, scale)));

        b.device.setSwitchBytes(QByteArray("\x11\x22\x33\x44", 4));
        const QList<int> data = b.link.ReadData().mid(0, 4);
        QCOMPARE(data, (QList<int>{0x11, 0x22, longSwitchReply ? 0x33 : 13,
                                   longSwitchReply ? 0x44 : 10}));

        b.link.StartMeasure();
        QVERIFY(b.device.streaming());
        const QByteArray f = b.link.ReadFrame();
        QCOMPARE(int(f.at(0)), 0);
        QCOMPARE(DeviceLink::FrameTemplate(b.link.identity).pattern.size(),
                 SimDevice::frameLength(b.device.identity()));
        for (int k = lastFrameByte + 1; k < 20; ++k)
            QCOMPARE(int(f.at(k)), 0);
        b.link.StopMeasure();
        QVERIFY(!b.device.streaming());
        QVERIFY(b.prompter.questions().isEmpty());
    }

    void cancelledReads() {
        Bench b(3);
        b.link.identity = b.device.identity();
        b.device.injectFault({K::NoReply, "$D", 0, -1});
        QCOMPARE(b.link.ReadData().mid(0, 4), QList<int>(4, 0));
        QCOMPARE(b.count("$D"), 3);
        QCOMPARE(b.link.CommError, 0);              // a cancelled switch read is not a link failure
        QCOMPARE(int(b.link.ReadFrame().at(0)), 1); // streaming never started
        QCOMPARE(b.prompter.questions().size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
