#include "catalogue.h"

#include <QTest>

using namespace vantelso;

Q_DECLARE_METATYPE(vantelso::DeviceIdentity)

namespace {

DeviceIdentity model(int modelByte, int idByte3 = 0, int deviceCode = 12) {
    DeviceIdentity id;
    id.DeviceCode = std::uint8_t(deviceCode);
    id.ModelByte = std::uint8_t(modelByte);
    id.IdByte3 = std::uint8_t(idByte3);
    return id;
}

QStringList names(const Catalogue& cat, const QList<int>& codes) {
    QStringList out;
    for (int code : codes)
        out << cat.Input(code).name;
    return out;
}

QList<int> range(int first, int last) {
    QList<int> out;
    for (int i = first; i <= last; ++i)
        out << i;
    return out;
}

} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    void temperatureTypesAreTheCelsiusRows() {
        const Catalogue cat;
        for (int code = 0; code < Catalogue::InputTypeCount; ++code) {
            const InputType& row = cat.Input(code);
            const bool celsius = row.unit == QStringLiteral("°C");
            QCOMPARE(IsTemperatureType(code), celsius);
            QCOMPARE(row.unitFahrenheit, celsius ? QStringLiteral("°F") : row.unit);
        }
    }

    // readModel -1: no configuration read yet.
    void voltMinimumAfterRead_data() {
        QTest::addColumn<int>("initModel");
        QTest::addColumn<int>("readModel");
        QTest::addColumn<double>("min");
        QTest::newRow("init 8") << 8 << -1 << -10.0;
        QTest::newRow("init 1") << 1 << -1 << 0.0;
        QTest::newRow("init 9") << 9 << -1 << 0.0;
        QTest::newRow("0 then 2") << 0 << 2 << 0.0;
        QTest::newRow("2 then 8") << 2 << 8 << -10.0;
        QTest::newRow("2 then 0") << 2 << 0 << -10.0;
        QTest::newRow("0 then 6") << 0 << 6 << 0.0;
        QTest::newRow("0 then 7 keeps") << 0 << 7 << -10.0;
        QTest::newRow("4 then 9 keeps") << 4 << 9 << 0.0;
        QTest::newRow("8 then 1 keeps") << 8 << 1 << -10.0;
    }
    void voltMinimumAfterRead() {
        QFETCH(int, initModel);
        QFETCH(int, readModel);
        Catalogue cat;
        cat.Init(model(initModel));
        cat.Init(model(initModel)); // idempotent
        if (readModel >= 0)
            cat.UpdateAfterRead(model(readModel));
        QTEST(cat.Input(4).min, "min");
    }

    void inputLists_data() {
        QTest::addColumn<DeviceIdentity>("id");
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("model 0") << model(0)
                                 << (QList<int>{0} + range(1, 5) + range(7, 14) + range(16, 23));
        QTest::newRow("model 2") << model(2) << (QList<int>{0} + range(1, 3) + range(7, 14));
        QTest::newRow("model 3") << model(3) << (QList<int>{0} + range(16, 22));
        QTest::newRow("model 4") << model(4) << QList<int>{4, 5};
        QTest::newRow("model 5") << model(5) << QList<int>{4, 5};
        QTest::newRow("model 5, family 11") << model(5, 0, 11) << QList<int>{0};
        QTest::newRow("model 6") << model(6) << (QList<int>{0} + range(23, 27));
        QTest::newRow("model 6 rev 2")
            << model(6, 2) << (QList<int>{0} + range(23, 27) + QList<int>{32});
        QTest::newRow("model 7") << model(7) << QList<int>{0};
        QTest::newRow("model 8") << model(8)
                                 << (QList<int>{0} + range(1, 5) + range(7, 14) + range(16, 23));
        QTest::newRow("model 9") << model(9)
                                 << (QList<int>{0} + range(1, 3) + range(7, 14) + range(16, 23));
    }
    void inputLists() {
        QFETCH(DeviceIdentity, id);
        QFETCH(QList<int>, codes);
        const Catalogue cat;
        const TypeLists lists = cat.FillTypeLists(id);
        QCOMPARE(lists.input, names(cat, codes));
        for (int code = 0; code < Catalogue::InputTypeCount; ++code) {
            // The list is the availability rule, except for the two special rows.
            if (code == 32 || code == 33 || cat.Input(code).name.isEmpty())
                continue;
            if (id.DeviceCode == 12 && (id.ModelByte == 4 || id.ModelByte == 5) && code == 0)
                continue;
            QCOMPARE(cat.IsInputAvailable(code, id), codes.contains(code));
        }
    }

    void availabilityEdges_data() {
        QTest::addColumn<DeviceIdentity>("id");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("available");
        QTest::newRow("unnamed 6 never") << model(0) << 6 << false;
        QTest::newRow("unnamed 31 never") << model(9) << 31 << false;
        QTest::newRow("model 9 no 10 V") << model(9) << 4 << false;
        QTest::newRow("model 5 as model 4") << model(5) << 4 << true;
        QTest::newRow("model 6 no KTY83") << model(6) << 28 << false;
        QTest::newRow("model 7 Freq") << model(7) << 33 << true;
        QTest::newRow("code 40 empty row") << model(0) << 40 << true; // starts true, no class
        QTest::newRow("negative code") << model(0) << -1 << false;
        QTest::newRow("past the table") << model(0) << 52 << false;
    }
    void availabilityEdges() {
        QFETCH(DeviceIdentity, id);
        QFETCH(int, code);
        const Catalogue cat;
        QTEST(cat.IsInputAvailable(code, id), "available");
    }

    void outputLists_data() {
        QTest::addColumn<int>("modelByte");
        QTest::addColumn<QStringList>("output");
        const QStringList all{"0-20 mA", "4-20 mA", "0-10 V", "0-5 V"};
        QTest::newRow("model 0") << 0 << all;
        QTest::newRow("model 5") << 5 << all;
        QTest::newRow("model 8") << 8 << QStringList{"4-20 mA"};
        QTest::newRow("model 9") << 9 << QStringList{"0-10 V"};
    }
    void outputLists() {
        QFETCH(int, modelByte);
        const Catalogue cat;
        const TypeLists lists = cat.FillTypeLists(model(modelByte));
        QTEST(lists.output, "output");
        QCOMPARE(lists.freq, (QStringList{"NAMUR", "Tacho", "TTL", "PNP", "NPN", "---", "Volt"}));
        QCOMPARE(lists.overRange, (QStringList{"±0%", "±2.5%", "±5.0%", "±10%"}));
    }

    void switchGuideInputList() {
        const Catalogue cat;
        QCOMPARE(cat.FillTypeLists(model(7)).switchInput,
                 (QStringList{"NAMUR", "Tacho", "TTL", "PNP"}));
        const TypeLists d = cat.FillTypeLists(model(4));
        QCOMPARE(d.switchInput, QStringList{"EEPROM"});
        QVERIFY(d.switchInputNeedsDeviceRanges);
        const TypeLists a = cat.FillTypeLists(model(2));
        QCOMPARE(a.switchInput, a.input);
        QVERIFY(!a.switchInputNeedsDeviceRanges);
    }

    void lookupsByName() {
        const Catalogue cat;
        QCOMPARE(cat.FindInputType("Tc J"), std::optional<int>(7));
        QCOMPARE(cat.FindInputType("EEPROM"), std::optional<int>(0));
        QCOMPARE(cat.FindInputType("Res300K"), std::optional<int>(32));
        QCOMPARE(cat.FindInputType(""), std::nullopt); // must not pick the unnamed row 6
        QCOMPARE(cat.FindInputType("DUPLIC."), std::nullopt);
        QCOMPARE(cat.FindOutputType("0-5 V"), std::optional<int>(3));
        QCOMPARE(cat.FindOutputType("2-10 V"), std::nullopt); // a readout-only range
        QCOMPARE(cat.FindFreqType("Volt"), std::optional<int>(6));
        QCOMPARE(cat.FindOverRange("±5.0%"), std::optional<double>(5.0));
        QCOMPARE(cat.FindOverRangeCode("±10%"), std::optional<int>(3));
        QCOMPARE(cat.FindOverRange("±5%"), std::nullopt);
        QCOMPARE(cat.OverRangeFromPercent(2.5), std::optional<int>(1));
        QCOMPARE(cat.OverRangeFromPercent(0), std::optional<int>(0));
        QCOMPARE(cat.OverRangeFromPercent(7.5), std::nullopt);
        QVERIFY(cat.Input(40).name.isEmpty()); // rows past 33 exist but are empty
        QVERIFY(cat.Input(99).name.isEmpty());
        QVERIFY(cat.Output(4).name.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
