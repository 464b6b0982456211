// Number parsing, editor formats and the Celsius/Fahrenheit conversions.
#include "numberformat.h"

#include <QTest>

using namespace vantelso;
using namespace Qt::StringLiterals;

class TestNumberFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
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

    void shortNumberAndConversions() {
        QCOMPARE(ShortNumber(-100.0) + ' ' + ShortNumber(0.1) + ' ' + ShortNumber(23.72) + ' ' +
                     ShortNumber(20000.0),
                 u"-100 0.1 23.72 20000"_s);
        QCOMPARE(CtoF(-200) + ' ' + CtoF(0) + ' ' + CtoF(25.34), u"-328.0 32.0 77.6"_s);
        QCOMPARE(FtoC(32) + ' ' + FtoC(0) + ' ' + FtoC(77.6), u".0 -17.8 25.3"_s);
        QCOMPARE(CtoFSpan(1.5) + ' ' + FtoCSpan(2.7) + ' ' + CtoFSpan(0.2), u"2.7 1.5 .4"_s);
    }
};

QTEST_GUILESS_MAIN(TestNumberFormat)
#include "tst_numberformat.moc"
