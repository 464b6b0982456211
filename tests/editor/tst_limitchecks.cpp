// Limit checks before a write: which markers, in which order, with which exact texts.
#include "catalogue.h"
#include "editormodel.h"
#include "limitchecks.h"
#include "texts.h"

#include <QTest>

using namespace vantelso;
using namespace Qt::StringLiterals;

namespace {

struct Editor {
    explicit Editor(int modelByte, bool english = true) : m(catalogue, texts) {
        texts.setLanguage(english ? Texts::English : Texts::Italian);
        DeviceIdentity id;
        id.ModelByte = std::uint8_t(modelByte);
        catalogue.Init(id);
        catalogue.UpdateAfterRead(id);
        m.setIdentity(id);
    }
    void set(const char* name, int element, const char* text) { m.setText(name, element, text); }
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
    Catalogue catalogue;
    Texts texts;
    EditorModel m;
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

    // Channel B of model 3: output type, min, max, offset; then the expected messages.
    void outputAndOffset_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("expected");
        const QString offset = u"Channel B: CJC Offset exceeds limits"_s;
        const auto out = [](const char* markers) { return finding("B", "output value", markers); };
        QTest::newRow("passes") << QStringList{"4-20 mA", "4", "20", "12.5"} << QStringList{};
        QTest::newRow("offset") << QStringList{"4-20 mA", "4", "20", "12.6"} << QStringList{offset};
        QTest::newRow("-offset") << QStringList{"4-20 mA", "4", "20", "-12.6"}
                                 << QStringList{offset};
        QTest::newRow("below") << QStringList{"4-20 mA", "2", "20", "0"}
                               << QStringList{out("(MIN)")};
        QTest::newRow("over, narrow")
            << QStringList{"0-5 V", "5", "5.5", "0"} << QStringList{out("(MAX) (SPAN)")};
        QTest::newRow("output first")
            << QStringList{"0-10 V", "0", "11", "13"} << QStringList{out("(MAX)"), offset};
    }
    void outputAndOffset() {
        QFETCH(QStringList, typed);
        Editor e(3);
        e.sane(0, "Pt 100", "100");
        e.sane(1, "Pt 100", "100");
        int i = 0;
        for (const char* n : {"cmb_Prog_Out", "txt_Output_min", "txt_Output_max", "txt_offset"})
            e.m.setText(n, 1, typed[i++]);
        QTEST(e.messages(), "expected");
    }

    void offsetInFahrenheitIsCheckedInCelsius() {
        Editor e(3);
        e.sane(0, "Pt 100", "100");
        e.m.click("opt_gradi_far", 0);
        e.set("txt_offset", 0, "22.5"); // 12.5 °C
        QVERIFY(LimitChecks(e.m, e.texts).offsetMessage(0).isEmpty());
        e.set("txt_offset", 0, "22.8"); // 12.7 °C
        QCOMPARE(LimitChecks(e.m, e.texts).offsetMessage(0),
                 u"Channel A: CJC Offset exceeds limits"_s);
    }

    void italianTexts() {
        Editor e(2, false);
        e.sane(0, "Tc J", "1300");
        e.sane(1, "Tc J", "100");
        e.set("txt_offset", 1, "20");
        QCOMPARE(e.messages(), (QStringList{"Channel A: Valori di ingresso (MAX) oltre i limiti",
                                            "Channel B: Offset CJC oltre i limiti"}));
    }

    // Inputs of both channels first, then outputs, offsets and trips.
    void orderAcrossChannels() {
        Editor e(7);
        e.set("txt_Input_max", 0, "30000");
        e.set("txt_Input_min", 1, "1");
        e.set("txt_Input_max", 1, "100");
        for (int c = 0; c < 2; ++c) {
            e.set("cmb_Prog_Out", c, "4-20 mA");
            e.set("txt_soglia_H", c, "500");
            e.set("txt_soglia_L", c, c ? "10" : "0");
        }
        e.set("txt_Output_max", 0, "25");
        e.set("txt_offset", 0, "13");
        QCOMPARE(e.messages(), (QStringList{"Channel A: input value (MAX) (MIN) exceeds limits",
                                            "Channel A: output value (MAX) exceeds limits",
                                            "Channel A: CJC Offset exceeds limits",
                                            "Channel A: Trips (Lo<0.1) exceeds limits"}));
    }

    // Channel B of the single-channel model is checked only where the doubler uses it.
    void singleChannelModelChecksChannelA() {
        Editor e(0);
        e.sane(0, "Tc K", "1000");
        e.set("txt_soglia_H", 0, "800");
        e.set("txt_soglia_L", 0, "780");
        e.set("txt_Output_max", 1, "0");
        e.set("txt_Output_min", 1, "0");
        e.set("txt_Input_max", 1, "99999");
        QCOMPARE(e.messages(), QStringList());
        e.m.setChecked("chk_Doubler", 0, true);
        QCOMPARE(e.messages(), QStringList{"Channel B: output value (SPAN) exceeds limits"});
    }

    // Input and CJC choice (1: internal) of channels A and B.
    void cjcRule_data() {
        QTest::addColumn<int>("modelByte");
        QTest::addColumn<QStringList>("setup");
        QTest::addColumn<bool>("violated");
        QTest::newRow("both internal Tc") << 2 << QStringList{"Tc J", "1", "Tc K", "1"} << false;
        QTest::newRow("A external") << 2 << QStringList{"Tc J", "0", "Tc K", "1"} << true;
        QTest::newRow("A mV") << 2 << QStringList{"90 mV", "1", "Tc K", "1"} << true;
        QTest::newRow("B external") << 2 << QStringList{"90 mV", "0", "Tc K", "0"} << false;
        QTest::newRow("B mV") << 2 << QStringList{"90 mV", "0", "200 mV", "1"} << false;
        QTest::newRow("other model") << 3 << QStringList{"Pt 100", "0", "Tc K", "1"} << false;
    }
    void cjcRule() {
        QFETCH(int, modelByte);
        QFETCH(QStringList, setup);
        Editor e{modelByte};
        for (int c = 0; c < 2; ++c) {
            e.m.setText("cmb_Prog_In", c, setup[2 * c]);
            e.m.choose("opt_CJC", c, setup[2 * c + 1].toInt());
        }
        const LimitChecks checks(e.m, e.texts);
        QTEST(checks.cjcRuleViolated(), "violated");
        QCOMPARE(
            checks.cjcRuleMessage(),
            u"Wrong configuration: Channel A input must be a Thermocouple with Internal CJC"_s);
    }
};

QTEST_GUILESS_MAIN(TestLimitChecks)
#include "tst_limitchecks.moc"
