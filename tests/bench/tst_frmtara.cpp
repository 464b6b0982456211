// The calibration window over a simulated bench: the model choice ticks its options and
// ranges, START runs the calibration and the fields take the run's colours.
#ifdef VANTELSO_HAS_RECORDS
#include "recordstore.h"
#endif
#include "appstate.h"
#include "benchactivity.h"
#include "benchinstruments.h"
#include "calrig.h"
#include "communication.h"
#include "demodevice.h"
#include "frmtara.h"
#include "linearitysweep.h"
#include "principale.h"
#include "shellmenu.h"
#include "simoperator.h"
#include "windowtest.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

using namespace vantelso;
using namespace vantelso::bench;
using namespace Qt::StringLiterals;

namespace {

// A person at the demonstration bench: flips the switches when asked (Retry: done, check
// again) and says yes or OK to everything else.
class BenchPerson : public ScriptedPrompter {
public:
    Answer ask(const QString& text, Buttons buttons, Icon icon) override {
        ScriptedPrompter::ask(text, buttons, icon);
        switch (buttons) {
        case Buttons::AbortRetryIgnore:
            return Answer::Retry;
        case Buttons::YesNo:
            return Answer::Yes;
        case Buttons::RetryCancel:
            return Answer::Cancel;
        default:
            return Answer::Ok;
        }
    }
};

} // namespace

class TestFrmTara : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runFromWindow() {
        CalRig r(u"RSX7032A"_s);
        r.run.SelectModel(FindCalModel(u"RSX7030"_s));
        gui::FrmTara w(&r.run, &r.rig.instruments);
        w.resize(1100, 760);
        w.show();
        w.modelButton(FindCalModel(u"RSX7032A"_s))->click();
        QVERIFY(w.rangeBox(19)->isChecked());
        QVERIFY(!w.rangeBox(3)->isChecked());
        QCOMPARE(r.run.TaraModel, u"RSX7032A"_s);
        // Unticking a range in the window leaves it out of the run.
        w.rangeBox(14)->click();
        QVERIFY(!r.run.ranges[14].ticked);
        r.rig.bench.calibrationModel()->unit.inputGainError[1] = 0.03; // channel B fails 90 mV
        QTest::mouseClick(w.startButton(), Qt::LeftButton);
        QCOMPARE(w.statusLabel()->text(), u"COLLAUDO TERMINATO"_s);
        QVERIFY(w.statusLabel()->styleSheet().contains(u"#00ff00"_s));
        QVERIFY(w.field(0, 0)->styleSheet().contains(u"#00ff00"_s));
        QVERIFY(w.field(12, 0)->styleSheet().contains(u"#ff0000"_s));
        QVERIFY(w.field(14, 0)->text().isEmpty());
        QVERIFY(!w.field(8, 3)->text().isEmpty());
        screenshot(&w, "frm_tara.png");
    }

    // One bench activity at a time: while anything runs (here a production test reported to
    // the shared record) nothing that starts another is enabled; STOP stays usable.
    void oneActivityAtATime() {
        CalRig r(u"RSX7032A"_s);
        LinearitySweep sweep(&r.link, &r.rig.instruments);
        BenchActivity activity;
        gui::FrmTara w(&r.run, &r.rig.instruments, &sweep, &activity);
        w.show();
        const QList<QPushButton*> starters{
            w.startButton(), w.resumeButton(),     w.ptcButton(0),           w.ptcButton(1),
            w.progButton(),  w.meterSweepButton(), w.twoChannelSweepButton()};
        for (QPushButton* b : starters)
            QVERIFY2(b->isEnabled(), qPrintable(b->text()));
        activity.setRunning(u"test"_s, true);
        for (QPushButton* b : starters)
            QVERIFY2(!b->isEnabled(), qPrintable(b->text()));
        QVERIFY(w.stopButton()->isEnabled());
        r.run.RunCalibration(); // not from the window: nothing here to stop it
        activity.setRunning(u"test"_s, false);
        for (QPushButton* b : starters)
            QVERIFY(b->isEnabled());
        // The window's own run is reported while it runs.
        QStringList seen;
        connect(&activity, &BenchActivity::changed, this,
                [&] { seen << activity.runningNow().join(u','); });
        r.rig.prompter.clear();
        w.ptcButton(0)->click();
        QVERIFY(seen.contains(u"ptc"_s));
        QVERIFY(!activity.busy());
    }

    // A selector changed in the window reaches the instruments at once; "Dispositivo" is
    // handed to the device link before the run starts, and a refusal there starts nothing.
    void selectorsAndDevicePort() {
        CalRig r(u"RSX7032A"_s);
        gui::FrmTara w(&r.run, &r.rig.instruments);
        auto* meter = w.selectorBox("txt_comMult");
        QVERIFY(meter->isEditable());
        meter->setCurrentText(u"Com7"_s);
        QCOMPARE(r.rig.instruments.meters.selector(), u"Com7"_s);
        QVERIFY(!r.rig.instruments.meters.port(0)); // the old port let go
        w.selectorBox("txt_comAlim")->setCurrentText(u"/dev/ttyUSB3"_s);
        QCOMPARE(r.rig.instruments.supply.selector(), u"/dev/ttyUSB3"_s);
        QCOMPARE(w.devicePort(), u"COM2"_s);
        w.addDevicePort(u"sim:RSX7032A"_s);
        QStringList asked;
        w.useDevicePort = [&](const QString& port) {
            asked << port;
            return false;
        };
        w.startButton()->click();
        QCOMPARE(asked, QStringList{u"sim:RSX7032A"_s});
        QVERIFY(r.run.status.isEmpty()); // the run did not start
    }

    // The demonstration's factory half: the desktop program on a simulated bench, whose
    // instruments the selectors name, calibrates the unit from Collaudo > Taratura, with
    // "Dispositivo" opening the device link and the operator's answer setting the switches.
    void demoBenchFromTheMenu() {
        QStandardPaths::setTestModeEnabled(true); // the production records of this test only
        QFile::remove(records::DefaultDatabasePath());
        QString why;
        std::unique_ptr<app::DemoBench> demo = app::DemoBench::create(u"rsx7030"_s, &why);
        QVERIFY2(demo, qPrintable(why));
        QVERIFY(!app::DemoBench::create(u"RSX9999"_s, &why));
        QVERIFY(QFile::exists(demo->imageFolder() + u"/RSX7030.dat"_s));
        BenchPerson person;
        sim::SimSwitchHands hands(&person, demo->device()->device());
        app::AppState state(&hands);
        gui::Principale window(state, demo->device());
        window.setDemoBench(demo.get());
        window.startUp();
        window.show();
        window.mainMenu().taratura->trigger();
        QVERIFY(window.taraSubWindow()->isVisible());
        gui::FrmTara* w = window.taraWindow();
        QCOMPARE(w->selectorBox("txt_comAlim")->currentText(), u"alimentatore"_s);
        QCOMPARE(w->selectorBox("txt_comMult")->currentText(), u"multimetro0"_s);
        QVERIFY(w->selectorBox("txt_comCal")->findText(u"calibratore"_s) >= 0);
        QCOMPARE(w->devicePort(), demo->device()->port());
        QVERIFY(w->modelButton(FindCalModel(u"RSX7030"_s))->isChecked());
        QVERIFY(!state.link.isPortOpen());
        w->startButton()->click();
        QVERIFY(state.link.isPortOpen()); // "Dispositivo" opened the device link
        QVERIFY2(w->statusLabel()->text() == u"COLLAUDO TERMINATO"_s,
                 qPrintable(person.texts().join(u'\n')));
        QVERIFY(w->statusLabel()->styleSheet().contains(u"#00ff00"_s));
        QVERIFY(person.texts().contains(u"Impostare tutti i dip-switch a ON"_s));
        QVERIFY(!window.benchActivity()->busy());
        QVERIFY(window.panel()->cmd_read->isEnabled());
        screenshot(w, "frm_tara-demo.png");
#ifdef VANTELSO_HAS_RECORDS
        // The run is in the production records under the id generated and shown for the unit.
        const QString unit = w->findChild<QLineEdit*>(u"txt_unit"_s)->text();
        QVERIFY(!unit.isEmpty());
        records::RecordStore store(*records::StoreLocation::parse({}, &why));
        QVERIFY2(store.open(&why), qPrintable(why));
        records::RecordStore::Filter only;
        only.unitId = unit;
        const auto runs = store.runs(only, &why);
        QVERIFY2(runs && runs->size() == 1, qPrintable(why));
        QCOMPARE(runs->first().outcome, records::Outcome::Passed);
        QVERIFY(!runs->first().steps.isEmpty());
#endif
        // A port the bench cannot open is named with its instrument.
        w->selectorBox("txt_comCal")->setCurrentText(u"/dev/vantelso-no-such-tty"_s);
        person.clear();
        w->startButton()->click();
        QVERIFY2(person.texts().join(u'\n').contains(u"Calibratore: "_s),
                 qPrintable(person.texts().join(u'\n')));
        window.close();
    }

    // The linearity buttons run the sweep into the folder typed; a folder that cannot take
    // "linear.dat" is reported in the window, which stays usable.
    void sweepButtons() {
        CalRig r(u"RSX7032A"_s);
        LinearitySweep sweep(&r.link, &r.rig.instruments);
        gui::FrmTara w(&r.run, &r.rig.instruments, &sweep);
        w.show();
        QCOMPARE(w.meterSweepButton()->text(), u"lett mult"_s);
        QCOMPARE(w.twoChannelSweepButton()->text(), u"2 ch compl."_s);
        w.sweepFolder()->setText(r.folder.filePath(u"missing"_s));
        w.meterSweepButton()->click();
        QVERIFY2(w.sweepStatus()->text().contains(u"linear.dat"_s),
                 qPrintable(w.sweepStatus()->text()));
        QVERIFY(w.startButton()->isEnabled() && w.meterSweepButton()->isEnabled());
    }
};

QTEST_MAIN(TestFrmTara)
#include "tst_frmtara.moc"
