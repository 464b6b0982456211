// The bench windows over a simulated bench and unit, one section each: the production test
// window, the two-position model's tool, the programming station's windows, the calibration
// window, the demonstration bench calibrating from the menu, and the EEPROM tool window in a
// desktop session, in the bench's Italian.
// With VANTELSO_SCREENSHOTS set to a folder, pictures of the windows are saved there.
#ifdef VANTELSO_HAS_RECORDS
#include "recordstore.h"
#endif
#include "benchactivity.h"
#include "calrig.h"
#include "desktopsession.h"
#include "failingrow.h"
#include "frm5035.h"
#include "frmeeprom.h"
#include "frmstrumver.h"
#include "frmtara.h"
#include "frmtest.h"
#include "frmverifica.h"
#include "linearitysweep.h"
#include "prodrig.h"
#include "shellmenu.h"
#include "stationrig.h"
#include "testfiles.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <cmath>

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
        return buttons == Buttons::AbortRetryIgnore ? Answer::Retry
               : buttons == Buttons::YesNo          ? Answer::Yes
               : buttons == Buttons::RetryCancel    ? Answer::Cancel
                                                    : Answer::Ok;
    }
};

// What the operator does: type into a field, replacing what it held.
void typeInto(QLineEdit* e, const QString& text) {
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
}

// With VANTELSO_SCREENSHOTS naming a folder, a picture of a window saved there.
void screenshot(QWidget* w, const char* file) {
    const QString dir = qEnvironmentVariable("VANTELSO_SCREENSHOTS");
    if (dir.isEmpty())
        return;
    if (QWidget* focused = QApplication::focusWidget())
        focused->clearFocus();
    QCoreApplication::processEvents();
    QVERIFY(w->grab().save(dir + u'/' + QLatin1String(file)));
}

// An entry chosen from a list, as the operator's click does it.
void pick(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    Q_EMIT list->activated(index);
}

bool green(const QWidget* w) {
    return w->styleSheet().contains(u"#00ff00"_s);
}

QString lastQuestion(const Session& s) {
    return s.prompter.questions().isEmpty() ? QString() : s.prompter.questions().last().text;
}

} // namespace

class TestBenchWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The production test window over a simulated frequency unit and function generator: its
    // fixed texts, the buttons driving the tests, the log and the reading field.
    void runsTheBench() {
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
        QCOMPARE((QStringList{w.Text1[1]->text(), w.Text1[2]->text(), w.Text10->text()}),
                 (QStringList{"800", "800", "1000"}));
        QVERIFY(w.opt_fgen[0]->isChecked());
        QVERIFY(w.Command1->isEnabled() && !w.Command3->isEnabled() && !w.Command8->isEnabled());
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

        // The stability test needs a reference and a tolerance: an empty or non-numeric field
        // is refused with its name, and nothing reaches the unit. Every value field shows its
        // unit.
        r.device().clearCommandLog();
        for (const auto& [reference, tolerance, named] :
             {std::tuple{"", "2", "Riferimento"}, std::tuple{"100", "", "toll"},
              std::tuple{"cento", "2", "Riferimento"}, std::tuple{"100", "  ", "toll"}}) {
            const FailingRow row(QLatin1String(reference) + u'|' + QLatin1String(tolerance));
            r.rig.prompter.clear();
            w.Text1[0]->setText(QLatin1String(reference));
            w.Text2->setText(QLatin1String(tolerance));
            w.Command1->click();
            const QString said = r.rig.prompter.texts().value(0);
            QVERIFY2(said.startsWith(QLatin1String(named) + u':'), qPrintable(said));
            QVERIFY(r.device().commandLog().isEmpty() && w.Command1->isEnabled());
        }
        QStringList units;
        for (const QLabel* l : w.findChildren<QLabel*>(u"lbl_unit"_s))
            units << l->text();
        QCOMPARE(units.count(u"Hz"_s), 6);
        QCOMPARE(units.count(u"s"_s), 2);
        QCOMPARE(w.lbl_unitaMisura->text(), u"Hz"_s); // the frequency unit

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
        QCOMPARE(std::pair(w.List1->count(), w.progress->value()), std::pair(2, 3));
        QCOMPARE((QStringList{w.lbl_stato->text(), w.List1->item(0)->text(),
                              w.List1->item(1)->text(), w.Text8->text()}),
                 (QStringList{"Prova terminata", "1500-->1470.", "2000-->1960.", "1960."}));
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

    // The two-position model's tool over a simulated bench: its buttons set and clear the four
    // flags, a run with no position enabled routes no position, and a run with position 1
    // enabled routes it, moves the thermocouple to position 2 and programs the unit.
    void twoPositionTool() {
        CalRig r(u"RSX5035"_s);
        gui::Frm5035 w(&r.run);
        w.show();
        QCOMPARE(w.enableButton(1, 2)->text(), u"Abilita dispositivo 2"_s);
        QCOMPARE(w.programmingMenuButton()->text(), u"Imposta Menù  Programmazione"_s);
        for (int frame : {0, 1}) {
            const FailingRow row(frame == 0 ? "calibration flags" : "programming flags");
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

        for (int i = 0; i < kRangeCount; ++i)
            r.run.setRangeTicked(i, i == 0);
        int writes = 0;
        r.run.startEditorWrite = [&writes] { ++writes; };
        bool frameLockedDuringRun = false;
        connect(&r.run, &CalibrationRun::runningChanged, this, [&](bool running) {
            if (running)
                frameLockedDuringRun = !w.enableButton(0, 2)->isEnabled();
        });
        // Both calibration flags cleared, as the buttons left them; then position 1 calibrated
        // and programmed.
        for (const bool enabled : {false, true}) {
            const FailingRow row(enabled ? "position 1 enabled" : "no position enabled");
            if (enabled) {
                w.enableButton(0, 1)->click();
                w.enableButton(1, 1)->click();
            }
            const int beeps = r.rig.bench.meter(0).beeps();
            frameLockedDuringRun = false;
            r.op.clear();
            r.run.ranges[0].k1.text.clear();
            r.rig.bench.switches().clearHeard();
            const RunOutcome out = r.run.RunCalibration();
            QVERIFY2(!out.error, qPrintable(out.message));
            QCOMPARE(r.run.status, u"COLLAUDO TERMINATO"_s);
            // The meter path, the position's routing and the position-1 input list.
            for (const char* relay : {"(@107)", "(@108)", "(@112)"})
                QVERIFY2(r.rig.bench.switches().heard().contains(relay) == enabled, relay);
            QVERIFY(frameLockedDuringRun && w.enableButton(0, 2)->isEnabled());
            QVERIFY(r.run.ranges[0].box != FieldColour::White &&
                    !r.run.ranges[0].k1.text.isEmpty());
            QCOMPARE(r.op.texts().contains(u"Cambiare posizione termocoppia"_s), enabled);
            QCOMPARE(writes, enabled ? 1 : 0);
            QCOMPARE(r.run.positions.wired, enabled ? 2 : 0);
            QCOMPARE(green(w.positionLabel(2)), enabled);
            QVERIFY(!green(w.positionLabel(1)));
            QCOMPARE(r.rig.bench.meter(0).beeps(), beeps + 2);
            QVERIFY(!r.rig.bench.supply().outputOn());
        }
    }

    // The programming station's windows over a simulated unit and bench: a download from the
    // report window, then a verification set up and run from the set-up window.
    void downloadAndVerify() {
        StationRig s;
        QCOMPARE(s.editor.ReadEprom(), EditorOutcome::Done);
        s.station.Reset();
        gui::FrmVerifica report(&s.station);
        gui::FrmStrumVer setUp(&s.station);
        report.show();
        setUp.show();
        QCOMPARE(report.statusLabel()->text(), u"STOP"_s);
        QVERIFY(report.statusLabel()->styleSheet().contains(u"#ff0000"_s));

        QTest::mouseClick(report.sendButton(), Qt::LeftButton);
        QCOMPARE(report.statusLabel()->text(), u"OK"_s);
        QVERIFY(green(report.statusLabel()));
        QVERIFY(report.report()->toPlainText().endsWith(
            u"Programmazioni effettuate:     1\nImpostare strumentazione"_s));

        // The instrument button clears the range and waits for the mode.
        s.station.settings.min = u"5"_s;
        report.instrumentsButton()->click();
        QCOMPARE(setUp.captionLabel()->text(), u"Selezionare Modo di taratura:"_s);
        QVERIFY(setUp.minField()->text().isEmpty() && !setUp.inputList()->isEnabled() &&
                !setUp.deviceList()->isEnabled() && !setUp.outputChannelLabel()->isVisible());

        pick(setUp.modeList(), 0);
        QCOMPARE(setUp.captionLabel()->text(), u"Modo di taratura: Automatico"_s);
        QVERIFY(setUp.inputList()->isEnabled() && setUp.deviceList()->isEnabled());
        pick(setUp.inputList(), FindVerificationInput(u"mA"));
        QCOMPARE(setUp.maxField()->text() + u'/' + setUp.halfField()->text(), u"20/10"_s);
        typeInto(setUp.minField(), u"4"_s);
        pick(setUp.outputList(), 1);
        pick(setUp.deviceList(), StationRig::deviceIndex(u"RSX7031D"_s)); // one channel
        QVERIFY(setUp.outputChannelLabel()->isVisible() &&
                setUp.measureChannelLabel()->isVisible());
        QCOMPARE(setUp.outputChannelLabel()->text(), u"Impostare canale di uscita"_s);
        QVERIFY(!setUp.channelButton(1, 1)->isEnabled() && setUp.channelButton(1, 0)->isChecked());
        pick(setUp.deviceList(), StationRig::deviceIndex(u"RSX7032D"_s)); // two channels
        QVERIFY(setUp.channelButton(1, 1)->isEnabled());

        // A supply value out of range stops the set-up before anything is sent.
        setUp.supplyBox()->click();
        typeInto(setUp.voltsField(), u"31"_s);
        setUp.setUpAndVerifyButton()->click();
        QCOMPARE(s.rig.prompter.texts(), QStringList{u"Valore di alimentazione errato!"_s});
        QVERIFY(s.instrumentsQuiet());
        typeInto(setUp.voltsField(), u"24.5"_s);
        setUp.setUpAndVerifyButton()->click();
        QCOMPARE(s.rig.bench.supply().heard(), QByteArray("SV 24.50\rKOE\r"));
        QCOMPARE(setUp.halfField()->text(), u"12"_s);
        const QString text = report.report()->toPlainText();
        QVERIFY2(text.contains(u"Valore di 1/2 scala: 05.000 V"_s), qPrintable(text));
        QVERIFY(text.endsWith(QString(58, QLatin1Char('_'))));
        QVERIFY(report.sendButton()->isEnabled() && setUp.verifyButton()->isEnabled());
        screenshot(&report, "frm_verifica.png");
        screenshot(&setUp, "interfaccia_strum_ver.png");

        // Manual mode leaves the wiring to the operator.
        pick(setUp.modeList(), 1);
        QCOMPARE(setUp.captionLabel()->text(), u"Modo di taratura: Manuale"_s);
        QVERIFY(!setUp.deviceList()->isEnabled() && !setUp.switchButton()->isEnabled());
        QVERIFY(setUp.inputList()->isEnabled());

        // The editor buttons need the device port.
        int opened = 0;
        connect(&report, &gui::FrmVerifica::editorRequested, [&opened] { ++opened; });
        report.editorButton()->click();
        QCOMPARE(opened, 1);
        s.port.close();
        s.rig.prompter.clear();
        report.editorButton()->click();
        report.defaultButton()->click();
        QCOMPARE(opened, 1);
        QCOMPARE(s.rig.prompter.texts(), QStringList(2, u"Porta Com non aperta"_s));
        report.sendButton()->click();
        QCOMPARE(report.statusLabel()->text(), u"ERRORE"_s);
        QCOMPARE(s.station.downloads, 1); // the first one only
    }

    // The calibration window over a simulated bench: the model choice ticks its options and
    // ranges, START runs the calibration and the fields take the run's colours.
    void calibrationWindow() {
        CalRig r(u"RSX7032A"_s);
        LinearitySweep sweep(&r.link, &r.rig.instruments);
        BenchActivity activity;
        gui::FrmTara w(&r.run, &r.rig.instruments, &sweep, &activity);
        w.resize(1100, 760);
        w.show();
        w.modelButton(FindCalModel(u"RSX7030"_s))->click();
        w.modelButton(FindCalModel(u"RSX7032A"_s))->click();
        QVERIFY(w.rangeBox(19)->isChecked() && !w.rangeBox(3)->isChecked());
        QCOMPARE(r.run.TaraModel, u"RSX7032A"_s);
        // Unticking a range in the window leaves it out of the run.
        w.rangeBox(14)->click();
        QVERIFY(!r.run.ranges[14].ticked);
        r.rig.bench.calibrationModel()->unit.inputGainError[1] = 0.03; // channel B fails 90 mV
        QTest::mouseClick(w.startButton(), Qt::LeftButton);
        QCOMPARE(w.statusLabel()->text(), u"COLLAUDO TERMINATO"_s);
        QVERIFY(green(w.statusLabel()) && green(w.field(0, 0)));
        QVERIFY(w.field(12, 0)->styleSheet().contains(u"#ff0000"_s));
        QVERIFY(w.field(14, 0)->text().isEmpty() && !w.field(8, 3)->text().isEmpty());
        screenshot(&w, "frm_tara.png");

        // One bench activity at a time: while anything runs (here a production test reported
        // to the shared record) nothing that starts another is enabled; STOP stays usable.
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
            QVERIFY2(b->isEnabled(), qPrintable(b->text()));
        // The window's own run is reported while it runs.
        QStringList seen;
        connect(&activity, &BenchActivity::changed, this,
                [&] { seen << activity.runningNow().join(u','); });
        r.rig.prompter.clear();
        w.ptcButton(0)->click();
        QVERIFY(seen.contains(u"ptc"_s) && !activity.busy());

        // The linearity buttons run the sweep into the folder typed; a folder that cannot take
        // "linear.dat" is reported in the window, which stays usable.
        QCOMPARE(w.meterSweepButton()->text(), u"lett mult"_s);
        QCOMPARE(w.twoChannelSweepButton()->text(), u"2 ch compl."_s);
        w.sweepFolder()->setText(r.folder.filePath(u"missing"_s));
        w.meterSweepButton()->click();
        QVERIFY2(w.sweepStatus()->text().contains(u"linear.dat"_s),
                 qPrintable(w.sweepStatus()->text()));
        QVERIFY(w.startButton()->isEnabled() && w.meterSweepButton()->isEnabled());

        // A selector changed in the window reaches the instruments at once; "Dispositivo" is
        // handed to the device link before the run starts, and a refusal there starts nothing.
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
        r.run.status.clear(); // a run that started would set it
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
        QVERIFY(green(w->statusLabel()));
        QVERIFY(person.texts().contains(u"Impostare tutti i dip-switch a ON"_s));
        QVERIFY(!window.benchActivity()->busy() && window.panel()->cmd_read->isEnabled());
        screenshot(w, "frm_tara-demo.png");
#ifdef VANTELSO_HAS_RECORDS
        // The run is in the production records under the id generated and shown for the unit.
        const QString unit = w->findChild<QLineEdit*>(u"txt_unit"_s)->text();
        QVERIFY(!unit.isEmpty());
        records::RecordStore store(*records::StoreLocation::parse({}, &why));
        QVERIFY2(store.open(&why), qPrintable(why));
        const auto runs = store.runs({unit, {}, 0, 0}, &why);
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

    // The EEPROM tool window in a desktop session, in the bench's Italian: Collaudo > EEprom
    // shows it, the buttons read, edit, write, verify, save and load the bank, single values go
    // both ways, and bad input or a silent device never passes for success.
    void wholeBank() {
        Session s(u"RSX7030"_s);
        sim::SimDevice* dev = s.demo->device();
        QVERIFY(s.open() && !s.window->eepromSubWindow()->isVisible());
        s.window->mainMenu().eeprom->trigger();
        QVERIFY(s.window->eepromSubWindow()->isVisible());
        gui::FrmEeprom* w = s.window->eepromWindow();
        QCOMPARE((QStringList{s.window->eepromSubWindow()->windowTitle(), w->Command3->text(),
                              w->Command2->text(), w->txt_banco->text()}),
                 (QStringList{"EEPROM", "Leggi EEprom", "Carica da file EEprom.dat", "0"}));

        // Nothing to write yet: said, and nothing sent.
        dev->clearCommandLog();
        w->Command5->click();
        QVERIFY(lastQuestion(s).startsWith(u"Nessuna immagine da scrivere"_s));
        QCOMPARE(s.count("$W"), 0);

        w->Command3->click();
        QCOMPARE(w->List1->count(), 256);
        for (int a : {0, 4, 255})
            QCOMPARE(w->List1->item(a)->text(), u"%1\t%2"_s.arg(a).arg(dev->memory(0, a)));

        // A line edited by hand, then the whole bank written and read back.
        s.prompter.pushInput(u"77"_s);
        Q_EMIT w->List1->itemDoubleClicked(w->List1->item(7));
        QCOMPARE(w->List1->item(7)->text(), u"7\t77"_s);
        s.prompter.pushInput(u"300"_s); // refused, the line stays
        Q_EMIT w->List1->itemDoubleClicked(w->List1->item(7));
        QVERIFY(lastQuestion(s).contains(u"\"300\" non valido"_s));
        QCOMPARE(w->List1->item(7)->text(), u"7\t77"_s);
        dev->clearCommandLog();
        w->Command5->click();
        QCOMPARE(s.count("$W"), 256);
        QCOMPARE(dev->memory(0, 7), 77);
        QVERIFY2(w->lbl_stato->text().contains(u"0 errori"_s), qPrintable(w->lbl_stato->text()));

        // Verifica: the count in a box, the addresses in the list beside the image.
        dev->setMemory(0, 7, 5);
        w->Command7->click();
        QCOMPARE(lastQuestion(s), u"1 errori"_s);
        QCOMPARE(s.prompter.questions().last().icon, Prompter::Icon::Critical);
        QCOMPARE(w->lst_errori->count(), 1);
        QCOMPARE(w->lst_errori->item(0)->text(), u"7\t5\t77"_s);
        s.window->eepromSubWindow()->adjustSize();
        screenshot(s.window->eepromSubWindow(), "frm_eeprom.png");
        dev->setMemory(0, 7, 77);
        w->Command7->click();
        QCOMPARE(lastQuestion(s), u"0 errori"_s);
        QCOMPARE(s.prompter.questions().last().icon, Prompter::Icon::Critical);
        QCOMPARE(w->lst_errori->count(), 0);

        // Saved and loaded through the file dialogs.
        QTemporaryDir dir;
        const QString path = dir.filePath(u"EEprom.dat"_s);
        s.prompter.pushFile(path);
        w->Command6->click();
        QCOMPARE(s.prompter.fileDialogs.last().defaultSuffix, u"dat"_s);
        const QList<QByteArray> lines = ReadTestFile(path).split('\n');
        QCOMPARE(lines.size(), 257); // 256 lines and nothing after the last line end
        QCOMPARE(lines[7], QByteArray("77\r"));

        // A bad file is refused with its line and leaves the image as it was.
        const QString bad = dir.filePath(u"bad.dat"_s);
        QVERIFY(WriteTestFile(bad, "1\n2\n3\nx\n"));
        s.prompter.pushFile(bad);
        w->Command2->click();
        QVERIFY2(lastQuestion(s).contains(u"riga 4: \"x\" non è un numero intero"_s),
                 qPrintable(lastQuestion(s)));
        QCOMPARE(w->List1->item(7)->text(), u"7\t77"_s);
        s.prompter.pushFile(path);
        w->Command2->click();
        QCOMPARE(w->List1->count(), 256);

        // A Float at L = 0, H = 128, Exp = 63 is 1.0.
        dev->setMemory(1, 100, 0);
        dev->setMemory(1, 101, 128);
        dev->setMemory(1, 102, 63);
        typeInto(w->txt_banco, u"1"_s);
        typeInto(w->txt_start, u"100"_s);
        w->Option2[2]->click();
        w->Command1->click();
        QCOMPARE((QStringList{w->txt_valore->text(), w->txt_valoreA->text(), w->txt_valoreB->text(),
                              w->txt_valoreC->text()}),
                 (QStringList{"1.0", "0", "128", "63"}));

        // Written as a value: the raw fields show the bytes that went out.
        typeInto(w->txt_valore, u"-2.5"_s);
        w->Command4->click();
        QCOMPARE(w->txt_valoreC->text(), u"192"_s);
        QCOMPARE(dev->bank(1).mid(101, 2), "\x20\xc0"_ba);

        // Written as raw bytes, Int: L at the address, H after it.
        w->Option2[1]->click();
        w->Option1[1]->click();
        typeInto(w->txt_start, u"20"_s);
        typeInto(w->txt_valoreA, u"254"_s);
        typeInto(w->txt_valoreB, u"255"_s);
        w->Command4->click();
        QCOMPARE(w->txt_valore->text(), u"-2"_s);
        QCOMPARE(dev->bank(1).mid(20, 2), "\xfe\xff"_ba);

        // Refused before anything is sent.
        // Bank, address, format, value or raw bytes, the value typed, and what the refusal says.
        const std::tuple<const char*, const char*, int, int, const char*, const char*> cases[] = {
            {"300", "0", 0, 0, "1", "Banco \"300\" non valido"},
            {"0", "254", 2, 0, "1", "Registro \"254\" non valido"},
            {"0", "x", 0, 0, "1", "Registro \"x\" non valido"},
            {"0", "0", 0, 0, "abc", "Valore \"abc\" non valido"},
            {"0", "0", 0, 0, "256", "Valore \"256\" non valido"},
            {"0", "0", 2, 0, "1,5", "non numerico"},
            {"0", "0", 0, 1, "256", "Byte L \"256\" non valido"},
        };
        dev->clearCommandLog();
        for (const auto& [bank, address, format, mode, value, says] : cases) {
            const FailingRow row(says);
            typeInto(w->txt_banco, QLatin1String(bank));
            typeInto(w->txt_start, QLatin1String(address));
            w->Option2[std::size_t(format)]->click();
            w->Option1[std::size_t(mode)]->click();
            typeInto(mode == 0 ? w->txt_valore : w->txt_valoreA, QLatin1String(value));
            w->Command4->click();
            QVERIFY2(lastQuestion(s).contains(QLatin1String(says)), qPrintable(lastQuestion(s)));
        }
        QVERIFY(dev->commandLog().isEmpty());

        // The device stops answering: a communication message, no count.
        dev->injectFault({sim::Fault::Kind::NoReply, "$R", 0, -1, 0});
        s.prompter.clear();
        w->Command7->click();
        for (const QString& text : s.prompter.texts())
            QVERIFY2(!text.contains(u"errori"_s), qPrintable(text));
        QVERIFY(lastQuestion(s).startsWith(u"Errore di comunicazione"_s));
        QVERIFY(w->lbl_stato->text().contains(u"verifica non eseguita"_s));
    }
};

QTEST_MAIN(TestBenchWindows)
#include "tst_benchwindows.moc"
