// The range calibration steps against a simulated unit: the constant by range kind and its
// ±2 % check, what is written where, the cold-junction byte, the PTC words and their guard,
// the relay lists, the output constants as the live measurement reads them, and a command
// refused because another one holds the link. Then whole runs: units with their own analog
// errors come out calibrated, failing ranges are shown red and left unwritten, every bad input
// takes the error ending with the supply switched off, the two-position hand-over, stop and
// resume, the current test and the model choice.
// Last, the linearity aids, their meters on pseudo-terminals of their own: each logs to
// "linear.dat" line by line until STOP, and leaves the meters on their ports.
#include "calfunction.h"
#include "calrig.h"
#include "failingrow.h"
#include "frameconverter.h"
#include "linearitysweep.h"
#include "testfiles.h"

#include <QTest>
#include <QTimer>

using namespace vantelso;
using namespace vantelso::bench;
using namespace Qt::StringLiterals;

namespace {

// A step's range index with its unit's error and what the step should make of it.
using InputRow = std::tuple<int, double, double, bool>;     // gain error, constant k, written
using CjcRow = std::tuple<int, double, int, bool, QString>; // sensor error, stored byte, passed, K1
using OutputRow = std::tuple<QString, int, QString>;        // model, range, relay list

} // namespace

class TestCalSteps : public QObject {
    Q_OBJECT
    // How often the calibrator was set to source mV (0x80 with the mVL code) after a sensor
    // reading (closed by 0x82 0 0 0 0); -1 when a setting (0x81) came first.
    static int mvAfterSensor(const QByteArray& heard) {
        bool afterSensor = false;
        int reselected = 0;
        for (qsizetype at = 0; at + 7 <= heard.size(); at += 7) {
            const auto command = std::uint8_t(heard[at + 1]);
            const bool mv = command == 0x80 && heard.mid(at + 2, 4) == QByteArray(4, '\0');
            if (afterSensor && (command == 0x81 || (command == 0x80 && !mv)))
                return -1;
            reselected += afterSensor && mv;
            afterSensor = (command == 0x82 && heard[at + 2] == 0) || (afterSensor && !mv);
        }
        return reselected;
    }

private Q_SLOTS:
    // The RSX7030 reports its input directly, so the unit's gain error sets the reading at the
    // calibration point exactly.
    void inputConstant_data() {
        QTest::addColumn<InputRow>("row");
        // 50 mV read as 50.0: k = 50, outside 55.37..57.63 around 56.5.
        QTest::newRow("90 mV k=50") << InputRow{0, 0.13, 50.0, false};
        // Refused, so the neutral 50 stays in the unit.
        QTest::newRow("90 mV 3% high") << InputRow{0, 0.03, 56.5 / 1.03, false};
        // 300 ohm read as 297: k = 1.0101, inside 0.98..1.02.
        QTest::newRow("500 ohm 297") << InputRow{6, -0.01, 300.0 / 297, true};
        QTest::newRow("10 V in tolerance") << InputRow{3, 0.01, 5700 / 1.01, true};
        QTest::newRow("20 mA 3% high") << InputRow{4, 0.03, 10300 / 1.03, false};
    }
    void inputConstant() {
        QFETCH(InputRow, row);
        const auto [index, gainError, k, written] = row;
        CalRig r(u"RSX7030"_s);
        r.rig.bench.calibrationModel()->unit.inputGainError[0] = gainError;
        QVERIFY(r.identify());
        const CalStep step = *FindCalStep(u"RSX7030"_s, index);
        const QByteArray before = r.device().bank(0).mid(step.address, 3);
        QVERIFY(r.run.CalibrateInputRange(step));
        const RangeResult& res = r.run.ranges[std::size_t(index)];
        // The frame's float keeps 15 fraction bits.
        QVERIFY2(qAbs(res.k1.text.toDouble() - k) <= k * 2e-4, qPrintable(res.k1.text));
        // No check after a refused constant.
        const FieldColour c = written ? FieldColour::Green : FieldColour::Red;
        QCOMPARE(std::tuple(res.k1.colour, res.box, res.span.colour == FieldColour::Green,
                            res.zero.text.isEmpty(), r.run.report.value(0).endsWith(u" FALLITO"_s)),
                 std::tuple(c, c, written, !written, !written));
        // Written: M, H, E of the float, the low mantissa byte dropped; refused: left as it was.
        const auto e = codecs::FloatToBytes(k);
        QCOMPARE(r.device().bank(0).mid(step.address, 3),
                 written ? QByteArray(1, char(e[2])) + char(e[1]) + char(e[0]) : before);
        // The range was set: code at address 0, function byte cleared, full scale at 20/21.
        QCOMPARE(std::pair(int(r.device().memory(0, 0)),
                           r.device().memory(0, 20) | r.device().memory(0, 21) << 8),
                 std::pair(step.code, int(RangeEndWord(step.code, step.span))));
    }

    // A junction reading 3.4 °C above the calibrator's sensor gives -34, stored as 222; a
    // second attempt is made only when the first is out of range. Channel A's offset also
    // stands for B at 8; channel B's step touches only 8, so A's offset at 7 stays whatever
    // B's outcome.
    void cjcOffset_data() {
        QTest::addColumn<CjcRow>("row");
        QTest::newRow("A -3.4") << CjcRow{7, 3.4, 222, true, u"-34"_s};
        QTest::newRow("A +1.3") << CjcRow{7, -1.3, 13, true, u"13"_s};
        QTest::newRow("A beyond 12.7") << CjcRow{7, 20.0, 0, false, u"-200"_s};
        QTest::newRow("B -3.4") << CjcRow{19, 3.4, 222, true, u"-34"_s};
        QTest::newRow("B beyond 12.7") << CjcRow{19, 20.0, 0, false, u"-200"_s};
    }
    void cjcOffset() {
        QFETCH(CjcRow, row);
        const auto& [index, sensorError, stored, passed, k1] = row;
        CalRig r(u"RSX7032A"_s);
        r.rig.bench.calibrationModel()->unit.cjcError = sensorError;
        r.device().setMemory(0, 7, 50);
        QVERIFY(r.identify());
        if (index == 19) // the run routes the calibrator to channel B before B's steps
            QCOMPARE(r.rig.instruments.switches.SetSwitch(u"101C102C"_s), BenchStatus::Ok);
        r.rig.bench.calibrator().clearHeard();
        QVERIFY(r.run.CalibrateInputRange(*FindCalStep(u"RSX7032A"_s, index)));
        // mV again before the check (passed) or before the second attempt (failed).
        QCOMPARE(mvAfterSensor(r.rig.bench.calibrator().heard()), 1);
        QCOMPARE(std::pair(int(r.device().memory(0, 8)), int(r.device().memory(0, 7))),
                 std::pair(stored, index == 7 ? stored : 50));
        // The half-scale field is not used for the junction; the zero check passes only after
        // an offset in range.
        const RangeResult& res = r.run.ranges[std::size_t(index)];
        QCOMPARE(std::tuple(res.box, res.half.colour, res.zero.colour == FieldColour::Green,
                            res.k1.text),
                 std::tuple(passed ? FieldColour::Green : FieldColour::Red, FieldColour::Green,
                            passed, k1));
    }

    // The fields are read with the leading-number parse: "15225 cnt" is 15225.
    void ptcConstants() {
        for (int channel : {0, 1}) {
            const FailingRow row(channel == 0 ? "channel A" : "channel B");
            CalRig r(u"RSX7131C"_s);
            r.rig.bench.supply().receive("KOE\r");
            r.run.ptcX = u"15225 cnt"_s;
            QVERIFY(r.run.PtcManual(channel));
            QCOMPARE(std::pair(r.run.ptcK3, r.run.ptcK2), std::pair(u"28984"_s, u"18074"_s));
            // 28984 and 18074 as little-endian words at 65 (A) or 44 (B); this model repeats
            // them at 44.
            for (int base : channel == 0 ? QList<int>{65, 44} : QList<int>{44})
                QCOMPARE(std::pair(base, r.device().bank(0).mid(base, 4)),
                         std::pair(base, QByteArray("\x38\x71\x9A\x46", 4)));
        }
    }

    // Readings that give no divider are refused before anything is written: the fields
    // are read with the leading-number parse, so an empty or non-numeric field is 0.
    void ptcManualGuard_data() {
        QTest::addColumn<QStringList>("fields"); // X, Y, and what the refusal names
        QTest::newRow("empty V2000") << QStringList{"", "10324", "V2000"};
        QTest::newRow("text V2000") << QStringList{"abc", "10324", "V2000"};
        QTest::newRow("zero V1000") << QStringList{"15225", "0", "V1000"};
        QTest::newRow("negative V1000") << QStringList{"15225", "-10324", "V1000"};
        QTest::newRow("huge V2000") << QStringList{"1e999", "10324", "V2000"};
        QTest::newRow("X = 2Y") << QStringList{"15000", "7500", "K1"};
        QTest::newRow("K1 just above 1") << QStringList{"15225", "7613", "K3"};
        QTest::newRow("K1 above 2") << QStringList{"10000", "10001", "K2"};
        QTest::newRow("K3 beyond a word") << QStringList{"60000", "40000", "K3"};
    }
    void ptcManualGuard() {
        QFETCH(QStringList, fields);
        CalRig r(u"RSX7131C"_s);
        r.rig.bench.supply().receive("KOE\r");
        r.device().clearCommandLog();
        r.run.ptcX = fields[0];
        r.run.ptcY = fields[1];
        QVERIFY(!r.run.PtcManual(0));
        QVERIFY(r.device().commandLog().isEmpty()); // so nothing written either
        QVERIFY(r.run.ptcK3.isEmpty() && r.run.ptcK2.isEmpty());
        const QString text = r.op.texts().value(0);
        QVERIFY2(text.startsWith(u"Taratura PTC non scritta: "_s + fields[2]), qPrintable(text));
    }

    // The relay list of each input step by model (for the two-position model, by position),
    // for the mV, V, mA, resistance and PTC range codes; empty where the bench has no such
    // step. The calibrator function and scale of each code are the whole runs' concern.
    void relayLists_data() {
        QTest::addColumn<QStringList>("routes"); // the row: model, "/" and position if not 1
        QTest::newRow("RSX7030") << QStringList{"101A102A103A104A105A", "101A102A103C104C105A",
                                                "101A102C103C104C105C", "101C102C103C104A105A", ""};
        QTest::newRow("RSX7035") << QStringList{"101C102A103A104A105A", "101A102A103A104C105A",
                                                "101A102A103A104A105C", "101A102C103C104A105A", ""};
        QTest::newRow("5010OEM") << QStringList{"", "", "", "", "101C102A103A104A105A"};
        QTest::newRow("RSX5035") << QStringList{"101C102C103A104A105A106A112A", "", "",
                                                "101A102C103C104A105A106A112C", ""};
        QTest::newRow("RSX5035/2") << QStringList{"101C102C103A104C105C106C112A", "", "",
                                                  "101A102C103C104C105C106C112C", ""};
        QTest::newRow("RSX7032A") << QStringList{
            "103A104A105A106A107A113C114A", "103A104A105C106C107A113C114A",
            "103C104A105A106C107C113C114A", "103C104C105A106C107A113C114A",
            "103A104A105A106C107A113A114A"};
    }
    void relayLists() {
        QFETCH(QStringList, routes);
        const QStringList row = QString::fromLatin1(QTest::currentDataTag()).split(u'/');
        const QList<QList<int>> codes{{1, 2, 3, 8}, {4}, {5}, {16, 17}, {25}};
        for (qsizetype k = 0; k < codes.size(); ++k)
            for (int code : codes[k]) {
                const FailingRow guard(u"range code %1"_s.arg(code));
                const InputRoute r = InputRouteFor(row[0], code, row.value(1, u"1"_s).toInt());
                QCOMPARE(r.route, routes[k]);
                QCOMPARE(!r.function, routes[k].isEmpty());
            }
    }

    // What the switch unit hears for an output step: the meter path of the output.
    void outputRelays_data() {
        QTest::addColumn<OutputRow>("row");
        QTest::newRow("RSX7030 V A") << OutputRow{u"RSX7030"_s, 8, u"108A"_s};
        QTest::newRow("RSX7030 mA A") << OutputRow{u"RSX7030"_s, 9, u"114A115A116A117C"_s};
        QTest::newRow("RSX7030 V B") << OutputRow{u"RSX7030"_s, 10, u"108C"_s};
        QTest::newRow("RSX7030 mA B") << OutputRow{u"RSX7030"_s, 11, u"114C115C116C117C"_s};
        QTest::newRow("RSX7032A V A") << OutputRow{u"RSX7032A"_s, 8, u"111A112A"_s};
        QTest::newRow("RSX7032A mA B") << OutputRow{u"RSX7032A"_s, 11, u"111C112C"_s};
    }
    void outputRelays() {
        QFETCH(OutputRow, row);
        const auto& [model, index, relays] = row;
        CalRig r(model);
        QVERIFY(r.identify());
        r.rig.bench.switches().clearHeard();
        r.device().clearCommandLog();
        QVERIFY(r.run.CalibrateOutput(*FindCalStep(model, index)));
        // The switch unit's wire format is the instruments' test's.
        QCOMPARE(r.rig.bench.switches().heard(), SwitchLines(relays).join());
        QCOMPARE(r.run.ranges[std::size_t(index)].box, FieldColour::Green);
        // Both readings, at DAC counts 800 and 3500, in one programming session.
        const QList<QByteArray> log = r.device().commandLog();
        const QByteArray held = index < 10 ? "$I" : "$i";
        const qsizetype lo = log.indexOf(held + QByteArray("\x03\x20\x00\r", 4));
        const qsizetype hi = log.indexOf(held + QByteArray("\x0D\xAC\x00\r", 4));
        QVERIFY(lo >= 0 && hi > lo);
        for (qsizetype n = lo; n < hi; ++n)
            QVERIFY(!log[n].startsWith("$FP") && !log[n].startsWith("PR"));
    }

    // The six bytes of an output's constants, read back the way the live measurement reads
    // them, give the output values at DAC counts 800 and 3500 for every model.
    void outputConstantLayout() {
        for (int modelByte = 0; modelByte <= 9; ++modelByte) {
            const DeviceIdentity id{12, std::uint8_t(modelByte)};
            const auto b = OutputConstantBytes(id, 4.083, 20.26);
            // The measurement's read of the output references (first three bytes, then three).
            const ChannelSettings ch{.outputRef800 = codecs::FloatFromBytes(b[5], b[3], b[4]),
                                     .outputRef3500 = codecs::FloatFromBytes(b[2], b[0], b[1])};
            const auto [lo, hi] =
                DecodeOutputConstants(id, QByteArray(reinterpret_cast<const char*>(b.data()), 6));
            QVERIFY2(qAbs(measure::OutputFromRaw(800, ch, id) - 4.083) < 1e-3 &&
                         qAbs(measure::OutputFromRaw(3500, ch, id) - 20.26) < 1e-3 &&
                         qAbs(lo - 4.083) < 1e-3 && qAbs(hi - 20.26) < 1e-3,
                     qPrintable(u"model byte %1"_s.arg(modelByte)));
        }
    }

    // A step started while another command holds the link (a click serviced during its wait)
    // gets every device command refused: it fails rather than turning green without writing.
    // (The mA and V outputs, the 90 mV input, the junction.)
    void refusedCommand() {
        for (int index : {9, 8, 0, 7}) {
            const FailingRow row(RangeCaption(index));
            CalRig r(u"RSX7032A"_s);
            QVERIFY(r.identify());
            const QByteArray before = r.device().bank(0);
            const CalStep step = *FindCalStep(u"RSX7032A"_s, index);
            std::optional<bool> result;
            QTimer::singleShot(0, &r.run, [&] {
                result =
                    step.output ? r.run.CalibrateOutput(step) : r.run.CalibrateInputRange(step);
            });
            r.link.ReadBlock(0, 0, 65);
            QVERIFY2(result == false && r.run.ranges[std::size_t(index)].box != FieldColour::Green,
                     qPrintable(RangeCaption(index)));
            QCOMPARE(r.device().bank(0), before);
        }
    }

    void fullRun() {
        // The RSX7030 with model byte 1 shares the identifier and keeps its output constants the
        // other way round; -1: the identifier's own model byte.
        for (const auto& [model, modelByte] :
             {std::pair{u"RSX7030"_s, -1}, std::pair{u"RSX7030"_s, 1}, std::pair{u"RSX7032A"_s, -1},
              std::pair{u"5010OEM"_s, -1}}) {
            CalRig r(model, true, modelByte);
            const QByteArray before = r.device().bank(0);
            const RunOutcome out = r.run.RunCalibration();
            const QString row = model + u" model byte "_s + QString::number(modelByte);
            QVERIFY2(!out.error, qPrintable(row + u": "_s + out.message + u" | "_s +
                                            r.op.texts().join(u" / "_s)));
            QCOMPARE(std::tuple(row, out.finalProgrammed, r.run.status, r.run.statusColour),
                     std::tuple(row, true, u"COLLAUDO TERMINATO"_s, FieldColour::Green));
            const CalModel& m = CalModels()[FindCalModel(model)];
            for (int i : m.ranges) {
                const RangeResult& res = r.run.ranges[std::size_t(i)];
                const auto step = FindCalStep(model, i);
                const QString range = row + u' ' + RangeCaption(i);
                QVERIFY2(step && !res.failed() && res.box == FieldColour::Green,
                         qPrintable(range + u" | "_s + r.run.report.join(u" / "_s)));
                if (!step->output && step->code != calcode::Cjc && step->code != calcode::Ptc)
                    QVERIFY2(WithinNominal(r.constantAt(step->address), step->nominal),
                             qPrintable(range));
            }
            // One report line per range; the final programming restored the configuration
            // except the junction offsets; the supply off and a beep; the switch test asked for
            // ON then OFF, except where the model has none.
            const QByteArray after = r.device().bank(0);
            QCOMPARE(std::tuple(row, r.run.report.size(), after.left(7) + after.mid(9, 19),
                                r.rig.bench.supply().outputOn(), r.rig.bench.meter(0).beeps() >= 1,
                                r.op.texts().contains(u"Impostare tutti i dip-switch a OFF"_s)),
                     std::tuple(row, m.ranges.size(), before.left(7) + before.mid(9, 19), false,
                                true, model != u"5010OEM"_s));
        }
    }

    // Bad input: each takes the error ending, with the message named, and the supply off.
    void errorEndings() {
        for (const auto& [fault, message] :
             {std::pair{"image", "File non trovato"},
              std::pair{"identity", "Dispositivo non identificato"}, // the device silent
              std::pair{"calibrator", "Comunicazione fallita: 90 mV A"},
              std::pair{"supply", "Alimentatore non risponde"}}) {
            const FailingRow row(fault);
            const QLatin1String f(fault);
            CalRig r(u"RSX7032A"_s, f != "image"_L1);
            r.run.options.loadDefault = f == "image"_L1;
            if (f == "identity"_L1)
                r.device().injectFault({sim::Fault::Kind::NoReply, "$V", 0, -1, 0});
            r.rig.bench.calibrator().setSilent(f == "calibrator"_L1);
            r.rig.bench.supply().setSilent(f == "supply"_L1);
            const RunOutcome out = r.run.RunCalibration();
            QVERIFY2(out.error && out.message.startsWith(QLatin1String(message)),
                     qPrintable(f + u": "_s + out.message));
            QCOMPARE(std::pair(r.run.status, r.run.statusColour),
                     std::pair(u"COLLAUDO TERMINATO"_s, FieldColour::Red));
            QVERIFY(r.op.texts().contains(u"Errore\n"_s + out.message));
            QVERIFY2(!r.run.running() && (f == "supply"_L1 || !r.rig.bench.supply().outputOn()),
                     fault);
        }
    }

    // The two-position model: the first run calibrates position 1 and hands over (the
    // operator moves the thermocouple, the editor's write starts); the next START calibrates
    // position 2 on its own relay lists and hands back. A stopped run hands nothing over.
    void twoPositionRuns() {
        CalRig r(u"RSX5035"_s);
        r.run.positions.calibrate = r.run.positions.program = {true, true};
        for (int i = 0; i < kRangeCount; ++i)
            r.run.setRangeTicked(i, i == 0);
        int writes = 0;
        r.run.startEditorWrite = [&] { ++writes; };
        const QByteArray position2("rout:close (@104)"); // "104C105C106C107C108C109A110A111A"
        for (int run = 1; run <= 2; ++run) {
            const FailingRow row(u"run %1"_s.arg(run));
            r.rig.bench.switches().clearLines();
            r.op.clear();
            const RunOutcome out = r.run.RunCalibration();
            QVERIFY2(!out.error, qPrintable(out.message));
            QCOMPARE(std::tuple(r.rig.bench.switches().lines().contains(position2),
                                r.run.positions.wired, writes,
                                r.op.texts().contains(u"Cambiare posizione termocoppia"_s)),
                     std::tuple(run == 2, run == 1 ? 2 : 1, run, true));
        }
        // STOP during the step: the position stays wired, nothing is programmed.
        connect(&r.run, &CalibrationRun::rangeChanged, this, [&] { r.run.StopRequested = true; });
        r.op.clear();
        const RunOutcome out = r.run.RunCalibration();
        QCOMPARE(std::tuple(out.stopped, r.run.positions.wired, writes,
                            r.op.texts().contains(u"Cambiare posizione termocoppia"_s)),
                 std::tuple(true, 1, 2, false));
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
        QVERIFY(out && out->error);
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
            r.run.StopRequested |= i == 0 && r.run.ranges[0].span.colour == FieldColour::Green;
        });
        RunOutcome out = r.run.RunCalibration();
        QVERIFY(!out.error && out.stopped);
        QCOMPARE(std::pair(r.run.report.size(), r.run.ranges[1].box),
                 std::pair(qsizetype(1), FieldColour::White));
        disconnect(&r.run, nullptr, this, nullptr);
        r.run.ResumeRun = true;
        out = r.run.RunCalibration();
        QVERIFY(!out.error);
        QCOMPARE(std::tuple(r.run.report.size(), r.run.report.value(0).startsWith(u"200 mV A"_s),
                            r.run.ranges[0].box, r.run.ResumeRun),
                 std::tuple(qsizetype(1), true, FieldColour::Green, false));
    }

    // The current test: 31 mA at 30 V against 21 expected shows the reading with no blank
    // before "mA"; Abort goes to the normal ending.
    void supplyCurrentAndModelChoice() {
        CalRig r(u"RSX7030"_s);
        r.rig.bench.supply().setLoad([](double v) { return v > 29 ? 31.0 : 2 + 500 / v; });
        r.op.push(Prompter::Answer::Abort);
        const RunOutcome out = r.run.RunCalibration();
        QVERIFY(!out.error && out.stopped);
        QCOMPARE(r.op.texts().first(), u"Consumo Errato 31mA @ 30V (21)"_s);
        QCOMPARE(std::pair(r.run.report.size(), r.run.statusColour),
                 std::pair(qsizetype(0), FieldColour::Green));

        // The model choice: RSX7132D copies RSX7032D with the default image ticked; the OEM
        // board has neither the switch test nor the current test.
        r.run.SelectModel(FindCalModel(u"RSX7132D"_s));
        const auto ticks = [&] {
            QList<int> t;
            for (int i = 0; i < kRangeCount; ++i)
                if (r.run.ranges[std::size_t(i)].ticked)
                    t << i;
            return t;
        };
        const QList<int> d132 = ticks();
        QVERIFY(r.run.options.loadDefault);
        r.run.SelectModel(FindCalModel(u"RSX7032D"_s));
        QCOMPARE(ticks(), d132);
        QVERIFY(r.run.options.loadDefault);
        QCOMPARE(r.run.ExpectedCurrent, (std::array<int, 3>{18, 18, 18}));
        r.run.SelectModel(FindCalModel(u"5010OEM"_s));
        QVERIFY(!r.run.options.switchTest && !r.run.options.switchTestEnabled);
        QVERIFY(!r.run.options.supplyTest && !r.run.options.loadDefault);
        QCOMPARE(ticks(), (QList<int>{9, 20}));
        QCOMPARE(r.run.options.channels, (std::array<bool, 2>{true, false}));
        QCOMPARE(r.run.SettleSeconds, 4);
    }

#ifdef Q_OS_UNIX
private:
    // A calibrated-bench rig with meters 0 and 1 also reachable as serial ports 1, 2 and 8.
    struct SweepRig {
        CalRig cal{u"RSX7032A"_s};
        LinearitySweep sweep{&cal.link, &cal.rig.instruments};
        QString why;
        bool serve() {
            if (!cal.rig.bench.serve(&why))
                return false;
            for (const auto& e : cal.rig.bench.endpoints())
                for (const auto& [port, name] :
                     {std::pair{1, "multimetro0"}, std::pair{8, "multimetro0"},
                      std::pair{2, "multimetro1"}})
                    if (e.name == QLatin1String(name) && !e.address.startsWith(u"TCPIP"_s))
                        cal.rig.instruments.setPortPath(port, e.address);
            sweep.folder = cal.folder.path();
            cal.run.SupplyOn();
            // The operator has set both outputs to a voltage range.
            cal.link.WriteBlock(0, {vantelso::WriteItem{4, 2}, vantelso::WriteItem{6, 2}});
            return cal.link.CommError == 0;
        }
        // The lines of "linear.dat".
        QStringList fileLines() const {
            return QString::fromLatin1(ReadTestFile(sweep.filePath()))
                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        }
        // STOP pressed once `n` data lines are logged (instead of any count given before).
        void stopAfter(int n) {
            QObject::disconnect(&sweep, &LinearitySweep::lineLogged, &sweep, nullptr);
            QObject::connect(&sweep, &LinearitySweep::lineLogged, &sweep,
                             [this, n, seen = 0](const QString& l) mutable {
                                 sweep.StopRequested |= !l.startsWith(u"Input"_s) && ++seen >= n;
                             });
        }
    };

private Q_SLOTS:
    // Two integer digits and three decimals; a value that rounds to zero has no sign.
    void numberFormat() {
        for (const auto& [value, text] :
             {std::pair{5.0123, u"05.012"_s}, std::pair{10.5, u"10.500"_s},
              std::pair{-0.25, u"-00.250"_s}, std::pair{-0.0001, u"00.000"_s}})
            QCOMPARE(SweepNumber(value), text);
    }

    // The meter sweep and the two-channel sweep, one after the other on the same bench, each
    // until STOP; then the failures.
    void sweeps() {
        SweepRig r;
        QVERIFY2(r.serve(), qPrintable(r.why));
        r.stopAfter(5);
        SweepOutcome out = r.sweep.MeterSweep();
        QVERIFY2(!out.error, qPrintable(out.message));
        const QStringList lines = r.fileLines();
        QCOMPARE(std::pair(out.lines, lines.size()), std::pair(5, qsizetype(5)));
        // The count sent, a tab, the reading; readings never going down.
        double previous = -1;
        for (int n = 0; n < 5; ++n) {
            const auto m =
                QRegularExpression(u"^%1\t(-?\\d\\d\\.\\d{3})$"_s.arg(801 + n)).match(lines[n]);
            QVERIFY2(m.hasMatch() && m.captured(1).toDouble() >= previous, qPrintable(lines[n]));
            previous = m.captured(1).toDouble();
        }
        // Five counts up move the output by several millivolts.
        QVERIFY(previous > lines[0].section(QLatin1Char('\t'), 1).toDouble());
        // The meter ends on the count just sent, in remote mode; the ports are the selector's
        // again.
        QVERIFY(r.cal.rig.bench.meter(0).remote());
        QCOMPARE(r.cal.rig.instruments.meters.port(0), &r.cal.rig.meterPort);
        QVERIFY(!r.sweep.running());

        r.stopAfter(3);
        out = r.sweep.TwoChannelSweep();
        QVERIFY2(!out.error, qPrintable(out.message));
        const QStringList both = r.fileLines();
        QCOMPARE(std::pair(out.lines, both.size()), std::pair(3, qsizetype(4)));
        QCOMPARE(both[0], u"Input\tInA\tOutA\tMultA\tInB\tOutB\tMultB"_s);
        for (int n = 1; n <= 3; ++n) {
            const QStringList f = both[n].split(QLatin1Char('\t'));
            // Both outputs are measured in volts by their own meter.
            QVERIFY2(f.size() == 7 && f[0] == QString::number(n) && f[3].toDouble() > 0 &&
                         f[6].toDouble() > 0,
                     qPrintable(both[n]));
        }
        QVERIFY(r.cal.rig.bench.meter(1).remote());
        QCOMPARE(r.cal.rig.instruments.meters.port(0), &r.cal.rig.meterPort);

        // A folder that cannot take the file, or a meter that stops answering, end the sweep
        // with the reason; what was logged stays in the file.
        QObject::disconnect(&r.sweep, &LinearitySweep::lineLogged, &r.sweep, nullptr);
        r.sweep.folder = r.cal.folder.filePath(u"missing/deeper"_s);
        out = r.sweep.MeterSweep();
        QVERIFY(out.error && out.message.contains(u"linear.dat"_s));
        QCOMPARE(out.lines, 0);

        r.sweep.folder = r.cal.folder.path();
        // The meter falls silent once the line of count 803 is logged.
        QObject::connect(&r.sweep, &LinearitySweep::lineLogged, &r.sweep, [&r](const QString& l) {
            r.cal.rig.bench.meter(0).setSilent(l.startsWith(u"803"_s));
        });
        out = r.sweep.MeterSweep();
        QCOMPARE(std::tuple(out.error, out.message, out.lines, r.fileLines().size()),
                 std::tuple(true, u"Multimetro non risponde"_s, 3, qsizetype(3)));
    }
#endif
};

QTEST_GUILESS_MAIN(TestCalSteps)
#include "tst_calsteps.moc"
