// The two-position model's tool over a simulated bench: its buttons set and clear the four
// flags, a run with no position enabled routes no position, and a run with position 1
// enabled routes it, moves the thermocouple to position 2 and programs the unit.
#include "calrig.h"
#include "frm5035.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace vantelso;
using namespace vantelso::bench;
using namespace Qt::StringLiterals;

namespace {

bool green(const QWidget* w) {
    return w->styleSheet().contains(u"#00ff00"_s);
}

} // namespace

class TestFrm5035 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void buttonsSetAndClearFlags() {
        CalRig r(u"RSX5035"_s, false);
        gui::Frm5035 w(&r.run);
        w.show();
        QCOMPARE(w.enableButton(1, 2)->text(), u"Abilita dispositivo 2"_s);
        QCOMPARE(w.programmingMenuButton()->text(), u"Imposta Menù  Programmazione"_s);
        for (int frame : {0, 1}) {
            QVERIFY(!w.flagBox(frame, 1)->isChecked() && !w.disableButton(frame, 1)->isEnabled());
            // Pressed twice: the second press meets a disabled button and changes nothing.
            QTest::mouseClick(w.enableButton(frame, 1), Qt::LeftButton);
            QTest::mouseClick(w.enableButton(frame, 1), Qt::LeftButton);
            const auto& flags = frame == 0 ? r.run.positions.calibrate : r.run.positions.program;
            QVERIFY(flags[0] && !flags[1]);
            QVERIFY(w.flagBox(frame, 1)->isChecked() && !w.enableButton(frame, 1)->isEnabled());
            QVERIFY(w.disableButton(frame, 1)->isEnabled());
            // The box only mirrors the flag.
            QTest::mouseClick(w.flagBox(frame, 1), Qt::LeftButton);
            QVERIFY(flags[0]);
            QTest::mouseClick(w.disableButton(frame, 1), Qt::LeftButton);
            QVERIFY(!flags[0] && !w.flagBox(frame, 1)->isChecked());
            QVERIFY(w.enableButton(frame, 1)->isEnabled());
        }
        QSignalSpy menu(&w, &gui::Frm5035::programmingMenuRequested);
        w.programmingMenuButton()->click();
        QCOMPARE(menu.count(), 1);
    }

    void runAndHandOver_data() {
        QTest::addColumn<bool>("enabled");
        QTest::newRow("both calibration flags cleared") << false;
        QTest::newRow("position 1 calibrated and programmed") << true;
    }
    void runAndHandOver() {
        QFETCH(bool, enabled);
        CalRig r(u"RSX5035"_s);
        gui::Frm5035 w(&r.run);
        w.show();
        if (enabled) {
            w.enableButton(0, 1)->click();
            w.enableButton(1, 1)->click();
        }
        for (int i = 0; i < kRangeCount; ++i)
            r.run.setRangeTicked(i, i == 0);
        int writes = 0;
        r.run.startEditorWrite = [&writes] { ++writes; };
        bool frameLockedDuringRun = false;
        connect(&r.run, &CalibrationRun::runningChanged, this, [&](bool running) {
            if (running)
                frameLockedDuringRun = !w.enableButton(0, 2)->isEnabled();
        });
        r.rig.bench.switches().clearHeard();
        const RunOutcome out = r.run.RunCalibration();
        QVERIFY2(!out.error, qPrintable(out.message));
        QCOMPARE(r.run.status, u"COLLAUDO TERMINATO"_s);
        const QByteArray heard = r.rig.bench.switches().heard();
        // The meter path, the position's routing and the position-1 input list.
        for (const char* relay : {"(@107)", "(@108)", "(@112)"})
            QCOMPARE(heard.contains(relay), enabled);
        QVERIFY(frameLockedDuringRun);
        QVERIFY(w.enableButton(0, 2)->isEnabled());
        QVERIFY(r.run.ranges[0].box != FieldColour::White && !r.run.ranges[0].k1.text.isEmpty());
        QCOMPARE(r.op.texts().contains(u"Cambiare posizione termocoppia"_s), enabled);
        QCOMPARE(writes, enabled ? 1 : 0);
        QCOMPARE(r.run.positions.wired, enabled ? 2 : 0);
        QCOMPARE(green(w.positionLabel(2)), enabled);
        QVERIFY(!green(w.positionLabel(1)));
        QCOMPARE(r.rig.bench.meter(0).beeps(), 2);
        QVERIFY(!r.rig.bench.supply().outputOn());
    }
};

QTEST_MAIN(TestFrm5035)
#include "tst_frm5035.moc"
