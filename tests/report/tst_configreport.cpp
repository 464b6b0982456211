// The configuration report: what the document says for a device and for a file, in both
// languages, that a one-channel device fits one page, and the PDF written as a whole or not.
// With VANTELSO_SCREENSHOTS set to a folder, the first page of each report is saved there.
#include "configdiff.h"
#include "configreport.h"
#include "fieldtexts.h"
#include "recordformat.h"
#include "simbench.h"
#include "texts.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace vantelso;
using namespace vantelso::report;

namespace {

// The device on the simulated port, or the file a save of it writes.
ReportSource source(std::uint8_t model, bool fromFile) {
    SimBench b(model);
    b.link.setDelayScale(0.01);
    ReadFailure failure = ReadFailure::None;
    auto s = ReportFromDevice(b.link, QStringLiteral("sim"), &failure);
    if (!s)
        qFatal("device read failed: %d", int(failure));
    if (!fromFile)
        return *s;
    // The same device saved to a file, one trip moved.
    auto r = ReadDeviceAsFile(b.link, b.prompter);
    if (!r)
        qFatal("device read failed");
    r->tripHigh[0] = 85.5;
    return ReportFromFile(*r, QStringLiteral("/data/c.VNT"));
}

} // namespace

class TestConfigReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void content_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("fromFile");
        QTest::addColumn<int>("pages"); // 0: not checked
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("RSX7030 device it") << 0 << int(Texts::Italian) << false << 1
                                           << QStringList{"Rapporto di configurazione",
                                                          "Identificazione",
                                                          "RSX7030",
                                                          "ID=12/0",
                                                          "Letto dal dispositivo su sim",
                                                          "Canale A",
                                                          "Soglie",
                                                          "Ingresso Max",
                                                          "Burn-out",
                                                          "Impostazioni del dispositivo",
                                                          "Posizioni degli switch",
                                                          "SW1",
                                                          "Data"}
                                           << QStringList{"Canale B", "Channel", "input_end"};
        QTest::newRow("RSX7040 device en")
            << 7 << int(Texts::English) << false << 0 << QStringList{"Configuration report",
                                                                     "RSX7040",
                                                                     "Channel A",
                                                                     "Channel B",
                                                                     "Trips",
                                                                     "Trips Hi",
                                                                     "Trips Delay",
                                                                     "Switch positions",
                                                                     "SW3"}
            << QStringList{"Canale", "trip high"};
        QTest::newRow("RSX7030 file en")
            << 0 << int(Texts::English) << true << 1
            << QStringList{"From the file /data/c.VNT", "Channel A", "Trips Hi", "85.5",
                           "A file does not hold the switch positions"}
            << QStringList{"SW1", "Read from the device"};
        QTest::newRow("model 9 device it")
            << 9 << int(Texts::Italian) << false << 0 << QStringList{"Canale A"}
            << QStringList{"Posizioni degli switch"};
    }
    void content() {
        QFETCH(int, model);
        QFETCH(int, language);
        QFETCH(bool, fromFile);
        QFETCH(int, pages);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        Texts texts;
        texts.setLanguage(Texts::Language(language));
        const ReportSource s = source(std::uint8_t(model), fromFile);
        const ConfigReport report(s, texts);
        const QString text = report.text();
        for (const QString& p : present)
            QVERIFY2(text.contains(p), qPrintable(p + QStringLiteral("\n---\n") + text));
        for (const QString& a : absent)
            QVERIFY2(!text.contains(a), qPrintable(a + QStringLiteral("\n---\n") + text));
        // Every field of the configuration is there with its value and unit, cell by cell.
        Catalogue cat;
        cat.Init(s.identity);
        const QStringList lines = text.split(u'\n');
        for (const ConfigField& f : ConfigFields(s.view, cat)) {
            const qsizetype at = lines.indexOf(FieldLabel(f.field, texts));
            QVERIFY2(at >= 0 && at + 2 < lines.size(), qPrintable(f.key()));
            QVERIFY2(lines.mid(at).contains(FieldValue(f.value, texts)), qPrintable(f.key()));
            if (!f.unit.isEmpty())
                QVERIFY2(lines.mid(at).contains(f.unit), qPrintable(f.key()));
        }
        if (pages)
            QCOMPARE(report.pageCount(), pages);

        const QString shots = qEnvironmentVariable("VANTELSO_SCREENSHOTS");
        if (!shots.isEmpty())
            QVERIFY(report.page(0, 110).save(shots +
                                             QStringLiteral("/report-%1.png")
                                                 .arg(QString::fromLatin1(QTest::currentDataTag())
                                                          .toLower()
                                                          .replace(u' ', u'-'))));
    }

    // The PDF is written whole, or not at all with the system's reason.
    void pdf() {
        Texts texts;
        const ConfigReport report(source(0, false), texts);
        QTemporaryDir dir;
        const QString good = dir.filePath(QStringLiteral("r.pdf"));
        QString why;
        QVERIFY2(report.writePdf(good, &why), qPrintable(why));
        QFile f(good);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("%PDF-"));
        QVERIFY(bytes.contains("/Count 1")); // one page
        const QString bad = dir.filePath(QStringLiteral("no/such/folder/r.pdf"));
        QVERIFY(!report.writePdf(bad, &why));
        QVERIFY(!why.isEmpty());
        QVERIFY(!QFile::exists(bad));
    }
};

QTEST_MAIN(TestConfigReport)
#include "tst_configreport.moc"
