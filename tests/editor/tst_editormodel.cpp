// The editor's controls and rules without a device: labels, resets, availability, units,
// the operator dialog and the physical-scaling page; number parsing, editor formats and the
// Celsius/Fahrenheit conversions underneath; the limit checks before a write: which markers,
// in which order, with which exact texts.
#include "failingrow.h"
#include "limitchecks.h"
#include "numberformat.h"
#include "offlineeditor.h"

#include <QSignalSpy>
#include <QTest>

using namespace vantelso;
using namespace Qt::StringLiterals;

namespace {

struct Editor : OfflineEditor {
    using OfflineEditor::OfflineEditor;
    // A channel that passes every check, for the cases that break only one thing.
    void sane(int c, const char* input, const char* max) {
        type(u"cmb_Prog_In:%1=%2|txt_Input_min:%1=0|txt_Input_max:%1=%3|cmb_Prog_Out:%1=4-20 mA|"
             u"txt_offset:%1=0.0"_s.arg(c)
                 .arg(QString::fromUtf8(input), QLatin1String(max)));
    }
};

// "(MAX)" -> "Channel A: <what> (MAX) exceeds limits"; "" -> no message.
QString finding(const char* channel, const char* what, const char* markers) {
    return *markers ? u"Channel %1: %2 %3 exceeds limits"_s.arg(channel, what, markers) : QString();
}

} // namespace

class TestEditorModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Values typed into one channel (channel B on the frequency model 7), after switching it to
    // °F if asked: input min and max, or trip high, low and delay (nullptr: an input range);
    // then the expected markers.
    void rangesAndTrips() {
        // clang-format off
        const std::tuple<int, const char*, bool, const char*, const char*, const char*,
                         const char*> rows[] = {
                 {2, "Tc J", false, "0", "1300", nullptr, "(MAX)"},
                 {2, "Tc J", false, "0", "50", nullptr, "(SPAN)"},
                 {2, "Tc J", false, "0", "600", nullptr, ""},
                 {2, "Tc J", false, "-300", "-250", nullptr, "(MIN) (SPAN)"},
                 {2, "Tc J", false, "1250", "1300", nullptr, "(MAX) (SPAN)"},
                 {2, "Tc J", true, "32", "2192", nullptr, ""},
                 {2, "Tc J", true, "32", "2193", nullptr, "(MAX)"},
                 {2, "Tc J", true, "32", "212", nullptr, ""},
                 {2, "Tc J", true, "32", "211", nullptr, "(SPAN)"},
                 {4, "20 mA", false, "0", "0.5", nullptr, "(SPAN)"},
                 {0, "10 V", false, "-10", "10", nullptr, ""},
                 {4, "10 V", false, "-10", "10", nullptr, "(MIN)"},
                 {2, "Tc J", false, "abc", "1e999", nullptr, "(SPAN)"}, // text counts as 0
                 {0, "Tc J", false, "1300", "100", "1", "(Hi>1200)"},
                 {0, "Tc K", false, "100", "99.5", "1", "(Diff<13)"},
                 {0, "Tc K", false, "800", "700", "300", "(Delay)"},
                 {0, "Tc K", false, "-300", "-400", "1", "(Hi<-200) (Lo<-200)"},
                 {0, "Tc K", false, "1000", "1400", "1", "(Lo>1300) (Diff<13)"},
                 {0, "Tc J", true, "2200", "32", "1", "(Hi>2192)"},
                 {0, "Tc J", true, "100", "80", "1", "(Diff<21.92)"},
                 {0, "Tc K", false, "800", "780", "2", ""},
                 {7, "Freq", false, "25000", "10", "1", "(Hi>20000)"},
                 {7, "Freq", false, "1000", "0", "1", "(Lo<0.1)"}};
        // clang-format on
        for (const auto& [modelByte, input, fahrenheit, a, b, delay, markers] : rows) {
            const FailingRow row(
                u"model %1 %2%3 %4..%5"_s.arg(modelByte).arg(input, fahrenheit ? " °F" : "", b, a));
            const int c = modelByte == 7 ? 1 : 0;
            Editor e{modelByte};
            e.sane(c, input, "0");
            if (fahrenheit)
                e.m.click("opt_gradi_far", c);
            e.set(delay ? "txt_soglia_H" : "txt_Input_min", c, a);
            e.set(delay ? "txt_soglia_L" : "txt_Input_max", c, b);
            if (delay)
                e.set("txt_soglia_Delay", c, delay);
            const LimitChecks checks(e.m, e.texts);
            QVERIFY(!delay || checks.checksTrips(c));
            QCOMPARE(delay ? checks.tripMessage(c) : checks.inputMessage(c),
                     finding(c ? "B" : "A", delay ? "Trips" : "input value", markers));
        }
    }

    // Edits ("control:element=text"; "chk_" ticks, no "=" clicks, "it": Italian texts) made
    // after the channels of models 0, 2 and 3 are made sane; then every message in order.
    void messages() {
        const QString offsetA = u"Channel A: CJC Offset exceeds limits"_s;
        const QString offsetB = u"Channel B: CJC Offset exceeds limits"_s;
        const auto out = [](const char* markers) { return finding("B", "output value", markers); };
        // Channel B of a single-channel model is checked only where the doubler uses it.
        const QString single = u"txt_soglia_H:0=800|txt_soglia_L:0=780|txt_Output_max:1=0|"
                               "txt_Output_min:1=0|txt_Input_max:1=99999"_s;
        // clang-format off
        const std::tuple<const char*, int, QString, QStringList> rows[] = {
            {"passes", 3, "cmb_Prog_Out:1=4-20 mA|txt_Output_min:1=4|txt_offset:1=12.5", {}},
            {"offset", 3, "txt_offset:1=12.6", {offsetB}},
            {"-offset", 3, "txt_offset:1=-12.6", {offsetB}},
            {"output below", 3, "txt_Output_min:1=2", {out("(MIN)")}},
            {"output over, narrow", 3,
             "cmb_Prog_Out:1=0-5 V|txt_Output_min:1=5|txt_Output_max:1=5.5", {out("(MAX) (SPAN)")}},
            {"°F offset 12.5 °C", 3, "opt_gradi_far:0|txt_offset:0=22.5", {}},
            {"°F offset 12.7 °C", 3, "opt_gradi_far:0|txt_offset:0=22.8", {offsetA}},
            {"Italian", 2, "it|txt_Input_max:0=1300|txt_offset:1=20",
             {"Canale A: Valori di ingresso (MAX) oltre i limiti",
              "Canale B: Offset CJC oltre i limiti"}},
            // Inputs of both channels first, then outputs, offsets and trips.
            {"order", 7,
             "txt_Input_max:0=30000|txt_Input_min:1=1|txt_Input_max:1=100|cmb_Prog_Out:0=4-20 mA|"
             "cmb_Prog_Out:1=4-20 mA|txt_soglia_H:0=500|txt_soglia_H:1=500|txt_soglia_L:0=0|"
             "txt_soglia_L:1=10|txt_Output_max:0=25|txt_offset:0=13",
             {"Channel A: input value (MAX) (MIN) exceeds limits",
              "Channel A: output value (MAX) exceeds limits", offsetA,
              "Channel A: Trips (Lo<0.1) exceeds limits"}},
            {"single channel", 0, single, {}},
            {"single channel, doubler", 0, "chk_Doubler:0=1|" + single, {out("(SPAN)")}}};
        // clang-format on
        for (const auto& [tag, modelByte, edits, expected] : rows) {
            const FailingRow row(tag);
            Editor e{modelByte};
            const char* input = modelByte == 3 ? "Pt 100" : modelByte == 2 ? "Tc J" : "Tc K";
            for (int c = 0; c < (modelByte == 0 ? 1 : 2) && modelByte != 7; ++c)
                e.sane(c, input, modelByte ? "100" : "1000");
            for (const QString& edit : edits.split('|')) {
                const QString name = edit.section(':', 0, 0);
                const int element = edit.section(':', 1).section('=', 0, 0).toInt();
                if (edit == u"it"_s)
                    e.texts.setLanguage(Texts::Italian);
                else if (name.startsWith(u"chk_"_s))
                    e.m.setChecked(name, element, true);
                else if (!edit.contains('='))
                    e.m.click(name, element);
                else
                    e.type(edit);
            }
            QStringList got;
            for (const LimitFinding& f : LimitChecks(e.m, e.texts).findings())
                got << f.message;
            QCOMPARE(got, expected);
        }
    }

    // Input and CJC choice (1: internal) of channels A and B; whether the rule is broken.
    void cjcRule() {
        // clang-format off
        for (const auto& [modelByte, setup, violated] : {std::tuple{2, "Tc J|1|Tc K|1", false},
                 {2, "Tc J|0|Tc K|1", true}, {2, "90 mV|1|Tc K|1", true},
                 {2, "90 mV|0|Tc K|0", false}, {2, "90 mV|0|200 mV|1", false},
                 {3, "Pt 100|0|Tc K|1", false}}) {
            // clang-format on
            const FailingRow row(setup);
            Editor e{modelByte};
            const QStringList s = QString(setup).split('|');
            for (int c = 0; c < 2; ++c) {
                e.m.setText("cmb_Prog_In", c, s[2 * c]);
                e.m.choose("opt_CJC", c, s[2 * c + 1].toInt());
            }
            const LimitChecks checks(e.m, e.texts);
            QCOMPARE(checks.cjcRuleViolated(), violated);
            QCOMPARE(
                checks.cjcRuleMessage(),
                u"Wrong configuration: Channel A input must be a Thermocouple with Internal CJC"_s);
        }
    }

    // Unit, range and minimum span labels of an input type.
    void inputLabels() {
        // clang-format off
        for (const auto& [modelByte, input, labels] : {
                 std::tuple{2, "90 mV", "mV|mV|-100 ÷ 90 mV|Span min.: 5 mV"},
                 {2, "Tc J", "°C|°C|-200 ÷ 1200 °C|Span min.: 100 °C"},
                 {0, "10 V", "V|V|-10 ÷ 10 V|Span min.: 1 V"}, {4, "10 V", "V|V|0 ÷ 10 V|Span min.: 1 V"},
                 {6, "Pot50K", "%|%|0 ÷ 100 %|Span min.: 5 %"}}) {
            // clang-format on
            Editor e{modelByte};
            e.m.setText("cmb_Prog_In", 0, QString::fromUtf8(input));
            QCOMPARE(e.shows("lbl_uMisIn:1 lbl_uMisS:3 lbl_limite_in lbl_spanmin_in"),
                     QString::fromUtf8(labels));
        }
    }

    // Texts not in a list keep the previous code; a new output type resets the range.
    void unknownTextsAndOutputReset() {
        Editor e(3);
        e.type("cmb_Prog_In=Pt 100|cmb_Prog_In=Tc Q");
        QCOMPARE(e.m.inputCode(0), 18);
        QCOMPARE(e.shows("lbl_limite_in"), u"-200 ÷ 850 °C"_s);
        e.type("cmb_Prog_Out=4-20 mA|cmb_Prog_Out=3-15 psi|txt_Output_max:1=7");
        QCOMPARE(e.m.outputCode(0), 1);
        QSignalSpy spy(&e.m, &EditorModel::controlChanged);
        e.m.setText("cmb_Prog_Out", 1, u"0-10 V"_s);
        QVERIFY(spy.contains(QVariantList{u"lbl_limite_out"_s, 1}));
        QCOMPARE(e.shows("txt_Output_min:1 txt_Output_max:1 lbl_uMisOut:2 lbl_limite_out:1 "
                         "lbl_spanmin_out:1"),
                 u"0|10|V|0 ÷ 10 V|Span min.: 1 V"_s);
    }

    void frequencySensor() {
        // clang-format off
        for (const auto& [sensor, shown, labels] :
             {std::tuple{"Volt", true, "100|V"}, {"NAMUR", false, "50|mA"}, {"Tacho", false, "0|mV"}}) {
            // clang-format on
            const FailingRow row(sensor);
            Editor e(7);
            e.m.setText("cmb_Freq_Type", 0, sensor);
            for (const char* n : {"txt_Trig", "lbl_aux", "txt_aux_freq", "lbl_uMisAux", "lbl_trig"})
                QCOMPARE(e.m.visible(n), shown);
            QCOMPARE(e.shows("txt_Trig lbl_uMisTrig"), QString(labels));
            QCOMPARE(e.m.inputCode(0), 33);
        }
    }

    // Flags: CJC, wires, burn-out, °C, °F, high speed (enabled, ticked), functions, tank, math.
    void enableSections() {
        // clang-format off
        for (const auto& [modelByte, input, expected] : {std::tuple{2, "200 mV", "00100110110"},
                 {5, "10 V", "00100111111"}, {4, "20 mA", "00100110110"}, {0, "20 mA", "00100110000"},
                 {2, "Tc K", "10111000110"}, {2, "Tc B", "00111000110"}, {3, "Res2K", "01100000110"},
                 {3, "Pt 100", "01111000110"}, {6, "Cost10K", "01111000110"},
                 {3, "Pot500", "00100110110"}}) {
            // clang-format on
            const FailingRow row(u"model %1 %2"_s.arg(modelByte).arg(input));
            Editor e{modelByte};
            e.m.setText("cmb_Prog_In", 0, u"90 mV"_s); // allow high speed first
            e.m.setChecked("chk_HS", 0, true);
            e.m.setText("cmb_Prog_In", 0, input);
            QCOMPARE(e.m.inputCode(0), *e.catalogue.FindInputType(input));
            QString flags;
            for (const char* n :
                 {"frm_cjc", "frm_fili", "frm_break", "opt_gradi", "opt_gradi_far", "chk_HS", "",
                  "frm_funz", "opt_funz:1", "opt_funz:4", "cmd_math"}) {
                const QString c = QString(n); // empty: whether chk_HS stayed ticked
                flags += QString::number(
                    c.isEmpty() ? e.m.checked("chk_HS")
                                : e.m.enabled(c.section(':', 0, 0), c.section(':', 1).toInt()));
            }
            QCOMPARE(flags, QString(expected));
        }
    }

    void cjcAndDoubler() {
        Editor v(4); // a voltage input selects the second CJC element
        QCOMPARE(v.m.choice("opt_CJC", 1), 0);
        v.m.setText("cmb_Prog_In", 1, u"10 V"_s);
        QVERIFY(v.m.checked("opt_CJC", 3));
        QCOMPARE(v.m.choice("opt_CJC", 1), 1);

        Editor e(0);
        e.m.setText("cmb_Prog_In", 0, u"Tc K"_s);
        QVERIFY(!e.m.enabled("frm_output", 1));
        e.m.setChecked("chk_Doubler", 0, true);
        QVERIFY(e.m.enabled("frm_output", 1) && e.m.enabled("frm_options", 1));
        QVERIFY(!e.m.enabled("frm_fili", 1) && !e.m.enabled("frm_cjc", 1));
        QCOMPARE(e.shows("cmb_Prog_In:1"), u"DOUBLER"_s);
        e.m.setText("cmb_Prog_In", 0, u"Tc J"_s);
        QCOMPARE(e.m.inputCode(1), 7); // channel B repeats channel A
        e.texts.setLanguage(Texts::Italian);
        QCOMPARE(e.shows("cmb_Prog_In:1"), u"DUPLIC."_s);
        e.m.setText("txt_Output_max", 1, u"12"_s);
        e.m.setChecked("chk_Doubler", 0, false);
        QVERIFY(!e.m.enabled("frm_output", 1));
        // Without the doubler the single-channel model has no channel B to show.
        QCOMPARE(e.shows("cmb_Prog_In:1 cmb_Prog_Out:1 txt_Output_max:1 lbl_uMisIn:2"), u"|||"_s);

        Editor lettered(3); // no doubler
        lettered.m.setChecked("chk_Doubler", 0, true);
        QVERIFY(!lettered.m.enabled("chk_Doubler") && !lettered.m.checked("chk_Doubler"));
    }

    void fahrenheit() {
        Editor e(0);
        e.type("cmb_Prog_In=Pt "
               "100|txt_Input_min=0|txt_Input_max=25.34|txt_offset=1,5|txt_soglia_H=100");
        const QString fields = u"txt_Input_min txt_Input_max txt_offset txt_soglia_H "_s;
        e.m.click("opt_gradi_far", 0);
        QVERIFY(e.m.isFahrenheit(0) && !e.m.isFahrenheit(1));
        QCOMPARE(e.shows(fields + "lbl_uMisS lbl_limite_in lbl_spanmin_in"),
                 u"32.0|77.6|2.7|212.0|°F|-328 ÷ 1562 °F|Span min.: 90 °F"_s);
        // The record is always in Celsius.
        QVERIFY(e.m.toRecord().offset[0] == 1.5 && e.m.toRecord().trips[0].high == 100.0);
        e.m.click("opt_gradi_far", 0); // the unit already shown changes nothing
        QCOMPARE(e.shows("txt_Input_max"), u"77.6"_s);
        e.m.click("opt_gradi", 0);
        QCOMPARE(e.shows(fields + "lbl_limite_in"), u".0|25.3|1.5|100.0|-200 ÷ 850 °C"_s);
        // What is no number is not turned into one: it stays for the write to refuse.
        e.type("txt_soglia_L=n/a");
        e.m.click("opt_gradi_far", 0);
        QCOMPARE(e.shows("txt_soglia_L txt_soglia_H"), u"n/a|212.0"_s);
        QCOMPARE(e.m.fieldsWithoutNumbers(), (QList<FieldRef>{{u"txt_soglia_L"_s, 0}}));
    }

    // The math model's operator dialog and physical-scaling page; the shared trip delay.
    void operatorPhysicalAndDelay() {
        Editor e(5);
        QSignalSpy opened(&e.m, &EditorModel::operatorDialogRequested);
        e.m.click("cmd_Operatore", 1);
        QCOMPARE(opened.first().at(0).toInt(), 1);
        e.m.click("opt_Oper", 6); // MAX
        QVERIFY(e.m.visible("frm_Oper") && e.m.visible("Frame1"));
        e.m.click("opt_Oper", 2); // A+B
        QVERIFY(!e.m.visible("Frame1"));
        e.m.click("Cmd_ok");
        e.m.click("cmd_Operatore", 0); // the other channel shows its own operator
        QCOMPARE(e.m.choice("opt_Oper", 0), 0);
        QCOMPARE(e.shows("cmd_Operatore:0 cmd_Operatore:1"), u"= A|A+B"_s);
        QCOMPARE(e.m.toRecord().channels[1].operatorCode, 2);
        e.type("cmb_Prog_In=10 V|txt_Input_max=10|cmb_Prog_Out=4-20 mA");
        const auto pages = [&] {
            QString v;
            for (int k = 0; k < 4; ++k)
                v += e.m.visible("frm_modo", k) ? u'1' : u'0';
            return v;
        };
        QCOMPARE(pages(), u"1110"_s);
        e.m.click("cmd_math");
        QCOMPARE(pages(), u"1001"_s); // the physical page alone, options frame included
        QCOMPARE(e.shows("txt_Input_max:2 txt_Output_min:2 lbl_uMisIn:4"), u"10|4|V"_s);
        QSignalSpy spy(&e.m, &EditorModel::controlChanged);
        e.m.setText("txt_Fisico_max", 2, u"150"_s);
        QCOMPARE(spy.count(), 1); // no other field changes
        QCOMPARE(e.m.toRecord().channels[0].physicalInputEnd, 150.0);
        e.m.click("cmd_OperOk");
        QCOMPARE(pages(), u"1110"_s); // the normal page in full, options frame included
        Editor twoTrips(7);           // no math page; both trips share one delay byte
        twoTrips.m.click("cmd_math");
        QVERIFY(!twoTrips.m.visible("frm_modo", 3));
        twoTrips.m.setText("txt_soglia_Delay", 1, u"9"_s);
        QCOMPARE(twoTrips.shows("txt_soglia_Delay:0"), u"9"_s);
        QCOMPARE(twoTrips.m.toRecord().trips[0].delay, 9);
    }
    // Every trigger code, decoded and shown as the editor shows it, typed back and encoded,
    // gives the same code: the bare integer part would turn the 0.65 shown for code 19 into
    // 18. 2.902 (code 100) is the TTL default.
    void triggerLevelRoundTrip() {
        Editor shown(7);
        const DeviceIdentity id = shown.m.identity();
        const auto written = [&](const QString& text) {
            Editor typed(7);
            typed.m.setText("txt_Trig", 0, text);
            int code = -1;
            for (const WriteItem& w : EncodeRecord(typed.m.toRecord(), id, typed.catalogue, {}))
                code = w.address == 64 ? w.value : code;
            return code;
        };
        for (int code = 0; code <= 255; ++code) {
            ConfigRecord r;
            r.triggerLevel = TriggerLevelFromCode(code);
            shown.m.showRecord(r, {});
            QCOMPARE(written(shown.shows("txt_Trig")), code);
        }
        QCOMPARE(shown.shows("txt_Trig"), u"7.211"_s);
        QCOMPARE(written(u"2.902"_s), 100);
        QCOMPARE(written(u"0.16"_s), 1); // between two codes: the lower one
    }

    void parse() {
        // clang-format off
        for (const auto& [text, value, overflow] : {std::tuple{"", 0.0, false}, {"abc", 0.0, false},
                 {"-", 0.0, false}, {".", 0.0, false}, {"12,5", 12.0, false}, // the comma ends it
                 {"  7.5", 7.5, false}, {"25 mA", 25.0, false}, {".5", 0.5, false},
                 {"-200", -200.0, false}, {"1e3", 1000.0, false}, {"2e-", 2.0, false},
                 {"1e999", 0.0, true}, {"1e-999", 0.0, false}, {"1.2.3", 1.2, false}}) {
            // clang-format on
            const ParsedNumber p = ParseLeadingNumber(QString::fromUtf8(text));
            QVERIFY2(p.value == value && p.overflow == overflow, text);
            QVERIFY2(Val(QString::fromUtf8(text)) == value, text);
        }
    }

    // Numbers as users type them: "," or "." as the decimal mark, and nothing else.
    void typed() {
        using S = TypedNumber::Status;
        // clang-format off
        for (const auto& [text, value, status] : {std::tuple{"2,5", 2.5, S::Number},
                 {"2.5", 2.5, S::Number}, {" -0,25 ", -0.25, S::Number}, {",5", 0.5, S::Number},
                 {"5.", 5.0, S::Number}, {"+3", 3.0, S::Number}, {"1e3", 1000.0, S::Number},
                 {"1,5E-1", 0.15, S::Number}, {"1e-999", 0.0, S::Number}, {"-0", 0.0, S::Number},
                 {"", 0.0, S::Empty}, {"   ", 0.0, S::Empty}, {"1e999", 0.0, S::Overflow},
                 {"abc", 0.0, S::NotANumber}, {"12abc", 0.0, S::NotANumber},
                 {"25 mA", 0.0, S::NotANumber}, {"1.2.3", 0.0, S::NotANumber},
                 {"1.234,5", 0.0, S::NotANumber}, {"1 000", 0.0, S::NotANumber},
                 {"-", 0.0, S::NotANumber}, {".", 0.0, S::NotANumber}, {"e5", 0.0, S::NotANumber},
                 {"2e", 0.0, S::NotANumber}, {"0x10", 0.0, S::NotANumber},
                 {"\xd9\xa3", 0.0, S::NotANumber}}) { // an Arabic-Indic three
            // clang-format on
            const TypedNumber n = ParseTypedNumber(QString::fromUtf8(text));
            QVERIFY2(n.value == value && n.status == status, text);
        }
    }

    // Range, tenths and tenths without a leading zero.
    void formats() {
        // clang-format off
        for (const auto& [v, shown] : {std::pair{0.0, "0|0.0|.0"}, {-0.5, "-0.5|-0.5|-.5"},
                 {120.0, "120|120.0|120.0"}, {1.2346, "1.235|1.2|1.2"}, {2.675, "2.675|2.7|2.7"},
                 {-0.0001, "0|0.0|.0"}}) {
            // clang-format on
            QCOMPARE(FormatRange(v) + '|' + FormatTenths(v) + '|' + FormatTenthsNoLeadingZero(v),
                     QString(shown));
        }
    }

    // A span converted to °F is written without the leading zero, as every conversion is.
    void fahrenheitSpanText() { QCOMPARE(CtoFSpan(0.2), u".4"_s); }
};

QTEST_GUILESS_MAIN(TestEditorModel)
#include "tst_editormodel.moc"
