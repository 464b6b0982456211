// Frame conversion without a device (references, lamps, range bar, formats, the CSV log and
// the trend), then the measurement procedure against the simulated device: what goes on the
// wire at the start, at a stop and at a cancel, the channel set-up from the switches, and the
// frames converted.
#include "catalogue.h"
#include "csvlog.h"
#include "defaultimages.h"
#include "frameconverter.h"
#include "measurement.h"
#include "simbench.h"
#include "texts.h"
#include "trendhistory.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>

using namespace vantelso;
using namespace vantelso::measure;

namespace {

// Measurement float bytes A, B, X of a value (the device's encoding).
std::array<std::uint8_t, 3> measureBytes(double v) {
    if (v == 0)
        return {0, 0, 0};
    int e = 0;
    const double f = 2 * std::frexp(std::fabs(v), &e);
    const int fraction = int(std::lround((f - 1) * 32768)) | (v < 0 ? 0x8000 : 0);
    return {std::uint8_t(fraction >> 8), std::uint8_t(fraction & 0xFF), std::uint8_t(e - 1 + 127)};
}

// A frame array as the link returns it: F(0) = 0, then the bytes after "A".
QByteArray frame(const QList<double>& values, int status) {
    QByteArray F(256, '\0');
    for (qsizetype k = 0; k < values.size(); ++k) {
        const auto b = measureBytes(values[k]);
        for (int i = 0; i < 3; ++i)
            F[3 * k + 2 + i] = char(b[std::size_t(i)]);
    }
    F[14] = char(status);
    return F;
}

DeviceIdentity model(int m) {
    return {.ModelByte = std::uint8_t(m)};
}

// A channel with input type `inputType` over inStart..inEnd on a 4..outEnd mA output whose
// references are 4 and 20 mA.
MeasureChannel channel(int inputType, double inStart, double inEnd, double outEnd = 20) {
    return {.settings = {.inputType = std::uint8_t(inputType),
                         .outputType = 1,
                         .inputEnd = inEnd,
                         .inputStart = inStart,
                         .outputEnd = outEnd,
                         .outputStart = 4,
                         .outputRef800 = 4,
                         .outputRef3500 = 20}};
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
    void references_data() {
        QTest::addColumn<int>("modelByte");
        QTest::addColumn<int>("deviceCode");
        QTest::addColumn<double>("raw");
        QTest::addColumn<double>("shown");
        // R800 = 4, R3500 = 20: the direct models show R800 at 800, the others R3500.
        for (int m : {0, 7, 8, 9}) {
            QTest::addRow("model %d at 800", m) << m << 12 << 800.0 << 4.0;
            QTest::addRow("model %d at 3500", m) << m << 12 << 3500.0 << 20.0;
        }
        for (int m : {1, 2, 3, 4, 5, 6}) {
            QTest::addRow("model %d at 800", m) << m << 12 << 800.0 << 20.0;
            QTest::addRow("model %d at 3500", m) << m << 12 << 3500.0 << 4.0;
        }
        QTest::newRow("family 11 swaps") << 0 << 11 << 800.0 << 20.0;
        QTest::newRow("midway") << 0 << 12 << 2150.0 << 12.0;
    }
    void references() {
        QFETCH(int, modelByte);
        QFETCH(int, deviceCode);
        QFETCH(double, raw);
        DeviceIdentity id = model(modelByte);
        id.DeviceCode = std::uint8_t(deviceCode);
        QTEST(OutputFromRaw(raw, channel(8, 0, 100).settings, id), "shown");
    }

    void statusLamps_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("lamps"); // G green, Y yellow, R red
        for (const QString& row :
             QStringLiteral("11 YGG|01 RGG|00 GGG|22 GYG|02 GRG|04 GGR|10 YGG").split('|'))
            QTest::newRow(qPrintable(row)) << row.left(2).toInt(nullptr, 16) << row.mid(3);
    }
    void statusLamps() {
        QFETCH(int, status);
        const QHash<int, char> letter{
            {colour::Green, 'G'}, {colour::Yellow, 'Y'}, {colour::Red, 'R'}};
        QString shown;
        for (int c : StatusLamps(status))
            shown += letter.value(c, '?');
        QTEST(shown, "lamps");
    }

    void rangeBar_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("end");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<double>("fraction");
        const int G = colour::Grey, R = colour::Red;
        QTest::newRow("inside") << 25.0 << 0.0 << 100.0 << true << G << G << 0.25;
        QTest::newRow("reversed inside") << 25.0 << 100.0 << 0.0 << true << G << G << 0.25;
        QTest::newRow("reversed below") << -1.0 << 100.0 << 0.0 << true << R << G << 0.0;
        QTest::newRow("reversed above") << 101.0 << 100.0 << 0.0 << true << G << R << 1.0;
        QTest::newRow("at lower end") << 0.0 << 100.0 << 0.0 << true << G << G << 0.0;
        QTest::newRow("at upper end") << 100.0 << 0.0 << 100.0 << true << G << G << 1.0;
        QTest::newRow("negative range") << -50.0 << -100.0 << 0.0 << true << G << G << 0.5;
        QTest::newRow("empty range") << 5.0 << 5.0 << 5.0 << false << G << G << 0.0;
        QTest::newRow("not a number") << qQNaN() << 0.0 << 1.0 << false << G << G << 0.0;
    }
    void rangeBar() {
        QFETCH(double, x);
        QFETCH(double, start);
        QFETCH(double, end);
        const RangeBar bar = RangeBarFor(x, start, end);
        QTEST(bar.valid, "valid");
        if (!bar.valid)
            return;
        QTEST(bar.lowMarker, "low");
        QTEST(bar.highMarker, "high");
        QTEST(bar.fraction, "fraction");
    }

    void formats_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("#0.000") << 12.3456 << 3 << "12.346";
        QTest::newRow("##0.0") << 0.25 << 1 << "0.3";
        QTest::newRow("##0") << 99.5 << 0 << "100";
        QTest::newRow("no minus zero") << -0.0004 << 3 << "0.000";
        QTest::newRow("negative") << -1.5 << 2 << "-1.50";
    }
    void formats() {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QTEST(FixedDecimals(value, decimals), "text");
    }

    // The frame conversion of whole channels: input back through the ranges, reported inputs,
    // Fahrenheit, skipped steps and the status byte's place.
    void convert_data() {
        QTest::addColumn<int>("modelByte");
        QTest::addColumn<int>("lastChannel");
        QTest::addColumn<int>("inputType");
        QTest::addColumn<double>("outEnd");
        QTest::addColumn<bool>("fahrenheit");
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("input"); // text and unit
        QTest::addColumn<int>("channels");
        const auto row = [](const char* name, int m, int last, int type, double outEnd, bool f,
                            QList<double> values, int status, const char* input, int channels) {
            QTest::newRow(name) << m << last << type << outEnd << f << values << status
                                << QString::fromUtf8(input) << channels;
        };
        // Tc K 0..1000 °C on 4-20 mA; raw 2150 is 12 mA, the middle (always the output shown).
        const QList<double> mid{2150, 0, 0, 0};
        row("Tc K back through ranges", 0, 0, 8, 20, false, mid, 0x11, "500.0 °C", 1);
        row("Tc K in Fahrenheit", 0, 0, 8, 20, true, mid, 0, "932.0 °F", 1);
        row("two channels, lettered model", 3, 1, 18, 20, false, {2150, 2150, 0, 0}, 0, "500.0 °C",
            2);
        row("math model: volts in thousandths", 5, 1, 4, 20, false, {2150, 2150, 5000, 2500}, 0,
            "5.000 V", 2);
        row("frequency model reports V(3)", 7, 0, 33, 20, false, {2150, 0, 0, 123.4}, 0, "123.4 Hz",
            1);
        row("empty output span skips the input", 0, 0, 8, 4, false, mid, 0, " °C", 1);
    }
    void convert() {
        QFETCH(int, modelByte);
        QFETCH(int, lastChannel);
        QFETCH(int, inputType);
        QFETCH(double, outEnd);
        QFETCH(QList<double>, values);
        QFETCH(int, status);
        Catalogue catalogue;
        const DeviceIdentity id = model(modelByte);
        catalogue.Init(id);
        MeasureChannel mc = channel(inputType, 0, 1000, outEnd);
        if (modelByte == 7)
            mc.settings.decimals = 1;
        QFETCH(bool, fahrenheit);
        mc.fahrenheit = fahrenheit;
        const FrameConverter conv(catalogue, id, {mc, mc}, lastChannel);
        // The status byte sits at 14 on the models with trips, else the frame is shorter.
        const bool trips = modelByte == 0 || modelByte == 7;
        const FrameReading r = conv.convert(frame(values, trips ? status : 0));
        QTEST(r.channelCount, "channels");
        if (trips) {
            QCOMPARE(r.status, status);
            QCOMPARE(r.lamps, StatusLamps(status));
        }
        const ChannelReading& a = r.channels[0];
        QTEST((a.inputValid ? a.inputText : QString()) + ' ' + a.inputUnit, "input");
        QCOMPARE(a.outputText + a.outputUnit, QStringLiteral("12.000mA"));
        if (r.channelCount == 1)
            QVERIFY(!r.channels[1].outputValid && !r.channels[1].inputValid);
    }

    // One line per channel per frame, "." decimals, empty fields for skipped values; the file
    // holds every frame already appended without being closed (as after a kill).
    void csvLog() {
        FrameReading r;
        r.channelCount = 2;
        r.status = 17;
        const QString degC = QStringLiteral("°C"), mA = QStringLiteral("mA");
        r.channels[0] = {true, 12.0, QStringLiteral("12.000"), mA, true, 500, "500.0", degC, {}};
        r.channels[1] = {true, 4.0, QStringLiteral("4.000"), mA, false, 0, QString(), degC, {}};
        const QDateTime t(QDate(2024, 5, 6), QTime(7, 8, 9, 123), Qt::UTC);
        const QString lines = CsvLog::Lines(t, r);
        QCOMPARE(lines, QStringLiteral("2024-05-06T07:08:09.123Z,A,500.0,°C,12.000,mA,17\n"
                                       "2024-05-06T07:08:09.123Z,B,,°C,4.000,mA,17\n"));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log.csv"));
        CsvLog log;
        QString error;
        QVERIFY(log.open(path, &error));
        QVERIFY(log.append(t, r));
        QVERIFY(log.append(t, r));
        QFile reader(path);
        QVERIFY(reader.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(reader.readAll()), CsvLog::Header() + lines + lines);
        log.close();
        // Reopening appends without a second header.
        QVERIFY(log.open(path, &error));
        QVERIFY(log.append(t, r));
        log.close();
        reader.seek(0);
        QCOMPARE(QString::fromUtf8(reader.readAll()), CsvLog::Header() + lines + lines + lines);
        QVERIFY(!log.open(dir.filePath(QStringLiteral("missing/dir/log.csv")), &error));
        QVERIFY(!error.isEmpty());
    }

    void trendKeepsItsWindow() {
        Catalogue catalogue;
        const MeasureChannel mc = channel(8, 1000, 0);
        const FrameConverter conv(catalogue, model(0), {mc, mc}, 0);
        TrendHistory h(10);
        h.reset(conv);
        QCOMPARE(h.channelCount(), 1);
        QCOMPARE(h.low(0), 0.0);
        QCOMPARE(h.high(0), 1000.0);
        FrameReading r;
        r.channels[0].inputValid = true;
        for (int s = 0; s <= 20; ++s) {
            r.channels[0].input = s;
            h.add(s, r);
        }
        QCOMPARE(h.points(0).size(), std::size_t(11));
        QCOMPARE(h.points(0).front().t, 10.0);
    }

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
