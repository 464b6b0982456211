// Frame conversion without a device: references, lamps, range bar, formats and the CSV log.
#include "catalogue.h"
#include "csvlog.h"
#include "frameconverter.h"
#include "trendhistory.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace vantelso;
using namespace vantelso::measure;

namespace {

// Measurement float bytes A, B, X of a value (the device's encoding).
std::array<std::uint8_t, 3> measureBytes(double v) {
    int e = 0;
    const double f = 2 * std::frexp(std::fabs(v), &e);
    const int fraction = int(std::lround((f - 1) * 32768)) | (v < 0 ? 0x8000 : 0);
    return {std::uint8_t(fraction >> 8), std::uint8_t(fraction & 0xFF), std::uint8_t(e - 1 + 127)};
}

// A frame array as the link returns it: F(0) = 0, then the bytes after "A".
QByteArray frame(std::initializer_list<double> values, int status, int statusIndex) {
    QByteArray F(256, '\0');
    int k = 0;
    for (double v : values) {
        const auto b = measureBytes(v);
        for (int i = 0; i < 3; ++i)
            F[3 * k + 2 + i] = char(b[std::size_t(i)]);
        ++k;
    }
    F[statusIndex] = char(status);
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

} // namespace

class TestFrameConversion : public QObject {
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
        QTest::addColumn<QString>("input"); // then its unit
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("channels");
        // Tc K 0..1000 °C on 4-20 mA; raw 2150 is 12 mA, the middle (always the output shown).
        const QList<double> mid{2150, 0, 0, 0};
        QTest::newRow("Tc K back through ranges")
            << 0 << 0 << 8 << 20.0 << false << mid << 0x11 << "500.0"
            << "°C" << 1;
        QTest::newRow("Tc K in Fahrenheit") << 0 << 0 << 8 << 20.0 << true << mid << 0 << "932.0"
                                            << "°F" << 1;
        QTest::newRow("two channels on the lettered model")
            << 3 << 1 << 18 << 20.0 << false << QList<double>{2150, 2150, 0, 0} << 0 << "500.0"
            << "°C" << 2;
        QTest::newRow("math model reports volts in thousandths")
            << 5 << 1 << 4 << 20.0 << false << QList<double>{2150, 2150, 5000, 2500} << 0 << "5.000"
            << "V" << 2;
        QTest::newRow("frequency model reports V(3)")
            << 7 << 0 << 33 << 20.0 << false << QList<double>{2150, 0, 0, 123.4} << 0 << "123.4"
            << "Hz" << 1;
        QTest::newRow("empty output span skips the input")
            << 0 << 0 << 8 << 4.0 << false << mid << 0 << ""
            << "°C" << 1;
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
        const FrameReading r = conv.convert(
            frame({values[0], values[1], values[2], values[3]}, trips ? status : 0, 14));
        QTEST(r.channelCount, "channels");
        if (trips) {
            QCOMPARE(r.status, status);
            QCOMPARE(r.lamps, StatusLamps(status));
        }
        const ChannelReading& a = r.channels[0];
        QTEST(a.inputValid ? a.inputText : QString(), "input");
        QTEST(a.inputUnit, "unit");
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
};

QTEST_GUILESS_MAIN(TestFrameConversion)
#include "tst_frameconversion.moc"
