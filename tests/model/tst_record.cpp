// The record's bytes and fields, the catalogue, the byte codecs and the configuration read.
#include "codecs.h"
#include "configread.h"
#include "failingrow.h"
#include "simbench.h"

#include <QTest>
#include <cmath>

using namespace vantelso;
using namespace vantelso::codecs;

using Bytes = QList<QPair<int, int>>;
using DecodeCase = std::tuple<DeviceIdentity, Bytes, Bytes, QString>;
using EncodeCase = std::tuple<DeviceIdentity, QString, Bytes, Bytes>;
Q_DECLARE_METATYPE(DecodeCase)
Q_DECLARE_METATYPE(EncodeCase)

namespace {

DeviceIdentity model(int modelByte, int idByte3 = 0, int deviceCode = 12) {
    return {std::uint8_t(deviceCode), std::uint8_t(modelByte), std::uint8_t(idByte3), 0};
}

QByteArray block(const Bytes& bytes, int first = MainBlockFirst, int size = MainBlockSize) {
    QByteArray b(size, '\0');
    for (const auto& [address, value] : bytes)
        b[address - first] = char(value);
    return b;
}

// Record float as stored at a, a+1, a+2: M, H, E.
Bytes floatAt(int address, double v) {
    const auto ehm = codecs::FloatToBytes(v);
    return {{address, ehm[2]}, {address + 1, ehm[1]}, {address + 2, ehm[0]}};
}

// Record fields by name ("inEnd1" is channel 1's input range end), so that byte cases of
// every field family fit in one table.
template <typename F> auto field(ConfigRecord& r, QString name, F&& fn) {
    const auto c = std::size_t(name.back().isDigit() ? name.back().digitValue() : 0);
    if (name.back().isDigit())
        name.chop(1);
    ChannelSettings& ch = r.channels[c];
    TripConfig& trip = r.trips[c];
#define FIELD(n, x)                                                                                \
    if (name == n)                                                                                 \
        return fn(x);
    // clang-format off
    FIELD("input", ch.inputType) FIELD("output", ch.outputType) FIELD("decimals", ch.decimals)
    FIELD("inEnd", ch.inputEnd) FIELD("inStart", ch.inputStart)
    FIELD("outEnd", ch.outputEnd) FIELD("outStart", ch.outputStart)
    FIELD("physOutEnd", ch.physicalOutputEnd)
    FIELD("operator", ch.operatorCode) FIELD("opDelay", ch.operatorDelay)
    FIELD("tripDir", trip.direction) FIELD("tripHigh", trip.high) FIELD("tripLow", trip.low)
    FIELD("tripDelay", trip.delay) FIELD("wires", r.wires[c]) FIELD("cjc", r.internalCjc[c])
    FIELD("burnout", r.burnoutDown[c]) FIELD("function", r.function[c]) FIELD("offset", r.offset[c])
    FIELD("relay", r.relayDirection[c]) FIELD("overRange", r.overRange[c])
    FIELD("sensor", r.freqSensorType) FIELD("mains", r.mains50Hz) FIELD("aux", r.auxFrequency)
    FIELD("trigger", r.triggerLevel) FIELD("doubler", r.doubler) FIELD("highSpeed", r.highSpeed)
    FIELD("filter", r.filter) FIELD("response", r.responseTime)
    FIELD("rawInput", r.raw.inputCode[c])
    qFatal("unknown field %s", qPrintable(name));
    // clang-format on
#undef FIELD
}

double get(ConfigRecord r, const QString& name) {
    return field(r, name, [](auto& x) { return double(x); });
}

// "burnout0=1 function0=2" sets two fields.
ConfigRecord set(ConfigRecord r, const QString& settings) {
    for (const QString& item : settings.split(' ', Qt::SkipEmptyParts))
        field(r, item.section('=', 0, 0), [&](auto& x) {
            x = static_cast<std::decay_t<decltype(x)>>(item.section('=', 1).toDouble());
        });
    return r;
}

} // namespace

class TestRecord : public QObject {
    Q_OBJECT

private slots:
    // Bytes of the main block (and of the extension block), then fields the decode shows.
    void decode_data() {
        QTest::addColumn<DecodeCase>("c");
        const auto row = [](const char* name, DeviceIdentity id, Bytes bytes, const char* fields,
                            Bytes ext = {}) {
            QTest::newRow(name) << DecodeCase{id, bytes, ext, QString(fields)};
        };
        row("0x27 is Tc J", model(0), {{0, 0x27}, {20, 0xB0}, {21, 0x04}}, "input0=7 inEnd0=120");
        row("signed before scaling", model(0), {{22, 0x38}, {23, 0xFF}}, "inStart0=-200");
        row("Res300K", model(6, 2), {{0, 18}, {20, 0x30}, {21, 0x75}}, "input0=32 inEnd0=300");
        row("Pt 100 elsewhere", model(3), {{1, 18}}, "input1=18");
        row("PNP, 50 Hz", model(7), {{0, 0x0B}}, "input0=33 sensor=3 mains=1 trigger=0.122");
        row("frequency unsigned", model(7), {{4, 0x08}, {20, 0x38}, {21, 0xFF}}, "inEnd0=653.36");
        row("frequency decimals", model(7), {{4, 0x3C}, {64, 100}}, "decimals1=3 trigger=2.902");
        row("channel 1 at 12", model(2), {{1, 1}, {12, 0x28}, {13, 0x23}}, "inEnd1=90");
        row("model 2", model(2),
            {{24, 0x20}, {25, 0x4E}, {6, 0x1A}, {9, 0x0D}, {53, 0x2C}, {54, 1}},
            "outEnd0=20 wires1=2 cjc1=1 overRange1=3 filter=300");
        row("offsets", model(3), {{7, 0xF6}, {8, 0x0F}}, "offset0=-1 offset1=1.5");
        row("math functions", model(5), {{3, 0xAA}}, "operator0=5 function0=2 burnout0=1");
        row("response model 0 rev 4", model(0, 4), {{28, 10}}, "response=0.78");
        row("response double step", model(8), {{28, 10}}, "response=1.36");
        row("trip", model(0), Bytes{{4, 0x40}, {8, 33}} + floatAt(13, -2.5),
            "tripLow0=-2.5 tripDir0=0 tripDelay0=33");
        row("10 V trip in range units", model(0), Bytes{{0, 4}} + floatAt(10, 5000), "tripHigh0=5");
        row("second trip", model(7), Bytes{{8, 200}, {5, 0x40}} + floatAt(37, 0.5),
            "tripLow1=0.5 tripDelay1=200 relay1=1");
        row("relay B not from address 4", model(7), {{4, 0x40}}, "relay1=0");
        row("extension block", model(5), {}, "physOutEnd1=-2.5 opDelay1=40",
            Bytes{{146, 40}} + floatAt(147, -2.5));
        // Fields a model lacks, and codes without a list entry, keep the previous value.
        row("unnamed input row", model(0), {{0, 6}}, "input0=7 rawInput0=6");
        row("input not offered", model(2), {{0, 18}}, "input0=7");
        row("no EEPROM on model 4", model(4), {{0, 0}}, "input0=7");
        row("output not offered", model(8), {{4, 0x00}}, "output0=1");
        row("unknown sensor", model(7), {{0, 0x07}, {4, 0x00}}, "sensor=2 wires0=2");
        row("no response time", model(0, 3), {{28, 10}}, "response=9.9");
        row("one trip only", model(0), floatAt(16, 5), "tripHigh1=77");
        row("no relay without trips", model(2), {{5, 0x00}}, "relay1=1");
    }
    void decode() {
        QFETCH(DecodeCase, c);
        const auto& [id, bytes, ext, fields] = c;
        // No extension bytes: no extension block. The record before the read holds what fields a
        // model lacks keep.
        const auto r = DecodeRecord(
            block(bytes), block(ext, ExtensionBlockFirst, ext.isEmpty() ? 0 : ExtensionBlockSize),
            id, Catalogue(),
            set({}, "input0=7 output0=1 sensor=2 response=9.9 wires0=2 tripHigh1=77 relay1=1"));
        QVERIFY(r);
        for (const QString& item : fields.split(' ')) {
            const FailingRow row(item);
            QCOMPARE(get(*r, item.section('=', 0, 0)), item.section('=', 1).toDouble());
        }
    }
    void decodeShortBlocks() {
        QVERIFY(!DecodeRecord(QByteArray(64, '\0'), {}, model(0), Catalogue()));
        QVERIFY(!DecodeRecord(QByteArray(65, '\0'), QByteArray(25, '\0'), model(5), Catalogue()));
    }

    // Fields set, bytes the encode starts from, then the bytes it writes (-1: not written).
    void encode_data() {
        QTest::addColumn<EncodeCase>("c");
        const auto row = [](const char* name, DeviceIdentity id, const char* settings,
                            Bytes original, Bytes expected) {
            QTest::newRow(name) << EncodeCase{id, QString(settings), original, expected};
        };
        row("Res300K", model(6, 2), "input0=32 inEnd0=300 inStart0=12.5", {},
            {{0, 18}, {21, 0x75}, {22, 125}});
        row("frequency", model(7), "sensor=3 mains=1 aux=200 tripLow1=-2.5", {},
            {{0, 0x0B}, {1, -1}, {63, 200}, {38, 0x20}});
        row("Tc J end", model(2), "input1=7 inEnd1=120", {}, {{13, 0x04}});
        row("response double step", model(8), "response=1.36", {}, {{28, 10}});
        row("negative start wraps", model(2), "input1=1 inStart1=-0.01", {}, {{15, 0xFF}});
        row("model 2", model(2), "outEnd0=20 overRange0=2 overRange1=1 filter=300 relay0=1", {},
            {{24, 0x20}, {9, 0x06}, {54, 1}, {3, 0}}); // no relay without trips
        row("model 0 channel 1 for the doubler", model(0),
            "doubler=1 input1=7 inEnd1=120 outEnd1=10 offset1=1.5 tripDelay0=33", {},
            {{1, 7}, {12, 0}, {17, 0x27}, {8, 33}});
        // A single-channel model's channel B is left as the device keeps it.
        for (int m : {0, 1, 8, 9}) // (model 0 keeps its trip at 8 and 10..15)
            QTest::addRow("model %d channel 1 unused", m)
                << EncodeCase{model(m),
                              "input1=7 outEnd1=10 offset1=1.5 function1=1",
                              {},
                              Bytes{{1, -1}, {5, -1}, {6, -1}, {17, -1}} +
                                  (m ? Bytes{{8, -1}, {12, -1}} : Bytes{})};
        row("model 8 channel 1 for the doubler", model(8), "doubler=1 inEnd1=120 offset1=1.5", {},
            {{8, -1}, {12, -1}, {13, -1}, {6, 0}});
        row("frequency decimals 2", model(7), "inEnd0=123.4", {{4, 0xB4}}, {{4, 0xB8}});
        row("frequency decimals from larger end", model(7), "inEnd0=20 inEnd1=20000", {}, {{4, 0}});
        row("frequency decimals capped", model(7), "inEnd0=6.5", {}, {{4, 0x0C}, {21, 6500 >> 8}});
        row("offsets", model(3), "offset0=-1 offset1=20", {}, {{7, 0xF6}, {8, 127}});
        row("trigger truncates", model(7), "trigger=0.16", {}, {{64, 1}});
        row("trigger clamps", model(7), "trigger=10", {}, {{64, 255}});
        row("response below 0.2", model(9), "response=0.1", {}, {{28, 0}});
        row("no response on rev 3", model(0, 3), "response=0.78", {}, {{28, -1}});
        row("function math", model(5), "burnout0=1 function0=2 operator0=5", {}, {{3, 0xAA}});
        row("operator only on math", model(2), "burnout0=1 function0=2 operator0=5", {},
            {{3, 0x82}});
        row("relay on trip model", model(0), "doubler=1 relay0=1 function0=1 relay1=1", {},
            {{3, 0x41}, {5, 0}});
        row("relay B at address 5", model(7), "relay1=1 burnout1=1", {}, {{5, 0xC0}});
        row("variant bits kept", model(3), "output0=2 wires0=1 cjc0=1 highSpeed=1 wires1=2",
            {{4, 0x60}, {6, 0xE0}}, {{4, 0xF6}, {6, 0xE8}});
        row("doubler and trip directions", model(0), "doubler=1 tripDir0=0 tripDir1=0",
            {{4, 0x03}, {6, 0x40}}, {{4, 0x60}, {6, 0x40}});
        row("frequency option bits kept", model(7), "output1=3 tripDir1=0", {{6, 0x3C}},
            {{6, 0x7F}});
        row("trip float", model(0), "tripLow0=-2.5", {}, {{13, 0}, {14, 0x20}, {15, 0xC0}});
        row("10 V trip in range units", model(0), "input0=4 tripHigh0=5", {},
            {{12, codecs::FloatToBytes(5000)[0]}});
        row("math model", model(5), "tripHigh0=1 physOutEnd1=-2.5 opDelay0=40", {},
            {{11, -1}, {149, 0xC0}, {146, 40}});
    }
    void encode() {
        QFETCH(EncodeCase, c);
        const auto& [id, settings, original, expected] = c;
        QMap<int, int> written; // the last value written at each address
        for (const WriteItem& w : EncodeRecord(set({}, settings), id, Catalogue(), block(original)))
            written[w.address] = w.value;
        for (const auto& [address, value] : expected) // (address, value) shown on a failure
            QCOMPARE(std::pair(address, written.value(address, -1)), std::pair(address, value));
    }

    void displayConversionsRoundTrip() {
        for (int code = 0; code <= 255; ++code) {
            const double shown = QString::number(TriggerLevelFromCode(code), 'f', 3).toDouble();
            QCOMPARE(TriggerCodeFromLevel(shown), code);
            QCOMPARE(TripDelayFromShown(TripDelayShown(code, model(0)), model(0)), code);
            QCOMPARE(TripDelayFromShown(TripDelayShown(code, model(7)), model(7)), code);
        }
        QCOMPARE(TripDelayShown(33, model(0)), 4.4);
        QCOMPARE(OperatorDelaySeconds(40), 3.0);
        QCOMPARE(OperatorDelayFromSeconds(3.0), 40);
    }

    // The catalogue.
    // The "10 V" minimum follows the model: read models keep it unless they set it.
    void voltMinimumAfterRead() {
        // clang-format off
        for (const auto& [init, read, min] : {std::tuple{8, -1, -10.0}, {1, -1, 0.0}, {0, 2, 0.0},
                {2, 8, -10.0}, {0, 6, 0.0}, {0, 7, -10.0}, {4, 9, 0.0}, {8, 1, -10.0}}) {
            // clang-format on
            Catalogue cat;
            cat.Init(model(init));
            cat.Init(model(init)); // idempotent
            if (read >= 0)
                cat.UpdateAfterRead(model(read));
            // The model set up to the model read (-1: none).
            QVERIFY2(cat.Input(4).min == min, qPrintable(QString("%1 to %2").arg(init).arg(read)));
        }
    }

    // The input list of each model: its size, first and last rows, and that it is exactly
    // what IsInputAvailable allows (but for the special rows).
    void inputLists() {
        // clang-format off
        for (const auto& [id, ends] : {std::pair{model(0), "22|EEPROM|Pot50K"},
                 {model(2), "12|EEPROM|Tc N"}, {model(3), "8|EEPROM|Pot500"}, {model(4), "2|10 V|20 mA"},
                 {model(5, 0, 11), "1|EEPROM|EEPROM"}, {model(6, 2), "7|EEPROM|Res300K"},
                 {model(7), "1|EEPROM|EEPROM"}, {model(9), "20|EEPROM|Pot50K"}}) {
            // clang-format on
            const FailingRow row(QStringLiteral("model %1").arg(id.ModelByte));
            const Catalogue cat;
            const QStringList list = cat.FillTypeLists(id).input;
            QCOMPARE(QString::number(list.size()) + '|' + list.first() + '|' + list.last(),
                     QString(ends));
            // Not the frequency rows 32 and 33, the unnamed rows or models 4 and 5's EEPROM row.
            for (int code = 0; code < Catalogue::InputTypeCount; ++code)
                if (code != 32 && code != 33 && !cat.Input(code).name.isEmpty() &&
                    !(id.DeviceCode == 12 && (id.ModelByte == 4 || id.ModelByte == 5) && !code))
                    QCOMPARE(cat.IsInputAvailable(code, id), list.contains(cat.Input(code).name));
        }
    }

    void edges() {
        const Catalogue cat;
        // Input code and model byte: the unnamed rows 6 and 31, no 10 V on model 9, model 5 as
        // model 4, no KTY83 on model 6, Freq on model 7, the empty row 40 (starts true, no
        // class), codes out of range.
        const std::pair<int, int> probes[] = {{6, 0},  {31, 9}, {4, 9},  {4, 5}, {28, 6},
                                              {33, 7}, {40, 0}, {-1, 0}, {52, 0}};
        QString available;
        for (const auto& [code, m] : probes)
            available += cat.IsInputAvailable(code, model(m)) ? u'1' : u'0';
        QCOMPARE(available, QStringLiteral("000101100"));
        QCOMPARE(cat.FillTypeLists(model(8)).output, QStringList{"4-20 mA"});
        QCOMPARE(cat.FillTypeLists(model(9)).output, QStringList{"0-10 V"});
        QCOMPARE(cat.FillTypeLists(model(7)).switchInput,
                 (QStringList{"NAMUR", "Tacho", "TTL", "PNP"}));
        QCOMPARE(cat.FillTypeLists(model(4)).switchInput, QStringList{"EEPROM"});
        QVERIFY(cat.FillTypeLists(model(4)).switchInputNeedsDeviceRanges);
        const TypeLists a = cat.FillTypeLists(model(2));
        QVERIFY(a.switchInput == a.input && !a.switchInputNeedsDeviceRanges);
        QCOMPARE(cat.FindInputType(""), std::nullopt); // must not pick the unnamed row 6
        QCOMPARE(cat.FindInputType("DUPLIC."), std::nullopt);
        QCOMPARE(cat.FindOutputType("2-10 V"), std::nullopt); // a readout-only range
        QCOMPARE(cat.FindOverRange("±5%"), std::nullopt);
        QCOMPARE(cat.OverRangeFromPercent(7.5), std::nullopt);
    }

    // Known answers for the byte codecs and the model identifier table.
    void words() {
        const std::tuple<int, int, bool, int> rows[] = {
            {255, 255, true, -1},   {255, 255, false, 65535}, {127, 255, true, 32767},
            {128, 0, true, -32768}, {0xFF, 0x38, true, -200}, {0x04, 0xB0, true, 1200},
            {1, 0, false, 256},     {0, 0, false, 0}};
        for (const auto& [high, low, isSigned, value] : rows) {
            const FailingRow row(QString::number(value));
            QCOMPARE(Make16(high, low, isSigned), value);
            const HighLow hl = Split16(value);
            QCOMPARE(QList<int>({hl.high, hl.low}), QList<int>({high, low}));
        }
    }

    void floats() {
        const double zero = std::ldexp(1.0, -127); // what all-zero bytes decode to
        const double tenth = 0.0999984741210937;   // 0.1 as the record holds it
        // Value, exponent, high and middle mantissa bytes, and what those decode to. In
        // 1.99999999 the rounding carries into the exponent; non-finite values have no record
        // form: stored as zero, never as garbage.
        const std::tuple<double, int, int, int, double> rows[] = {
            {1.0, 63, 128, 0, 1.0},      {-2.5, 192, 32, 0, -2.5},     {0.1, 61, 204, 204, tenth},
            {0.0, 0, 0, 0, zero},        {1000.0, 68, 122, 0, 1000.0}, {-200.0, 195, 72, 0, -200.0},
            {1.99999999, 64, 0, 0, 2.0}, {qQNaN(), 0, 0, 0, zero}};
        for (const auto& [value, e, h, m, decoded] : rows) {
            const FailingRow row(QString::number(value));
            const auto b = FloatToBytes(value);
            QCOMPARE(QList<int>({b[0], b[1], b[2], b[3]}), QList<int>({e, h, m, 0}));
            QVERIFY(qAbs(FloatFromBytes(b[1], b[2], b[0]) - decoded) <= qAbs(decoded) * 1e-12);
        }
        QCOMPARE(int(FloatToBytes(1e300)[0]), 127); // largest exponent, sign clear
        const std::tuple<int, int, int, double> measured[] = {
            {0, 0, 127, 1.0}, {128, 0, 128, -2.0}, {64, 0, 127, 1.5}, {192, 0, 128, -3.0}};
        for (const auto& [high, low, exponent, value] : measured) // the measurement form
            QCOMPARE(MeasureFloatFromBytes(high, low, exponent), value);
    }

    void hex() {
        const std::pair<int, const char*> rows[] = {
            {0, "00"}, {10, "0A"}, {200, "C8"}, {255, "FF"}, {-1, "ff"}, {-1, "G0"}, {-1, "A"}};
        for (const auto& [byte, text] : rows) {
            const FailingRow row(text);
            QCOMPARE(HexToByte(QString::fromLatin1(text)), byte);
            if (byte >= 0)
                QCOMPARE(ByteToHex(quint8(byte)), QString::fromLatin1(text));
        }
    }

    void modelIdentifier() {
        const std::tuple<int, int, const char*> rows[] = {
            {0, 0, "RSX7030"},     {1, 0xFF, "RSX7030"},  {2, 0x75, "RSX7031A"},
            {2, 0x15, "RSX7032A"}, {3, 0x20, "RSX7131B"}, {4, 0x40, "RSX7132D"},
            {5, 0, "RSX7132D"},    {6, 0x60, "RSX7031C"}, {7, 0, "RSX7040"},
            {8, 0, "RSX7035"},     {9, 0, "RSX5035"},     {10, 0, ""}};
        for (const auto& [modelByte, address4, text] : rows) {
            const FailingRow row(QStringLiteral("%1 0x%2").arg(modelByte).arg(address4, 0, 16));
            const QString identifier = QString::fromLatin1(text);
            QCOMPARE(ModelIdentifier(quint8(modelByte), quint8(address4)), identifier);
            std::uint8_t m = 0, bits = 0;
            QCOMPARE(ParseModelIdentifier(identifier.toLower(), &m, &bits), !identifier.isEmpty());
            if (!identifier.isEmpty())
                QCOMPARE(ModelIdentifier(m, bits), identifier);
        }
    }

    // The configuration read against the simulated device of every model byte: the identity,
    // the model with its variant bits and both record blocks as the device holds them.
    void defaultImages() {
        for (int model = 0; model <= 9; ++model) {
            const FailingRow row(QStringLiteral("model %1").arg(model));
            SimBench b{quint8(model), quint8(model == 3 ? 0x20 : 0)};
            Catalogue catalogue;
            const auto read = ReadConfiguration(b.link, catalogue);
            QVERIFY(read);
            QCOMPARE(read->identity, b.device.identity());
            QCOMPARE(read->model, b.device.modelIdentifier());
            QCOMPARE(read->mainBlock, b.device.bank(0).left(MainBlockSize));
            QCOMPARE(read->extensionBlock.isEmpty(), !HasExtensionBlock(read->identity));
        }
    }

    void failedReadChangesNothing() {
        SimBench b{2, 0};
        Catalogue catalogue;
        catalogue.Init(DeviceIdentity{12, 0, 0, 0});
        b.device.injectFault({.kind = sim::Fault::Kind::Vanish, .match = "$R", .skip = 20});
        ReadFailure why = ReadFailure::None;
        QVERIFY(!ReadConfiguration(b.link, catalogue, {}, &why));
        QCOMPARE(why, ReadFailure::Communication);
        QCOMPARE(b.link.CommError, 1);
        // Model byte 2 would have set the "10 V" minimum to 0; a failed read leaves -10.
        QCOMPARE(catalogue.Input(4).min, -10.0);
        QVERIFY(b.prompter.questions().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRecord)
#include "tst_record.moc"
