// The production test window over a simulated frequency unit and function generator: its
// fixed texts, the buttons driving the tests, the log and the reading field.
// With VANTELSO_SCREENSHOTS set to a folder, a picture of the window is saved there.
#include "frmtest.h"
#include "prodrig.h"
#include "windowtest.h"

#include <QTest>
#include <QtWidgets>
#include <cmath>

using namespace vantelso;
using namespace Qt::StringLiterals;

class TestFrmTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void texts() {
        ProdRig r;
        gui::FrmTest w(&r.link, r.rig.generator, &r.rig.prompter);
        QCOMPARE(w.windowTitle(), u"Test"_s);
        const QList<QAbstractButton*> buttons{
            w.Command1,    w.Command3,    w.Command2,    w.Command4,    w.Command7,
            w.Command10,   w.Command11,   w.Command8,    w.Command6[0], w.Command6[1],
            w.Command6[2], w.opt_fgen[0], w.opt_fgen[1], w.opt_fgen[2]};
        QStringList captions;
        for (const QAbstractButton* b : buttons)
            captions << b->text();
        QCOMPARE(captions,
                 (QStringList{"start STABILITA'", "Stop", "Clear", "start LINEARITA'", "chA", "chB",
                              "a+b", "Stop", "ON", "OFF", ">>", "TTL", "Rimbalzo", "Tacho"}));
        QCOMPARE(w.Text1[1]->text(), u"800"_s);
        QCOMPARE(w.Text1[2]->text(), u"800"_s);
        QCOMPARE(w.Text10->text(), u"1000"_s);
        QVERIFY(w.opt_fgen[0]->isChecked());
        QVERIFY(w.Command1->isEnabled() && !w.Command3->isEnabled() && !w.Command8->isEnabled());
    }

    void runsTheBench() {
        ProdRig r;
        gui::FrmTest w(&r.link, r.rig.generator, &r.rig.prompter);
        w.test().timings = bench::ProductionTestTimings().scaled(0);
        w.show();

        // Generator: bounce set-up, then the frequency button.
        w.opt_fgen[1]->click();
        w.Command5->click();
        QCOMPARE(r.generator().userPoints(), 4000);
        typeInto(w.Text10, u"1200"_s);
        w.Command6[2]->click();
        QCOMPARE(r.generator().lines().last(), QByteArray("FREQuency 1200"));
        w.Command6[1]->click();
        QVERIFY(!r.generator().outputOn());
        QCOMPARE(w.lbl_stato->text(), u"Generatore: uscita spenta"_s);

        // Stability: a reading 3 off a reference of 100 with tolerance 2 is logged each time.
        r.device().setAnalogInput(0, 103.0);
        typeInto(w.Text1[0], u"100"_s);
        typeInto(w.Text2, u"2"_s);
        int seen = 0;
        bool stopEnabled = false;
        auto stopper = connect(&w.test(), &bench::ProductionTest::reading, &w, [&](double) {
            stopEnabled = w.Command3->isEnabled() && !w.Command1->isEnabled();
            if (++seen == 2)
                w.Command3->click();
        });
        w.Command1->click();
        disconnect(stopper);
        QVERIFY(stopEnabled);
        QCOMPARE(w.List1->count(), 2);
        QCOMPARE(w.List1->item(0)->text(), u"103."_s);
        QCOMPARE(w.lbl_stato->text(), u"Prova fermata"_s);
        w.Command2->click();
        QCOMPARE(w.List1->count(), 0);

        // Linearity: the unit reads 2% low from 1500 Hz up.
        r.rig.bench.setFrequencyResponse(
            [](double f) { return f >= 1500 ? std::round(f * 0.98) : f; });
        const std::pair<QLineEdit*, const char*> settings[] = {{w.Text3, "1000"}, {w.Text4, "2000"},
                                                               {w.Text5, "500"},  {w.Text6, "0.02"},
                                                               {w.Text9, "0"},    {w.Text7, "10"}};
        for (const auto& [edit, text] : settings)
            typeInto(edit, QLatin1String(text));
        w.test().timings.operatorTimeScale = 1;
        w.Command4->click();
        QCOMPARE(w.lbl_stato->text(), u"Prova terminata"_s);
        QCOMPARE(w.List1->count(), 2);
        QCOMPARE(w.List1->item(0)->text(), u"1500-->1470."_s);
        QCOMPARE(w.List1->item(1)->text(), u"2000-->1960."_s);
        QCOMPARE(w.Text8->text(), u"1960."_s);
        QCOMPARE(w.progress->value(), 3);
        QCOMPARE(r.generator().lines().last(), QByteArray("FREQuency 0.001"));

        screenshot(&w, "frm_test.png");

        // Output hold on both channels until Stop; an out-of-range count is refused.
        r.device().clearCommandLog();
        typeInto(w.Text1[2], u"70000"_s);
        w.Command11->click();
        QVERIFY(r.rig.prompter.texts().last().contains(u"70000"_s));
        QVERIFY(r.device().commandLog().isEmpty());
        typeInto(w.Text1[2], u"3500"_s);
        QTimer::singleShot(30, w.Command8, &QPushButton::click);
        w.Command11->click();
        QVERIFY(!r.commands("$I").isEmpty() && !r.commands("$i").isEmpty());
        QCOMPARE(r.device().directValueUpper(), 3500);
        QCOMPARE(r.device().directValueLower(), 800);
        QCOMPARE(r.device().commandLog().last(), QByteArray("$FPxx\r"));
        QVERIFY(w.Command11->isEnabled() && !w.Command8->isEnabled());

        // Holding channel A reads only A's field: B's out-of-range count does not stop it.
        r.device().clearCommandLog();
        r.rig.prompter.clear();
        typeInto(w.Text1[1], u"70000"_s);
        QTimer::singleShot(30, w.Command8, &QPushButton::click);
        w.Command7->click();
        QVERIFY(r.rig.prompter.texts().isEmpty());
        QVERIFY(!r.commands("$I").isEmpty() && r.commands("$i").isEmpty());
    }

    // The stability test needs a reference and a tolerance: an empty or non-numeric field is
    // refused with its name, and nothing reaches the unit. Every value field shows its unit.
    void refusesEmptyFields_data() {
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("tolerance");
        QTest::addColumn<QString>("named");
        QTest::newRow("empty reference") << u""_s << u"2"_s << u"Riferimento"_s;
        QTest::newRow("empty tolerance") << u"100"_s << u""_s << u"toll"_s;
        QTest::newRow("word") << u"cento"_s << u"2"_s << u"Riferimento"_s;
        QTest::newRow("blank tolerance") << u"100"_s << u"  "_s << u"toll"_s;
    }
    void refusesEmptyFields() {
        QFETCH(QString, reference);
        QFETCH(QString, tolerance);
        QFETCH(QString, named);
        ProdRig r;
        gui::FrmTest w(&r.link, r.rig.generator, &r.rig.prompter);
        w.show();
        w.Text1[0]->setText(reference);
        w.Text2->setText(tolerance);
        w.Command1->click();
        QVERIFY(r.rig.prompter.texts().value(0).startsWith(named + u':'));
        QVERIFY(r.device().commandLog().isEmpty());
        QVERIFY(w.Command1->isEnabled());
        QStringList units;
        for (const QLabel* l : w.findChildren<QLabel*>(u"lbl_unit"_s))
            units << l->text();
        QCOMPARE(units.count(u"Hz"_s), 6);
        QCOMPARE(units.count(u"s"_s), 2);
        QCOMPARE(w.lbl_unitaMisura->text(), u"Hz"_s); // the frequency unit
    }
};

QTEST_MAIN(TestFrmTest)
#include "tst_frmtest.moc"
