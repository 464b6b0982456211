// Known answers for the byte codecs and the model identifier table.
#include "codecs.h"
#include "identity.h"

#include <QTest>
#include <cmath>

using namespace vantelso;
using namespace vantelso::codecs;

class TestCodecs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void words() {
        const std::tuple<int, int, bool, int> rows[] = {
            {255, 255, true, -1},   {255, 255, false, 65535}, {127, 255, true, 32767},
            {128, 0, true, -32768}, {0xFF, 0x38, true, -200}, {0x04, 0xB0, true, 1200},
            {1, 0, false, 256},     {0, 0, false, 0}};
        for (const auto& [high, low, isSigned, value] : rows) {
            QCOMPARE(Make16(high, low, isSigned), value);
            const HighLow hl = Split16(value);
            QCOMPARE(QList<int>({hl.high, hl.low}), QList<int>({high, low}));
        }
    }

    void floats() {
        const double zero = std::ldexp(1.0, -127); // what all-zero bytes decode to
        // Value, exponent, high and middle mantissa bytes, and what those decode to.
        const std::tuple<double, int, int, int, double> rows[] = {
            {1.0, 63, 128, 0, 1.0},
            {-2.5, 192, 32, 0, -2.5},
            {0.1, 61, 204, 204, 0.0999984741210937},
            {0.0, 0, 0, 0, zero},
            {1000.0, 68, 122, 0, 1000.0},
            {-200.0, 195, 72, 0, -200.0},
            {1.99999999, 64, 0, 0, 2.0}, // rounding carries into the exponent
            // Non-finite values have no record form: stored as zero, never as garbage.
            {std::numeric_limits<double>::quiet_NaN(), 0, 0, 0, zero}};
        for (const auto& [value, e, h, m, decoded] : rows) {
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
            const QString identifier = QString::fromLatin1(text);
            QCOMPARE(ModelIdentifier(quint8(modelByte), quint8(address4)), identifier);
            std::uint8_t m = 0, bits = 0;
            QCOMPARE(ParseModelIdentifier(identifier.toLower(), &m, &bits), !identifier.isEmpty());
            if (!identifier.isEmpty())
                QCOMPARE(ModelIdentifier(m, bits), identifier);
        }
    }
};

QTEST_GUILESS_MAIN(TestCodecs)
#include "tst_codecs.moc"
