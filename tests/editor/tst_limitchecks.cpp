// Limit checks before a write: which markers, in which order, with which exact texts.
#include "limitchecks.h"
#include "offlineeditor.h"

#include <QTest>

using namespace vantelso;
using namespace Qt::StringLiterals;

namespace {

struct Editor : OfflineEditor {
    using OfflineEditor::OfflineEditor;
    // A channel that passes every check, for the cases that break only one thing.
    void sane(int c, const char* input, const char* max) {
        set("cmb_Prog_In", c, input);
        set("txt_Input_min", c, "0");
        set("txt_Input_max", c, max);
        set("cmb_Prog_Out", c, "4-20 mA");
        set("txt_offset", c, "0.0");
    }
    QStringList messages() const {
        QStringList out;
        for (const LimitFinding& f : LimitChecks(m, texts).findings())
            out << f.message;
        return out;
    }
};

// "(MAX)" -> "Channel A: <what> (MAX) exceeds limits"; "" -> no message.
QString finding(const char* channel, const char* what, const char* markers) {
    return *markers ? QStringLiteral("Channel %1: %2 %3 exceeds limits").arg(channel, what, markers)
                    : QString();
}

// Values typed into one channel (channel B on the frequency model 7), after switching it to
// °F if asked: input min and max, or trip high, low and delay; then the expected markers.
struct Typed {
    int modelByte;
    const char* input;
    bool fahrenheit;
    const char *a, *b, *delay; // delay nullptr: an input range
    const char* markers;
};

} // namespace

Q_DECLARE_METATYPE(Typed)

class TestLimitChecks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rangesAndTrips_data() {
        QTest::addColumn<Typed>("k");
        // clang-format off
        for (const Typed& k : {Typed{2, "Tc J", false, "0", "1300", nullptr, "(MAX)"},
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
                 {7, "Freq", false, "1000", "0", "1", "(Lo<0.1)"}})
            // clang-format on
            QTest::addRow("%s %s%s %s..%s", k.delay ? "trips" : "range", k.input,
                          k.fahrenheit ? " °F" : "", k.b, k.a)
                << k;
    }
    void rangesAndTrips() {
        QFETCH(Typed, k);
        const int c = k.modelByte == 7 ? 1 : 0;
        Editor e{k.modelByte};
        e.sane(c, k.input, "0");
        if (k.fahrenheit)
            e.m.click("opt_gradi_far", c);
        e.set(k.delay ? "txt_soglia_H" : "txt_Input_min", c, k.a);
        e.set(k.delay ? "txt_soglia_L" : "txt_Input_max", c, k.b);
        if (k.delay)
            e.set("txt_soglia_Delay", c, k.delay);
        const LimitChecks checks(e.m, e.texts);
        QVERIFY(!k.delay || checks.checksTrips(c));
        QCOMPARE(k.delay ? checks.tripMessage(c) : checks.inputMessage(c),
                 finding(c ? "B" : "A", k.delay ? "Trips" : "input value", k.markers));
    }

    // Edits ("control:element=text"; "chk_" ticks, no "=" clicks, "it": Italian texts) made
    // after the channels of models 0, 2 and 3 are made sane; then every message in order.
    void messages_data() {
        QTest::addColumn<int>("modelByte");
        QTest::addColumn<QString>("edits");
        QTest::addColumn<QStringList>("expected");
        const QString offsetA = u"Channel A: CJC Offset exceeds limits"_s;
        const QString offsetB = u"Channel B: CJC Offset exceeds limits"_s;
        const auto out = [](const char* markers) { return finding("B", "output value", markers); };
        const auto row = [](const char* name, int m, const QString& edits, QStringList expected) {
            QTest::newRow(name) << m << edits << expected;
        };
        row("passes", 3, "cmb_Prog_Out:1=4-20 mA|txt_Output_min:1=4|txt_offset:1=12.5", {});
        row("offset", 3, "txt_offset:1=12.6", {offsetB});
        row("-offset", 3, "txt_offset:1=-12.6", {offsetB});
        row("output below", 3, "txt_Output_min:1=2", {out("(MIN)")});
        row("output over, narrow", 3,
            "cmb_Prog_Out:1=0-5 V|txt_Output_min:1=5|txt_Output_max:1=5.5", {out("(MAX) (SPAN)")});
        row("output before offset", 3,
            "cmb_Prog_Out:1=0-10 V|txt_Output_min:1=0|txt_Output_max:1=11|txt_offset:1=13",
            {out("(MAX)"), offsetB});
        row("°F offset 12.5 °C", 3, "opt_gradi_far:0|txt_offset:0=22.5", {});
        row("°F offset 12.7 °C", 3, "opt_gradi_far:0|txt_offset:0=22.8", {offsetA});
        row("Italian", 2, "it|txt_Input_max:0=1300|txt_offset:1=20",
            {"Canale A: Valori di ingresso (MAX) oltre i limiti",
             "Canale B: Offset CJC oltre i limiti"});
        // Inputs of both channels first, then outputs, offsets and trips.
        row("order", 7,
            "txt_Input_max:0=30000|txt_Input_min:1=1|txt_Input_max:1=100|cmb_Prog_Out:0=4-20 mA|"
            "cmb_Prog_Out:1=4-20 mA|txt_soglia_H:0=500|txt_soglia_H:1=500|txt_soglia_L:0=0|"
            "txt_soglia_L:1=10|txt_Output_max:0=25|txt_offset:0=13",
            {"Channel A: input value (MAX) (MIN) exceeds limits",
             "Channel A: output value (MAX) exceeds limits", offsetA,
             "Channel A: Trips (Lo<0.1) exceeds limits"});
        // Channel B of a single-channel model is checked only where the doubler uses it.
        const QString single = u"txt_soglia_H:0=800|txt_soglia_L:0=780|txt_Output_max:1=0|"
                               "txt_Output_min:1=0|txt_Input_max:1=99999"_s;
        row("single channel", 0, single, {});
        row("single channel, doubler", 0, "chk_Doubler:0=1|" + single, {out("(SPAN)")});
    }
    void messages() {
        QFETCH(int, modelByte);
        QFETCH(QString, edits);
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
                e.m.setText(name, element, edit.section('=', 1));
        }
        QTEST(e.messages(), "expected");
    }

    // Input and CJC choice (1: internal) of channels A and B; whether the rule is broken.
    void cjcRule() {
        // clang-format off
        for (const auto& [modelByte, setup, violated] : {std::tuple{2, "Tc J|1|Tc K|1", false},
                 {2, "Tc J|0|Tc K|1", true}, {2, "90 mV|1|Tc K|1", true},
                 {2, "90 mV|0|Tc K|0", false}, {2, "90 mV|0|200 mV|1", false},
                 {3, "Pt 100|0|Tc K|1", false}}) {
            // clang-format on
            Editor e{modelByte};
            const QStringList s = QString(setup).split('|');
            for (int c = 0; c < 2; ++c) {
                e.m.setText("cmb_Prog_In", c, s[2 * c]);
                e.m.choose("opt_CJC", c, s[2 * c + 1].toInt());
            }
            const LimitChecks checks(e.m, e.texts);
            QVERIFY2(checks.cjcRuleViolated() == violated, setup);
            QCOMPARE(
                checks.cjcRuleMessage(),
                u"Wrong configuration: Channel A input must be a Thermocouple with Internal CJC"_s);
        }
    }
};

QTEST_GUILESS_MAIN(TestLimitChecks)
#include "tst_limitchecks.moc"
