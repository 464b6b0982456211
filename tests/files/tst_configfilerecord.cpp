// The ".VNT" record: every field at its offset, little-endian, and files that are not
// records refused whole.
#include "configfilerecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cmath>

using namespace vantelso;

namespace {

// A record with a distinct value in every field, so a field written at the wrong offset
// shows up as a wrong value somewhere.
ConfigFileRecord sample() {
    ConfigFileRecord r;
    r.version = 2.7;
    r.idByte4 = 0x44;
    r.deviceCode = 12;
    r.modelByte = 3;
    r.idByte3 = 0x33;
    r.inputType = {18, 20};
    r.inputEnd = {150.0, 185.0};
    r.inputStart = {-50.0, -200.0};
    r.outputType = {1, 2};
    r.outputEnd = {20.0, 10.0};
    r.outputStart = {4.0, 0.0};
    r.cjcExternal = {-1, 0};
    r.cjcInternal = {0, -1};
    r.offset = {1.5, -2.5};
    r.wires2 = {0, -1};
    r.wires4 = {-1, 0};
    r.wires3 = {0, 0};
    r.functionLinear = {-1, 0};
    r.functionTank = {0, -1};
    r.functionSqrt = {0, 0};
    r.breakUp = {-1, 0};
    r.breakDown = {0, -1};
    r.overRange = {2.5, 10.0};
    r.tripHigh = {800.0, 0};
    r.tripLow = {780.0, 0};
    r.tripMax = {-1, 0};
    r.tripMin = {0, 0};
    r.reserved = {7.0, 0};
    r.physicalInputEndA = 1.25;
    r.physicalInputStartA = 2.25;
    r.physicalInputEndB = 3.25;
    r.physicalInputStartB = 4.25;
    r.physicalOutputEndA = 5.25;
    r.physicalOutputStartA = 6.25;
    r.physicalOutputEndB = 7.25;
    r.physicalOutputStartB = 8.25;
    r.mathOperator = {2, 7};
    r.optionValue = {12.0, 200.0};
    r.highSpeed = 2;
    r.doubler = 1;
    return r;
}

double f64At(const QByteArray& b, int offset) {
    return qFromLittleEndian<double>(b.constData() + offset);
}
int i16At(const QByteArray& b, int offset) {
    return qFromLittleEndian<qint16>(b.constData() + offset);
}
int u8At(const QByteArray& b, int offset) {
    return quint8(b.at(offset));
}

} // namespace

class TestConfigFileRecord : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void offsets_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<char>("kind"); // d double, i int16, b byte
        QTest::addColumn<double>("value");
        QTest::newRow("version") << 0 << 'd' << 2.7;
        QTest::newRow("IdByte4") << 8 << 'b' << 68.0;
        QTest::newRow("DeviceCode") << 9 << 'b' << 12.0;
        QTest::newRow("ModelByte") << 10 << 'b' << 3.0;
        QTest::newRow("IdByte3") << 11 << 'b' << 51.0;
        QTest::newRow("input type A") << 12 << 'b' << 18.0;
        QTest::newRow("input type B") << 13 << 'b' << 20.0;
        QTest::newRow("input end A") << 14 << 'd' << 150.0;
        QTest::newRow("input end B") << 22 << 'd' << 185.0;
        QTest::newRow("input start A") << 30 << 'd' << -50.0;
        QTest::newRow("output type B") << 47 << 'b' << 2.0;
        QTest::newRow("output end A") << 48 << 'd' << 20.0;
        QTest::newRow("output start A") << 64 << 'd' << 4.0;
        QTest::newRow("CJC external A") << 80 << 'i' << -1.0;
        QTest::newRow("CJC internal B") << 86 << 'i' << -1.0;
        QTest::newRow("offset A") << 88 << 'd' << 1.5;
        QTest::newRow("offset B") << 96 << 'd' << -2.5;
        QTest::newRow("2 wires B") << 106 << 'i' << -1.0;
        QTest::newRow("4 wires A") << 108 << 'i' << -1.0;
        QTest::newRow("3 wires A") << 112 << 'i' << 0.0;
        QTest::newRow("Linear A") << 116 << 'i' << -1.0;
        QTest::newRow("Tank B") << 122 << 'i' << -1.0;
        QTest::newRow("break up A") << 128 << 'i' << -1.0;
        QTest::newRow("break down B") << 134 << 'i' << -1.0;
        QTest::newRow("over-range A") << 136 << 'd' << 2.5;
        QTest::newRow("over-range B") << 144 << 'd' << 10.0;
        QTest::newRow("trip high A") << 152 << 'd' << 800.0;
        QTest::newRow("trip high B") << 160 << 'd' << 0.0;
        QTest::newRow("trip low A") << 168 << 'd' << 780.0;
        QTest::newRow("trip Max A") << 184 << 'i' << -1.0;
        QTest::newRow("trip Min A") << 188 << 'i' << 0.0;
        QTest::newRow("reserved A") << 192 << 'd' << 7.0;
        QTest::newRow("physical input end A") << 208 << 'd' << 1.25;
        QTest::newRow("physical input start B") << 232 << 'd' << 4.25;
        QTest::newRow("physical output end A") << 240 << 'd' << 5.25;
        QTest::newRow("physical output start B") << 264 << 'd' << 8.25;
        QTest::newRow("operator A") << 272 << 'b' << 2.0;
        QTest::newRow("operator B") << 273 << 'b' << 7.0;
        QTest::newRow("option A") << 274 << 'd' << 12.0;
        QTest::newRow("option B") << 282 << 'd' << 200.0;
        QTest::newRow("High Speed") << 290 << 'b' << 2.0;
        QTest::newRow("Doubler") << 291 << 'b' << 1.0;
    }
    void offsets() {
        QFETCH(int, offset);
        QFETCH(char, kind);
        QFETCH(double, value);
        const QByteArray b = sample().toBytes();
        QCOMPARE(b.size(), 292);
        switch (kind) {
        case 'd':
            QCOMPARE(f64At(b, offset), value);
            break;
        case 'i':
            QCOMPARE(i16At(b, offset), int(value));
            break;
        default:
            QCOMPARE(u8At(b, offset), int(value));
        }
    }

    void roundTripThroughFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.VNT"));
        QString error;
        QVERIFY(sample().save(path, &error));
        QVERIFY(sample().save(path, &error)); // saving again replaces, never appends
        QCOMPARE(QFileInfo(path).size(), 292);
        const auto back = ConfigFileRecord::load(path, &error);
        QVERIFY(back);
        QCOMPARE(*back, sample());
        QCOMPARE(back->toBytes(), sample().toBytes());
    }

    void refusesWhatIsNotARecord_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QByteArray() << "holds 0 bytes";
        QTest::newRow("short") << QByteArray(291, 'x') << "holds 291 bytes";
        QTest::newRow("long") << QByteArray(293, 'x') << "holds 293 bytes";
        QTest::newRow("much longer") << QByteArray(5000, 'x') << "holds 5000 bytes";
    }
    void refusesWhatIsNotARecord() {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("b.VNT"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        QString error;
        QVERIFY(!ConfigFileRecord::load(path, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY(!ConfigFileRecord::fromBytes(content));
    }

    void hostileBytesParse() {
        // Any 292 bytes are a record: NaN, huge doubles and odd flags load field by field.
        QByteArray b(292, '\xff');
        const auto r = ConfigFileRecord::fromBytes(b);
        QVERIFY(r);
        QVERIFY(std::isnan(r->version));
        QCOMPARE(int(r->cjcExternal[0]), -1);
        QCOMPARE(int(r->doubler), 255);
        QCOMPARE(r->toBytes(), b);
    }

    void failedSaveReportsAndKeepsTheOldFile() {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!sample().save(dir.filePath(QStringLiteral("no/such/folder/c.VNT")), &error));
        QVERIFY(error.contains(QLatin1String("Cannot write")));
        // A directory in the way of the file: the save fails and the directory stays.
        const QString blocked = dir.filePath(QStringLiteral("d.VNT"));
        QVERIFY(QDir().mkpath(blocked));
        QVERIFY(!sample().save(blocked, &error));
        QVERIFY(QFileInfo(blocked).isDir());
    }

    void missingFile() {
        QString error;
        QVERIFY(!ConfigFileRecord::load(QStringLiteral("/nonexistent/x.VNT"), &error));
        QVERIFY(error.contains(QLatin1String("Cannot open")));
    }
};

QTEST_GUILESS_MAIN(TestConfigFileRecord)
#include "tst_configfilerecord.moc"
