// Read, edit one or two fields, write: the device then differs from before in exactly the
// bytes of the edited fields, and a new read shows the edit. One case per model byte; the
// models are shared out over two programs (ROUNDTRIP_MODELS) to keep each one short.
#include "catalogue.h"
#include "configeditor.h"
#include "devicelink.h"
#include "editormodel.h"
#include "scriptedprompter.h"
#include "simdevice.h"
#include "simtransport.h"
#include "texts.h"

#include <QTest>
#include <functional>

using namespace vantelso;
using namespace vantelso::sim;

namespace {

struct Case {
    int modelByte;
    std::uint8_t variant;
    // Edits made in the editor after the read.
    std::function<void(EditorModel&)> edit;
    QList<int> changedAddresses;
    // A field and the text a fresh read shows in it afterwards.
    const char* field;
    int element;
    QString shown;
};

void set(EditorModel& m, const char* name, int element, const QString& text) {
    m.setText(QString::fromLatin1(name), element, text);
}

Case caseFor(int modelByte) {
    switch (modelByte) {
    case 0: // trip high 800 -> 850 (float M and H bytes), offset 0 -> 0.5
        return {0,
                0,
                [](EditorModel& m) {
                    set(m, "txt_soglia_H", 0, QStringLiteral("850"));
                    set(m, "txt_offset", 0, QStringLiteral("0.5"));
                },
                {7, 10, 11},
                "txt_soglia_H",
                0,
                QStringLiteral("850")};
    case 1: // output end 20 -> 19 mA
        return {1,
                0,
                [](EditorModel& m) { set(m, "txt_Output_max", 0, QStringLiteral("19")); },
                {24, 25},
                "txt_Output_max",
                0,
                QStringLiteral("19")};
    case 2: // channel B range end 400 -> 500 °C
        return {2,
                0x20,
                [](EditorModel& m) { set(m, "txt_Input_max", 1, QStringLiteral("500")); },
                {12, 13},
                "txt_Input_max",
                1,
                QStringLiteral("500")};
    case 3: // channel B offset 0 -> -1.0
        return {3,
                0x20,
                [](EditorModel& m) { set(m, "txt_offset", 1, QStringLiteral("-1")); },
                {8},
                "txt_offset",
                1,
                QStringLiteral("-1.0")};
    case 4: // channel A output start 0 -> 1 V
        return {4,
                0x60,
                [](EditorModel& m) { set(m, "txt_Output_min", 0, QStringLiteral("1")); },
                {26, 27},
                "txt_Output_min",
                0,
                QStringLiteral("1")};
    case 5: // channel B physical end 50 -> 60, operator A+B -> A-B
        return {5,
                0x40,
                [](EditorModel& m) {
                    set(m, "txt_Fisico_max", 3, QStringLiteral("60"));
                    m.click(QStringLiteral("cmd_Operatore"), 1);
                    m.click(QStringLiteral("opt_Oper"), 3);
                    m.click(QStringLiteral("Cmd_ok"));
                },
                {5, 135},
                "cmd_Operatore",
                1,
                QStringLiteral("A-B")};
    case 6: // channel B to "Res300K" 0..250 kΩ: stored under code 18, end one decade finer
        return {6,
                0x20,
                [](EditorModel& m) {
                    set(m, "cmb_Prog_In", 1, QStringLiteral("Res300K"));
                    set(m, "txt_Input_max", 1, QStringLiteral("250"));
                },
                {1, 12, 13},
                "cmb_Prog_In",
                1,
                QStringLiteral("Res300K")};
    case 7: // auxiliary frequency 0 -> 12
        return {7,
                0,
                [](EditorModel& m) { set(m, "txt_aux_freq", 0, QStringLiteral("12")); },
                {63},
                "txt_aux_freq",
                0,
                QStringLiteral("12")};
    case 8: // response time 0.5 -> 1.0 s (code 3 -> 7 in double steps)
        return {8,
                0,
                [](EditorModel& m) { set(m, "txt_Delay", 0, QStringLiteral("1.0")); },
                {28},
                "txt_Delay",
                0,
                QStringLiteral("1.0")};
    default: // filter 4 -> 9
        return {9,
                0,
                [](EditorModel& m) { set(m, "txt_filter", 0, QStringLiteral("9")); },
                {53},
                "txt_filter",
                0,
                QStringLiteral("9")};
    }
}

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
        const Case k = caseFor(modelByte);
        SimDevice device(std::uint8_t(k.modelByte), k.variant);
        SimTransport transport(&device);
        transport.open();
        ScriptedPrompter prompter;
        prompter.setFallback(Prompter::Answer::Ok); // default images may sit at a limit
        DeviceLink link(&prompter);
        link.setTransport(&transport);
        Catalogue catalogue;
        Texts texts;
        EditorModel model(catalogue, texts);
        ConfigEditor editor(model, link, catalogue, texts);

        QCOMPARE(editor.ReadEprom(), EditorOutcome::Done);
        const QByteArray before = device.bank(0);
        k.edit(model);
        QCOMPARE(editor.WriteEprom(), EditorOutcome::Done);
        const QByteArray after = device.bank(0);
        QList<int> changed;
        for (int a = 0; a < before.size(); ++a)
            if (before.at(a) != after.at(a))
                changed << a;
        QCOMPARE(changed, k.changedAddresses);
        // Nothing outside the record blocks is ever written.
        for (const WriteItem& w : editor.lastWrite())
            QVERIFY(w.address < MainBlockSize ||
                    (w.address >= ExtensionBlockFirst &&
                     w.address < ExtensionBlockFirst + ExtensionBlockSize));

        // A fresh editor reading the device shows the edit.
        Catalogue catalogue2;
        EditorModel model2(catalogue2, texts);
        ConfigEditor editor2(model2, link, catalogue2, texts);
        QCOMPARE(editor2.ReadEprom(), EditorOutcome::Done);
        QCOMPARE(model2.text(QString::fromLatin1(k.field), k.element), k.shown);
    }
};

QTEST_GUILESS_MAIN(TestEditorRoundTrip)
#include "tst_editor_roundtrip.moc"
