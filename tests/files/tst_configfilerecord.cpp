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
    const char* at = b.constData() + offset;
    return kind == 'd'   ? qFromLittleEndian<double>(at)
           : kind == 'i' ? qFromLittleEndian<qint16>(at)
                         : quint8(*at);
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
    void offsets() {
        // Offset, d double / i int16 / b byte, value: every field around a boundary.
        const std::tuple<int, char, double> rows[] = {
            {0, 'd', 2.7},   {8, 'b', 68},    {9, 'b', 12},   {11, 'b', 51},    {13, 'b', 20},
            {14, 'd', 150},  {38, 'd', -200}, {47, 'b', 2},   {64, 'd', 4},     {86, 'i', -1},
            {96, 'd', -2.5}, {108, 'i', -1},  {122, 'i', -1}, {134, 'i', -1},   {144, 'd', 10},
            {168, 'd', 780}, {184, 'i', -1},  {192, 'd', 7},  {208, 'd', 1.25}, {264, 'd', 8.25},
            {273, 'b', 7},   {282, 'd', 200}, {290, 'b', 2},  {291, 'b', 1}};
        const QByteArray b = sample().toBytes();
        QCOMPARE(b.size(), 292);
        for (const auto& [offset, kind, value] : rows)
            QVERIFY2(valueAt(b, offset, kind) == value, qPrintable(QString::number(offset)));
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
    void refusesWhatIsNotARecord() {
        const std::tuple<Texts::Language, QByteArray, QString> rows[] = {
            {Texts::English, QByteArray(),
             "f.VNT is not a configuration file: it holds 0 bytes instead of 292."},
            {Texts::English, QByteArray(291, 'x'), "holds 291 bytes"},
            {Texts::English, QByteArray(5000, 'x'), "holds 5000 bytes"},
            {Texts::Italian, QByteArray(291, 'x'),
             QString::fromUtf8("f.VNT non \xc3\xa8 un file di configurazione: contiene 291 byte "
                               "invece di 292.")}};
        for (const auto& [language, content, message] : rows) {
            Texts texts;
            texts.setLanguage(language);
            const bool en = language == Texts::English;
            QTemporaryDir dir;
            QString error;
            QVERIFY(!ConfigFileRecord::load(writeFile(dir, content), texts, &error));
            QVERIFY2(error.contains(message), qPrintable(error));
            QVERIFY(!ConfigFileRecord::load(QStringLiteral("/nonexistent/x.VNT"), texts, &error));
            QVERIFY2(error.startsWith(QString(en ? "Cannot open" : "Impossibile aprire") +
                                      " /nonexistent/x.VNT: "),
                     qPrintable(error));
            // A name that looks like a placeholder is still the name.
            QVERIFY(!ConfigFileRecord::load(writeFile(dir, content, QStringLiteral("50%2%1.VNT")),
                                            texts, &error));
            QVERIFY2(error.startsWith(QStringLiteral("50%2%1.VNT ")), qPrintable(error));
        }
    }

    void failedSaveReports() {
        for (Texts::Language language : {Texts::English, Texts::Italian}) {
            Texts texts;
            texts.setLanguage(language);
            QTemporaryDir dir;
            QString error;
            const QString missing = dir.filePath(QStringLiteral("no/such/folder/c.VNT"));
            QVERIFY(!sample().save(missing, texts, &error));
            QVERIFY2(
                error.startsWith(QString(language == Texts::English ? "Cannot write "
                                                                    : "Impossibile scrivere ") +
                                 missing + u':'),
                qPrintable(error));
            // A directory in the way of the file: the save fails and the directory stays.
            const QString blocked = dir.filePath(QStringLiteral("d.VNT"));
            QVERIFY(QDir().mkpath(blocked));
            QVERIFY(!sample().save(blocked, texts, &error));
            QVERIFY(QFileInfo(blocked).isDir());
        }
    }
};

QTEST_GUILESS_MAIN(TestConfigFileRecord)
#include "tst_configfilerecord.moc"
