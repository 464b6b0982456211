// Number parsing, editor formats and the Celsius/Fahrenheit conversions.
#include "numberformat.h"

#include <QTest>

using namespace vantelso;
using namespace Qt::StringLiterals;

class TestNumberFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("overflow");
        const auto row = [](const char* text, double value, bool overflow = false) {
            QTest::newRow(text) << QString::fromUtf8(text) << value << overflow;
        };
        row("", 0.0);
        row("12.5", 12.5);
        row("12,5", 12.0); // the comma ends the number
        row("abc", 0.0);
        row("-", 0.0);
        row(".", 0.0);
        row("-200", -200.0);
        row("  7.5", 7.5);
        row("25 mA", 25.0);
        row(".5", 0.5);
        row("1e3", 1000.0);
        row("2e-", 2.0);
        row("1e999", 0.0, true);
        row("1e-999", 0.0);
        row("1.2.3", 1.2);
    }
    void parse() {
        QFETCH(QString, text);
        QFETCH(double, value);
        const ParsedNumber p = ParseLeadingNumber(text);
        QCOMPARE(p.value, value);
        QTEST(p.overflow, "overflow");
        QCOMPARE(Val(text), value);
    }

    void formats_data() {
        QTest::addColumn<double>("v");
        QTest::addColumn<QString>("range");
        QTest::addColumn<QString>("tenths");
        QTest::addColumn<QString>("noLeadingZero");
        const auto row = [](const char* name, double v, const char* range, const char* tenths,
                            const char* noLeadingZero) {
            QTest::newRow(name) << v << QString(range) << QString(tenths) << QString(noLeadingZero);
        };
        row("zero", 0.0, "0", "0.0", ".0");
        row("minus half", -0.5, "-0.5", "-0.5", "-.5");
        row("integer", 120.0, "120", "120.0", "120.0");
        row("three decimals", 1.2346, "1.235", "1.2", "1.2");
        row("half up", 2.675, "2.675", "2.7", "2.7");
        row("tiny negative", -0.0001, "0", "0.0", ".0");
        row("negative", -200.0, "-200", "-200.0", "-200.0");
    }
    void formats() {
        QFETCH(double, v);
        QTEST(FormatRange(v), "range");
        QTEST(FormatTenths(v), "tenths");
        QTEST(FormatTenthsNoLeadingZero(v), "noLeadingZero");
    }

    void shortNumberAndConversions() {
        QCOMPARE(ShortNumber(-100.0), u"-100"_s);
        QCOMPARE(ShortNumber(0.1), u"0.1"_s);
        QCOMPARE(ShortNumber(23.72), u"23.72"_s);
        QCOMPARE(ShortNumber(20000.0), u"20000"_s);
        QCOMPARE(CtoF(-200), u"-328.0"_s);
        QCOMPARE(CtoF(0), u"32.0"_s);
        QCOMPARE(FtoC(32), u".0"_s);
        QCOMPARE(FtoC(0), u"-17.8"_s);
        QCOMPARE(CtoF(25.34), u"77.6"_s);
        QCOMPARE(FtoC(77.6), u"25.3"_s);
        QCOMPARE(CtoFSpan(1.5), u"2.7"_s);
        QCOMPARE(FtoCSpan(2.7), u"1.5"_s);
        QCOMPARE(CtoFSpan(0.2), u".4"_s);
    }
};

QTEST_GUILESS_MAIN(TestNumberFormat)
#include "tst_numberformat.moc"
