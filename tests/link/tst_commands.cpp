// The device command set against the simulated device: bytes on the wire, retries,
// questions to the user and what each failure leaves behind, and the wire trace.
#include "failingrow.h"
#include "linktrace.h"
#include "simbench.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

using namespace vantelso;
using namespace vantelso::sim;
using Answer = Prompter::Answer;
using K = Fault::Kind;

namespace {

QStringList g_lines;
QtMessageHandler g_testHandler = nullptr; // Qt Test's own, which reports every other message

void capture(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (QByteArray(context.category) == "vantelso.link")
        g_lines << message;
    else if (g_testHandler)
        g_testHandler(type, context, message);
}

// The bytes of the "->" (or "<-") lines, parsed back from their hex column.
QList<QByteArray> traced(const QString& direction) {
    QList<QByteArray> out;
    const QRegularExpression line(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} ") +
                                  QRegularExpression::escape(direction) +
                                  QStringLiteral(" ((?:[0-9a-f]{2} ?)+)  \\|(.*)\\|$"));
    for (const QString& l : g_lines) {
        const auto m = line.match(l);
        if (m.hasMatch())
            out << QByteArray::fromHex(m.captured(1).remove(u' ').toLatin1());
    }
    return out;
}

enum class Command { ReadBlock, WriteBlock, ReadTable, ReadData, ReadIdentity, ReadFrame };
// clang-format off
enum class Trouble {
    NoReply, LateWithin, LatePast, JunkBefore, Split, Truncated, Vanish, Swapped, StaleBefore,
    StaleAfter
};
// clang-format on

// Per trouble, then per command in the order of Command: does it end well, how many questions on
// the way. Time-outs are retried silently by the block, table and switch reads and asked about at
// once by the identification and the frame reader (answered Retry); a port that vanishes is a
// failure for all, asked about by those two (Retry, then Cancel).
const struct {
    const char* name;
    bool ok[6];
    int questions[6];
} kTroubles[] = {
    {"no reply", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 1, 1}},
    {"late within", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0}},
    {"late past", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 1, 1}},
    {"junk before", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0}},
    {"split", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0}},
    {"truncated", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 1, 0}},
    {"vanish", {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 2, 2}},
    // The write goes to a unit outside programming mode, which ignores it; nothing
    // reads it back here (the editor does).
    {"swapped", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 1, 1}},
    {"stale before", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0}},
    // Every answer sent twice: the handshake then never reads exactly "OK" CR LF, so
    // the write refuses to start and says so.
    {"stale after", {1, 0, 1, 1, 1, 1}, {0, 1, 0, 0, 0, 0}},
};

// Pauses and time-outs at a fifth of their real length (a 200 ms reply time-out); wire time
// stays real, so a table reply still takes a good third of the time-out.
constexpr double kScale = 0.2;
constexpr int kTimeoutMs = 200;
// The handshake's answer is read once, after its own pause (20 ms here).
constexpr int kHandshakePauseMs = 20;

const WriteQueue kWrites{{20, 0xA5}, {21, 0x13}, {13, 0x0D}, {22, 0x2A}};

// The byte at `address` of each unit's memory: no two neighbours alike, so a shifted byte shows.
int unitByte(bool second, int address) {
    return quint8(second ? address * 7 + 3 : 255 - address);
}

// Two units of the same model, told apart by identity, memory, switches and inputs.
void makeUnit(SimDevice& d, bool second) {
    if (second)
        d.swapTo(4, 0);
    DeviceIdentity id = d.identity();
    id.IdByte3 = second ? 9 : 1;
    d.setIdentity(id);
    for (int a = 0; a < 256; ++a)
        d.setMemory(0, a, quint8(unitByte(second, a)));
    d.setSwitchBytes(second ? QByteArray("\x21\x43", 2) : QByteArray("\x12\x34", 2));
    d.setAnalogInput(0, second ? 3.0 : 1.0);
    d.setAnalogInput(1, second ? 4.0 : 2.0);
}

struct Bench : SimBench {
    Bench() : SimBench(4) {
        device.setWireTiming(true);
        link.setDelayScale(kScale);
        link.setTimeoutScale(kScale);
        // The unit writes its EEPROM at the same fifth of its real pace.
        device.setWriteTimeMs(SimDevice::kDefaultWriteTimeMs * kScale);
        makeUnit(device, false);
        link.identity = device.identity();
    }
};

QList<int> ints(const QByteArray& b) {
    const auto* u = reinterpret_cast<const quint8*>(b.constData());
    return QList<int>(u, u + b.size());
}

// Runs one command; the first element of what it returns is its failure flag (1 failed),
// the rest what it reports as read (or, for a write, the device's memory afterwards).
QList<int> run(Bench& b, Command c) {
    // The failure flag is read after the command, whose result is the argument.
    const auto flagged = [&b](QList<int> r) { return r.prepend(b.link.CommError), r; };
    switch (c) {
    case Command::ReadBlock:
        return flagged(ints(b.link.ReadBlock(0, 20, 4).left(4)));
    case Command::WriteBlock:
        b.link.WriteBlock(0, kWrites);
        return flagged(ints(b.device.bank(0)));
    case Command::ReadTable:
        return flagged(b.link.ReadTable(2));
    case Command::ReadData:
        return flagged(b.link.ReadData().mid(0, 4));
    case Command::ReadIdentity:
        return ints(b.link.ReadIdentity().left(5));
    case Command::ReadFrame: // without byte 1, the sequence byte, different in every frame
        return ints(b.link.ReadFrame().remove(1, 1).left(7));
    }
    return {};
}

// What each command returns from a unit that does nothing wrong, run once per command and unit
// (every row of the matrix compares against one of these twelve).
QList<int> reference(Command c, bool secondUnit) {
    static QMap<std::pair<Command, bool>, QList<int>> known;
    const auto key = std::pair(c, secondUnit);
    if (!known.contains(key)) {
        Bench b;
        if (secondUnit)
            makeUnit(b.device, true);
        if (c == Command::ReadFrame)
            b.link.StartMeasure();
        known.insert(key, run(b, c));
    }
    return known.value(key);
}

} // namespace

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
            const FailingRow name(
                QString::asprintf("%d at %d, %d attempts", row.count, row.from, row.attempts));
            SimBench b(3);
            makeUnit(b.device, false);
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
            // Requests, attempts, and one handshake per attempt.
            QCOMPARE(QList<qsizetype>({seen.size(), seen.count(row.from), b.count("PR")}),
                     QList<qsizetype>({row.requests, row.attempts, row.attempts}));
            // The user is asked once three attempts have failed, and after every one after that.
            QCOMPARE(b.prompter.texts(),
                     QStringList(row.answers.size(), QStringLiteral("Communication error")));
            for (const auto& q : b.prompter.questions())
                QCOMPARE(q.buttons, Prompter::Buttons::RetryCancel);
            QCOMPARE(activity.value(activity.size() - 1).value(0), QVariant(false));
            QVERIFY(!b.link.busy());
            if (!row.ok)
                continue;
            // Progress once per byte read and the bytes done last; the panel off and on again.
            QCOMPARE(QVariantList({progress.count(), progress.last().at(0), panel.count(),
                                   panel.last().at(0)}),
                     QVariantList({row.requests - row.attempts + 1, row.count, 2, true}));
            // Stop streaming, handshake, one "$R" per byte, then leave programming mode.
            const QList<QByteArray> log = b.device.commandLog();
            QCOMPARE(QList<QByteArray>({log.first(), log.last()}),
                     QList<QByteArray>({"SM\r", "$FPxx\r"}));
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
            const FailingRow name(QString::asprintf("%s %d silent%s", row.command.constData(),
                                                    row.silent, row.ok ? "" : ", fails"));
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
            QCOMPARE(QList<qsizetype>({b.prompter.questions().size(), b.link.CommError}),
                     QList<qsizetype>({row.answers.size(), row.ok ? 0 : 1}));
            const QList<QByteArray> log = b.device.commandLog();
            QList<int> at; // positions of the command in the log
            for (int i = 0; i < log.size(); ++i)
                if (log.at(i).startsWith(row.command))
                    at << i;
            QCOMPARE(at.size(), row.requests);
            if (row.command == "$R") // the block read starts again at its first address
                QCOMPARE(QList<int>({log.at(at.at(9)).at(3), log.at(at.at(10)).at(3)}),
                         QList<int>({29, 20}));
            // Between two attempts: programming ended (and, for "$D" after an automatic
            // time-out, "$FPxx" sent once more), streaming stopped, handshake again; nothing
            // between the requests of one block read.
            const QList<QByteArray> again{fp, fp, "SM\r", "PR\r"};
            for (int k = 0; k + 1 < at.size(); ++k)
                QCOMPARE(log.mid(at.at(k) + 1, at.at(k + 1) - at.at(k) - 1),
                         again.mid(row.command == "$D" && k < 2    ? 0
                                   : row.command != "$R" || k == 9 ? 1
                                                                   : 4));
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
            const FailingRow row(identifier);
            b.device.swapTo(quint8(model), quint8(variant));
            b.device.clearCommandLog();
            const QByteArray r = b.link.ReadIdentity();
            const DeviceIdentity id = b.device.identity();
            QCOMPARE(b.link.identity, id);
            QCOMPARE(QList<int>(r.begin() + 1, r.begin() + 5),
                     QList<int>({id.IdByte4, id.DeviceCode, id.ModelByte, id.IdByte3}));
            QCOMPARE(b.link.ReadModelIdentifier(), QString::fromLatin1(identifier));
            // The failure flag, and the variant byte read where the model has one.
            QCOMPARE(QList<int>({b.link.CommError, b.count("$R")}),
                     QList<int>({0, ModelNeedsVariantByte(quint8(model)) ? 1 : 0}));
            QVERIFY(!b.device.inProgramming());
        }
    }

    void identifyRetryAndCancel() {
        SimBench b(4);
        b.device.injectFault({K::NoReply, "$V", 0, 2});
        b.prompter.push(Answer::Retry);
        b.prompter.push(Answer::Retry);
        b.link.ReadIdentity();
        // The failure flag, and the identification sent three times: Retry has no limit.
        QCOMPARE(QList<int>({b.link.CommError, b.count("$V")}), QList<int>({0, 3}));
        QCOMPARE(b.link.identity, b.device.identity());
        // A cancelled switch read is a failure: its zeros are no switch positions.
        b.device.injectFault({K::NoReply, "$D", 0, -1});
        QCOMPARE(b.link.ReadData().mid(0, 4), QList<int>(4, 0));
        QCOMPARE(QList<int>({b.count("$D"), b.link.CommError}), QList<int>({3, 1}));
        QCOMPARE(int(b.link.ReadFrame().at(0)), 1);
        // Cancel fails the read and keeps what was known, first on a silent device, then on a
        // closed port.
        b.device.injectFault({K::NoReply, "$V"});
        for (bool closed : {false, true}) {
            const FailingRow row(closed ? "closed port" : "silent device");
            if (closed)
                b.transport.close();
            // The prompter answers Cancel: the read's own flag and the link's.
            QCOMPARE(QList<int>({b.link.ReadIdentity().at(0), b.link.CommError}),
                     QList<int>({1, 1}));
            QCOMPARE(b.link.identity, b.device.identity());
        }
        QCOMPARE(b.prompter.texts(), QStringList(5, QStringLiteral("Communication error"))
                                         << QStringLiteral("COM Port not open"));
    }

    // The device is busy writing its EEPROM for a while after each "$W" and ignores what
    // arrives meanwhile: the block write's pause must outlast that, or bytes are lost
    // without a word from the write itself, and only a read-back finds out.
    void writeBlock() {
        // The protocol's pause, and one shortened to 20 ms.
        for (const auto& [pauseScale, lost] : {std::pair{1.0, false}, {0.4, true}}) {
            const FailingRow row(pauseScale < 1 ? "shortened pause" : "protocol's pause");
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
            // No failure (nothing is read back here, so nothing is noticed), one signal, every
            // value sent.
            QCOMPARE(QList<qsizetype>({b.link.CommError, written.count(), b.count("$W")}),
                     QList<qsizetype>({0, 1, q.size()}));
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
        // Handshakes, writes, the failure flag.
        QCOMPARE(QList<int>({b.count("PR"), b.count("$W"), b.link.CommError}),
                 QList<int>({3, 0, 1}));
        QCOMPARE(b.prompter.questions().size(), 1);
        QCOMPARE(b.prompter.questions().first().icon, Prompter::Icon::Critical);
    }

    void replyShapes() {
        // Model, table words, whether the switch reply is long, last byte a frame fills.
        for (const auto& [model, tableWords, longSwitchReply, lastFrameByte] :
             {std::tuple{4, 34, false, 7}, {7, 66, true, 14}, {8, 80, true, 13}}) {
            const FailingRow row(QStringLiteral("model %1").arg(model));
            SimBench b{quint8(model)};
            b.link.identity = b.device.identity();
            const QList<int> t = b.link.ReadTable(1);
            QCOMPARE(QList<qsizetype>({b.link.CommError, t.size()}),
                     QList<qsizetype>({0, tableWords}));
            // Scale words come from the record, table words from the reply.
            QCOMPARE(t.at(0), int(b.device.memory(0, 132)) * 256 + b.device.memory(0, 133));
            QVERIFY(t.at(2) > t.at(1));
            QCOMPARE(b.link.BUF.at(0), char(b.device.memory(0, 132)));

            b.device.setSwitchBytes(QByteArray("\x11\x22\x33\x44", 4));
            QCOMPARE(
                b.link.ReadData().mid(0, 4),
                (QList<int>{0x11, 0x22, longSwitchReply ? 0x33 : 13, longSwitchReply ? 0x44 : 10}));

            b.link.StartMeasure();
            QVERIFY(b.device.streaming());
            QCOMPARE(DeviceLink::FrameTemplate(b.link.identity).pattern.size(),
                     SimDevice::frameLength(b.device.identity()));
            // The failure flag, then what lies past the frame's last byte: all 0.
            const QByteArray f = b.link.ReadFrame();
            QCOMPARE(f.left(1) + f.mid(lastFrameByte + 1, 19 - lastFrameByte),
                     QByteArray(20 - lastFrameByte, 0));
            b.link.StopMeasure();
            QVERIFY(!b.device.streaming());
            QVERIFY(b.prompter.questions().isEmpty());
        }
    }

    // The wire trace a technician sees with vantelso.link.debug=true.
    void traceBytes() {
        for (const auto& [bytes, text] :
             {std::pair{QByteArray("$V\0\0\0\r", 6), "24 56 00 00 00 0d  |$V....|"},
              {QByteArray::fromHex("2a000cff410d0a"), "2a 00 0c ff 41 0d 0a  |*...A..|"},
              {QByteArray(), "  ||"}})
            QCOMPARE(TraceBytes(bytes), QString::fromLatin1(text));
    }

    // One identify, off by default and then with the trace on; a time-out and its retry.
    void identifyTimeoutAndRetry() {
        g_testHandler = qInstallMessageHandler(capture);
        const auto restore = qScopeGuard([] {
            qInstallMessageHandler(g_testHandler);
            QLoggingCategory::setFilterRules(QString());
        });
        for (int run = 0; run < 3; ++run) {
            const FailingRow row(run == 0 ? "trace off" : run == 1 ? "trace on" : "time-out");
            if (run > 0)
                QLoggingCategory::setFilterRules(QStringLiteral("vantelso.link.debug=true"));
            g_lines.clear();
            SimBench b(0);
            b.link.setDelayScale(0.01);
            if (run == 2) {
                b.device.injectFault({K::NoReply, QByteArray("$V"), 0});
                b.prompter.push(Prompter::Answer::Retry);
            }
            b.link.ReadIdentity();
            QCOMPARE(b.link.CommError, 0);
            QVERIFY(run > 0 || g_lines.isEmpty());
            if (run == 1) {
                QCOMPARE(traced(QStringLiteral("->")),
                         (QList<QByteArray>{"SM\r", "PR\r", QByteArray("$V\0\0\0\r", 6), "$FPxx\r",
                                            "$FPxx\r"}));
                // What went out is exactly what the device received.
                QCOMPARE(traced(QStringLiteral("->")), b.device.commandLog());
                QCOMPARE(traced(QStringLiteral("<-")),
                         (QList<QByteArray>{"OK\r\n", QByteArray("*\x00\x04\x02\x0c\r\n", 7)}));
            } else if (run == 2) {
                const QString all = g_lines.join(u'\n');
                QVERIFY2(all.contains(u"timeout 1 s waiting for 2a 23 23 23 23 23 23") &&
                             all.contains(u"retry $V"),
                         qPrintable(all));
                QCOMPARE(traced(QStringLiteral("->")).count(QByteArray("$V\0\0\0\r", 6)), 2);
            }
        }
    }

    // Every parsed command against every way the line or the device can let it down, on a simulated
    // device with real 9600-baud byte timing. Each command either ends with exactly what a
    // fault-free run of the same device gives, or fails the way the command set says; no byte from
    // another request, another moment or another device is ever reported as read, and a block write
    // leaves nothing but the queued values behind.
    void matrix_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("trouble");
        const char* commands[] = {"ReadBlock", "WriteBlock",   "ReadTable",
                                  "ReadData",  "ReadIdentity", "ReadFrame"};
        for (int t = 0; t <= int(Trouble::StaleAfter); ++t)
            for (int c = 0; c < 6; ++c)
                QTest::addRow("%s/%s", commands[c], kTroubles[t].name) << c << t;
    }

    void matrix() {
        QFETCH(int, command);
        QFETCH(int, trouble);
        const bool ok = kTroubles[trouble].ok[command];
        const auto c = Command(command);
        const auto t = Trouble(trouble);
        const bool handshake = c == Command::WriteBlock, frames = c == Command::ReadFrame;
        const bool secondUnit = t == Trouble::Swapped;

        Bench b;
        if (frames)
            b.link.StartMeasure();
        b.prompter.push(Prompter::Answer::Retry); // then Cancel
        b.device.clearCommandLog();

        // Delays: a fraction of the time-out the command waits with (the handshake's pause
        // for a write), and a little more than all of it.
        const int wait = handshake ? kHandshakePauseMs : kTimeoutMs;
        // The request a fault is aimed at: the command's own, the handshake for a block write
        // (which reads nothing else), the frames for the frame reader.
        const QByteArray m = QList<QByteArray>{"$R", "PR", "$S", "$D", "$V", "A"}.at(command);
        const int skip = c == Command::ReadBlock ? 2 : 0; // lets a block read get going
        // The plain faults by trouble: kind, count, delay. The frame reader waits through
        // three missing frames (10 per second).
        const std::tuple<K, int, int> plain[] = {
            {K::NoReply, frames ? 3 : 1, 0},    {K::DelayedReply, 1, wait * 2 / 5},
            {K::DelayedReply, 1, wait * 6 / 5}, {K::JunkBefore, 1, 0},
            {K::SplitReply, 1, wait / 10},      {K::TruncatedReply, 1, 0}};
        switch (t) {
        default: {
            const auto& [kind, count, delay] = plain[int(t)];
            b.device.injectFault({kind, m, skip, count, delay});
            break;
        }
        case Trouble::Vanish:
            // Mid-command: at the second byte of a block, else at the one request.
            b.device.injectFault({K::Vanish, handshake ? "$W" : m, skip > 0 || handshake ? 1 : 0});
            break;
        case Trouble::Swapped:
            // Unplugged and replaced while streaming, or right after it accepted the handshake:
            // the request reaches a unit outside programming mode.
            if (frames)
                makeUnit(b.device, true);
            else
                QObject::connect(
                    &b.device, &SimDevice::transmit, &b.device, [&b] { makeUnit(b.device, true); },
                    Qt::SingleShotConnection);
            break;
        case Trouble::StaleBefore:
            // Already waiting when the command starts: a reply-shaped line, or for the frame
            // reader (for which a whole frame waiting is simply the latest measurement) the
            // head of a frame cut off when streaming was interrupted.
            Q_EMIT b.device.transmit(frames ? QByteArray("A\x01\x02\x03", 4)
                                            : QByteArray("*\x55\x55\x55\x55\x55\x55\r\n", 9));
            break;
        case Trouble::StaleAfter:
            // Every answer repeated right behind itself on the wire.
            b.device.injectFault({K::ExtraReply, m, 0, -1, 0});
            break;
        }

        // A guard against hanging, far above the few time-outs a row may sit through.
        const QDeadlineTimer guard(30 * kTimeoutMs);
        const QList<int> got = run(b, c);
        QVERIFY(!guard.hasExpired());
        QCOMPARE(got.at(0) == 0, ok);
        QCOMPARE(b.prompter.questions().size(), kTroubles[trouble].questions[command]);
        QVERIFY(!b.link.busy());

        const QList<int> expected = reference(c, secondUnit);
        if (ok && !(handshake && secondUnit)) // for a write: the memory afterwards
            QCOMPARE(got, expected);
        // A failed read reports nothing it did not read: each byte is the right one or 0
        // (a failed block read keeps its failure flag where its first byte would be).
        for (int k = c == Command::ReadBlock ? 2 : 1;
             !ok && !handshake && k < got.size() && k < expected.size(); ++k)
            QVERIFY(got.at(k) == 0 || got.at(k) == expected.at(k));
        // After a write every address holds its old value (the unit's own, see unitByte) or
        // the one queued for it; nothing else moved.
        for (int a = 0; handshake && a < 256; ++a) {
            const int now = got.at(a + 1);
            bool allowed = now == unitByte(secondUnit, a);
            for (const WriteItem& w : kWrites)
                allowed = allowed || (w.address == a && now == w.value);
            QVERIFY2(allowed, qPrintable(QStringLiteral("address %1: %2").arg(a).arg(now)));
        }
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
