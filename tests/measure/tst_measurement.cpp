// Frame conversion without a device (references, lamps, range bar, formats, the CSV log and
// the trend), then the measurement procedure against the simulated device: what goes on the
// wire at the start, at a stop and at a cancel, the channel set-up from the switches, and the
// frames converted.
#include "catalogue.h"
#include "csvlog.h"
#include "defaultimages.h"
#include "failingrow.h"
#include "frameconverter.h"
#include "measurement.h"
#include "simbench.h"
#include "testfiles.h"
#include "texts.h"
#include "trendhistory.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>

using namespace vantelso;
using namespace vantelso::measure;

namespace {

// Measurement float bytes A, B, X of a value (the device's encoding).
QByteArray measureBytes(double v) {
    if (v == 0)
        return QByteArray(3, '\0');
    int e = 0;
    const double f = 2 * std::frexp(std::fabs(v), &e);
    const int fraction = int(std::lround((f - 1) * 32768)) | (v < 0 ? 0x8000 : 0);
    return QByteArray(1, char(fraction >> 8)) + char(fraction & 0xFF) + char(e - 1 + 127);
}

// Values three bytes each from byte 2 on, as far as the frame holds them before its last
// byte, and a status byte at 14.
QByteArray withValues(QByteArray f, const QList<double>& values, int status) {
    for (int k = 0; k < values.size() && 3 * k + 4 < f.size() - 1; ++k)
        f.replace(3 * k + 2, 3, measureBytes(values[k]));
    if (status != 0)
        f[14] = char(status);
    return f;
}

// A frame array as the link returns it: F(0) = 0, then the bytes after "A".
QByteArray frame(const QList<double>& values, int status) {
    return withValues(QByteArray(256, '\0'), values, status);
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
    const auto len = DeviceLink::FrameTemplate(id).pattern.size();
    return withValues('A' + QByteArray(len - 2, '\0') + '\r', values, status);
}

// One row of the frame conversion table.
// The model, last channel, input type, status byte and channels shown; the output's end, °F,
// the raw values, the input's text and unit.
struct ConvertRow {
    int modelByte, lastChannel, inputType, status, channels;
    double outEnd;
    bool fahrenheit;
    QList<double> values;
    QString input;
};

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
            if (m.streaming() && !frames.isEmpty())
                QTimer::singleShot(0, &bench.device, [this, next = frames.takeFirst()] {
                    emit bench.device.transmit(next);
                });
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
        bench.device.clearCommandLog();
        return {
            DecodeRecord(memory.left(MainBlockSize), ext, id, catalogue).value(), {}, lastChannel};
    }

    MeasureEnd run(const QList<QByteArray>& toSend, int lastChannel = 1) {
        frames = toSend;
        stopAfter = int(toSend.size());
        return m.Start(setupFromDevice(lastChannel));
    }

    // Commands the device received after the last "MI" (or all, when none was sent).
    QList<QByteArray> afterStart() const {
        const QList<QByteArray> log = bench.device.commandLog();
        const auto mi = std::find_if(log.rbegin(), log.rend(),
                                     [](const QByteArray& c) { return c.startsWith("MI"); });
        return log.mid(log.rend() - mi);
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
    // R800 = 4, R3500 = 20: the direct models show R800 at 800, the others R3500; a device
    // code of 11 swaps them.
    void references() {
        const auto shown = [](int modelByte, double raw, int deviceCode = 12) {
            return OutputFromRaw(raw, channel(8, 0, 100).settings,
                                 {std::uint8_t(deviceCode), std::uint8_t(modelByte)});
        };
        for (int m = 0; m < 10; ++m) {
            const FailingRow row(QStringLiteral("model %1").arg(m));
            const bool direct = m == 0 || m >= 7;
            QCOMPARE(QList<double>({shown(m, 800), shown(m, 3500)}),
                     QList<double>({direct ? 4.0 : 20.0, direct ? 20.0 : 4.0}));
        }
        QCOMPARE(shown(0, 800, 11), 20.0);
        QCOMPARE(shown(0, 2150), 12.0); // midway
    }

    void statusLamps() {
        // The status byte in hex, then the lamps: G green, Y yellow, R red.
        const QHash<int, char> letter{
            {colour::Green, 'G'}, {colour::Yellow, 'Y'}, {colour::Red, 'R'}};
        for (const QString& row :
             QStringLiteral("11 YGG|01 RGG|00 GGG|22 GYG|02 GRG|04 GGR|10 YGG").split('|')) {
            QString shown = row.left(3);
            for (int c : StatusLamps(row.left(2).toInt(nullptr, 16)))
                shown += letter.value(c, '?');
            QCOMPARE(shown, row);
        }
    }

    void rangeBar() {
        const int G = colour::Grey, R = colour::Red;
        // The reading, the input range, then the bar expected (only whether it is valid, when
        // it is not).
        for (const auto& [name, x, start, end, want] :
             {std::tuple{"inside", 25.0, 0.0, 100.0, RangeBar{true, G, G, 0.25}},
              {"reversed inside", 25, 100, 0, {true, G, G, 0.25}},
              {"reversed below", -1, 100, 0, {true, R, G, 0}},
              {"reversed above", 101, 100, 0, {true, G, R, 1}},
              {"at lower end", 0, 100, 0, {true, G, G, 0}},
              {"at upper end", 100, 0, 100, {true, G, G, 1}},
              {"negative range", -50, -100, 0, {true, G, G, 0.5}},
              {"empty range", 5, 5, 5, {}},
              {"not a number", qQNaN(), 0, 1, {}}}) {
            const RangeBar bar = RangeBarFor(x, start, end);
            QVERIFY2(bar.valid == want.valid && (!bar.valid || (bar.lowMarker == want.lowMarker &&
                                                                bar.highMarker == want.highMarker &&
                                                                bar.fraction == want.fraction)),
                     name);
        }
    }

    void formats() {
        // "#0.000", "##0.0", "##0", no minus zero, a negative value.
        for (const auto& [value, decimals, text] : {std::tuple{12.3456, 3, "12.346"},
                                                    {0.25, 1, "0.3"},
                                                    {99.5, 0, "100"},
                                                    {-0.0004, 3, "0.000"},
                                                    {-1.5, 2, "-1.50"}})
            QCOMPARE(FixedDecimals(value, decimals), QString::fromLatin1(text));
    }

    // The frame conversion of whole channels: input back through the ranges, reported inputs,
    // Fahrenheit, skipped steps and the status byte's place.
    void convert_data() {
        QTest::addColumn<ConvertRow>("row");
        const auto row = [](const char* name, const ConvertRow& r) { QTest::newRow(name) << r; };
        // Tc K 0..1000 °C on 4-20 mA; raw 2150 is 12 mA, the middle (always the output shown).
        const QList<double> mid{2150, 0, 0, 0};
        row("Tc K back through ranges", {0, 0, 8, 0x11, 1, 20, false, mid, "500.0 °C"});
        row("Tc K in Fahrenheit", {0, 0, 8, 0, 1, 20, true, mid, "932.0 °F"});
        row("two channels, lettered model",
            {3, 1, 18, 0, 2, 20, false, {2150, 2150, 0, 0}, "500.0 °C"});
        row("math model: volts in thousandths",
            {5, 1, 4, 0, 2, 20, false, {2150, 2150, 5000, 2500}, "5.000 V"});
        row("frequency model reports V(3)",
            {7, 0, 33, 0, 1, 20, false, {2150, 0, 0, 123.4}, "123.4 Hz"});
        row("empty output span skips the input", {0, 0, 8, 0, 1, 4, false, mid, " °C"});
    }
    void convert() {
        QFETCH(ConvertRow, row);
        Catalogue catalogue;
        const DeviceIdentity id{.ModelByte = std::uint8_t(row.modelByte)};
        catalogue.Init(id);
        MeasureChannel mc = channel(row.inputType, 0, 1000, row.outEnd);
        if (row.modelByte == 7)
            mc.settings.decimals = 1;
        mc.fahrenheit = row.fahrenheit;
        const FrameConverter conv(catalogue, id, {mc, mc}, row.lastChannel);
        // The status byte sits at 14 on the models with trips, else the frame is shorter.
        const bool trips = row.modelByte == 0 || row.modelByte == 7;
        const FrameReading r = conv.convert(frame(row.values, trips ? row.status : 0));
        QCOMPARE(r.channelCount, row.channels);
        if (trips) {
            QCOMPARE(r.status, row.status);
            QCOMPARE(r.lamps, StatusLamps(row.status));
        }
        const ChannelReading& a = r.channels[0];
        QCOMPARE((a.inputValid ? a.inputText : QString()) + ' ' + a.inputUnit, row.input);
        QCOMPARE(a.outputText + a.outputUnit, QStringLiteral("12.000mA"));
        if (r.channelCount == 1)
            QVERIFY(!r.channels[1].outputValid && !r.channels[1].inputValid);
    }

    // One line per channel per frame, "." decimals, empty fields for skipped values; the file
    // holds every frame already appended without being closed (as after a kill).
    void csvLog() {
        FrameReading r{.channelCount = 2, .status = 17};
        r.channels[0] = {true, 12, "12.000", "mA", true, 500, "500.0", "°C", {}};
        r.channels[1] = {true, 4, "4.000", "mA", false, 0, {}, "°C", {}};
        const QDateTime t(QDate(2024, 5, 6), QTime(7, 8, 9, 123), Qt::UTC);
        const QString lines = CsvLog::Lines(t, r);
        QCOMPARE(lines, QStringLiteral("2024-05-06T07:08:09.123Z,A,500.0,°C,12.000,mA,17\n"
                                       "2024-05-06T07:08:09.123Z,B,,°C,4.000,mA,17\n"));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log.csv"));
        CsvLog log;
        QString error, expected = CsvLog::Header();
        for (int appends : {2, 1}) { // opened again: appended, without a second header
            const FailingRow row(appends == 2 ? "first open" : "opened again");
            QVERIFY(log.open(path, &error));
            for (int k = 0; k < appends; ++k, expected += lines)
                QVERIFY(log.append(t, r));
            QCOMPARE(QString::fromUtf8(ReadTestFile(path)), expected);
            log.close();
        }
        QVERIFY(!log.open(dir.filePath(QStringLiteral("missing/dir/log.csv")), &error));
        QVERIFY(!error.isEmpty());
    }

    void trendKeepsItsWindow() {
        Catalogue catalogue;
        const MeasureChannel mc = channel(8, 1000, 0);
        const FrameConverter conv(catalogue, DeviceIdentity{}, {mc, mc}, 0); // model 0
        TrendHistory h(10);
        h.reset(conv);
        QCOMPARE(QList<double>({double(h.channelCount()), h.low(0), h.high(0)}),
                 QList<double>({1, 0, 1000}));
        FrameReading r;
        r.channels[0].inputValid = true;
        for (int s = 0; s <= 20; ++s) {
            r.channels[0].input = s;
            h.add(s, r);
        }
        // The points kept and the first one's time.
        QCOMPARE(std::pair(h.points(0).size(), h.points(0).front().t),
                 std::pair(std::size_t(11), 10.0));
    }

    // The references read at the start, through the whole chain: a raw 800 shows the output
    // at the low calibration point (4 mA or 2 V) and 3500 the high one, on every model.
    void referencePoints() {
        for (int modelByte : {0, 4, 5, 7}) {
            const FailingRow row(QStringLiteral("model %1").arg(modelByte));
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
            QCOMPARE(QStringList({s.readings[0].channels[0].outputText,
                                  s.readings[1].channels[0].outputText}),
                     QStringList({FixedDecimals(sim::OutputAtRawLow(current), 3),
                                  FixedDecimals(sim::OutputAtRawHigh(current), 3)}));
            // Which stored reference a reading of 800 stands for depends on the model.
            const bool direct = modelByte == 0 || modelByte >= 7;
            QCOMPARE(s.readings[0].channels[0].output, direct ? a.outputRef800 : a.outputRef3500);

            for (qsizetype k = 2; k < s.readings.size(); ++k) {
                const ChannelReading& r = s.readings[k].channels[0];
                QVERIFY2(r.outputValid && r.inputValid && r.bar.valid, qPrintable(r.inputText));
                QVERIFY(r.bar.lowMarker == colour::Grey && r.bar.highMarker == colour::Grey);
            }
            QVERIFY(s.readings[2].channels[0].input != s.readings.last().channels[0].input);
        }
    }

    // Channel B reads its references from 118 with a current output and from 112 with a
    // voltage output; with LastChannel 0 it reads none and only channel A is computed.
    void channelBReferences() {
        // Channel B's output (0-20 mA, 0-5 V, 4-20 mA), LastChannel, the first address B
        // reads its references from (-1 none).
        for (const auto& [outputB, lastChannel, expectedB] :
             {std::tuple{0, 1, 118}, {3, 1, 112}, {1, 0, -1}}) {
            const FailingRow row(
                QString::asprintf("output B %d, last channel %d", outputB, lastChannel));
            Session s(3); // the lettered RTD model: two channels
            s.bench.device.setMemory(0, 6, (s.bench.device.memory(0, 6) & ~3) | outputB);
            QCOMPARE(s.run({wireFrame(s.bench.device.identity(), {800, 3500})}, lastChannel),
                     MeasureEnd::Stopped);
            const QList<QByteArray> log = s.bench.device.commandLog();
            for (int a = 112; a < 124; ++a)
                QCOMPARE(std::pair(a, log.contains(readRequest(a))), // the address names a failure
                         std::pair(a, a >= expectedB && a < expectedB + 6));
            QVERIFY(log.contains(readRequest(106))); // channel A: 4-20 mA from its switches
            QCOMPARE(s.readings.first().channelCount, lastChannel + 1);
            QCOMPARE(s.readings.first().channels[1].outputValid, lastChannel == 1);
            if (lastChannel == 1)
                QCOMPARE(s.readings.first().channels[1].output, sim::OutputAtRawHigh(outputB <= 1));
        }
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
    void switchSetUp() {
        // The switches, then the input type, input start and end, output start and end, and
        // whether the table was read: Tc K (8), output 1, span position 2 (5 °C) and zero
        // position 5 (-50 °C) of table 8; the default positions keep the record's range; the
        // EEPROM position keeps the record.
        for (const auto& [switches, expected] :
             {std::pair{QByteArray("\x48\x09\x05\x00", 4), QList<double>{8, -50, -45, 4, 20, 1}},
              {QByteArray("\x88\x01\x00\x00", 4), QList<double>{8, 0, 1000, 0, 10, 0}},
              {QByteArray("\x00\x09\x05\x00", 4), QList<double>{8, 0, 1000, 4, 20, 0}}}) {
            const FailingRow row(QString::fromLatin1("switches " + switches.toHex()));
            Session s(0);
            s.bench.device.setSwitchBytes(switches);
            QCOMPARE(s.run({wireFrame(s.bench.device.identity(), {2150})}, 0), MeasureEnd::Stopped);
            const ChannelSettings& a = s.m.channels()[0].settings;
            const bool tableRead =
                s.bench.device.commandLog().contains(QByteArray("$S\x08\x08\x00\r", 6));
            QCOMPARE(QList<double>({double(a.inputType), a.inputStart, a.inputEnd, a.outputStart,
                                    a.outputEnd, double(tableRead)}),
                     expected);
            QCOMPARE(s.m.switches().S0, std::uint8_t(switches[0]));
        }
    }

    // An input range given with start above end, from the record, still places the bar.
    void reversedRange() {
        Session s(4); // no range switches: the record's ranges apply
        auto& d = s.bench.device;
        // Channel A: 20 mA input, 20..4 mA (thousandths, low byte first: 4000 at 20, 20000 at
        // 22) on 0-10 V.
        for (const auto& [address, value] :
             {std::pair{20, 0xA0}, {21, 0x0F}, {22, 0x20}, {23, 0x4E}})
            d.setMemory(0, address, value);
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
