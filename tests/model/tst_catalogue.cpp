#include "catalogue.h"

#include <QTest>

using namespace vantelso;

namespace {

DeviceIdentity model(int modelByte, int idByte3 = 0, int deviceCode = 12) {
    return {std::uint8_t(deviceCode), std::uint8_t(modelByte), std::uint8_t(idByte3), 0};
}

} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
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
            QVERIFY2(cat.Input(4).min == min,
                     qPrintable(QString("%1 then %2").arg(init).arg(read)));
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
            const Catalogue cat;
            const QStringList list = cat.FillTypeLists(id).input;
            QCOMPARE(QString::number(list.size()) + '|' + list.first() + '|' + list.last(),
                     QString(ends));
            for (int code = 0; code < Catalogue::InputTypeCount; ++code) {
                if (code == 32 || code == 33 || cat.Input(code).name.isEmpty() ||
                    (id.DeviceCode == 12 && (id.ModelByte == 4 || id.ModelByte == 5) && !code))
                    continue;
                QCOMPARE(cat.IsInputAvailable(code, id), list.contains(cat.Input(code).name));
            }
        }
    }

    void edges() {
        const Catalogue cat;
        QVERIFY(!cat.IsInputAvailable(6, model(0)) &&
                !cat.IsInputAvailable(31, model(9))); // unnamed
        QVERIFY(!cat.IsInputAvailable(4, model(9)));  // no 10 V
        QVERIFY(cat.IsInputAvailable(4, model(5)));   // as model 4
        QVERIFY(!cat.IsInputAvailable(28, model(6))); // no KTY83
        QVERIFY(cat.IsInputAvailable(33, model(7)));  // Freq
        QVERIFY(cat.IsInputAvailable(40, model(0)));  // empty row: starts true, no class
        QVERIFY(!cat.IsInputAvailable(-1, model(0)) && !cat.IsInputAvailable(52, model(0)));
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
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
