// The editor's controls and rules without a device: labels, resets, availability, units,
// the operator dialog and the physical-scaling page.
#include "catalogue.h"
#include "editormodel.h"
#include "texts.h"

#include <QSignalSpy>
#include <QTest>

using namespace vantelso;

namespace {

struct Editor {
    explicit Editor(std::uint8_t modelByte, std::uint8_t idByte3 = 0) : model(catalogue, texts) {
        texts.setLanguage(Texts::English);
        DeviceIdentity id;
        id.ModelByte = modelByte;
        id.IdByte3 = idByte3;
        catalogue.Init(id);
        catalogue.UpdateAfterRead(id);
        model.setIdentity(id);
    }
    Catalogue catalogue;
    Texts texts;
    EditorModel model;
};

const QString In = QStringLiteral("cmb_Prog_In");
const QString Out = QStringLiteral("cmb_Prog_Out");

} // namespace

class TestEditorModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void inputLabels_data() {
        QTest::addColumn<int>("modelByte");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("limit");
        QTest::addColumn<QString>("span");
        QTest::newRow("90 mV") << 2 << "90 mV"
                               << "mV"
                               << "-100 ÷ 90 mV"
                               << "Span min.: 5 mV";
        QTest::newRow("Tc J") << 2 << "Tc J"
                              << "°C"
                              << "-200 ÷ 1200 °C"
                              << "Span min.: 100 °C";
        QTest::newRow("10 V model 0") << 0 << "10 V"
                                      << "V"
                                      << "-10 ÷ 10 V"
                                      << "Span min.: 1 V";
        QTest::newRow("10 V model 4") << 4 << "10 V"
                                      << "V"
                                      << "0 ÷ 10 V"
                                      << "Span min.: 1 V";
        QTest::newRow("Pot50K") << 6 << "Pot50K"
                                << "%"
                                << "0 ÷ 100 %"
                                << "Span min.: 5 %";
    }
    void inputLabels() {
        QFETCH(int, modelByte);
        QFETCH(QString, input);
        QFETCH(QString, unit);
        QFETCH(QString, limit);
        QFETCH(QString, span);
        Editor e{std::uint8_t(modelByte)};
        QSignalSpy spy(&e.model, &EditorModel::controlChanged);
        e.model.setText(In, 0, input);
        QCOMPARE(e.model.text(QStringLiteral("lbl_uMisIn"), 0), unit);
        QCOMPARE(e.model.text(QStringLiteral("lbl_uMisIn"), 1), unit);
        QCOMPARE(e.model.text(QStringLiteral("lbl_uMisS"), 3), unit);
        QCOMPARE(e.model.text(QStringLiteral("lbl_limite_in"), 0), limit);
        QCOMPARE(e.model.text(QStringLiteral("lbl_spanmin_in"), 0), span);
        QVERIFY(spy.contains(QVariantList{QStringLiteral("lbl_limite_in"), 0}));
    }

    void unknownListTextKeepsCode() {
        Editor e(2);
        e.model.setText(In, 0, QStringLiteral("Tc K"));
        QCOMPARE(e.model.inputCode(0), 8);
        e.model.setText(In, 0, QStringLiteral("Tc Q"));
        QCOMPARE(e.model.inputCode(0), 8);
        QCOMPARE(e.model.text(QStringLiteral("lbl_limite_in"), 0),
                 QStringLiteral("-200 ÷ 1300 °C"));
        e.model.setText(Out, 0, QStringLiteral("4-20 mA"));
        e.model.setText(Out, 0, QStringLiteral("3-15 psi"));
        QCOMPARE(e.model.outputCode(0), 1);
    }

    void outputResetsRange() {
        Editor e(3);
        e.model.setText(QStringLiteral("txt_Output_max"), 1, QStringLiteral("7"));
        e.model.setText(Out, 1, QStringLiteral("0-10 V"));
        QCOMPARE(e.model.text(QStringLiteral("txt_Output_min"), 1), QStringLiteral("0"));
        QCOMPARE(e.model.text(QStringLiteral("txt_Output_max"), 1), QStringLiteral("10"));
        QCOMPARE(e.model.text(QStringLiteral("lbl_uMisOut"), 2), QStringLiteral("V"));
        QCOMPARE(e.model.text(QStringLiteral("lbl_limite_out"), 1), QStringLiteral("0 ÷ 10 V"));
        QCOMPARE(e.model.text(QStringLiteral("lbl_spanmin_out"), 1),
                 QStringLiteral("Span min.: 1 V"));
    }

    void frequencySensor_data() {
        QTest::addColumn<QString>("sensor");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("unit");
        QTest::newRow("Volt") << "Volt" << true << "100"
                              << "V";
        QTest::newRow("NAMUR") << "NAMUR" << false << "50"
                               << "mA";
        QTest::newRow("Tacho") << "Tacho" << false << "0"
                               << "mV";
    }
    void frequencySensor() {
        QFETCH(QString, sensor);
        QFETCH(bool, shown);
        QFETCH(QString, trigger);
        QFETCH(QString, unit);
        Editor e(7);
        e.model.setText(QStringLiteral("cmb_Freq_Type"), 0, sensor);
        for (const char* n : {"txt_Trig", "lbl_aux", "txt_aux_freq", "lbl_uMisAux", "lbl_trig"})
            QCOMPARE(e.model.visible(QString::fromLatin1(n)), shown);
        QCOMPARE(e.model.text(QStringLiteral("txt_Trig")), trigger);
        QCOMPARE(e.model.text(QStringLiteral("lbl_uMisTrig")), unit);
        QCOMPARE(e.model.inputCode(0), 33);
    }

    // One row per line of the availability table, plus the model rules.
    void enableSections_data() {
        QTest::addColumn<int>("modelByte");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("cjc");
        QTest::addColumn<bool>("wires");
        QTest::addColumn<bool>("burnout");
        QTest::addColumn<bool>("units");
        QTest::addColumn<bool>("highSpeed");
        QTest::addColumn<bool>("functions");
        QTest::addColumn<bool>("tank");
        QTest::addColumn<bool>("math");
        QTest::newRow("mV, model 2")
            << 2 << "200 mV" << false << false << true << false << true << false << true << false;
        QTest::newRow("V, model 5")
            << 5 << "10 V" << false << false << true << false << true << true << true << true;
        QTest::newRow("mA, model 4")
            << 4 << "20 mA" << false << false << true << false << true << false << true << false;
        QTest::newRow("mA, model 0")
            << 0 << "20 mA" << false << false << true << false << true << false << false << false;
        QTest::newRow("Tc K") << 2 << "Tc K" << true << false << true << true << false << false
                              << true << false;
        QTest::newRow("Tc B") << 2 << "Tc B" << false << false << true << true << false << false
                              << true << false;
        QTest::newRow("Res2K") << 3 << "Res2K" << false << true << true << false << false << false
                               << true << false;
        QTest::newRow("Pt 100") << 3 << "Pt 100" << false << true << true << true << false << false
                                << true << false;
        QTest::newRow("Cost10K") << 6 << "Cost10K" << false << true << true << true << false
                                 << false << true << false;
        QTest::newRow("Pot500") << 3 << "Pot500" << false << false << true << false << true << false
                                << true << false;
    }
    void enableSections() {
        QFETCH(int, modelByte);
        QFETCH(QString, input);
        QFETCH(bool, cjc);
        QFETCH(bool, wires);
        QFETCH(bool, burnout);
        QFETCH(bool, units);
        QFETCH(bool, highSpeed);
        QFETCH(bool, functions);
        QFETCH(bool, tank);
        QFETCH(bool, math);
        Editor e{std::uint8_t(modelByte)};
        e.model.setText(In, 0, QStringLiteral("90 mV")); // allow high speed first
        e.model.setChecked(QStringLiteral("chk_HS"), 0, true);
        e.model.setText(In, 0, input);
        QCOMPARE(e.model.inputCode(0), *e.catalogue.FindInputType(input));
        QCOMPARE(e.model.enabled(QStringLiteral("frm_cjc"), 0), cjc);
        QCOMPARE(e.model.enabled(QStringLiteral("frm_fili"), 0), wires);
        QCOMPARE(e.model.enabled(QStringLiteral("frm_break"), 0), burnout);
        QCOMPARE(e.model.enabled(QStringLiteral("opt_gradi"), 0), units);
        QCOMPARE(e.model.enabled(QStringLiteral("opt_gradi_far"), 0), units);
        QCOMPARE(e.model.enabled(QStringLiteral("chk_HS")), highSpeed);
        QCOMPARE(e.model.checked(QStringLiteral("chk_HS")), highSpeed);
        QCOMPARE(e.model.enabled(QStringLiteral("frm_funz"), 0), functions);
        QCOMPARE(e.model.enabled(QStringLiteral("opt_funz"), 1), tank);
        QCOMPARE(e.model.enabled(QStringLiteral("opt_funz"), 4), tank);
        QCOMPARE(e.model.enabled(QStringLiteral("cmd_math")), math);
    }

    void voltageSelectsSecondCjcElement() {
        Editor e(4);
        QCOMPARE(e.model.choice(QStringLiteral("opt_CJC"), 1), 0);
        e.model.setText(In, 1, QStringLiteral("10 V"));
        QVERIFY(e.model.checked(QStringLiteral("opt_CJC"), 3));
        QCOMPARE(e.model.choice(QStringLiteral("opt_CJC"), 1), 1);
    }

    void doublerOnSingleChannelModel() {
        Editor e(0);
        e.model.setText(In, 0, QStringLiteral("Tc K"));
        QVERIFY(!e.model.enabled(QStringLiteral("frm_output"), 1));
        e.model.setChecked(QStringLiteral("chk_Doubler"), 0, true);
        QVERIFY(e.model.enabled(QStringLiteral("frm_output"), 1));
        QVERIFY(e.model.enabled(QStringLiteral("frm_options"), 1));
        QVERIFY(!e.model.enabled(QStringLiteral("frm_fili"), 1));
        QVERIFY(!e.model.enabled(QStringLiteral("frm_cjc"), 1));
        QCOMPARE(e.model.text(In, 1), QStringLiteral("DOUBLER"));
        QCOMPARE(e.model.inputCode(1), 8);
        e.model.setText(In, 0, QStringLiteral("Tc J"));
        QCOMPARE(e.model.inputCode(1), 7); // channel B repeats channel A
        e.texts.setLanguage(Texts::Italian);
        QCOMPARE(e.model.text(In, 1), QStringLiteral("DUPLIC."));
        e.model.setChecked(QStringLiteral("chk_Doubler"), 0, false);
        QVERIFY(!e.model.enabled(QStringLiteral("frm_output"), 1));
        QCOMPARE(e.model.text(In, 1), QStringLiteral("Tc J"));
    }

    void doublerNotOfferedOnLetteredModels() {
        Editor e(3);
        QVERIFY(!e.model.enabled(QStringLiteral("chk_Doubler")));
        e.model.setChecked(QStringLiteral("chk_Doubler"), 0, true);
        QVERIFY(!e.model.checked(QStringLiteral("chk_Doubler")));
    }

    void fahrenheitPt100() {
        Editor e(3);
        e.model.setText(In, 0, QStringLiteral("Pt 100"));
        e.model.setText(QStringLiteral("txt_Input_min"), 0, QStringLiteral("0"));
        e.model.setText(QStringLiteral("txt_Input_max"), 0, QStringLiteral("100"));
        e.model.setText(QStringLiteral("txt_offset"), 0, QStringLiteral("1.5"));
        e.model.click(QStringLiteral("opt_gradi_far"), 0);
        QVERIFY(e.model.isFahrenheit(0));
        QVERIFY(!e.model.isFahrenheit(1));
        QCOMPARE(e.model.text(QStringLiteral("txt_Input_min"), 0), QStringLiteral("32.0"));
        QCOMPARE(e.model.text(QStringLiteral("txt_Input_max"), 0), QStringLiteral("212.0"));
        QCOMPARE(e.model.text(QStringLiteral("txt_offset"), 0), QStringLiteral("2.7"));
        QCOMPARE(e.model.text(QStringLiteral("lbl_uMisIn"), 0), QStringLiteral("°F"));
        QCOMPARE(e.model.text(QStringLiteral("lbl_limite_in"), 0),
                 QStringLiteral("-328 ÷ 1562 °F"));
        QCOMPARE(e.model.text(QStringLiteral("lbl_spanmin_in"), 0),
                 QStringLiteral("Span min.: 90 °F"));
        // Choosing the unit already shown changes nothing.
        e.model.click(QStringLiteral("opt_gradi_far"), 0);
        QCOMPARE(e.model.text(QStringLiteral("txt_Input_max"), 0), QStringLiteral("212.0"));
        e.model.click(QStringLiteral("opt_gradi"), 0);
        QCOMPARE(e.model.text(QStringLiteral("txt_Input_max"), 0), QStringLiteral("100.0"));
        QCOMPARE(e.model.text(QStringLiteral("txt_offset"), 0), QStringLiteral("1.5"));
        QCOMPARE(e.model.text(QStringLiteral("lbl_limite_in"), 0), QStringLiteral("-200 ÷ 850 °C"));
        // The record always carries Celsius.
        e.model.click(QStringLiteral("opt_gradi_far"), 0);
        const ConfigRecord r = e.model.toRecord();
        QCOMPARE(r.channels[0].inputEnd, 100.0);
        QCOMPARE(r.channels[0].inputStart, 0.0);
        QCOMPARE(r.offset[0], 1.5);
    }

    void fahrenheitKeepsOneDecimal() {
        Editor e(3);
        e.model.setText(In, 0, QStringLiteral("Pt 100"));
        e.model.setText(QStringLiteral("txt_Input_max"), 0, QStringLiteral("25.34"));
        e.model.click(QStringLiteral("opt_gradi_far"), 0);
        QCOMPARE(e.model.text(QStringLiteral("txt_Input_max"), 0), QStringLiteral("77.6"));
        e.model.click(QStringLiteral("opt_gradi"), 0);
        QCOMPARE(e.model.text(QStringLiteral("txt_Input_max"), 0), QStringLiteral("25.3"));
    }

    void fahrenheitConvertsChannelAThresholds() {
        Editor e(0);
        e.model.setText(In, 0, QStringLiteral("Tc K"));
        e.model.setText(QStringLiteral("txt_soglia_H"), 0, QStringLiteral("100"));
        e.model.setText(QStringLiteral("txt_soglia_L"), 0, QStringLiteral("0"));
        e.model.click(QStringLiteral("opt_gradi_far"), 0);
        QCOMPARE(e.model.text(QStringLiteral("txt_soglia_H"), 0), QStringLiteral("212.0"));
        QCOMPARE(e.model.text(QStringLiteral("txt_soglia_L"), 0), QStringLiteral("32.0"));
        QCOMPARE(e.model.text(QStringLiteral("lbl_uMisS"), 0), QStringLiteral("°F"));
        const ConfigRecord r = e.model.toRecord();
        QCOMPARE(r.trips[0].high, 100.0);
        QCOMPARE(r.trips[0].low, 0.0);
    }

    void operatorDialog() {
        Editor e(5);
        QSignalSpy opened(&e.model, &EditorModel::operatorDialogRequested);
        e.model.click(QStringLiteral("cmd_Operatore"), 1);
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened.first().at(0).toInt(), 1);
        QVERIFY(e.model.visible(QStringLiteral("frm_Oper")));
        e.model.click(QStringLiteral("opt_Oper"), 6); // MAX
        QVERIFY(e.model.visible(QStringLiteral("Frame1")));
        QCOMPARE(e.model.operatorCode(1), 6);
        e.model.click(QStringLiteral("opt_Oper"), 2); // A+B
        QVERIFY(!e.model.visible(QStringLiteral("Frame1")));
        QCOMPARE(e.model.operatorCode(1), 2);
        QCOMPARE(e.model.text(QStringLiteral("cmd_Operatore"), 1), QStringLiteral("A+B"));
        QVERIFY(e.model.visible(QStringLiteral("frm_input"), 3));
        e.model.click(QStringLiteral("Cmd_ok"));
        QVERIFY(!e.model.visible(QStringLiteral("frm_Oper")));
        // The other channel shows its own operator.
        e.model.click(QStringLiteral("cmd_Operatore"), 0);
        QCOMPARE(e.model.choice(QStringLiteral("opt_Oper"), 0), 0);
        QCOMPARE(e.model.operatorCode(0), 0);
        QCOMPARE(e.model.text(QStringLiteral("cmd_Operatore"), 0), QStringLiteral("= A"));
        e.model.click(QStringLiteral("cmd_Operatore"), 1);
        QCOMPARE(e.model.choice(QStringLiteral("opt_Oper"), 0), 2);
        QCOMPARE(e.model.toRecord().channels[1].operatorCode, 2);
    }

    void physicalPage() {
        Editor e(5);
        e.model.setText(In, 0, QStringLiteral("10 V"));
        e.model.setText(QStringLiteral("txt_Input_max"), 0, QStringLiteral("10"));
        e.model.setText(Out, 0, QStringLiteral("4-20 mA"));
        e.model.click(QStringLiteral("cmd_math"));
        QVERIFY(e.model.visible(QStringLiteral("frm_modo"), 3));
        QVERIFY(!e.model.visible(QStringLiteral("frm_modo"), 2));
        QCOMPARE(e.model.text(QStringLiteral("txt_Input_max"), 2), QStringLiteral("10"));
        QCOMPARE(e.model.text(QStringLiteral("txt_Output_min"), 2), QStringLiteral("4"));
        QCOMPARE(e.model.text(QStringLiteral("lbl_uMisIn"), 4), QStringLiteral("V"));
        // Editing a physical value changes no other field.
        QSignalSpy spy(&e.model, &EditorModel::controlChanged);
        e.model.setText(QStringLiteral("txt_Fisico_max"), 2, QStringLiteral("150"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(e.model.toRecord().channels[0].physicalInputEnd, 150.0);
        e.model.click(QStringLiteral("cmd_OperOk"));
        QVERIFY(e.model.visible(QStringLiteral("frm_modo"), 2));
        QVERIFY(!e.model.visible(QStringLiteral("frm_modo"), 3));
    }

    void mathButtonOnlyOnModel5() {
        for (int m : {0, 2, 3, 4, 6, 7, 8, 9}) {
            Editor e{std::uint8_t(m)};
            e.model.setText(In, 0, e.model.items(In, 0).value(1));
            QVERIFY(!e.model.enabled(QStringLiteral("cmd_math")));
            e.model.click(QStringLiteral("cmd_math"));
            QVERIFY(!e.model.visible(QStringLiteral("frm_modo"), 3));
        }
    }

    void twoTripDelayIsOneByte() {
        Editor e(7);
        e.model.setText(QStringLiteral("txt_soglia_Delay"), 1, QStringLiteral("9"));
        QCOMPARE(e.model.text(QStringLiteral("txt_soglia_Delay"), 0), QStringLiteral("9"));
        QCOMPARE(e.model.toRecord().trips[0].delay, 9);
    }
};

QTEST_GUILESS_MAIN(TestEditorModel)
#include "tst_editormodel.moc"
