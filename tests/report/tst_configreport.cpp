// The configuration report: what the document says for a device and for a file, in both
// languages, that a one-channel device fits one page, and the PDF written as a whole or not.
// With VANTELSO_SCREENSHOTS set to a folder, the first page of each report is saved there.
// The agreement table puts the same switch banks through every view of them.
#include "clirun.h"
#include "configdiff.h"
#include "configreport.h"
#include "fieldtexts.h"
#include "measurement.h"
#include "owntexts.h"
#include "recordformat.h"
#include "simbench.h"
#include "switchguide.h"
#include "testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace Qt::StringLiterals;
using namespace vantelso;
using namespace vantelso::report;

namespace {

// The device on the simulated port, or the file a save of it writes.
ReportSource source(std::uint8_t model, bool fromFile) {
    SimBench b(model);
    b.link.setDelayScale(0.01);
    if (!fromFile) // a failed read ends the program (bad optional access)
        return ReportFromDevice(b.link, u"sim"_s).value();
    // The same device saved to a file, one trip moved.
    ConfigFileRecord r = ReadDeviceAsFile(b.link, b.prompter).value();
    r.tripHigh[0] = 85.5;
    return ReportFromFile(r, u"/data/c.VNT"_s);
}

// A row of the agreement table: one model's switch banks and what every view says of them.
struct Agreement {
    // The model, the banks in hex, the input as the guide names it, its unit, the
    // measurement's range label and channel A's output type ("" the record's).
    QString model, hex, input, unit, range, output;
    bool reverse;
    double value; // the input applied, a quarter into the range
};

} // namespace

Q_DECLARE_METATYPE(Agreement)

class TestConfigReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void content_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("language");
        QTest::addColumn<bool>("fromFile");
        QTest::addColumn<int>("pages"); // 0: not checked
        // Texts the report holds, '|' between them; a leading '!' marks one it must not hold.
        QTest::addColumn<QString>("expected");
        QTest::newRow("RSX7030 device it")
            << 0 << int(Texts::Italian) << false << 1
            << u"Rapporto di configurazione|Identificazione|RSX7030|ID=12/0|Letto dal dispositivo "
               "su sim|Canale A|Soglie|Ingresso Max|Burn-out|Impostazioni del dispositivo|"
               "Posizioni degli switch|SW1|Data|!Canale B|!Channel|!input_end"_s;
        QTest::newRow("RSX7040 device en")
            << 7 << int(Texts::English) << false << 0
            << u"Configuration report|RSX7040|Channel A|Channel B|Trips|Trips Hi|Trips Delay|"
               "Switch positions|SW3|!Canale|!trip high"_s;
        QTest::newRow("RSX7030 file en")
            << 0 << int(Texts::English) << true << 1
            << u"From the file /data/c.VNT|Channel A|Trips Hi|85.5|A file does not hold the switch "
               "positions|!SW1|!Read from the device"_s;
        QTest::newRow("model 9 device it")
            << 9 << int(Texts::Italian) << false << 0 << u"Canale A|!Posizioni degli switch"_s;
    }
    void content() {
        QFETCH(int, model);
        QFETCH(int, language);
        QFETCH(bool, fromFile);
        QFETCH(int, pages);
        QFETCH(QString, expected);
        Texts texts;
        texts.setLanguage(Texts::Language(language));
        const ReportSource s = source(std::uint8_t(model), fromFile);
        const ConfigReport report(s, texts);
        const QString text = report.text();
        for (const QString& t : expected.split(u'|'))
            QVERIFY2(text.contains(t.mid(t.startsWith(u'!'))) != t.startsWith(u'!'),
                     qPrintable(t + u"\n---\n"_s + text));
        // Every field of the configuration is there with its value and unit, cell by cell.
        Catalogue cat;
        cat.Init(s.identity);
        const QStringList lines = text.split(u'\n');
        for (const ConfigField& f : ConfigFields(s.view, cat)) {
            const qsizetype at = lines.indexOf(FieldLabel(f.field, texts));
            QVERIFY2(at >= 0 && at + 2 < lines.size(), qPrintable(f.key()));
            QVERIFY2(lines.mid(at).contains(FieldValue(f.value, texts)), qPrintable(f.key()));
            QVERIFY2(f.unit.isEmpty() || lines.mid(at).contains(f.unit), qPrintable(f.key()));
        }
        if (pages) {
            QCOMPARE(report.pageCount(), pages);
            // The PDF is written whole, or not at all with the system's reason.
            QTemporaryDir dir;
            const QString good = dir.filePath(u"r.pdf"_s), bad = dir.filePath(u"no/dir/r.pdf"_s);
            QString why;
            QVERIFY2(report.writePdf(good, &why), qPrintable(why));
            const QByteArray bytes = ReadTestFile(good);
            QVERIFY(bytes.startsWith("%PDF-") &&
                    bytes.contains("/Count " + QByteArray::number(pages)));
            QVERIFY(!report.writePdf(bad, &why) && !why.isEmpty() && !QFile::exists(bad));
        }

        const QString shots = qEnvironmentVariable("VANTELSO_SCREENSHOTS");
        const QString tag =
            QString::fromLatin1(QTest::currentDataTag()).toLower().replace(u' ', u'-');
        QVERIFY(shots.isEmpty() || report.page(0, 110).save(u"%1/report-%2.png"_s.arg(shots, tag)));
    }

    // One switch, one meaning: the same banks on a simulated device, read by the switch guide,
    // set up by the measurement, streamed by `monitor` and printed in the report, give one
    // input type, unit, range, output and direction. The measurement shows `value` for an
    // input a quarter into the range (a mirrored output would show three quarters); `monitor`
    // shows the simulated unit's sweep, which starts at mid-range and rises.
    void agreement_data() {
        QTest::addColumn<Agreement>("row");
        const Agreement rows[] = {
            // Tc K, zero position 10 (0 °C), span position 30 (190 °C), outputs 4-20 mA and
            // 0-10 V; the option is the cold junction (Int here) and reverses nothing.
            {"RSX7030", "687a0a00", "Tc K", "°C", "0 ÷ 190 °C", "4-20 mA", false, 47.5},
            // The short reply carries no SW3: the zero is the record's start, not position 5.
            {"1", "487a0500", "Tc K", "°C", "0 ÷ 190 °C", "4-20 mA", false, 47.5},
            {"RSX7031A", "a85e", "Tc K", "°C", "0 ÷ 190 °C", "4-20 mA", false, 47.5},
            // Pt 100 is switch value 3 (codes from 16); zero position 11 (0), span 19 (100).
            {"RSX7031B", "b393", "Pt 100", "°C", "0 ÷ 100 °C", "0-10 V", false, 25.0},
            {"RSX7031C", "bb49", "Cost10K", "°C", "0 ÷ 50 °C", "4-20 mA", false, 12.5},
            // Switch value 3 on the C model is its 300 kΩ range: no range switches, the
            // record's range words read in its scale (the end one decade finer).
            {"RSX7031C", "0340", "Res300K", "KOhm", "0 ÷ 10 KOhm", "4-20 mA", false, 2.5},
            // The D models: input type from S0 (S1 for the math model's channel B), ranges
            // and outputs from the record, SW2 switch 5 reversing the output.
            {"RSX7031D", "0510", "20 mA", "mA", "4 ÷ 20 mA", "", true, 8.0},
            {"RSX7032D", "0400", "10 V", "V", "4 ÷ 20 V", "", false, 8.0},
            {"RSX7131D", "0510", "20 mA", "mA", "4 ÷ 20 mA", "", true, 8.0},
            {"RSX7132D", "0415", "10 V", "V", "0 ÷ 10 V", "", true, 2.5},
            // TTL, span position 10 (5) times 100: 0 ÷ 500 Hz.
            {"RSX7040", "004a0600", "TTL", "Hz", "0 ÷ 500 Hz", "4-20 mA", false, 125.0},
            // Pt 100 (16 + 2), three wires, zero position 11, span position 19.
            {"RSX7035", "b24f0000", "Pt 100", "°C", "0 ÷ 100 °C", "4-20 mA", false, 25.0},
        };
        for (const Agreement& r : rows) // "1 Tc K" is model byte 1
            QTest::addRow("%s %s", qPrintable(r.model), qPrintable(r.input)) << r;
    }
    void agreement() {
        QFETCH(Agreement, row);
        const auto& [model, hex, input, unit, range, output, reverse, value] = row;
        const QByteArray banks = QByteArray::fromHex(hex.toLatin1());
        std::uint8_t modelByte = 0, variant = 0;
        QVERIFY(ParseModelIdentifier(model, &modelByte, &variant));
        Texts texts;
        texts.setLanguage(Texts::English);
        Catalogue catalogue;

        // One device for every view of it. First the guide's reader.
        SimBench b(modelByte, variant);
        b.link.setDelayScale(0.01);
        b.device.setSwitchBytes(banks);
        b.device.setAnalogInput(0, value);
        b.link.identity = b.device.identity();
        catalogue.Init(b.link.identity);
        switches::SwitchGuide guide(catalogue, texts, &b.link);
        guide.setDevice(b.link.identity, b.device.modelIdentifier());
        QVERIFY(guide.ReadSwitch());
        QCOMPARE(guide.inputItems(0).value(guide.inputIndex(0)).text, input);
        if (!output.isEmpty() && guide.outputIndex(0) >= 0)
            QCOMPARE(guide.outputItems(0).value(guide.outputIndex(0)).text, output);
        const bool direction = guide.optionFrames()[0].caption == texts.lang(49);
        QCOMPARE(direction && guide.selections().option == 1, reverse);
        // Where both range switches are set, zero + span is the range's end.
        bool zeroOk = false, spanOk = false;
        const double zero = guide.zeroItems().value(guide.zeroIndex()).toDouble(&zeroOk);
        const double span = guide.spanItems().value(guide.spanIndex()).toDouble(&spanOk);
        if (zeroOk && spanOk)
            QVERIFY2(range.startsWith(u"%1 ÷ %2 "_s.arg(zero).arg(zero + span)), qPrintable(range));
        QVERIFY(modelByte != 1 || guide.banks() == 2); // no SW3 in the reply

        // The measurement's channel set-up and its first frame.
        const auto read = ReadConfiguration(b.link, catalogue);
        QVERIFY(read);
        measure::Measurement m(b.link, catalogue, texts);
        QList<measure::FrameReading> frames;
        QObject::connect(&m, &measure::Measurement::frameShown, &m,
                         [&](const measure::FrameReading& r) {
                             frames << r;
                             m.Stop();
                         });
        QCOMPARE(m.Start({.record = read->record, .LastChannel = 0}), measure::MeasureEnd::Stopped);
        QCOMPARE(frames.size(), 1);
        const ChannelSettings& a = m.channels()[0].settings;
        QCOMPARE(std::pair(m.labels().progIn[0], frames[0].channels[0].inputUnit),
                 std::pair(range, unit));
        if (!output.isEmpty())
            QCOMPARE(catalogue.Output(a.outputType).name, output);
        QCOMPARE(a.outputStart > a.outputEnd, reverse);
        const double tolerance = 2e-3 * std::abs(a.inputEnd - a.inputStart);
        QVERIFY2(std::abs(frames[0].channels[0].input - value) <= tolerance,
                 qPrintable(frames[0].channels[0].inputText));

        // The report (a failed read ends the program: bad optional access).
        const QString text = ConfigReport(ReportFromDevice(b.link, u"sim"_s).value(), texts).text();
        QVERIFY2(text.contains(input + u' ' + range), qPrintable(text));
        QVERIFY2(text.contains(texts.lang(own::SetBySwitches)), qPrintable(text));
        QCOMPARE(text.contains(u" -> "_s + output + u' '), !output.isEmpty());
        QCOMPARE(text.contains(range + u" Reverse"_s) ||
                     text.contains(u"-> "_s + output + u" Reverse"_s),
                 reverse);

        // `monitor`: the same unit and value on the command line.
        QStringList list;
        for (char c : banks)
            list << QString::number(quint8(c));
        const CliRun r = cli({u"--demo"_s, model, u"--switches"_s, list.join(u','), u"monitor"_s,
                              u"--count"_s, u"1"_s, u"--csv"_s});
        QCOMPARE(r.exitCode, 0);
        const QStringList cells = r.lines().value(1).split(u',');
        // The channel and the unit.
        QCOMPARE(std::pair(cells.value(1), cells.value(3)), std::pair(u"A"_s, unit));
        const double mid = (a.inputStart + a.inputEnd) / 2;
        const double shown = cells.value(2).toDouble();
        QVERIFY2(shown >= mid - tolerance && shown <= mid + 10 * tolerance,
                 qPrintable(cells.value(2)));
    }
};

QTEST_MAIN(TestConfigReport)
#include "tst_configreport.moc"
