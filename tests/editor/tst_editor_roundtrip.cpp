// Read, edit one or two fields, write: the device then differs from before in exactly the
// bytes of the edited fields, and a new read shows the edit. One case per model byte; the
// models are shared out over two programs (ROUNDTRIP_MODELS) to keep each one short.
#include "configeditor.h"
#include "editormodel.h"
#include "simbench.h"
#include "texts.h"

#include <QTest>

using namespace vantelso;

namespace {

// A control, its element and the text typed (nullptr: a click).
using Edit = std::tuple<const char*, int, const char*>;

struct Case {
    int variant;
    QList<Edit> edits;
    QList<int> changedAddresses;
    Edit shown = {}; // what a fresh read shows afterwards, if not the first edit
};

const Case Cases[] = {
    // 0: trip high 800 -> 850 (float M and H bytes), offset 0 -> 0.5; 1: output end 20 -> 19
    // mA; 2: channel B range end 400 -> 500 °C; 3: channel B offset 0 -> -1.0; 4: channel A
    // output start 0 -> 1 V; 5: channel B physical end 50 -> 60, operator A+B -> A-B; 6:
    // channel B to "Res300K" 0..250 kΩ, stored under code 18 with the end one decade finer;
    // 7: auxiliary frequency 0 -> 12; 8: response time 0.5 -> 1.0 s (code 3 -> 7 in double
    // steps); 9: filter 4 -> 9.
    {0, {{"txt_soglia_H", 0, "850"}, {"txt_offset", 0, "0.5"}}, {7, 10, 11}},
    {0, {{"txt_Output_max", 0, "19"}}, {24, 25}},
    {0x20, {{"txt_Input_max", 1, "500"}}, {12, 13}},
    {0x20, {{"txt_offset", 1, "-1"}}, {8}, {"txt_offset", 1, "-1.0"}},
    {0x60, {{"txt_Output_min", 0, "1"}}, {26, 27}},
    {0x40,
     {{"txt_Fisico_max", 3, "60"},
      {"cmd_Operatore", 1, nullptr},
      {"opt_Oper", 3, nullptr},
      {"Cmd_ok", 0, nullptr}},
     {5, 135},
     {"cmd_Operatore", 1, "A-B"}},
    {0x20, {{"cmb_Prog_In", 1, "Res300K"}, {"txt_Input_max", 1, "250"}}, {1, 12, 13}},
    {0, {{"txt_aux_freq", 0, "12"}}, {63}},
    {0, {{"txt_Delay", 0, "1.0"}}, {28}},
    {0, {{"txt_filter", 0, "9"}}, {53}},
};

} // namespace

class TestEditorRoundTrip : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data() {
        QTest::addColumn<int>("modelByte");
        for (int m : {ROUNDTRIP_MODELS})
            QTest::addRow("model %d", m) << m;
    }
    void roundTrip() {
        QFETCH(int, modelByte);
        const Case& k = Cases[modelByte];
        SimBench b(std::uint8_t(modelByte), std::uint8_t(k.variant));
        b.prompter.setFallback(Prompter::Answer::Ok); // default images may sit at a limit
        Catalogue catalogue;
        Texts texts;
        EditorModel model(catalogue, texts);
        ConfigEditor editor(model, b.link, catalogue, texts);

        QCOMPARE(editor.ReadEprom(), EditorOutcome::Done);
        const QByteArray before = b.device.bank(0);
        for (const auto& [name, element, text] : k.edits)
            text ? model.setText(name, element, text) : model.click(name, element);
        QCOMPARE(editor.WriteEprom(), EditorOutcome::Done);
        QList<int> changed;
        for (int a = 0; a < before.size(); ++a)
            if (before.at(a) != b.device.bank(0).at(a))
                changed << a;
        QCOMPARE(changed, k.changedAddresses);
        // Nothing outside the record blocks is ever written.
        for (const WriteItem& w : editor.lastWrite())
            QVERIFY(w.address < MainBlockSize ||
                    (w.address >= ExtensionBlockFirst &&
                     w.address < ExtensionBlockFirst + ExtensionBlockSize));

        Catalogue catalogue2;
        EditorModel model2(catalogue2, texts);
        ConfigEditor editor2(model2, b.link, catalogue2, texts);
        QCOMPARE(editor2.ReadEprom(), EditorOutcome::Done);
        const auto& [name, element, text] = std::get<0>(k.shown) ? k.shown : k.edits.first();
        QCOMPARE(model2.text(name, element), QString(text));
    }
};

QTEST_GUILESS_MAIN(TestEditorRoundTrip)
#include "tst_editor_roundtrip.moc"
