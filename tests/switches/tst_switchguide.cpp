// Switch banks both ways for every switch model (what an encoder stores, its reader gives
// back; the tables the guide's lists and checks rely on), then the switch guide against the
// simulated device: reading the banks, failures that leave the guide as it was, zero/span
// defaults on the wire, the wizard, lists, limits and check.
#include "failingrow.h"
#include "owntexts.h"
#include "simbench.h"
#include "switchguide.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace vantelso;
using namespace vantelso::switches;
using Answer = Prompter::Answer;
using K = sim::Fault::Kind;
using Kind = SwitchGuide::DefaultKind;
using Outcome = SwitchGuide::DefaultOutcome;

namespace {

// The model byte and variant of an identifier.
std::pair<std::uint8_t, std::uint8_t> parsed(const char* m) {
    std::uint8_t b = 0, v = 0;
    ParseModelIdentifier(QString::fromLatin1(m), &b, &v);
    return {b, v};
}

DeviceIdentity modelId(const char* identifier) {
    return {.ModelByte = parsed(identifier).first};
}

// The row of a list that holds `value`.
int rowOf(const QList<ListItem>& items, int value) {
    const auto is = [value](const ListItem& item) { return item.value == value; };
    return int(std::find_if(items.begin(), items.end(), is) - items.begin());
}

// A guide over a simulated device of `model` with banks `bytes`, identified.
struct GuideBench : SimBench {
    GuideBench(const char* model, const QByteArray& bytes)
        : SimBench(parsed(model).first, parsed(model).second), guide(catalogue, texts, &link) {
        device.setSwitchBytes(bytes);
        link.identity = device.identity(); // as identified: "$V" is tested with the link
        guide.setDevice(link.identity, device.modelIdentifier());
        texts.setLanguage(Texts::English);
    }
    QList<QByteArray> writes() const {
        QList<QByteArray> out = device.commandLog();
        out.removeIf([](const QByteArray& c) { return !c.startsWith("$W"); });
        return out;
    }
    Catalogue catalogue;
    Texts texts;
    SwitchGuide guide;
};

} // namespace

class TestSwitchGuide : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every offered input with outputs, positions and options spread over their fields: the
    // reader recovers each selection, and no field leaks into another. The D models have no
    // switch the guide sets: nothing to encode.
    void roundTrips() {
        Catalogue catalogue;
        for (const char* model : {"RSX7030", "RSX7031A", "RSX7031B", "RSX7031C", "RSX7131B",
                                  "RSX7032C", "RSX7040", "RSX7035"}) {
            const FailingRow row(model);
            const DeviceIdentity id = modelId(model);
            const int inputs = ChannelsOf(QLatin1String(model)).inputs;
            const Family family = FamilyOf(id.ModelByte);
            const QList<FieldSpec> fields = FieldsOf(family, inputs);
            QVERIFY(!fields.isEmpty());
            QList<int> inputCodes;
            if (family == Family::Rsx7040)
                inputCodes = {0, 1, 2, 3};
            else
                for (const QString& name : catalogue.FillTypeLists(id).switchInput)
                    inputCodes << *catalogue.FindInputType(name);
            QVERIFY(inputCodes.size() >= 4);
            for (int input : inputCodes)
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
                    QCOMPARE(Decode(Encode(s, id, inputs, false, {}), id, inputs, catalogue), s);
                }
        }
    }

    void knownBytes() {
        // The model, the selections and the banks S0, S1, S2 outside the wizard: the RSX7040
        // leaves SW1 off. "Pt 100" on the B model is switch value 3 (codes counted from 16);
        // the C model's 300 kΩ range shares switch value 3 with code 18; RSX7035 "Res500":
        // codes from 16 set bit 0 of SW2, option bit 1 for 3-wire.
        const std::tuple<const char*, Selections, QList<int>> rows[] = {
            {"RSX7040", {.input = 2, .output = 3, .span = 1, .multiplier = 1}, {0, 65, 14}},
            {"RSX7031B", {.input = 18, .output = 1, .span = 7, .zero = 2}, {0x20 | 3, 7 | 64, 0}},
            {"RSX7035", {.input = 17, .span = 2, .zero = 1, .option = 1}, {0x10 | 1, 1 | 2 | 8, 0}},
            {"RSX7031C", {.input = input_code::Res300K}, {3, 0, 0}}};
        Catalogue catalogue;
        for (const auto& [model, selections, bytes] : rows) {
            const FailingRow row(model);
            DeviceIdentity id = modelId(model);
            if (qstrcmp(model, "RSX7031C") == 0)
                id.IdByte3 = 2; // the C model offers 300 kΩ on hardware revision 2 only
            const SwitchBytes b = Encode(selections, id, 1, false, {});
            QCOMPARE((QList<int>{b.S0, b.S1, b.S2}), bytes);
            // An empty selection stores the first entry, and reads back as it.
            const Selections back = Decode(b, id, 1, catalogue);
            for (const FieldSpec& field : FieldsOf(FamilyOf(id.ModelByte), 1))
                QCOMPARE(back.*(field.member), std::max(selections.*(field.member), 0));
        }
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
        QCOMPARE(Encode({.input = 6, .option = 1}, modelId("RSX7132D"), 2, false, {0x21, 0x43, 0}),
                 (SwitchBytes{0x21, 0x43, 0}));
        // The D models' reader names the input types the way the measurement reads them:
        // S0 bits 0-3 for channel A, S1 bits 0-3 for channel B on the math model; SW2
        // switch 5 is the output direction.
        const Selections dm = Decode({0x04, 0x15, 0}, modelId("RSX7132D"), 2, catalogue);
        QVERIFY(dm.input == 4 && dm.inputB == 5 && dm.option == 1);
        // The short reply's CR LF are not switch data: no third bank on model byte 1.
        const DeviceIdentity model1{.ModelByte = 1};
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

    void readSwitch() {
        // The model, its banks; the input, span and check the guide shows after the read.
        const char* const rows[][5] = {{"RSX7030", "480e0500", "Tc K", "10", "ERR"},
                                       {"RSX7131B", "3245", "Res500", "70", "OK"},
                                       {"RSX7040", "00410e00", "TTL", "0.5", "OK"},
                                       {"RSX7132D", "0415", "10 V", "", "---"}};
        for (const auto& r : rows) {
            const FailingRow row(r[0]);
            const QByteArray bytes = QByteArray::fromHex(r[1]);
            GuideBench b(r[0], bytes);
            QSignalSpy changed(&b.guide, &SwitchGuide::changed);
            QVERIFY(b.guide.ReadSwitch() && !changed.isEmpty() && b.count("$D") == 1);
            QVERIFY(b.guide.bytes().S0 == quint8(bytes[0]) &&
                    b.guide.bytes().S1 == quint8(bytes[1]));
            QCOMPARE((QStringList{b.guide.inputItems(0).value(b.guide.inputIndex(0)).text,
                                  b.guide.spanItems().value(b.guide.spanIndex()),
                                  SwitchGuide::CheckText(b.guide.check())}),
                     (QStringList{r[2], r[3], r[4]}));
            if (&r != &rows[0])
                continue; // once is enough: each try waits out its time-outs
            // A "$D" that never comes back, cancelled: a failure that changes nothing shown.
            const SwitchBytes before = b.guide.bytes();
            const Selections sel = b.guide.selections();
            b.device.injectFault({K::NoReply, "$D", 0, -1});
            QVERIFY(!b.guide.ReadSwitch());
            QCOMPARE(b.link.CommError, 1);
            QCOMPARE(b.prompter.questions().size(), 1);
            QCOMPARE(b.guide.bytes(), before);
            QCOMPARE(b.guide.selections(), sel);
        }
    }

    void defaults() {
        const Kind Z = Kind::Zero, S = Kind::Span;
        const Outcome W = Outcome::Written, C = Outcome::Cancelled;
        // The kind, position, the answer in the input box ("!" Cancel, nullptr not asked), the
        // outcome (a question is answered Ok where it is Written, else Cancel), the address
        // with the low and high byte written, and the question asked.
        const std::tuple<const char*, Kind, int, const char*, Outcome, const char*, const char*>
            rows[] = {
                // Tc K, one decimal: 250.5 °C is 2505 = 0x09C9, low byte first at 132 + 4
                // (k-1) + 20.
                {"span k=1", S, 1, "250.5", W, "\x84\xC9\x09", ""},
                {"zero k=3", Z, 3, "-20", W, "\x8E\x38\xFF", ""},
                {"over max, Ok", Z, 1, "1400", W, "\x86\xB0\x36", "input value MAX exceeds limits"},
                {"under min, Cancel", S, 2, "20", C, "", "input value MIN exceeds limits"},
                {"empty", S, 1, "", C, "", ""},
                {"box cancelled", S, 1, "!", C, "", ""},
                {"not a number", S, 1, "abc", C, "",
                 "The value entered is not a number: nothing was written."},
                // Position 40 would wrap past address 255 onto the configuration record.
                {"past the last address", S, 40, nullptr, Outcome::Refused, "",
                 "This position has no default value in the device."}};
        for (const auto& [name, kind, position, answer, outcome, bytes, question] : rows) {
            const FailingRow row(name);
            GuideBench b("RSX7030", QByteArray("\x08\x00\x00\x00", 4));
            b.guide.setSelections(Selections{.input = 8}); // Tc K
            if (answer)
                b.prompter.pushInput(qstrcmp(answer, "!") ? QString(answer) : QString());
            b.prompter.setFallback(outcome == W ? Answer::Ok : Answer::Cancel);
            b.device.clearCommandLog();
            QCOMPARE(b.guide.enterDefault(kind, position, 1), outcome);
            const QByteArray written(bytes);
            if (written.isEmpty()) {
                QVERIFY(b.device.commandLog().isEmpty());
            } else {
                const int address = quint8(written[0]);
                QCOMPARE(b.writes(),
                         (QList<QByteArray>{
                             QByteArray("$W\x00", 3) + char(address) + written[1] + '\r',
                             QByteArray("$W\x00", 3) + char(address + 1) + written[2] + '\r'}));
                QCOMPARE(b.device.memory(0, address), quint8(written[1]));
                // The input's table is read again afterwards.
                QCOMPARE(b.count("$S"), 1);
                QVERIFY(b.device.commandLog().contains(QByteArray("$S\x08\x08\x00\r", 6)));
                QCOMPARE(b.guide.deviceTable().size(), 80);
            }
            QStringList asked;
            if (answer)
                asked << (kind == Kind::Span ? "Enter Span Default" : "Enter Zero Default");
            if (*question)
                asked << question;
            QCOMPARE(b.prompter.texts(), asked);
        }
    }

    // The frequency model has a span list and so a span default (a frequency, table 1), but
    // no zero list.
    void frequencySpanDefault() {
        GuideBench b("RSX7040", QByteArray("\x00\x4A\x06\x00", 4));
        QVERIFY(b.guide.ReadSwitch());
        b.prompter.pushInput(QStringLiteral("500"));
        b.device.clearCommandLog();
        QCOMPARE(b.guide.enterDefault(Kind::Span, 2, 0), Outcome::Written);
        QCOMPARE(b.writes(), (QList<QByteArray>{QByteArray("$W\x00\x74\xF4\r", 6),
                                                QByteArray("$W\x00\x75\x01\r", 6)}));
        QVERIFY(b.device.commandLog().contains(QByteArray("$S\x01\x01\x00\r", 6)));
        // The lists show the table the device gave back: span position 10 is 5 (x 1000).
        QCOMPARE(b.guide.spanItems().value(10), QStringLiteral("5"));
        QCOMPARE(b.guide.enterDefault(Kind::Zero, 2, 0), Outcome::Refused);
        // Sensor position 0 leaves the sensor to the record: "EEPROM", not the first sensor.
        QCOMPARE(b.guide.inputItems(0).first().text, QStringLiteral("EEPROM"));
        b.guide.selectInput(0, 0);
        QCOMPARE(b.guide.limitsText(), QStringLiteral("EEPROM"));
    }

    // A new input on a connected device keeps the zero and span switches where they are
    // (the lettered encoder keeps their bits, the RSX7030 its positions); only the wizard's
    // RSX7030 starts the new input's lists from nothing.
    void inputChangeKeepsPositions() {
        const QByteArray rsx7030("\x48\x7A\x0A\x00", 4);
        // The model, its banks, in the wizard or not; the span and zero afterwards.
        const std::tuple<const char*, QByteArray, bool, QList<int>> rows[] = {
            {"RSX7030", rsx7030, false, {30, 10}},
            {"RSX7031A", QByteArray("\xA8\x5E", 2), false, {30, 10}},
            {"RSX7030", rsx7030, true, {-1, -1}}};
        for (const auto& [model, bytes, wizard, positions] : rows) {
            const FailingRow row(QString(model) + (wizard ? " wizard" : " device"));
            GuideBench b(model, bytes);
            QVERIFY(b.guide.ReadSwitch());
            if (wizard) {
                b.guide.enterWizard();
                b.guide.chooseWizardModel(1);
                b.guide.selectInput(0, 3);
                b.guide.selectSpan(30);
                b.guide.selectZero(10);
            }
            b.guide.selectInput(0, rowOf(b.guide.inputItems(0), 7)); // Tc J
            QCOMPARE(b.guide.inputCode(), 7);
            QCOMPARE((QList<int>{b.guide.selections().span, b.guide.selections().zero}), positions);
        }
    }

    // A default typed while another command waits is refused by the link: CommError stays
    // clear, yet nothing was written, and the user is told so. Then the wizard on that guide.
    void busyDefaultAndWizard() {
        GuideBench b("RSX7030", QByteArray("\x48\x0E\x05\x00", 4));
        QVERIFY(b.guide.ReadSwitch());
        b.device.injectFault({K::DelayedReply, "$V", 0, 1, 300});
        b.prompter.pushInput(QStringLiteral("250"));
        b.device.clearCommandLog();
        Outcome inner = Outcome::Written;
        QTimer::singleShot(50, &b.link, [&] { inner = b.guide.enterDefault(Kind::Span, 1, 0); });
        b.link.ReadIdentity();
        QCOMPARE(inner, Outcome::Busy);
        QCOMPARE(b.count("$W") + b.count("$S"), 0);
        QCOMPARE(b.prompter.texts().value(1), b.texts.lang(own::DefaultBusy));

        b.guide.enterWizard();
        const QStringList models = b.guide.wizardModelList();
        QCOMPARE(models.size(), 17);
        QCOMPARE(models.first(), QStringLiteral("Select Device"));
        QVERIFY(!models.contains(QStringLiteral("RSX 7132 A")));
        QCOMPARE(models.at(16), QStringLiteral("RSX 7035"));

        // RSX7040: sensor TTL, 0-5 V, span 0.5 x multiplier 100; SW1 copies SW3.
        b.guide.chooseWizardModel(models.indexOf(QStringLiteral("RSX 7040")));
        QCOMPARE(b.guide.identity().ModelByte, 7);
        QCOMPARE(b.guide.multiplierItems(), (QStringList{"1000", "100", "10", "1"}));
        b.guide.selectInput(0, 2);
        b.guide.selectOutput(0, 3);
        b.guide.selectSpan(1);
        b.guide.selectMultiplier(1);
        QCOMPARE(b.guide.bytes(), (SwitchBytes{14, 65, 14}));
        QCOMPARE(b.guide.limitsText(),
                 QStringLiteral("In: TTL ;Min.Lim.=0.1Hz; Max.Lim. 20 KHz; Span min: 0.5 Hz"));
        QCOMPARE(SwitchGuide::CheckText(b.guide.check()), QStringLiteral("OK"));
        b.guide.selectSpan(63);
        QCOMPARE(SwitchGuide::CheckText(b.guide.check()), QStringLiteral("OK"));
        b.guide.selectMultiplier(0); // 31.5 x 1000 Hz is beyond 20 kHz
        QCOMPARE(SwitchGuide::CheckText(b.guide.check()), QStringLiteral("ERR"));

        // RSX7035 offers only 4-20 mA; lists follow the input, in °F for temperatures.
        b.guide.chooseWizardModel(models.indexOf(QStringLiteral("RSX 7035")));
        QCOMPARE(b.guide.outputItems(0).size(), 4);
        QCOMPARE(b.guide.outputItems(0).at(1), (ListItem{QStringLiteral("4-20 mA"), 1}));
        QCOMPARE(b.guide.outputItems(0).at(0).value, -1);
        QCOMPARE(b.guide.zeroItems(), QStringList{"-----"});
        b.guide.selectInput(0, rowOf(b.guide.inputItems(0), 7)); // Tc J
        QVERIFY(b.guide.showsTemperatureChoice());
        b.guide.setFahrenheit(true);
        QCOMPARE(b.guide.zeroItems().at(1), QStringLiteral("-328.0"));
        QCOMPARE(b.guide.spanItems().at(21), QStringLiteral("180.0")); // 100 °C span
        QVERIFY(b.guide.limitsText().contains(QStringLiteral("Min.Lim.=-328 °F")));
        QCOMPARE(b.guide.optionFrames()[0].caption, QStringLiteral("CJC"));
        // "Res2K" is no temperature: Celsius-form text, no °F choice.
        b.guide.selectInput(0, rowOf(b.guide.inputItems(0), 16));
        QVERIFY(!b.guide.showsTemperatureChoice());
        QCOMPARE(b.guide.limitsText(),
                 QStringLiteral("In: Res2K ;Min.Lim.=0 ohm; Max.Lim. 2000 ohm; Span min: 50 ohm"));
        QCOMPARE(b.guide.optionFrames()[0].caption, QStringLiteral("Wires"));
        // "EEPROM": its own text, no range lists.
        b.guide.selectInput(0, 0);
        QCOMPARE(b.guide.limitsText(), QStringLiteral("EEPROM"));
        QCOMPARE(SwitchGuide::CheckText(b.guide.check()), QStringLiteral("---"));

        // Back to the device: its model, bytes and selections again.
        b.guide.leaveWizard();
        QCOMPARE(b.guide.identity().ModelByte, 0);
        QCOMPARE(b.guide.bytes(), (SwitchBytes{72, 14, 5}));
        QCOMPARE(b.guide.inputCode(), 8);
    }
};

QTEST_GUILESS_MAIN(TestSwitchGuide)
#include "tst_switchguide.moc"
