// The measurement procedure against the simulated device: what goes on the wire at the start,
// at a stop and at a cancel, the channel set-up from the switches, and the frames converted.
#include "catalogue.h"
#include "defaultimages.h"
#include "measurement.h"
#include "simbench.h"
#include "texts.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <cmath>

using namespace vantelso;
using namespace vantelso::measure;

namespace {

std::array<std::uint8_t, 3> measureBytes(double v) {
    if (v == 0)
        return {0, 0, 0};
    int e = 0;
    const double f = 2 * std::frexp(std::fabs(v), &e);
    const int fraction = int(std::lround((f - 1) * 32768)) | (v < 0 ? 0x8000 : 0);
    return {std::uint8_t(fraction >> 8), std::uint8_t(fraction & 0xFF), std::uint8_t(e - 1 + 127)};
}

// A frame as the device sends it: "A", F(1).., CR, in the identified model's length.
QByteArray wireFrame(const DeviceIdentity& id, const QList<double>& values, int status = 0) {
    const int len = int(DeviceLink::FrameTemplate(id).pattern.size());
    QByteArray bytes(len, '\0');
    bytes[0] = 'A';
    bytes[len - 1] = '\r';
    for (int k = 0; k < values.size() && 3 * k + 4 < len - 1; ++k) {
        const auto b = measureBytes(values[k]);
        for (int i = 0; i < 3; ++i)
            bytes[3 * k + 2 + i] = char(b[std::size_t(i)]);
    }
    if (len == 16)
        bytes[14] = char(status);
    return bytes;
}

// "$R" b(0) b(address) b(0) CR
QByteArray readRequest(int address) {
    return QByteArray("$R\0", 3) + char(address) + QByteArray("\0\r", 2);
}

struct Session {
    explicit Session(std::uint8_t modelByte) : bench(modelByte), m(bench.link, catalogue, texts) {
        // Frames come from the test unless it lets the device stream.
        bench.device.setStreamInterval(3'600'000);
        // The lamp blinks just before each frame wait: the next frame goes out then (earlier
        // it would be flushed by the start of streaming).
        QObject::connect(&m, &Measurement::activityLamp, &m, [this] {
            if (m.streaming())
                pushNext();
        });
        QObject::connect(&m, &Measurement::frameShown, &m, [this](const FrameReading& r) {
            readings.append(r);
            if (stopAfter > 0 && readings.size() >= stopAfter)
                m.Stop();
        });
    }

    MeasureSetup setupFromDevice(int lastChannel) {
        // The record as the last configuration read decoded it, straight from the memory.
        const DeviceIdentity id = bench.device.identity();
        bench.link.identity = id;
        catalogue.Init(id);
        catalogue.UpdateAfterRead(id);
        const QByteArray memory = bench.device.bank(0);
        const QByteArray ext = HasExtensionBlock(id)
                                   ? memory.mid(ExtensionBlockFirst, ExtensionBlockSize)
                                   : QByteArray();
        MeasureSetup setup;
        setup.record = DecodeRecord(memory.left(MainBlockSize), ext, id, catalogue).value();
        setup.LastChannel = lastChannel;
        bench.device.clearCommandLog();
        return setup;
    }

    MeasureEnd run(const QList<QByteArray>& toSend, int lastChannel = 1) {
        frames = toSend;
        stopAfter = int(toSend.size());
        return m.Start(setupFromDevice(lastChannel));
    }

    void pushNext() {
        if (frames.isEmpty())
            return;
        const QByteArray next = frames.takeFirst();
        QTimer::singleShot(0, &bench.device, [this, next] { emit bench.device.transmit(next); });
    }

    // Commands the device received after the last "MI" (or all, when none was sent).
    QList<QByteArray> afterStart() const {
        const QList<QByteArray> log = bench.device.commandLog();
        qsizetype from = 0;
        for (qsizetype i = 0; i < log.size(); ++i)
            if (log[i].startsWith("MI"))
                from = i + 1;
        return log.mid(from);
    }

    SimBench bench;
    Catalogue catalogue;
    Texts texts;
    Measurement m;
    QList<QByteArray> frames;
    QList<FrameReading> readings;
    int stopAfter = 0;
};

} // namespace

class TestMeasurement : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The references read at the start, through the whole chain: a raw 800 shows the output
    // at the low calibration point (4 mA or 2 V) and 3500 the high one, on every model.
    void referencePoints_data() {
        QTest::addColumn<int>("modelByte");
        for (int m : {0, 4, 5, 7})
            QTest::addRow("model %d", m) << m;
    }
    void referencePoints() {
        QFETCH(int, modelByte);
        Session s{std::uint8_t(modelByte)};
        const DeviceIdentity id = s.bench.device.identity();
        // Two readings at the calibration points, then the device streams on its own: its
        // frames have the model's length and follow a slowly moving input through the range.
        s.frames = {wireFrame(id, {800, 800, 0, 0}), wireFrame(id, {3500, 3500, 0, 0})};
        s.stopAfter = 7;
        QObject::connect(&s.m, &Measurement::frameShown, &s.m, [&s] {
            if (s.readings.size() == 2)
                s.bench.device.setStreamInterval(2);
        });
        QCOMPARE(s.m.Start(s.setupFromDevice(1)), MeasureEnd::Stopped);
        QCOMPARE(s.readings.size(), 7);
        const ChannelSettings& a = s.m.channels()[0].settings;
        const bool current = a.outputType <= 1;
        QCOMPARE(s.readings[0].channels[0].outputText,
                 FixedDecimals(sim::OutputAtRawLow(current), 3));
        QCOMPARE(s.readings[1].channels[0].outputText,
                 FixedDecimals(sim::OutputAtRawHigh(current), 3));
        // Which stored reference a reading of 800 stands for depends on the model.
        const bool direct = modelByte == 0 || modelByte == 7 || modelByte == 8 || modelByte == 9;
        QCOMPARE(s.readings[0].channels[0].output, direct ? a.outputRef800 : a.outputRef3500);

        for (qsizetype k = 2; k < s.readings.size(); ++k) {
            const ChannelReading& r = s.readings[k].channels[0];
            QVERIFY2(r.outputValid && r.inputValid && r.bar.valid, qPrintable(r.inputText));
            QVERIFY(r.bar.lowMarker == colour::Grey && r.bar.highMarker == colour::Grey);
        }
        QVERIFY(s.readings[2].channels[0].input != s.readings.last().channels[0].input);
    }

    // Channel B reads its references from 118 with a current output and from 112 with a
    // voltage output; with LastChannel 0 it reads none and only channel A is computed.
    void channelBReferences_data() {
        QTest::addColumn<int>("outputB");
        QTest::addColumn<int>("lastChannel");
        QTest::addColumn<int>("expectedB"); // first address, -1 none
        QTest::newRow("0-20 mA") << 0 << 1 << 118;
        QTest::newRow("0-5 V") << 3 << 1 << 112;
        QTest::newRow("LastChannel 0") << 1 << 0 << -1;
    }
    void channelBReferences() {
        QFETCH(int, outputB);
        QFETCH(int, lastChannel);
        QFETCH(int, expectedB);
        Session s(3); // the lettered RTD model: two channels
        s.bench.device.setMemory(0, 6, (s.bench.device.memory(0, 6) & ~3) | outputB);
        const DeviceIdentity id = s.bench.device.identity();
        QCOMPARE(s.run({wireFrame(id, {800, 3500})}, lastChannel), MeasureEnd::Stopped);
        const QList<QByteArray> log = s.bench.device.commandLog();
        for (int base : {112, 118}) {
            const bool expected = base == expectedB;
            for (int k = 0; k < 6; ++k)
                QCOMPARE(log.contains(readRequest(base + k)), expected);
        }
        QVERIFY(log.contains(readRequest(106))); // channel A: 4-20 mA from its switches
        QCOMPARE(s.readings.first().channelCount, lastChannel + 1);
        QCOMPARE(s.readings.first().channels[1].outputValid, lastChannel == 1);
        if (lastChannel == 1)
            QCOMPARE(s.readings.first().channels[1].output, sim::OutputAtRawHigh(outputB <= 1));
    }

    // Status lamps on the trip model, junk between frames skipped; pressing stop ends after
    // the frame being shown with "SM", cancelling a frame time-out ends without it.
    void stopAndCancel() {
        Session s(0);
        const DeviceIdentity id = s.bench.device.identity();
        const QByteArray junk = QByteArrayLiteral("\x07*\r\nA\x01\r");
        QCOMPARE(s.run({wireFrame(id, {2150}, 0x11), junk + wireFrame(id, {2150}, 0x01),
                        wireFrame(id, {2150}, 0x00)}),
                 MeasureEnd::Stopped);
        QCOMPARE(s.readings.size(), 3);
        for (int k = 0; k < 3; ++k)
            QCOMPARE(s.readings[k].lamps, StatusLamps(QList<int>{0x11, 0x01, 0x00}[k]));
        QCOMPARE(s.readings[1].channels[0].outputText, QStringLiteral("12.000"));
        QCOMPARE(s.afterStart(), QList<QByteArray>{QByteArray("SM\r")});
        QVERIFY(!s.m.running() && !s.m.streaming());

        Session cancelled(0);
        QSignalSpy lamp(&cancelled.m, &Measurement::activityLamp);
        QCOMPARE(cancelled.run({}), MeasureEnd::FrameCancelled);
        QVERIFY(cancelled.afterStart().isEmpty());
        QCOMPARE(cancelled.bench.prompter.questions().size(), 1);
        QCOMPARE(cancelled.bench.prompter.questions().first().buttons,
                 Prompter::Buttons::RetryCancel);
        QVERIFY(!cancelled.m.running());
        QCOMPARE(lamp.last().first().toInt(), colour::Green);
    }

    // The switch set-up of the RSX7030 on the wire: the device's table is read only when a
    // zero or span position needs it; the "Default" and "EEPROM" positions take the record.
    void switchSetUp_data() {
        QTest::addColumn<QByteArray>("switches");
        QTest::addColumn<QList<double>>("ranges"); // input start, end, output start, end
        QTest::addColumn<bool>("tableRead");
        // Tc K (8), output 1; span position 2 (5 °C), zero position 5 (-50 °C) of table 8.
        QTest::newRow("Tc K from the table")
            << QByteArray("\x48\x09\x05\x00", 4) << QList<double>{-50, -45, 4, 20} << true;
        QTest::newRow("default positions keep the record's range")
            << QByteArray("\x88\x01\x00\x00", 4) << QList<double>{0, 1000, 0, 10} << false;
        QTest::newRow("EEPROM position keeps the record")
            << QByteArray("\x00\x09\x05\x00", 4) << QList<double>{0, 1000, 4, 20} << false;
    }
    void switchSetUp() {
        QFETCH(QByteArray, switches);
        Session s(0);
        s.bench.device.setSwitchBytes(switches);
        const DeviceIdentity id = s.bench.device.identity();
        QCOMPARE(s.run({wireFrame(id, {2150})}, 0), MeasureEnd::Stopped);
        const ChannelSettings& a = s.m.channels()[0].settings;
        QCOMPARE(int(a.inputType), 8);
        QTEST((QList<double>{a.inputStart, a.inputEnd, a.outputStart, a.outputEnd}), "ranges");
        QTEST(s.bench.device.commandLog().contains(QByteArray("$S\x08\x08\x00\r", 6)), "tableRead");
        QCOMPARE(s.m.switches().S0, std::uint8_t(switches[0]));
    }

    // An input range given with start above end, from the record, still places the bar.
    void reversedRange() {
        Session s(4); // no range switches: the record's ranges apply
        auto& d = s.bench.device;
        // Channel A: 20 mA input, 20..4 mA (thousandths) on 0-10 V.
        for (const auto& [address, value] : {std::pair{20, 4000}, {22, 20000}}) {
            d.setMemory(0, address, value & 0xFF);
            d.setMemory(0, address + 1, value >> 8);
        }
        // 800 is 2 V, so 16.8 mA.
        QCOMPARE(s.run({wireFrame(d.identity(), {800})}, 0), MeasureEnd::Stopped);
        const RangeBar b0 = s.readings[0].channels[0].bar;
        QVERIFY(b0.valid && b0.lowMarker == colour::Grey && b0.highMarker == colour::Grey);
        QCOMPARE(s.readings[0].channels[0].inputText, QStringLiteral("16.800"));
        QVERIFY(qAbs(b0.fraction - 0.8) < 1e-9);
    }
};

QTEST_GUILESS_MAIN(TestMeasurement)
#include "tst_measurement.moc"
