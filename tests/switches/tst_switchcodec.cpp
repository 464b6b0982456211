// Switch banks both ways for every switch model: what an encoder stores, its reader gives
// back; the switch tables hold what the guide's lists and checks rely on.
#include "catalogue.h"
#include "switchcodec.h"
#include "switchtables.h"

#include <QTest>

using namespace vantelso;
using namespace vantelso::switches;

namespace {

DeviceIdentity modelId(const char* identifier) {
    DeviceIdentity id;
    std::uint8_t variant = 0;
    ParseModelIdentifier(QString::fromLatin1(identifier), &id.ModelByte, &variant);
    return id;
}

} // namespace

class TestSwitchCodec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrips_data() {
        QTest::addColumn<QString>("model");
        // The D models have no switch the guide sets: nothing to encode.
        for (const char* m : {"RSX7030", "RSX7031A", "RSX7031B", "RSX7031C", "RSX7131B", "RSX7032C",
                              "RSX7040", "RSX7035"})
            QTest::newRow(m) << QString::fromLatin1(m);
    }
    // Every offered input with outputs, positions and options spread over their fields: the
    // reader recovers each selection, and no field leaks into another.
    void roundTrips() {
        QFETCH(QString, model);
        Catalogue catalogue;
        const DeviceIdentity id = modelId(qPrintable(model));
        const int inputs = ChannelsOf(model).inputs;
        const Family family = FamilyOf(id.ModelByte);
        const QList<FieldSpec> fields = FieldsOf(family, inputs);
        QVERIFY(!fields.isEmpty());

        QList<int> inputCodes;
        if (family == Family::Rsx7040) {
            for (int v = 0; v <= 3; ++v)
                inputCodes << v;
        } else {
            for (const QString& name : catalogue.FillTypeLists(id).switchInput)
                inputCodes << *catalogue.FindInputType(name);
        }
        QVERIFY(inputCodes.size() >= 4);
        int cases = 0;
        for (int input : inputCodes) {
            for (int k = 0; k < 4; ++k) {
                Selections s;
                for (const FieldSpec& f : fields) {
                    // A different value per field and round, reaching both ends.
                    const int span = f.hi - f.lo;
                    const int pick[4] = {f.lo, f.hi, f.lo + span / 3, f.lo + (2 * span) / 3};
                    s.*(f.member) = pick[(k + int(&f - fields.data())) % 4];
                }
                s.input = input;
                // RSX7035 keeps its option switch only for thermocouples and resistive inputs.
                if (family == Family::Rsx7035 && !(input >= 7 && input <= 21))
                    s.option = -1;
                const SwitchBytes b = Encode(s, id, inputs, false, {});
                QCOMPARE(Decode(b, id, inputs, catalogue), s);
                ++cases;
            }
        }
        QVERIFY(cases >= 16);
    }

    void knownBytes_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("wizard");
        QTest::addColumn<Selections>("selections");
        QTest::addColumn<QList<int>>("bytes"); // S0, S1, S2
        const Selections a{
            .input = 8, .output = 1, .outputB = 2, .span = 3, .zero = 5, .option = 0};
        QTest::newRow("RSX7030 Tc K") << "RSX7030" << false << a << QList<int>{72, 14, 5};
        const Selections f{.input = 2, .output = 3, .span = 1, .multiplier = 1};
        QTest::newRow("RSX7040") << "RSX7040" << false << f << QList<int>{0, 65, 14};
        QTest::newRow("RSX7040 wizard") << "RSX7040" << true << f << QList<int>{14, 65, 14};
        // "Pt 100" on the B model is switch value 3 (codes counted from 16).
        QTest::newRow("RSX7031B Pt 100")
            << "RSX7031B" << false << Selections{.input = 18, .output = 1, .span = 7, .zero = 2}
            << QList<int>{0x20 | 3, 7 | 64, 0};
        // The C model's 300 kΩ range shares switch value 3 with code 18.
        QTest::newRow("RSX7031C Res300K")
            << "RSX7031C" << false << Selections{.input = input_code::Res300K}
            << QList<int>{3, 0, 0};
        // RSX7035 "Res500": codes from 16 set bit 0 of SW2; option bit 1 for 3-wire.
        QTest::newRow("RSX7035 Res500")
            << "RSX7035" << false << Selections{.input = 17, .span = 2, .zero = 1, .option = 1}
            << QList<int>{0x10 | 1, 1 | 2 | 8, 0};
    }
    void knownBytes() {
        QFETCH(QString, model);
        QFETCH(bool, wizard);
        QFETCH(Selections, selections);
        const DeviceIdentity id = modelId(qPrintable(model));
        // The C model offers 300 kΩ on hardware revision 2 only.
        DeviceIdentity idC = id;
        if (model == QLatin1String("RSX7031C"))
            idC.IdByte3 = 2;
        const SwitchBytes b = Encode(selections, idC, 1, wizard, {});
        QTEST((QList<int>{b.S0, b.S1, b.S2}), "bytes");
        // An empty selection stores the first entry, and reads back as it.
        Catalogue catalogue;
        const Selections back = Decode(b, idC, 1, catalogue);
        for (const FieldSpec& f : FieldsOf(FamilyOf(id.ModelByte), 1))
            QCOMPARE(back.*(f.member), std::max(selections.*(f.member), 0));
    }

    void readsWhatDevicesShow() {
        Catalogue catalogue;
        // S0 = 0x27 on RSX7030: "Tc J", option On, output code 0.
        const Selections s = Decode({0x27, 0, 0}, modelId("RSX7030"), 1, catalogue);
        QVERIFY(s.input == 7 && s.option == 1 && s.output == 0);
        // Inputs a model does not offer read as nothing selected: 24 on RSX7030, 4 on the A
        // model, the unnamed code 6 anywhere.
        QCOMPARE(Decode({24, 0, 0}, modelId("RSX7030"), 1, catalogue).input, -1);
        QCOMPARE(Decode({6, 0, 0}, modelId("RSX7030"), 1, catalogue).input, -1);
        QCOMPARE(Decode({4, 0, 0}, modelId("RSX7031A"), 1, catalogue).input, -1);
        // Position 0 is EEPROM on the B model too, not code 15.
        QCOMPARE(Decode({0, 0, 0}, modelId("RSX7031B"), 1, catalogue).input, 0);
        // The lettered encoders leave the unused third bank alone; the D models' encoder
        // changes no switch at all.
        QCOMPARE(int(Encode({}, modelId("RSX7031A"), 1, false, {0, 0, 0x5A}).S2), 0x5A);
        const Selections d{.input = 6, .option = 1};
        QCOMPARE(Encode(d, modelId("RSX7132D"), 2, false, {0x21, 0x43, 0}),
                 (SwitchBytes{0x21, 0x43, 0}));
        // The D models' reader names the input types the way the measurement reads them:
        // S0 bits 0-3 for channel A, S1 bits 0-3 for channel B on the math model; SW2
        // switch 5 is the output direction.
        const Selections dm = Decode({0x04, 0x15, 0}, modelId("RSX7132D"), 2, catalogue);
        QVERIFY(dm.input == 4 && dm.inputB == 5 && dm.option == 1);
        // The short reply's CR LF are not switch data: no third bank on model byte 1.
        DeviceIdentity model1 = modelId("RSX7030");
        model1.ModelByte = 1;
        QCOMPARE(SwitchBytesFromReply({0x48, 0x0E, 13, 10}, model1), (SwitchBytes{0x48, 0x0E, 0}));
        QCOMPARE(Decode({0x48, 0x0E, 0x05}, model1, 1, catalogue).zero, -1);
        QCOMPARE(Describe(model1, {0x48, 0x0E, 0x05}, catalogue).channels[0].zero, -1);
        // The RSX7040 has no option switch: SW3 switch 5 stays off.
        const Selections f{.input = 2, .output = 3, .option = 1};
        QCOMPARE(int(Encode(f, modelId("RSX7040"), 1, false, {}).S2), 14);
        QCOMPARE(DrawingRows({0x81, 0, 0}, 2).first(),
                 QStringLiteral("SW1  1:ON  2:OFF  3:OFF  4:OFF  5:OFF  6:OFF  7:OFF  8:ON"));
    }

    // What the guide's lists rely on: 63 span positions after "Default", rising lists, and
    // a model byte for every wizard model.
    void tables() {
        for (const ZeroSpanRecord& rec : ZeroSpanRecords()) {
            QCOMPARE(rec.span.size(), 63);
            for (int k = 1; k < rec.span.size(); ++k)
                QVERIFY(rec.span[k] > rec.span[k - 1]);
            if (&rec != &ZeroSpanRecords()[FrequencyRecord])
                for (int k = 1; k < rec.zero.size(); ++k)
                    QVERIFY(rec.zero[k] > rec.zero[k - 1]);
        }
        QVERIFY(ModelTable()[16].wizardModel.isEmpty());
        for (int row = 0; row < 16; ++row)
            QVERIFY(WizardModelByte(ModelTable()[std::size_t(row)].wizardModel) >= 0);
    }
};

QTEST_GUILESS_MAIN(TestSwitchCodec)
#include "tst_switchcodec.moc"
