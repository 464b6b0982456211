// Number parsing, editor formats and the Celsius/Fahrenheit conversions.
#include "numberformat.h"

#include <QTest>

using namespace vantelso;

class TestNumberFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("overflow");
        QTest::newRow("empty") << "" << 0.0 << false;
        QTest::newRow("plain") << "120" << 120.0 << false;
        QTest::newRow("decimal") << "12.5" << 12.5 << false;
        QTest::newRow("comma stops") << "12,5" << 12.0 << false;
        QTest::newRow("letters") << "abc" << 0.0 << false;
        QTest::newRow("sign only") << "-" << 0.0 << false;
        QTest::newRow("point only") << "." << 0.0 << false;
        QTest::newRow("negative") << "-200" << -200.0 << false;
        QTest::newRow("leading blanks") << "  7.5" << 7.5 << false;
        QTest::newRow("trailing unit") << "25 mA" << 25.0 << false;
        QTest::newRow("leading point") << ".5" << 0.5 << false;
        QTest::newRow("exponent") << "1e3" << 1000.0 << false;
        QTest::newRow("bare e") << "2e" << 2.0 << false;
        QTest::newRow("e sign no digits") << "2e-" << 2.0 << false;
        QTest::newRow("overflow") << "1e999" << 0.0 << true;
        QTest::newRow("underflow") << "1e-999" << 0.0 << false;
        QTest::newRow("two points") << "1.2.3" << 1.2 << false;
    }
    void parse() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(bool, overflow);
        const ParsedNumber p = ParseLeadingNumber(text);
        QCOMPARE(p.value, value);
        QCOMPARE(p.overflow, overflow);
        QCOMPARE(Val(text), value);
    }

    void formats_data() {
        QTest::addColumn<double>("v");
        QTest::addColumn<QString>("range");
        QTest::addColumn<QString>("tenths");
        QTest::addColumn<QString>("noLeadingZero");
        QTest::newRow("zero") << 0.0 << "0"
                              << "0.0"
                              << ".0";
        QTest::newRow("half") << 0.5 << "0.5"
                              << "0.5"
                              << ".5";
        QTest::newRow("minus half") << -0.5 << "-0.5"
                                    << "-0.5"
                                    << "-.5";
        QTest::newRow("integer") << 120.0 << "120"
                                 << "120.0"
                                 << "120.0";
        QTest::newRow("three decimals") << 1.2346 << "1.235"
                                        << "1.2"
                                        << "1.2";
        QTest::newRow("half up") << 2.675 << "2.675"
                                 << "2.7"
                                 << "2.7";
        QTest::newRow("tiny negative") << -0.0001 << "0"
                                       << "0.0"
                                       << ".0";
        QTest::newRow("trigger") << 2.902 << "2.902"
                                 << "2.9"
                                 << "2.9";
        QTest::newRow("negative") << -200.0 << "-200"
                                  << "-200.0"
                                  << "-200.0";
    }
    void formats() {
        QFETCH(double, v);
        QFETCH(QString, range);
        QFETCH(QString, tenths);
        QFETCH(QString, noLeadingZero);
        QCOMPARE(FormatRange(v), range);
        QCOMPARE(FormatTenths(v), tenths);
        QCOMPARE(FormatTenthsNoLeadingZero(v), noLeadingZero);
    }

    void shortNumber_data() {
        QTest::addColumn<double>("v");
        QTest::addColumn<QString>("text");
        QTest::newRow("int") << 90.0 << "90";
        QTest::newRow("negative") << -100.0 << "-100";
        QTest::newRow("tenth") << 0.1 << "0.1";
        QTest::newRow("hundredth of F max") << 23.72 << "23.72";
        QTest::newRow("big") << 20000.0 << "20000";
    }
    void shortNumber() {
        QFETCH(double, v);
        QFETCH(QString, text);
        QCOMPARE(ShortNumber(v), text);
    }

    void conversions_data() {
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("expected");
        QTest::newRow("CtoF -200") << CtoF(-200) << "-328.0";
        QTest::newRow("CtoF 0") << CtoF(0) << "32.0";
        QTest::newRow("FtoC 32") << FtoC(32) << ".0";
        QTest::newRow("CtoF 100") << CtoF(100) << "212.0";
        QTest::newRow("CtoF 25.34") << CtoF(25.34) << "77.6";
        QTest::newRow("FtoC 77.6") << FtoC(77.6) << "25.3";
        QTest::newRow("CtoFSpan 1.5") << CtoFSpan(1.5) << "2.7";
        QTest::newRow("FtoCSpan 2.7") << FtoCSpan(2.7) << "1.5";
        QTest::newRow("CtoFSpan 0.2") << CtoFSpan(0.2) << ".4";
        QTest::newRow("FtoC 0") << FtoC(0) << "-17.8";
    }
    void conversions() {
        QFETCH(QString, result);
        QFETCH(QString, expected);
        QCOMPARE(result, expected);
    }
};

QTEST_GUILESS_MAIN(TestNumberFormat)
#include "tst_numberformat.moc"
