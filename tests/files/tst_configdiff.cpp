// Comparing a device with a configuration file: the device is read as a save would write it,
// then both records are set side by side in the words and numbers `show` prints.
#include "configdiff.h"
#include "simbench.h"
#include "texts.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

using namespace vantelso;

namespace {

ConfigFileRecord readDevice(SimBench& b) {
    b.link.setDelayScale(0.01);
    EditorOutcome outcome = EditorOutcome::Busy;
    const auto r = ReadDeviceAsFile(b.link, b.prompter, &outcome);
    if (!r)
        qFatal("device read failed: %d", int(outcome));
    return *r;
}

} // namespace

class TestConfigDiff : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void compare_data() {
        QTest::addColumn<int>("deviceModel");
        QTest::addColumn<int>("fileModel");
        QTest::addColumn<double>("inputEndShift"); // applied to the file's channel A
        QTest::addColumn<int>("differences");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("equal") << 0 << 0 << 0.0 << 0 << "device RSX7030, file RSX7030";
        QTest::newRow("one field changed") << 0 << 0 << 12.5 << 1 << "device RSX7030, file RSX7030";
        QTest::newRow("another model") << 7 << 0 << 0.0 << -1
                                       << "device RSX7040, file RSX7030: "
                                          "another model";
    }
    void compare() {
        QFETCH(int, deviceModel);
        QFETCH(int, fileModel);
        QFETCH(double, inputEndShift);
        QFETCH(int, differences);
        QFETCH(QString, firstLine);
        SimBench device{std::uint8_t(deviceModel)};
        SimBench source{std::uint8_t(fileModel)};
        const ConfigFileRecord onDevice = readDevice(device);
        ConfigFileRecord file = readDevice(source);
        file.inputEnd[0] += inputEndShift;
        // Through the disk, as a user's file would come.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("c.VNT"));
        QString error;
        QVERIFY2(file.save(path, Texts(), &error), qPrintable(error));
        const auto loaded = ConfigFileRecord::load(path, Texts(), &error);
        QVERIFY2(loaded, qPrintable(error));

        const ConfigDiff d = CompareConfigurations(onDevice, *loaded);
        const QStringList lines = DiffLines(d);
        QVERIFY2(lines.first().startsWith(firstLine), qPrintable(lines.first()));
        QVERIFY(!d.rows.isEmpty());
        if (differences >= 0)
            QCOMPARE(d.differences(), differences);
        QCOMPARE(d.equal(), d.differences() == 0);
        QCOMPARE(lines.last(), d.equal()
                                   ? QStringLiteral("equal")
                                   : QStringLiteral("%1 field(s) differ").arg(d.differences()));
        const QJsonObject json = DiffJson(d);
        QCOMPARE(json.value(QStringLiteral("fields")).toArray().size(), d.rows.size());
        QCOMPARE(json.value(QStringLiteral("same_model")).toBool(), deviceModel == fileModel);

        if (inputEndShift != 0) {
            const auto row = std::find_if(d.rows.begin(), d.rows.end(),
                                          [](const DiffRow& r) { return r.differs; });
            QCOMPARE(row->channel, QStringLiteral("A"));
            QCOMPARE(row->field, QStringLiteral("input_end"));
            QCOMPARE(row->fileValue.toDouble() - row->deviceValue.toDouble(), inputEndShift);
            QVERIFY(!row->unit.isEmpty()); // the input's unit, as the catalogue names it
            QVERIFY(lines.contains(
                QStringList{"A", "input_end", row->deviceValue, row->fileValue, row->unit, "*"}
                    .join(u'\t')));
        }
        if (deviceModel != fileModel) {
            // Only fields both have are rows; the rest is counted, not compared.
            QVERIFY(!json.value(QStringLiteral("only_on_device")).toArray().isEmpty() ||
                    !json.value(QStringLiteral("only_in_file")).toArray().isEmpty() ||
                    d.rows.size() > 0);
            for (const DiffRow& r : d.rows)
                QVERIFY(!d.onlyOnDevice.contains(r.channel.isEmpty() ? r.field
                                                                     : r.channel + u' ' + r.field));
        }
    }

    // A failed device read gives no record to compare, and says why.
    void unreadableDevice() {
        SimBench b(0);
        b.transport.close();
        EditorOutcome outcome = EditorOutcome::Done;
        QVERIFY(!ReadDeviceAsFile(b.link, b.prompter, &outcome));
        QVERIFY(outcome != EditorOutcome::Done);
    }
};

QTEST_GUILESS_MAIN(TestConfigDiff)
#include "tst_configdiff.moc"
