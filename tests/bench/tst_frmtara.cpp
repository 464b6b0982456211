// The calibration window over a simulated bench: the model choice ticks its options and
// ranges, START runs the calibration and the fields take the run's colours.
#include "calrig.h"
#include "frmtara.h"
#include "linearitysweep.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace vantelso;
using namespace vantelso::bench;

class TestFrmTara : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runFromWindow() {
        CalRig r(QStringLiteral("RSX7032A"));
        r.run.SelectModel(FindCalModel(QStringLiteral("RSX7030")));
        gui::FrmTara w(&r.run, &r.rig.instruments);
        w.resize(1100, 760);
        w.show();
        w.modelButton(FindCalModel(QStringLiteral("RSX7032A")))->click();
        QVERIFY(w.rangeBox(19)->isChecked());
        QVERIFY(!w.rangeBox(3)->isChecked());
        QCOMPARE(r.run.TaraModel, QStringLiteral("RSX7032A"));
        // Unticking a range in the window leaves it out of the run.
        w.rangeBox(14)->click();
        QVERIFY(!r.run.ranges[14].ticked);
        r.rig.bench.calibrationModel()->unit.inputGainError[1] = 0.03; // channel B fails 90 mV
        QTest::mouseClick(w.startButton(), Qt::LeftButton);
        QCOMPARE(w.statusLabel()->text(), QStringLiteral("COLLAUDO TERMINATO"));
        QVERIFY(w.statusLabel()->styleSheet().contains(QLatin1String("#00ff00")));
        QVERIFY(w.field(0, 0)->styleSheet().contains(QLatin1String("#00ff00")));
        QVERIFY(w.field(12, 0)->styleSheet().contains(QLatin1String("#ff0000")));
        QVERIFY(w.field(14, 0)->text().isEmpty());
        QVERIFY(!w.field(8, 3)->text().isEmpty());
        const QString dir = qEnvironmentVariable("VANTELSO_SCREENSHOT_DIR");
        if (!dir.isEmpty())
            QVERIFY(w.grab().save(dir + QStringLiteral("/frm_tara.png")));
    }

    // The linearity buttons run the sweep into the folder typed; a folder that cannot take
    // "linear.dat" is reported in the window, which stays usable.
    void sweepButtons() {
        CalRig r(QStringLiteral("RSX7032A"));
        LinearitySweep sweep(&r.link, &r.rig.instruments);
        gui::FrmTara w(&r.run, &r.rig.instruments, &sweep);
        w.show();
        QCOMPARE(w.meterSweepButton()->text(), QStringLiteral("lett mult"));
        QCOMPARE(w.twoChannelSweepButton()->text(), QStringLiteral("2 ch compl."));
        w.sweepFolder()->setText(r.folder.filePath(QStringLiteral("missing")));
        w.meterSweepButton()->click();
        QVERIFY2(w.sweepStatus()->text().contains(QLatin1String("linear.dat")),
                 qPrintable(w.sweepStatus()->text()));
        QVERIFY(w.startButton()->isEnabled() && w.meterSweepButton()->isEnabled());
    }
};

QTEST_MAIN(TestFrmTara)
#include "tst_frmtara.moc"
