// Every parsed command against every way the line or the device can let it down, on a
// simulated device with real 9600-baud byte timing. Each command either ends with exactly
// what a fault-free run of the same device gives, or fails the way the command set says;
// no byte from another request, another moment or another device is ever reported as read,
// and a block write leaves nothing but the queued values behind.
#include "simbench.h"

#include <QElapsedTimer>
#include <QTest>

using namespace vantelso;
using namespace vantelso::sim;
using K = Fault::Kind;

namespace {

enum class Command { ReadBlock, WriteBlock, ReadTable, ReadData, ReadIdentity, ReadFrame };
// clang-format off
enum class Trouble {
    NoReply, LateWithin, LatePast, JunkBefore, Split, Truncated, Vanish, Swapped, StaleBefore,
    StaleAfter
};
// clang-format on

// Pauses and time-outs at a fifth of their real length (a 200 ms reply time-out); wire time
// stays real, so a table reply still takes a good third of the time-out.
constexpr double kScale = 0.2;
constexpr int kTimeoutMs = 200;
// The handshake's answer is read once, after its own pause (20 ms here).
constexpr int kHandshakePauseMs = 20;

const WriteQueue kWrites{{20, 0xA5}, {21, 0x13}, {13, 0x0D}, {22, 0x2A}};

// Two units of the same model, told apart by identity, memory, switches and inputs.
void makeUnit(SimDevice& d, bool second) {
    if (second)
        d.swapTo(4, 0);
    DeviceIdentity id = d.identity();
    id.IdByte3 = second ? 9 : 1;
    d.setIdentity(id);
    for (int a = 0; a < 256; ++a) // no two neighbours alike, so a shifted byte shows
        d.setMemory(0, a, quint8(second ? a * 7 + 3 : 255 - a));
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
    QList<int> r;
    for (char ch : b)
        r << quint8(ch);
    return r;
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
    case Command::ReadFrame: {
        const QByteArray r = b.link.ReadFrame();
        // Element 1 is the frame's sequence byte, different from frame to frame.
        return ints(r.left(1)) + ints(r.mid(2, 6));
    }
    }
    return {};
}

// What each command returns from a unit that does nothing wrong.
QList<int> reference(Command c, bool secondUnit) {
    Bench b;
    if (secondUnit)
        makeUnit(b.device, true);
    if (c == Command::ReadFrame)
        b.link.StartMeasure();
    return run(b, c);
}

// The request a fault is aimed at: the command's own, the handshake for a block write (which
// reads nothing else), the frames for the frame reader. `skip` lets a block read get going.
QByteArray target(Command c) {
    static const QByteArray prefixes[] = {"$R", "PR", "$S", "$D", "$V", "A"};
    return prefixes[int(c)];
}

} // namespace

class TestFaultMatrix : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void matrix_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("trouble");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("questions");
        const char* commands[] = {"ReadBlock", "WriteBlock",   "ReadTable",
                                  "ReadData",  "ReadIdentity", "ReadFrame"};
        // Per command, in the order above: does it end well, how many questions on the way.
        // Time-outs are retried silently by the block, table and switch reads and asked about
        // at once by the identification and the frame reader (answered Retry); a port that
        // vanishes is a failure for all, asked about by those two (Retry, then Cancel).
        const struct {
            Trouble trouble;
            const char* name;
            bool ok[6];
            int questions[6];
        } rows[] = {
            {Trouble::NoReply, "no reply", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 1, 1}},
            {Trouble::LateWithin, "late within", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0}},
            {Trouble::LatePast, "late past", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 1, 1}},
            {Trouble::JunkBefore, "junk before", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0}},
            {Trouble::Split, "split", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0}},
            {Trouble::Truncated, "truncated", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 1, 0}},
            {Trouble::Vanish, "vanish", {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 2, 2}},
            // The write goes to a unit outside programming mode, which ignores it; nothing
            // reads it back here (the editor does).
            {Trouble::Swapped, "swapped", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 1, 1}},
            {Trouble::StaleBefore, "stale before", {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0}},
            // Every answer sent twice: the handshake then never reads exactly "OK" CR LF, so
            // the write refuses to start and says so.
            {Trouble::StaleAfter, "stale after", {1, 0, 1, 1, 1, 1}, {0, 1, 0, 0, 0, 0}},
        };
        for (const auto& row : rows)
            for (int c = 0; c < 6; ++c)
                QTest::addRow("%s/%s", commands[c], row.name)
                    << c << int(row.trouble) << row.ok[c] << row.questions[c];
    }

    void matrix() {
        QFETCH(int, command);
        QFETCH(int, trouble);
        QFETCH(bool, ok);
        QFETCH(int, questions);
        const auto c = Command(command);
        const auto t = Trouble(trouble);
        const bool handshake = c == Command::WriteBlock;
        const bool frames = c == Command::ReadFrame;

        Bench b;
        const QByteArray before = b.device.bank(0);
        if (frames)
            b.link.StartMeasure();
        b.prompter.push(Prompter::Answer::Retry); // then Cancel
        b.device.clearCommandLog();

        // Delays: a fraction of the time-out the command waits with (the handshake's pause
        // for a write), and a little more than all of it.
        const int wait = handshake ? kHandshakePauseMs : kTimeoutMs;
        const QByteArray m = target(c);
        const int skip = c == Command::ReadBlock ? 2 : 0;
        bool secondUnit = false;
        // The plain faults by trouble: kind, count, delay. The frame reader waits through
        // three missing frames (10 per second).
        const std::tuple<K, int, int> plain[] = {
            {K::NoReply, frames ? 3 : 1, 0},    {K::DelayedReply, 1, wait * 2 / 5},
            {K::DelayedReply, 1, wait * 6 / 5}, {K::JunkBefore, 1, 0},
            {K::SplitReply, 1, wait / 10},      {K::TruncatedReply, 1, 0}};
        if (t <= Trouble::Truncated) {
            const auto& [kind, count, delay] = plain[int(t)];
            b.device.injectFault({kind, m, skip, count, delay});
        }
        switch (t) {
        default:
            break;
        case Trouble::Vanish:
            // Mid-command: at the second byte of a block, else at the one request.
            b.device.injectFault({K::Vanish, handshake ? "$W" : m, skip > 0 || handshake ? 1 : 0});
            break;
        case Trouble::Swapped:
            secondUnit = true;
            if (frames) {
                makeUnit(b.device, true); // unplugged and replaced while streaming
                break;
            }
            // Replaced right after it accepted the handshake: the request reaches a unit
            // outside programming mode.
            QObject::connect(&b.device, &SimDevice::transmit, &b.device,
                             [&b, done = false](const QByteArray& bytes) mutable {
                                 if (!done && bytes == "OK\r\n") {
                                     done = true;
                                     makeUnit(b.device, true);
                                 }
                             });
            break;
        case Trouble::StaleBefore: {
            // Already waiting when the command starts: a reply-shaped line, or for the frame
            // reader (for which a whole frame waiting is simply the latest measurement) the
            // head of a frame cut off when streaming was interrupted.
            QByteArray stale = frames ? QByteArray("A\x01\x02\x03", 4)
                                      : QByteArray("*\x55\x55\x55\x55\x55\x55\r\n", 9);
            Q_EMIT b.device.transmit(stale);
            break;
        }
        case Trouble::StaleAfter:
            // Every answer repeated right behind itself on the wire.
            b.device.injectFault({K::ExtraReply, m, 0, -1, 0});
            break;
        }

        QElapsedTimer clock;
        clock.start();
        const QList<int> got = run(b, c);
        const qint64 ms = clock.elapsed();

        QCOMPARE(got.at(0) == 0, ok);
        QCOMPARE(b.prompter.questions().size(), questions);
        QVERIFY(!b.link.busy());
        // A guard against hanging, far above the few time-outs a row may sit through.
        QVERIFY2(ms < 30 * kTimeoutMs, qPrintable(QString::number(ms)));

        const QList<int> expected = reference(c, secondUnit);
        if (c == Command::WriteBlock) {
            // Every address holds its old value or the one queued for it; nothing else moved.
            const QByteArray after = b.device.bank(0);
            for (int a = 0; a < 256; ++a) {
                const int now = quint8(after.at(a));
                const int old = secondUnit ? quint8(a * 7 + 3) : quint8(before.at(a));
                bool allowed = now == old;
                for (const WriteItem& w : kWrites)
                    allowed = allowed || (w.address == a && now == w.value);
                QVERIFY2(allowed, qPrintable(QStringLiteral("address %1: %2").arg(a).arg(now)));
                if (ok && !secondUnit)
                    QCOMPARE(now, expected.at(a + 1));
            }
            return;
        }
        if (ok) {
            QCOMPARE(got, expected);
            return;
        }
        // A failed read reports nothing it did not read: each byte is the right one or 0
        // (a failed block read keeps its failure flag where its first byte would be).
        for (int k = c == Command::ReadBlock ? 2 : 1; k < got.size() && k < expected.size(); ++k)
            QVERIFY(got.at(k) == 0 || got.at(k) == expected.at(k));
    }
};

QTEST_GUILESS_MAIN(TestFaultMatrix)
#include "tst_faultmatrix.moc"
