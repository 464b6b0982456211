// Whole calibration runs on the simulated bench: units with their own analog errors come out
// calibrated, failing ranges are shown red and left unwritten, and every bad input takes the
// error ending with the supply switched off.
#include "calrig.h"
#include "codecs.h"

#include <QTest>
#include <QTimer>

using namespace vantelso;
using namespace vantelso::bench;
using namespace Qt::StringLiterals;

class TestCalRun : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fullRun_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("modelByte"); // -1: the identifier's own
        QTest::newRow("RSX7030") << u"RSX7030"_s << -1;
        // Shares the identifier and keeps its output constants the other way round.
        QTest::newRow("RSX7030 model byte 1") << u"RSX7030"_s << 1;
        QTest::newRow("RSX7032A") << u"RSX7032A"_s << -1;
        QTest::newRow("5010OEM") << u"5010OEM"_s << -1;
    }
    void fullRun() {
        QFETCH(QString, model);
        QFETCH(int, modelByte);
        CalRig r(model, true, modelByte);
        const QByteArray before = r.device().bank(0);
        const RunOutcome out = r.run.RunCalibration();
        QVERIFY2(!out.error, qPrintable(out.message + " | " + r.op.texts().join(" / ")));
        QVERIFY(out.finalProgrammed);
        QCOMPARE(r.run.status, u"COLLAUDO TERMINATO"_s);
        QCOMPARE(r.run.statusColour, FieldColour::Green);
        const CalModel& m = CalModels()[FindCalModel(model)];
        for (int i : m.ranges) {
            const RangeResult& res = r.run.ranges[std::size_t(i)];
            QVERIFY2(!res.failed() && res.box == FieldColour::Green,
                     qPrintable(RangeCaption(i) + " " + r.run.report.join(" / ")));
            const auto step = FindCalStep(model, i);
            QVERIFY(step);
            if (!step->output && step->code != calcode::Cjc && step->code != calcode::Ptc)
                QVERIFY(WithinNominal(r.constantAt(step->address), step->nominal));
        }
        QCOMPARE(r.run.report.size(), m.ranges.size());
        // The final programming restored the configuration except the junction offsets.
        for (int a = 0; a <= 27; ++a) {
            if (a != 7 && a != 8)
                QCOMPARE(r.device().memory(0, a), std::uint8_t(before.at(a)));
        }
        QVERIFY(!r.rig.bench.supply().outputOn());
        QVERIFY(r.rig.bench.meter(0).beeps() >= 1);
        // The switch test asked for ON then OFF, except where the model has none.
        const bool switches = model != u"5010OEM"_s;
        QCOMPARE(r.op.texts().contains(u"Impostare tutti i dip-switch a OFF"_s), switches);
    }

    // A gain error beyond 2 % leaves that range red with its neutral constant, and the run
    // goes on to the end.
    void gainErrorBeyondTolerance() {
        CalRig r(u"RSX7032A"_s);
        r.rig.bench.calibrationModel()->unit.inputGainError[0] = 0.03;
        for (int i = 0; i < kRangeCount; ++i)
            r.run.setRangeTicked(i, i == 0 || i == 12);
        const RunOutcome out = r.run.RunCalibration();
        QVERIFY(!out.error);
        QCOMPARE(r.run.ranges[0].box, FieldColour::Red);
        QCOMPARE(r.run.ranges[0].k1.colour, FieldColour::Red);
        QCOMPARE(r.constantAt(50), 50.0); // still neutral
        QCOMPARE(r.run.ranges[12].box, FieldColour::Green);
        QVERIFY(r.run.report.first().endsWith(u"FALLITO"_s));
    }

    // Bad input: each takes the error ending, with the message named, and the supply off.
    void errorEndings_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("no default image") << u"image"_s << u"File non trovato"_s;
        QTest::newRow("device silent") << u"identity"_s << u"Dispositivo non identificato"_s;
        QTest::newRow("calibrator silent")
            << u"calibrator"_s << u"Comunicazione fallita: 90 mV A"_s;
        QTest::newRow("supply silent") << u"supply"_s << u"Alimentatore non risponde"_s;
    }
    void errorEndings() {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        CalRig r(u"RSX7032A"_s, fault != u"image"_s);
        r.run.options.loadDefault = fault == u"image"_s;
        if (fault == u"identity"_s)
            r.device().injectFault({sim::Fault::Kind::NoReply, "$V", 0, -1, 0});
        if (fault == u"calibrator"_s)
            r.rig.bench.calibrator().setSilent(true);
        if (fault == u"supply"_s)
            r.rig.bench.supply().setSilent(true);
        const RunOutcome out = r.run.RunCalibration();
        QVERIFY(out.error);
        QVERIFY2(out.message.startsWith(message), qPrintable(out.message));
        QCOMPARE(r.run.status, u"COLLAUDO TERMINATO"_s);
        QCOMPARE(r.run.statusColour, FieldColour::Red);
        QVERIFY(r.op.texts().contains(u"Errore\n"_s + out.message));
        QVERIFY(!r.run.running());
        if (fault != u"supply"_s)
            QVERIFY(!r.rig.bench.supply().outputOn());
    }

    // The two-position model: the first run calibrates position 1 and hands over (the
    // operator moves the thermocouple, the editor's write starts); the next START calibrates
    // position 2 on its own relay lists and hands back. A stopped run hands nothing over.
    void twoPositionRuns() {
        CalRig r(u"RSX5035"_s);
        for (int p : {1, 2}) {
            r.run.positions.setCalibrate(p, true);
            r.run.positions.setProgram(p, true);
        }
        for (int i = 0; i < kRangeCount; ++i)
            r.run.setRangeTicked(i, i == 0);
        int writes = 0;
        r.run.startEditorWrite = [&] { ++writes; };
        const QByteArray position2("rout:close (@104)"); // "104C105C106C107C108C109A110A111A"
        for (int run = 1; run <= 2; ++run) {
            r.rig.bench.switches().clearLines();
            r.op.clear();
            const RunOutcome out = r.run.RunCalibration();
            QVERIFY2(!out.error, qPrintable(out.message));
            QCOMPARE(r.rig.bench.switches().lines().contains(position2), run == 2);
            QCOMPARE(r.run.positions.wired, run == 1 ? 2 : 1);
            QCOMPARE(writes, run);
            QVERIFY(r.op.texts().contains(u"Cambiare posizione termocoppia"_s));
        }
        // STOP during the step: the position stays wired, nothing is programmed.
        connect(&r.run, &CalibrationRun::rangeChanged, this, [&] { r.run.StopRequested = true; });
        r.op.clear();
        const RunOutcome out = r.run.RunCalibration();
        QVERIFY(out.stopped);
        QCOMPARE(r.run.positions.wired, 1);
        QCOMPARE(writes, 2);
        QVERIFY(!r.op.texts().contains(u"Cambiare posizione termocoppia"_s));
    }

    // START pressed while another command holds the link: the default image is not written,
    // and the run says so rather than going on as if it had been.
    void refusedDefaultImage() {
        CalRig r(u"RSX7032D"_s);
        r.run.options.supplyTest = false;
        const QByteArray before = r.device().bank(0);
        std::optional<RunOutcome> out;
        QTimer::singleShot(0, &r.run, [&] { out = r.run.RunCalibration(); });
        r.rig.bench.supply().receive("KOE\r");
        r.link.ReadBlock(0, 0, 200);
        QVERIFY(out.has_value());
        QVERIFY(out->error);
        QCOMPARE(out->message, u"Scrittura immagine di default fallita"_s);
        QCOMPARE(r.device().bank(0), before);
    }

    // STOP after the first step goes to the normal ending; "Riprendi" then skips the green
    // range and calibrates the rest.
    void stopAndResume() {
        CalRig r(u"RSX7032A"_s);
        for (int i = 0; i < kRangeCount; ++i)
            r.run.setRangeTicked(i, i == 0 || i == 1);
        connect(&r.run, &CalibrationRun::rangeChanged, this, [&](int i) {
            if (i == 0 && r.run.ranges[0].span.colour == FieldColour::Green)
                r.run.StopRequested = true;
        });
        RunOutcome out = r.run.RunCalibration();
        QVERIFY(!out.error && out.stopped);
        QCOMPARE(r.run.report.size(), 1);
        QCOMPARE(r.run.ranges[1].box, FieldColour::White);
        disconnect(&r.run, nullptr, this, nullptr);
        r.run.ResumeRun = true;
        out = r.run.RunCalibration();
        QVERIFY(!out.error);
        QCOMPARE(r.run.report, QStringList{r.run.report.value(0)});
        QVERIFY(r.run.report.first().startsWith(u"200 mV A"_s));
        QCOMPARE(r.run.ranges[0].box, FieldColour::Green);
        QVERIFY(!r.run.ResumeRun);
    }

    // The current test: 31 mA at 30 V against 21 expected shows the reading with no blank
    // before "mA"; Abort goes to the normal ending.
    void supplyCurrentAbort() {
        CalRig r(u"RSX7030"_s);
        r.rig.bench.supply().setLoad([](double v) { return v > 29 ? 31.0 : 2 + 500 / v; });
        r.op.push(Prompter::Answer::Abort);
        const RunOutcome out = r.run.RunCalibration();
        QVERIFY(!out.error && out.stopped);
        QCOMPARE(r.op.texts().first(), u"Consumo Errato 31mA @ 30V (21)"_s);
        QCOMPARE(r.run.report.size(), 0);
        QCOMPARE(r.run.statusColour, FieldColour::Green);
    }
};

QTEST_GUILESS_MAIN(TestCalRun)
#include "tst_calrun.moc"
