// Limit checks before a write: which markers, in which order, with which exact texts.
#include "catalogue.h"
#include "editormodel.h"
#include "limitchecks.h"
#include "texts.h"

#include <QTest>

using namespace vantelso;

namespace {

struct Editor {
    explicit Editor(std::uint8_t modelByte, bool english = true) : model(catalogue, texts) {
        texts.setLanguage(english ? Texts::English : Texts::Italian);
        DeviceIdentity id;
        id.ModelByte = modelByte;
        catalogue.Init(id);
        catalogue.UpdateAfterRead(id);
        model.setIdentity(id);
    }
    void set(const char* name, int element, const QString& text) {
        model.setText(QString::fromLatin1(name), element, text);
    }
    // A channel that passes every check, for the cases that break only one thing.
    void sane(int c, const QString& input, const QString& min, const QString& max) {
        set("cmb_Prog_In", c, input);
        set("txt_Input_min", c, min);
        set("txt_Input_max", c, max);
        set("cmb_Prog_Out", c, QStringLiteral("4-20 mA"));
        set("txt_offset", c, QStringLiteral("0.0"));
    }
    QStringList messages() const {
        QStringList out;
        for (const LimitFinding& f : LimitChecks(model, texts).findings())
            out << f.message;
        return out;
    }
    Catalogue catalogue;
    Texts texts;
    EditorModel model;
};

} // namespace

class TestLimitChecks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void inputRange_data() {
        QTest::addColumn<int>("modelByte");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("fahrenheit");
        QTest::addColumn<QString>("min");
        QTest::addColumn<QString>("max");
        QTest::addColumn<QString>("expected");
        const QString a = QStringLiteral("Channel A: input value");
        const QString tail = QStringLiteral(" exceeds limits");
        QTest::newRow("Tc J 0..1300") << 2 << "Tc J" << false << "0"
                                      << "1300" << a + " (MAX)" + tail;
        QTest::newRow("Tc J 0..50") << 2 << "Tc J" << false << "0"
                                    << "50" << a + " (SPAN)" + tail;
        QTest::newRow("Tc J ok") << 2 << "Tc J" << false << "0"
                                 << "600" << QString();
        QTest::newRow("Tc J all three") << 2 << "Tc J" << false << "-300"
                                        << "-250" << a + " (MIN) (SPAN)" + tail;
        QTest::newRow("Tc J max and span") << 2 << "Tc J" << false << "1250"
                                           << "1300" << a + " (MAX) (SPAN)" + tail;
        QTest::newRow("Tc J °F 2192") << 2 << "Tc J" << true << "32"
                                      << "2192" << QString();
        QTest::newRow("Tc J °F 2193") << 2 << "Tc J" << true << "32"
                                      << "2193" << a + " (MAX)" + tail;
        QTest::newRow("Tc J °F span 180") << 2 << "Tc J" << true << "32"
                                          << "212" << QString();
        QTest::newRow("Tc J °F span 179") << 2 << "Tc J" << true << "32"
                                          << "211" << a + " (SPAN)" + tail;
        QTest::newRow("20 mA 4..20") << 4 << "20 mA" << false << "4"
                                     << "20" << QString();
        QTest::newRow("20 mA 0..0.5") << 4 << "20 mA" << false << "0"
                                      << "0.5" << a + " (SPAN)" + tail;
        QTest::newRow("10 V model 0 from -10") << 0 << "10 V" << false << "-10"
                                               << "10" << QString();
        QTest::newRow("10 V model 4 from -10") << 4 << "10 V" << false << "-10"
                                               << "10" << a + " (MIN)" + tail;
        QTest::newRow("text counts as 0") << 2 << "Tc J" << false << "abc"
                                          << "1e999" << a + " (SPAN)" + tail;
    }
    void inputRange() {
        QFETCH(int, modelByte);
        QFETCH(QString, input);
        QFETCH(bool, fahrenheit);
        QFETCH(QString, min);
        QFETCH(QString, max);
        QFETCH(QString, expected);
        Editor e{std::uint8_t(modelByte)};
        e.sane(0, input, QStringLiteral("0"), QStringLiteral("0"));
        if (fahrenheit)
            e.model.click(QStringLiteral("opt_gradi_far"), 0);
        e.set("txt_Input_min", 0, min);
        e.set("txt_Input_max", 0, max);
        const QString got = LimitChecks(e.model, e.texts).inputMessage(0);
        QCOMPARE(got, expected);
    }

    void outputAndOffset_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("min");
        QTest::addColumn<QString>("max");
        QTest::addColumn<QString>("offset");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("passes") << "4-20 mA"
                                << "4"
                                << "20"
                                << "12.5" << QStringList();
        QTest::newRow("offset 12.6")
            << "4-20 mA"
            << "4"
            << "20"
            << "12.6" << QStringList{"Channel B: CJC Offset exceeds limits"};
        QTest::newRow("offset -12.6")
            << "4-20 mA"
            << "4"
            << "20"
            << "-12.6" << QStringList{"Channel B: CJC Offset exceeds limits"};
        QTest::newRow("output below")
            << "4-20 mA"
            << "2"
            << "20"
            << "0" << QStringList{"Channel B: output value (MIN) exceeds limits"};
        QTest::newRow("output over and narrow")
            << "0-5 V"
            << "5"
            << "5.5"
            << "0" << QStringList{"Channel B: output value (MAX) (SPAN) exceeds limits"};
        QTest::newRow("output then offset")
            << "0-10 V"
            << "0"
            << "11"
            << "13"
            << QStringList{"Channel B: output value (MAX) exceeds limits",
                           "Channel B: CJC Offset exceeds limits"};
    }
    void outputAndOffset() {
        QFETCH(QString, output);
        QFETCH(QString, min);
        QFETCH(QString, max);
        QFETCH(QString, offset);
        QFETCH(QStringList, expected);
        Editor e(3);
        e.sane(0, QStringLiteral("Pt 100"), QStringLiteral("0"), QStringLiteral("100"));
        e.sane(1, QStringLiteral("Pt 100"), QStringLiteral("0"), QStringLiteral("100"));
        e.set("cmb_Prog_Out", 1, output);
        e.set("txt_Output_min", 1, min);
        e.set("txt_Output_max", 1, max);
        e.set("txt_offset", 1, offset);
        QCOMPARE(e.messages(), expected);
    }

    void offsetInFahrenheitIsCheckedInCelsius() {
        Editor e(3);
        e.sane(0, QStringLiteral("Pt 100"), QStringLiteral("0"), QStringLiteral("100"));
        e.model.click(QStringLiteral("opt_gradi_far"), 0);
        e.set("txt_offset", 0, QStringLiteral("22.5")); // 12.5 °C
        QVERIFY(LimitChecks(e.model, e.texts).offsetMessage(0).isEmpty());
        e.set("txt_offset", 0, QStringLiteral("22.8")); // 12.7 °C
        QCOMPARE(LimitChecks(e.model, e.texts).offsetMessage(0),
                 QStringLiteral("Channel A: CJC Offset exceeds limits"));
    }

    void trips_data() {
        QTest::addColumn<int>("modelByte");
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("fahrenheit");
        QTest::addColumn<QString>("high");
        QTest::addColumn<QString>("low");
        QTest::addColumn<QString>("delay");
        QTest::addColumn<QString>("expected");
        const QString a = QStringLiteral("Channel A: Trips");
        const QString b = QStringLiteral("Channel B: Trips");
        const QString tail = QStringLiteral(" exceeds limits");
        QTest::newRow("Tc J high 1300") << 0 << 0 << "Tc J" << false << "1300"
                                        << "100"
                                        << "1" << a + " (Hi>1200)" + tail;
        QTest::newRow("Tc K diff") << 0 << 0 << "Tc K" << false << "100"
                                   << "99.5"
                                   << "1" << a + " (Diff<13)" + tail;
        QTest::newRow("delay 300") << 0 << 0 << "Tc K" << false << "800"
                                   << "700"
                                   << "300" << a + " (Delay)" + tail;
        QTest::newRow("both below") << 0 << 0 << "Tc K" << false << "-300"
                                    << "-400"
                                    << "1" << a + " (Hi<-200) (Lo<-200)" + tail;
        QTest::newRow("low above, inverted") << 0 << 0 << "Tc K" << false << "1000"
                                             << "1400"
                                             << "1" << a + " (Lo>1300) (Diff<13)" + tail;
        QTest::newRow("°F limits") << 0 << 0 << "Tc J" << true << "2200"
                                   << "32"
                                   << "1" << a + " (Hi>2192)" + tail;
        QTest::newRow("°F diff") << 0 << 0 << "Tc J" << true << "100"
                                 << "80"
                                 << "1" << a + " (Diff<21.92)" + tail;
        QTest::newRow("ok") << 0 << 0 << "Tc K" << false << "800"
                            << "780"
                            << "2" << QString();
        QTest::newRow("freq channel B") << 7 << 1 << "Freq" << false << "25000"
                                        << "10"
                                        << "1" << b + " (Hi>20000)" + tail;
        QTest::newRow("freq low under") << 7 << 1 << "Freq" << false << "1000"
                                        << "0"
                                        << "1" << b + " (Lo<0.1)" + tail;
    }
    void trips() {
        QFETCH(int, modelByte);
        QFETCH(int, channel);
        QFETCH(QString, input);
        QFETCH(bool, fahrenheit);
        QFETCH(QString, high);
        QFETCH(QString, low);
        QFETCH(QString, delay);
        QFETCH(QString, expected);
        Editor e{std::uint8_t(modelByte)};
        e.set("cmb_Prog_In", channel, input);
        if (fahrenheit)
            e.model.click(QStringLiteral("opt_gradi_far"), channel);
        e.set("txt_soglia_H", channel, high);
        e.set("txt_soglia_L", channel, low);
        e.set("txt_soglia_Delay", channel, delay);
        const LimitChecks checks(e.model, e.texts);
        QVERIFY(checks.checksTrips(channel));
        QCOMPARE(checks.tripMessage(channel), expected);
    }

    void italianTexts() {
        Editor e(2, false);
        e.sane(0, QStringLiteral("Tc J"), QStringLiteral("0"), QStringLiteral("1300"));
        e.sane(1, QStringLiteral("Tc J"), QStringLiteral("0"), QStringLiteral("100"));
        e.set("txt_offset", 1, QStringLiteral("20"));
        QCOMPARE(e.messages(), (QStringList{"Channel A: Valori di ingresso (MAX) oltre i limiti",
                                            "Channel B: Offset CJC oltre i limiti"}));
    }

    // Inputs of both channels first, then outputs, offsets and trips.
    void orderAcrossChannels() {
        Editor e(7);
        e.set("txt_Input_min", 0, QStringLiteral("0"));
        e.set("txt_Input_max", 0, QStringLiteral("30000"));
        e.set("txt_Input_min", 1, QStringLiteral("1"));
        e.set("txt_Input_max", 1, QStringLiteral("100"));
        for (int c = 0; c < 2; ++c) {
            e.set("cmb_Prog_Out", c, QStringLiteral("4-20 mA"));
            e.set("txt_soglia_H", c, QStringLiteral("500"));
            e.set("txt_soglia_L", c, QStringLiteral("10"));
        }
        e.set("txt_Output_max", 0, QStringLiteral("25"));
        e.set("txt_offset", 0, QStringLiteral("13"));
        e.set("txt_soglia_L", 0, QStringLiteral("0"));
        QCOMPARE(e.messages(), (QStringList{
                                   "Channel A: input value (MAX) (MIN) exceeds limits",
                                   "Channel A: output value (MAX) exceeds limits",
                                   "Channel A: CJC Offset exceeds limits",
                                   "Channel A: Trips (Lo<0.1) exceeds limits",
                               }));
    }

    // Channel B of the single-channel model is checked only where the doubler uses it.
    void singleChannelModelChecksChannelA() {
        Editor e(0);
        e.sane(0, QStringLiteral("Tc K"), QStringLiteral("0"), QStringLiteral("1000"));
        e.set("txt_soglia_H", 0, QStringLiteral("800"));
        e.set("txt_soglia_L", 0, QStringLiteral("780"));
        e.set("txt_Output_max", 1, QStringLiteral("0"));
        e.set("txt_Output_min", 1, QStringLiteral("0"));
        e.set("txt_Input_max", 1, QStringLiteral("99999"));
        QCOMPARE(e.messages(), QStringList());
        e.model.setChecked(QStringLiteral("chk_Doubler"), 0, true);
        QCOMPARE(e.messages(), QStringList{"Channel B: output value (SPAN) exceeds limits"});
    }

    void cjcRule_data() {
        QTest::addColumn<int>("modelByte");
        QTest::addColumn<QString>("inputA");
        QTest::addColumn<bool>("internalA");
        QTest::addColumn<QString>("inputB");
        QTest::addColumn<bool>("internalB");
        QTest::addColumn<bool>("violated");
        QTest::newRow("both internal Tc") << 2 << "Tc J" << true << "Tc K" << true << false;
        QTest::newRow("A external") << 2 << "Tc J" << false << "Tc K" << true << true;
        QTest::newRow("A mV") << 2 << "90 mV" << true << "Tc K" << true << true;
        QTest::newRow("B external") << 2 << "90 mV" << false << "Tc K" << false << false;
        QTest::newRow("B mV") << 2 << "90 mV" << false << "200 mV" << true << false;
        QTest::newRow("other model") << 3 << "Pt 100" << false << "Tc K" << true << false;
    }
    void cjcRule() {
        QFETCH(int, modelByte);
        QFETCH(QString, inputA);
        QFETCH(bool, internalA);
        QFETCH(QString, inputB);
        QFETCH(bool, internalB);
        QFETCH(bool, violated);
        Editor e{std::uint8_t(modelByte)};
        e.set("cmb_Prog_In", 0, inputA);
        e.set("cmb_Prog_In", 1, inputB);
        e.model.choose(QStringLiteral("opt_CJC"), 0, internalA ? 1 : 0);
        e.model.choose(QStringLiteral("opt_CJC"), 1, internalB ? 1 : 0);
        const LimitChecks checks(e.model, e.texts);
        QCOMPARE(checks.cjcRuleViolated(), violated);
        QCOMPARE(checks.cjcRuleMessage(),
                 QStringLiteral("Wrong configuration: Channel A input must be a Thermocouple "
                                "with Internal CJC"));
    }
};

QTEST_GUILESS_MAIN(TestLimitChecks)
#include "tst_limitchecks.moc"
