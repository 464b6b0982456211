#include "codecs.h"
#include "identity.h"

#include <QTest>

using namespace vantelso;
using namespace vantelso::codecs;

class TestCodecs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void make16_data() {
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::addColumn<bool>("isSigned");
        QTest::addColumn<int>("expected");
        QTest::newRow("minus one") << 255 << 255 << true << -1;
        QTest::newRow("unsigned max") << 255 << 255 << false << 65535;
        QTest::newRow("signed max") << 127 << 255 << true << 32767;
        QTest::newRow("signed min") << 128 << 0 << true << -32768;
        QTest::newRow("minus 200") << 0xFF << 0x38 << true << -200;
        QTest::newRow("1200") << 0x04 << 0xB0 << true << 1200;
    }
    void make16() {
        QFETCH(int, high);
        QFETCH(int, low);
        QFETCH(bool, isSigned);
        QFETCH(int, expected);
        QCOMPARE(Make16(high, low, isSigned), expected);
    }

    void split16_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::newRow("-2") << -2 << 255 << 254;
        QTest::newRow("256") << 256 << 1 << 0;
        QTest::newRow("0") << 0 << 0 << 0;
        QTest::newRow("65535") << 65535 << 255 << 255;
        QTest::newRow("-32768") << -32768 << 128 << 0;
    }
    void split16() {
        QFETCH(int, value);
        QFETCH(int, high);
        QFETCH(int, low);
        const HighLow hl = Split16(value);
        QCOMPARE(int(hl.high), high);
        QCOMPARE(int(hl.low), low);
        QCOMPARE(Make16(hl.high, hl.low, value < 0), value);
    }

    void recordFloat_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("e");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("m");
        QTest::addColumn<double>("decoded");
        QTest::newRow("1.0") << 1.0 << 63 << 128 << 0 << 1.0;
        QTest::newRow("-2.5") << -2.5 << 192 << 32 << 0 << -2.5;
        QTest::newRow("0.1") << 0.1 << 61 << 204 << 204 << 0.0999984741210937;
        QTest::newRow("0") << 0.0 << 0 << 0 << 0 << 5.877471754111438e-39;
        QTest::newRow("1000") << 1000.0 << 68 << 122 << 0 << 1000.0;
        QTest::newRow("-200") << -200.0 << 195 << 72 << 0 << -200.0;
        QTest::newRow("rounds carry") << 1.99999999 << 64 << 0 << 0 << 2.0;
    }
    void recordFloat() {
        QFETCH(double, value);
        QFETCH(int, e);
        QFETCH(int, h);
        QFETCH(int, m);
        QFETCH(double, decoded);
        const auto b = FloatToBytes(value);
        QCOMPARE(int(b[0]), e);
        QCOMPARE(int(b[1]), h);
        QCOMPARE(int(b[2]), m);
        QCOMPARE(int(b[3]), 0);
        QVERIFY(qAbs(FloatFromBytes(b[1], b[2], b[0]) - decoded) <= qAbs(decoded) * 1e-12);
    }

    void recordFloatOutOfRange() {
        // Non-finite values have no record form; they are stored as zero, never as garbage.
        const auto nan = FloatToBytes(std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(int(nan[0]) + int(nan[1]) + int(nan[2]), 0);
        const auto huge = FloatToBytes(1e300);
        QCOMPARE(int(huge[0]), 127); // largest exponent, sign clear
    }

    void measureFloat_data() {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("x");
        QTest::addColumn<double>("expected");
        QTest::newRow("1.0") << 0 << 0 << 127 << 1.0;
        QTest::newRow("-2.0") << 128 << 0 << 128 << -2.0;
        QTest::newRow("1.5") << 64 << 0 << 127 << 1.5;
        QTest::newRow("-3") << 192 << 0 << 128 << -3.0;
    }
    void measureFloat() {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(int, x);
        QFETCH(double, expected);
        QCOMPARE(MeasureFloatFromBytes(quint8(a), quint8(b), quint8(x)), expected);
    }

    void hex_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "00";
        QTest::newRow("10") << 10 << "0A";
        QTest::newRow("200") << 200 << "C8";
        QTest::newRow("255") << 255 << "FF";
    }
    void hex() {
        QFETCH(int, byte);
        QFETCH(QString, text);
        QCOMPARE(ByteToHex(quint8(byte)), text);
        QCOMPARE(HexToByte(text), byte);
    }
    void hexRejectsOtherText() {
        QCOMPARE(HexToByte(QStringLiteral("ff")), -1);
        QCOMPARE(HexToByte(QStringLiteral("G0")), -1);
        QCOMPARE(HexToByte(QStringLiteral("A")), -1);
    }

    void modelIdentifier_data() {
        QTest::addColumn<int>("modelByte");
        QTest::addColumn<int>("address4");
        QTest::addColumn<QString>("identifier");
        QTest::newRow("0") << 0 << 0 << "RSX7030";
        QTest::newRow("1") << 1 << 0xFF << "RSX7030";
        QTest::newRow("2 bits 5,6 set") << 2 << 0x75 << "RSX7031A";
        QTest::newRow("2 neither") << 2 << 0x15 << "RSX7032A";
        QTest::newRow("3 bit 5") << 3 << 0x20 << "RSX7131B";
        QTest::newRow("4 bit 6") << 4 << 0x40 << "RSX7132D";
        QTest::newRow("5") << 5 << 0 << "RSX7132D";
        QTest::newRow("6") << 6 << 0x60 << "RSX7031C";
        QTest::newRow("7") << 7 << 0 << "RSX7040";
        QTest::newRow("8") << 8 << 0 << "RSX7035";
        QTest::newRow("9") << 9 << 0 << "RSX5035";
        QTest::newRow("unknown") << 10 << 0 << "";
    }
    void modelIdentifier() {
        QFETCH(int, modelByte);
        QFETCH(int, address4);
        QFETCH(QString, identifier);
        QCOMPARE(ModelIdentifier(quint8(modelByte), quint8(address4)), identifier);
        if (identifier.isEmpty())
            return;
        std::uint8_t m = 0, bits = 0;
        QVERIFY(ParseModelIdentifier(identifier.toLower(), &m, &bits));
        QCOMPARE(ModelIdentifier(m, bits), identifier);
    }
};

QTEST_GUILESS_MAIN(TestCodecs)
#include "tst_codecs.moc"
