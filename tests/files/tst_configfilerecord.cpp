// The ".VNT" record: fields at their offsets, little-endian, and files that are not records
// refused whole.
#include "configfilerecord.h"
#include "testfiles.h"
#include "texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cmath>

using namespace vantelso;

namespace {

// Distinct values in the fields around every boundary, so a field written at the wrong
// offset shows up as a wrong value somewhere.
ConfigFileRecord sample() {
    ConfigFileRecord r;
    r.version = 2.7;
    r.idByte4 = 0x44, r.deviceCode = 12, r.modelByte = 3, r.idByte3 = 0x33;
    r.inputType = {18, 20}, r.inputEnd = {150.0, 185.0}, r.inputStart = {-50.0, -200.0};
    r.outputType = {1, 2}, r.outputEnd = {20.0, 10.0}, r.outputStart = {4.0, 0.0};
    r.cjcInternal = {0, -1}, r.offset = {1.5, -2.5}, r.wires4 = {-1, 0};
    r.functionTank = {0, -1}, r.breakDown = {0, -1}, r.overRange = {2.5, 10.0};
    r.tripHigh = {800.0, 0}, r.tripLow = {780.0, 0}, r.tripMax = {-1, 0}, r.reserved = {7.0, 0};
    r.physicalInputEndA = 1.25, r.physicalOutputStartB = 8.25;
    r.mathOperator = {2, 7}, r.optionValue = {12.0, 200.0}, r.highSpeed = 2, r.doubler = 1;
    return r;
}

double valueAt(const QByteArray& b, int offset, char kind) {
    switch (kind) {
    case 'd':
        return qFromLittleEndian<double>(b.constData() + offset);
    case 'i':
        return qFromLittleEndian<qint16>(b.constData() + offset);
    default:
        return quint8(b.at(offset));
    }
}

QString writeFile(const QTemporaryDir& dir, const QByteArray& content,
                  const QString& name = QStringLiteral("f.VNT")) {
    WriteTestFile(dir.filePath(name), content);
    return dir.filePath(name);
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
        QTest::newRow("IdByte3") << 11 << 'b' << 51.0;
        QTest::newRow("input type B") << 13 << 'b' << 20.0;
        QTest::newRow("input end A") << 14 << 'd' << 150.0;
        QTest::newRow("input start B") << 38 << 'd' << -200.0;
        QTest::newRow("output type B") << 47 << 'b' << 2.0;
        QTest::newRow("output start A") << 64 << 'd' << 4.0;
        QTest::newRow("CJC internal B") << 86 << 'i' << -1.0;
        QTest::newRow("offset B") << 96 << 'd' << -2.5;
        QTest::newRow("4 wires A") << 108 << 'i' << -1.0;
        QTest::newRow("Tank B") << 122 << 'i' << -1.0;
        QTest::newRow("break down B") << 134 << 'i' << -1.0;
        QTest::newRow("over-range B") << 144 << 'd' << 10.0;
        QTest::newRow("trip low A") << 168 << 'd' << 780.0;
        QTest::newRow("trip Max A") << 184 << 'i' << -1.0;
        QTest::newRow("reserved A") << 192 << 'd' << 7.0;
        QTest::newRow("physical input end A") << 208 << 'd' << 1.25;
        QTest::newRow("physical output start B") << 264 << 'd' << 8.25;
        QTest::newRow("operator B") << 273 << 'b' << 7.0;
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
        QCOMPARE(valueAt(b, offset, kind), value);
    }

    void roundTripThroughFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.VNT"));
        QString error;
        const Texts texts;
        QVERIFY(sample().save(path, texts, &error));
        QVERIFY(sample().save(path, texts, &error)); // saving again replaces, never appends
        QCOMPARE(QFileInfo(path).size(), 292);
        QCOMPARE(*ConfigFileRecord::load(path, texts, &error), sample());
        // Any 292 bytes are a record: NaN, huge doubles and odd flags load field by field.
        const QByteArray hostile(292, '\xff');
        const auto r = ConfigFileRecord::fromBytes(hostile);
        QVERIFY(r && std::isnan(r->version));
        QCOMPARE(r->toBytes(), hostile);
    }

    // The reasons are in the language of the interface.
    void refusesWhatIsNotARecord_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("cannotOpen");
        const QString en = QStringLiteral("Cannot open /nonexistent/x.VNT: ");
        const QString it = QStringLiteral("Impossibile aprire /nonexistent/x.VNT: ");
        QTest::newRow("empty") << int(Texts::English) << QByteArray()
                               << "f.VNT is not a configuration file: it holds 0 bytes instead "
                                  "of 292."
                               << en;
        QTest::newRow("short") << int(Texts::English) << QByteArray(291, 'x') << "holds 291 bytes"
                               << en;
        QTest::newRow("much longer")
            << int(Texts::English) << QByteArray(5000, 'x') << "holds 5000 bytes" << en;
        QTest::newRow("short, Italian")
            << int(Texts::Italian) << QByteArray(291, 'x')
            << QString::fromUtf8("f.VNT non \xc3\xa8 un file di configurazione: contiene 291 byte "
                                 "invece di 292.")
            << it;
    }
    void refusesWhatIsNotARecord() {
        QFETCH(int, language);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QFETCH(QString, cannotOpen);
        Texts texts;
        texts.setLanguage(Texts::Language(language));
        QTemporaryDir dir;
        QString error;
        QVERIFY(!ConfigFileRecord::load(writeFile(dir, content), texts, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY(!ConfigFileRecord::load(QStringLiteral("/nonexistent/x.VNT"), texts, &error));
        QVERIFY2(error.startsWith(cannotOpen), qPrintable(error));
        // A name that looks like a placeholder is still the name.
        QVERIFY(!ConfigFileRecord::load(writeFile(dir, content, QStringLiteral("50%2%1.VNT")),
                                        texts, &error));
        QVERIFY2(error.startsWith(QStringLiteral("50%2%1.VNT ")), qPrintable(error));
    }

    void failedSaveReports_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("cannotWrite");
        QTest::newRow("English") << int(Texts::English) << "Cannot write ";
        QTest::newRow("Italian") << int(Texts::Italian) << "Impossibile scrivere ";
    }
    void failedSaveReports() {
        QFETCH(int, language);
        QFETCH(QString, cannotWrite);
        Texts texts;
        texts.setLanguage(Texts::Language(language));
        QTemporaryDir dir;
        QString error;
        const QString missing = dir.filePath(QStringLiteral("no/such/folder/c.VNT"));
        QVERIFY(!sample().save(missing, texts, &error));
        QVERIFY2(error.startsWith(cannotWrite + missing + u':'), qPrintable(error));
        // A directory in the way of the file: the save fails and the directory stays.
        const QString blocked = dir.filePath(QStringLiteral("d.VNT"));
        QVERIFY(QDir().mkpath(blocked));
        QVERIFY(!sample().save(blocked, texts, &error));
        QVERIFY(QFileInfo(blocked).isDir());
    }
};

QTEST_GUILESS_MAIN(TestConfigFileRecord)
#include "tst_configfilerecord.moc"
