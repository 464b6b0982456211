// The device command set against the simulated device: bytes on the wire, retries,
// questions to the user and what each failure leaves behind.
#include "simbench.h"

#include <QSignalSpy>
#include <QTest>

using namespace vantelso;
using namespace vantelso::sim;
using Answer = Prompter::Answer;
using K = Fault::Kind;

class TestCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readBlockFailures() {
        const QByteArray r("$R");
        // Neither a slow reply in time nor junk before every reply is a reason to start over.
        const QList<Fault> harmless{{K::DelayedReply, r, 100, 1, 400}, {K::JunkBefore, r, 0, -1}};
        // Attempts one to four fail at the last, the fifth, the first and the third address (a
        // skip counts the requests no earlier fault took); the fifth succeeds.
        const QList<Fault> four{{K::NoReply, r, 9},
                                {K::CorruptReply, r, 13},
                                {K::TruncatedReply, r, 13},
                                {K::DelayedReply, r, 15, 1, 1200}};
        const struct {
            int from, count, attempts, requests;
            bool ok, closed;
            QList<Answer> answers;
            QList<Fault> faults;
        } rows[] = {{0, 256, 1, 256, true, false, {}, harmless},
                    {20, 10, 5, 29, true, false, {Answer::Retry, Answer::Retry}, four},
                    {20, 10, 3, 3, false, false, {Answer::Cancel}, {{K::NoReply, r, 0, -1}}},
                    // A dead port is a failure, not a question the user could answer with Retry.
                    {20, 10, 0, 0, false, true, {}, {}},
                    {0, 65, 1, 31, false, false, {}, {{K::Vanish, r, 30}}},
                    {250, 10, 0, 0, false, false, {}, {}}}; // past the last address
        for (const auto& row : rows) {
            SimBench b(3);
            for (int a = 0; a < 256; ++a) // no two neighbours alike, so a shifted read shows
                b.device.setMemory(0, a, quint8(255 - a));
            if (row.closed)
                b.transport.close();
            for (const Fault& f : row.faults)
                b.device.injectFault(f);
            for (Answer a : row.answers)
                b.prompter.push(a);
            QSignalSpy activity(&b.link, &DeviceLink::activityChanged);
            QSignalSpy progress(&b.link, &DeviceLink::progressChanged);
            QSignalSpy panel(&b.link, &DeviceLink::panelEnabledChanged);
            const QByteArray got = b.link.ReadBlock(0, row.from, row.count);
            QCOMPARE(b.link.CommError, row.ok ? 0 : 1);
            QCOMPARE(got.left(row.ok ? row.count : 1),
                     row.ok ? b.device.bank(0).mid(row.from, row.count) : QByteArray(1, 1));
            // Every attempt reads the whole block again from its first address.
            QList<int> seen;
            for (const QByteArray& c : b.device.commandLog())
                if (c.startsWith("$R"))
                    seen << quint8(c.at(3));
            QCOMPARE(seen.size(), row.requests);
            QCOMPARE(seen.count(row.from), row.attempts);
            QCOMPARE(b.count("PR"), row.attempts);
            // The user is asked once three attempts have failed, and after every one after that.
            QCOMPARE(b.prompter.questions().size(), row.answers.size());
            for (const auto& q : b.prompter.questions()) {
                QCOMPARE(q.text, QStringLiteral("Communication error"));
                QCOMPARE(q.buttons, Prompter::Buttons::RetryCancel);
            }
            QVERIFY(!activity.isEmpty());
            QCOMPARE(activity.last().at(0).toBool(), false);
            QVERIFY(!b.link.busy());
            if (!row.ok)
                continue;
            QCOMPARE(progress.count(), row.requests - row.attempts + 1); // per byte read
            QCOMPARE(progress.last().at(0).toInt(), row.count);
            QCOMPARE(panel.count(), 2);
            QCOMPARE(panel.last().at(0).toBool(), true);
            // Stop streaming, handshake, one "$R" per byte, then leave programming mode.
            QCOMPARE(b.device.commandLog().first(), QByteArray("SM\r"));
            QCOMPARE(b.device.commandLog().last(), QByteArray("$FPxx\r"));
            QVERIFY(!b.device.inProgramming());
        }
    }

    void automaticAttempts() {
        // What each command sends between a time-out and its next request: the command, the
        // silent requests, how many of them a retry starts again with, the questions asked.
        const QByteArray fp("$FPxx\r");
        const struct {
            QByteArray command;
            int silent, requests;
            QList<Answer> answers;
            bool ok;
        } rows[] = {
            // Two automatic attempts, then a question whose Retry starts over.
            {"$S", 1, 2, {}, true},
            {"$S", 2, 3, {Answer::Retry}, true},
            {"$S", 2, 2, {Answer::Cancel}, false},
            // Three automatic attempts, each after "$FPxx" once more.
            {"$D", 2, 3, {}, true},
            {"$D", 3, 3, {Answer::Cancel}, false}, // Cancel: zeros, and a failure
            // The last byte of a block silent: the next attempt starts at its first address.
            {"$R", 1, 20, {}, true},
        };
        for (const auto& row : rows) {
            SimBench b(0);
            b.link.identity = b.device.identity();
            for (Answer a : row.answers)
                b.prompter.push(a);
            const int skip = row.command == "$R" ? 9 : 0; // "$R" 20..29: the tenth is silent
            b.device.injectFault({K::NoReply, row.command, skip, row.silent});
            if (row.command == "$S")
                b.link.ReadTable(1);
            else if (row.command == "$D")
                b.link.ReadData();
            else
                b.link.ReadBlock(0, 20, 10);
            QCOMPARE(b.prompter.questions().size(), row.answers.size());
            QCOMPARE(b.link.CommError, row.ok ? 0 : 1);
            const QList<QByteArray> log = b.device.commandLog();
            QList<int> at; // positions of the command in the log
            for (int i = 0; i < log.size(); ++i)
                if (log.at(i).startsWith(row.command))
                    at << i;
            if (row.command == "$R") {
                QCOMPARE(at.size(), row.requests);
                QCOMPARE(quint8(log.at(at.at(9)).at(3)), quint8(29));
                QCOMPARE(quint8(log.at(at.at(10)).at(3)), quint8(20));
                QCOMPARE(log.mid(at.at(9) + 1, 3), (QList<QByteArray>{fp, "SM\r", "PR\r"}));
                continue;
            }
            QCOMPARE(at.size(), row.requests);
            for (int k = 0; k + 1 < at.size(); ++k) {
                // Between two attempts: programming ended (and, for "$D" after an automatic
                // time-out, "$FPxx" sent once more), streaming stopped, handshake again.
                const QList<QByteArray> between =
                    log.mid(at.at(k) + 1, at.at(k + 1) - at.at(k) - 1);
                const bool again = row.command == "$D" && k < 2;
                QList<QByteArray> expected{fp};
                if (again)
                    expected << fp;
                expected << "SM\r"
                         << "PR\r";
                QCOMPARE(between, expected);
            }
        }
    }

    void identifyAndSwap() {
        // One device swapped for others between reads: nothing of the previous one may stick.
        SimBench b(9);
        for (const auto& [model, variant, identifier] : {std::tuple{0, 0, "RSX7030"},
                                                         {2, 0x60, "RSX7031A"},
                                                         {3, 0x20, "RSX7131B"},
                                                         {6, 0, "RSX7032C"},
                                                         {7, 0, "RSX7040"}}) {
            b.device.swapTo(quint8(model), quint8(variant));
            b.device.clearCommandLog();
            const QByteArray r = b.link.ReadIdentity();
            const DeviceIdentity id = b.device.identity();
            QCOMPARE(b.link.CommError, 0);
            QCOMPARE(b.link.identity, id);
            QCOMPARE(QList<int>(r.begin() + 1, r.begin() + 5),
                     QList<int>({id.IdByte4, id.DeviceCode, id.ModelByte, id.IdByte3}));
            QCOMPARE(b.link.ReadModelIdentifier(), QString::fromLatin1(identifier));
            QCOMPARE(b.count("$R"), ModelNeedsVariantByte(quint8(model)) ? 1 : 0);
            QVERIFY(!b.device.inProgramming());
        }
    }

    void identifyRetryAndCancel() {
        SimBench b(4);
        b.device.injectFault({K::NoReply, "$V", 0, 2});
        b.prompter.push(Answer::Retry);
        b.prompter.push(Answer::Retry);
        b.link.ReadIdentity();
        QCOMPARE(b.link.CommError, 0);
        QCOMPARE(b.count("$V"), 3); // Retry has no limit
        const DeviceIdentity known = b.link.identity;
        QCOMPARE(known, b.device.identity());
        // A cancelled switch read is a failure: its zeros are no switch positions.
        b.device.injectFault({K::NoReply, "$D", 0, -1});
        QCOMPARE(b.link.ReadData().mid(0, 4), QList<int>(4, 0));
        QCOMPARE(b.count("$D"), 3);
        QCOMPARE(b.link.CommError, 1);
        QCOMPARE(int(b.link.ReadFrame().at(0)), 1);
        // Cancel fails the read and keeps what was known, first on a silent device, then on a
        // closed port.
        b.device.injectFault({K::NoReply, "$V"});
        for (bool closed : {false, true}) {
            if (closed)
                b.transport.close();
            const QByteArray r = b.link.ReadIdentity(); // the prompter answers Cancel
            QCOMPARE(int(r.at(0)), 1);
            QCOMPARE(b.link.CommError, 1);
            QCOMPARE(b.link.identity, known);
        }
        const QString error = QStringLiteral("Communication error");
        QCOMPARE(b.prompter.texts(), QStringList({error, error, error, error, error,
                                                  QStringLiteral("COM Port not open")}));
    }

    // The device is busy writing its EEPROM for a while after each "$W" and ignores what
    // arrives meanwhile: the block write's pause must outlast that, or bytes are lost
    // without a word from the write itself, and only a read-back finds out.
    void writeBlock() {
        // The protocol's pause, and one shortened to 20 ms.
        for (const auto& [pauseScale, lost] : {std::pair{1.0, false}, {0.4, true}}) {
            SimBench b(0);
            b.link.setDelayScale(pauseScale);
            // 13: an address equal to CR
            const WriteQueue q{{20, 0xE8}, {21, 0x03}, {13, 0x0D},
                               {22, 0x2A}, {23, 0x5C}, {24, 0x6D}};
            const QByteArray before = b.device.bank(0);
            for (const WriteItem& w : q)
                QVERIFY(quint8(before.at(w.address)) != w.value);
            QSignalSpy written(&b.link, &DeviceLink::blockWritten);
            b.link.WriteBlock(0, q);
            QCOMPARE(b.link.CommError, 0); // nothing is read back here, so nothing is noticed
            QCOMPARE(written.count(), 1);
            QCOMPARE(b.count("$W"), int(q.size()));
            QVERIFY(b.device.commandLog().contains(QByteArray("$W\x00\x14\xE8\r", 6)));
            QCOMPARE(b.device.commandsIgnoredBusy() > 0, lost);

            const QByteArray back = b.link.ReadBlock(0, 0, 64);
            QCOMPARE(b.link.CommError, 0);
            int differ = 0;
            for (const WriteItem& w : q) {
                const auto now = quint8(back.at(w.address));
                QVERIFY(now == w.value || now == quint8(before.at(w.address))); // lost, never bent
                differ += now != w.value;
            }
            QCOMPARE(differ > 0, lost);
            QVERIFY(!b.device.inProgramming());
        }
    }

    void writeBlockRefusedHandshake() {
        SimBench b(0);
        // A handshake refused three times: nothing goes out, and the caller is told so.
        b.device.injectFault({K::WrongHandshake, "PR", 0, -1});
        b.link.WriteBlock(0, {{20, 1}});
        QCOMPARE(b.count("PR"), 3);
        QCOMPARE(b.count("$W"), 0);
        QCOMPARE(b.prompter.questions().size(), 1);
        QCOMPARE(b.prompter.questions().first().icon, Prompter::Icon::Critical);
        QCOMPARE(b.link.CommError, 1);
    }

    void replyShapes() {
        // Model, table words, whether the switch reply is long, last byte a frame fills.
        for (const auto& [model, tableWords, longSwitchReply, lastFrameByte] :
             {std::tuple{4, 34, false, 7}, {7, 66, true, 14}, {8, 80, true, 13}}) {
            SimBench b{quint8(model)};
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
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
