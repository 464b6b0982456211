// The programming and verification station against a simulated unit and simulated bench
// instruments: downloads counted only when read back, the set-up checks and their messages,
// what reaches the supply and the switch unit, and the verification report.
#include "calfunction.h"
#include "stationrig.h"

#include <QTest>
#include <QTimer>

using namespace vantelso;
using namespace vantelso::bench;
using Answer = Prompter::Answer;
using Mode = VerificationSettings::Mode;
using namespace Qt::StringLiterals;

namespace {

const QString kRule(58, QLatin1Char('_'));

int deviceIndex(const char* name) {
    return int(VerificationDevices().indexOf(QLatin1String(name)));
}

struct Refusal {
    QString input, min, max, volts;
    int output, device, channel;
    QString message;
};
struct Routing {
    QString device;
    int channel;
    QString model, input, output, inputRoute;
};

} // namespace

Q_DECLARE_METATYPE(Refusal)
Q_DECLARE_METATYPE(Routing)

class TestVerification : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Checks made before anything is sent: each refuses with its message and the
    // instruments hear nothing.
    void refusals_data() {
        QTest::addColumn<Refusal>("r");
        const int d7032 = deviceIndex("RSX7032D");
        const QString mvl = u"Valore non corretto per mVL; selezionare ingresso mVH"_s;
        const QString mvh = u"Valore non corretto per mVH; selezionare ingresso V"_s;
        const auto row = [](const char* name, const Refusal& r) { QTest::newRow(name) << r; };
        row("mVL max 250", {"mVL (-20 : 200)", "0", "250", "24", 1, d7032, 0, mvl});
        row("mVL min -21", {"mVL (-20 : 200)", "-21", "100", "24", 1, d7032, 0, mvl});
        row("mVH max 801", {"mVH: (-200 : 800)", "0", "801", "24", 1, d7032, 0, mvh});
        row("mVH min -201", {"mVH: (-200 : 800)", "-201", "800", "24", 1, d7032, 0, mvh});
        row("beyond calibrator",
            {"V", "0", "1e6", "24", 1, d7032, 0, "Valore fuori dal campo del calibratore"});
        row("max not a number", {"V", "0", "1O", "24", 1, d7032, 0, "Valore di range non valido"});
        row("no input type", {"", "0", "10", "24", 1, d7032, 0, "Selezionare tipo di ingresso"});
        row("supply empty", {"V", "0", "10", "", 1, d7032, 0, "Valore di alimentazione errato!"});
        row("no output type", {"V", "0", "10", "24", -1, d7032, 0, "Impostare tipo di uscita"});
        row("no device", {"V", "0", "10", "24", 1, -1, 0, "Selezionare dispositivo da verificare"});
        row("RSX7131C second", {"V", "0", "10", "24", 0, deviceIndex("RSX7131C"), 1,
                                "secondo canale di uscita non tarabile"});
    }
    void refusals() {
        QFETCH(Refusal, r);
        StationRig s;
        VerificationStation& v = s.station;
        v.OpenInstruments();
        v.ChooseMode(Mode::Automatic);
        v.ChooseInput(FindVerificationInput(r.input));
        v.settings.min = r.min;
        v.settings.max = r.max;
        v.settings.supplyVolts = r.volts;
        v.settings.supplyOn = true;
        v.settings.output = r.output;
        v.ChooseDevice(r.device);
        v.settings.outputChannel = r.channel;
        QVERIFY(!v.SetUpAndVerify());
        QCOMPARE(s.rig.prompter.texts(), QStringList{r.message});
        QCOMPARE(s.rig.prompter.questions().first().buttons, Prompter::Buttons::Ok);
        QVERIFY(s.instrumentsQuiet());
        QVERIFY(v.report.isEmpty());
    }

    // The supply takes the voltage with two decimals; outside 18..30 V nothing is sent.
    void supply_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("sent"); // empty: refused
        QTest::newRow("24.5") << u"24.5"_s << u"24.50"_s;
        QTest::newRow("24") << u"24"_s << u"24.00"_s;
        QTest::newRow("18") << u"18"_s << u"18.00"_s;
        QTest::newRow("30") << u"30"_s << u"30.00"_s;
        QTest::newRow("comma") << u"24,5"_s << u"24.50"_s;
        QTest::newRow("17.5") << u"17.5"_s << u""_s;
        QTest::newRow("31") << u"31"_s << u""_s;
        QTest::newRow("30.01") << u"30.01"_s << u""_s;
        QTest::newRow("letters") << u"24 V"_s << u""_s;
    }
    void supply() {
        QFETCH(QString, typed);
        QFETCH(QString, sent);
        QCOMPARE(SupplyVoltsText(typed).value_or(QString()), sent);
        StationRig s;
        s.station.settings.supplyVolts = typed;
        s.station.settings.supplyOn = true;
        QCOMPARE(s.station.SetUpSupply(), !sent.isEmpty());
        if (sent.isEmpty()) {
            QCOMPARE(s.rig.prompter.texts(), QStringList{u"Valore di alimentazione errato!"_s});
            QVERIFY(s.rig.bench.supply().heard().isEmpty());
            return;
        }
        QCOMPARE(s.rig.bench.supply().heard(), "SV " + sent.toLatin1() + "\rKOE\r");
        QVERIFY(s.rig.bench.supply().outputOn());
        // Unticked, the value is still checked but the supply is left alone.
        s.rig.bench.supply().clearHeard();
        s.station.settings.supplyOn = false;
        QVERIFY(s.station.SetUpSupply());
        QVERIFY(s.rig.bench.supply().heard().isEmpty());
        // "stop_ver" switches the output off and leaves the voltage as it is.
        s.station.StopVerification();
        QCOMPARE(s.rig.bench.supply().heard(), QByteArray("KOD\r"));
        QVERIFY(!s.rig.bench.supply().outputOn());
    }

    // Output routing by device and channel, input routing by type and bench model; the
    // switch unit hears the output list first, then the input list.
    void routing_data() {
        QTest::addColumn<Routing>("r");
        const auto row = [](const char* name, const Routing& r) { QTest::newRow(name) << r; };
        row("7030 first mV", {"RSX7030", 0, "RSX7030", "mVL (-20 : 200)", "109A110A111A112A113A",
                              "101A102A103A104A105A"});
        row("7030 second V",
            {"RSX7030", 1, "RSX7030", "V", "109C110A111C112C113A", "101A102A103C104C105A"});
        row("7030 mA",
            {"RSX7030", 0, "RSX7030", "mA", "109A110A111A112A113A", "101A102C103C104C105C"});
        row("7030 Pt100",
            {"RSX7030", 0, "RSX7030", "Pt100", "109A110A111A112A113A", "101C102C103C104A105A"});
        row("7031B first Tc K",
            {"RSX7031B", 0, "RSX7031B", "Tc K", "101A102A", "103A104A105A106A107A"});
        row("7032A second V", {"RSX7032A", 1, "RSX7032A", "V", "101C102C", "103A104A105C106C107A"});
        row("7131A second mA",
            {"RSX7131A", 1, "RSX7131A", "mA", "101C102C", "103C104A105A106C107C"});
        row("7132D first KOhm",
            {"RSX7132D", 0, "RSX7132D", "KOhm", "101A102A", "103C104C105A106C107A"});
        row("7131C first", {"RSX7131C", 0, "RSX7131C", "Ni1000", "", "103C104C105A106C107A"});
        row("no bench model", {"RSX7035", 0, "", "Ohm", "", "103C104C105A106C107A"});
    }
    void routing() {
        QFETCH(Routing, r);
        const auto& [device, channel, model, input, output, inputRoute] = r;
        QCOMPARE(OutputRoutingFor(device, channel).route, output);
        QVERIFY(OutputRoutingFor(device, channel).refusal.isEmpty());
        QCOMPARE(InputRoutingFor(model, FindVerificationInput(input)), inputRoute);

        StationRig s;
        CalibrationRun bench(&s.link, &s.rig.instruments, &s.rig.prompter);
        bench.TaraModel = model;
        VerificationStation station(&s.link, &s.rig.instruments, &s.rig.prompter, &bench);
        station.ChooseMode(Mode::Automatic);
        station.ChooseInput(FindVerificationInput(input));
        station.ChooseDevice(int(VerificationDevices().indexOf(device)));
        station.settings.outputChannel = channel;
        QVERIFY(station.SetUpSwitches());
        QCOMPARE(s.rig.bench.switches().heard(),
                 (SwitchLines(output) + SwitchLines(inputRoute)).join());
        // In manual mode the operator wires the unit: the switch unit hears nothing.
        s.rig.bench.switches().clearHeard();
        station.ChooseMode(Mode::Manual);
        QVERIFY(station.SetUpSwitches());
        QVERIFY(s.rig.bench.switches().heard().isEmpty());
    }

    // Only a download the device holds after the read-back is counted; the report starts
    // afresh with each download.
    void downloads_data() {
        QTest::addColumn<QString>("fault"); // "drop" writes, "cancel" a limit, "closed" port
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("report");
        const QString start = u"Programmazione in corso..."_s;
        QTest::newRow("verified") << QString() << int(DownloadResult::Verified) << u"OK"_s
                                  << QStringList{start,
                                                 u"Download completato. Programmazioni "
                                                 u"effettuate:     2"_s,
                                                 u"Impostare strumentazione"_s};
        QTest::newRow("not read back")
            << u"drop"_s << int(DownloadResult::Failed) << u"ERRORE"_s
            << QStringList{start, u"Errore: controllare connessioni dispositivo"_s};
        QTest::newRow("limit cancelled")
            << u"cancel"_s << int(DownloadResult::Cancelled) << u"STOP"_s
            << QStringList{start, u"Download annullato"_s};
        QTest::newRow("port closed")
            << u"closed"_s << int(DownloadResult::PortClosed) << u"ERRORE"_s
            << QStringList{start, u"Errore di comunicazione"_s};
        // Pressed while another command holds the link: the write is refused, nothing is
        // written, and that is no download.
        QTest::newRow("link busy")
            << u"busy"_s << int(DownloadResult::Failed) << u"ERRORE"_s
            << QStringList{start, u"Errore: collegamento occupato da un altro comando, unità "
                                  u"non programmata"_s};
    }
    void downloads() {
        QFETCH(QString, fault);
        QFETCH(int, result);
        QFETCH(QString, status);
        QFETCH(QStringList, report);
        StationRig s;
        QCOMPARE(s.editor.ReadEprom(), EditorOutcome::Done);
        VerificationStation& v = s.station;
        v.Reset();
        QCOMPARE(v.status, u"STOP"_s);
        QCOMPARE(v.SendProgram(), DownloadResult::Verified);
        QCOMPARE(v.downloads, 1);
        s.model.setText(u"txt_Input_max"_s, 0, u"16"_s);
        s.device().clearCommandLog();
        if (fault == u"drop"_s)
            s.device().injectFault(
                {.kind = sim::Fault::Kind::DropWrites, .match = "$W", .count = -1});
        if (fault == u"cancel"_s)
            s.model.setText(u"txt_Output_max"_s, 0, u"21"_s);
        if (fault == u"closed"_s)
            s.port.close();
        s.rig.prompter.setFallback(Answer::Cancel);
        if (fault == u"busy"_s) {
            // The download runs from a click serviced while the identification waits.
            DownloadResult inner = DownloadResult::Verified;
            QTimer::singleShot(0, &v, [&] { inner = v.SendProgram(); });
            s.link.setDelayScale(1);
            s.link.ReadIdentity();
            QCOMPARE(int(inner), result);
        } else {
            QCOMPARE(int(v.SendProgram()), result);
        }
        QCOMPARE(v.reportLines(), report);
        QCOMPARE(v.status, status);
        const bool counted = DownloadResult(result) == DownloadResult::Verified;
        QCOMPARE(v.downloads, counted ? 2 : 1);
        QCOMPARE(v.statusColour, counted ? FieldColour::Green : FieldColour::Red);
        if (fault == u"cancel"_s || fault == u"closed"_s || fault == u"busy"_s)
            QCOMPARE(s.deviceWrites(), 0);
        // "Prog" on the calibration bench starts the count again.
        v.Reset();
        QCOMPARE(v.downloads, 0);
        QVERIFY(v.report.isEmpty());
    }

    // A whole verification of channel A after a download: zero, half scale and span through
    // the calibrator, the meter's readings in the report.
    void verificationRun() {
        StationRig s;
        QCOMPARE(s.editor.ReadEprom(), EditorOutcome::Done);
        VerificationStation& v = s.station;
        v.Reset();
        QCOMPARE(v.SendProgram(), DownloadResult::Verified);
        s.setUpChannelA();
        QCOMPARE(v.caption, u"Modo di taratura: Automatico"_s);
        QVERIFY(v.SetUpAndVerify());
        QCOMPARE(v.range.half, 12.0);
        QCOMPARE(v.reportLines().mid(3),
                 (QStringList{u"Taratura in corso N° : 1 Range:  4 ÷ 20 V"_s,
                              u"Valore di zero: 00.000 V"_s, u"Valore di 1/2 scala: 05.000 V"_s,
                              u"Valore di span: 10.000 V"_s,
                              u"Taratura dispositivo N° 1 : terminata"_s, kRule}));
        QCOMPARE(s.rig.bench.supply().heard(), QByteArray("SV 24.00\rKOE\r"));
        QCOMPARE(s.rig.bench.meter(0).lines(),
                 (QByteArrayList{":SYST:REM", ":CONF:VOLT:DC", ":READ?", ":READ?", ":READ?",
                                 "SYST:BEEP"}));
        QCOMPARE(s.rig.bench.switches().lines(),
                 (QByteArrayList{"rout:open (@101)", "rout:open (@102)", "rout:close (@103)",
                                 "rout:open (@104)", "rout:open (@105)", "rout:close (@106)",
                                 "rout:close (@107)"}));
        // The current source is selected and ends at the span: 20 mA × 10000.
        const CalFunction* ma = FindCalFunction(u"mA");
        QCOMPARE(s.rig.bench.calibrator().function(), ma->data);
        QCOMPARE(s.rig.bench.calibrator().rawValue(), 200000);
        QVERIFY(!v.running());
        QVERIFY(s.rig.prompter.questions().isEmpty());

        // The report is in what the meter was set up for, whatever the output list says at
        // the run: volts stay volts with the list on mA, and a meter set up for mA reports mA
        // with the list back on V.
        const auto span = [&v] { return v.reportLines().value(v.reportLines().size() - 3); };
        v.settings.output = 0;
        QVERIFY(v.Verify());
        QCOMPARE(span(), u"Valore di span: 10.000 V"_s);
        s.rig.bench.meter(0).clearLines();
        v.settings.max = u"12"_s;
        QVERIFY(v.SetUpMultimeter());
        v.settings.output = 1;
        QVERIFY(v.Verify());
        QCOMPARE(s.rig.bench.meter(0).lines().mid(0, 3),
                 (QByteArrayList{":SYST:REM", ":CONF:CURR:DC", ":READ?"}));
        QVERIFY(v.reportLines().contains(u"Taratura in corso N° : 1 Range:  4 ÷ 12 mA"_s));
        QCOMPARE(span(), u"Valore di span: 00.000 mA"_s);
    }

    // The run stops where it fails, says so in the report, and the meter is not beeped.
    void runEndings_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QStringList>("prompts");
        const QString comm = u"Misura del dispositivo in corso. Controllare comunicazione"_s;
        QTest::newRow("meter silent") << u"silent"_s << comm << QStringList{comm};
        QTest::newRow("manual reading cancelled")
            << u"cancel"_s << u"Verifica annullata"_s << QStringList{u"Lettura Mult"_s};
        QTest::newRow("stop") << u"stop"_s << u"Verifica interrotta"_s << QStringList{};
        // STOP while the span is being read: the unit was not verified to the end.
        QTest::newRow("stop at the last point")
            << u"stop last"_s << u"Verifica interrotta"_s << QStringList{};
    }
    void runEndings() {
        QFETCH(QString, how);
        QFETCH(QString, last);
        QFETCH(QStringList, prompts);
        StationRig s;
        s.setUpChannelA();
        if (how == u"silent"_s)
            s.rig.bench.meter(0).setSilent(true);
        if (how == u"cancel"_s) {
            s.rig.instruments.meters.setSelector(u"Manuale"_s);
            s.rig.prompter.pushInput(QString());
        }
        if (how == u"stop"_s) {
            QVERIFY(s.station.SetUpSupply());
            // STOP pressed while the calibrator is being set up.
            QTimer::singleShot(0, &s.station, [&s] { s.station.StopVerification(); });
        }
        if (how == u"stop last"_s) {
            QVERIFY(s.station.SetUpSupply());
            connect(&s.station, &VerificationStation::reportChanged, &s.station, [&s] {
                if (s.station.reportLines().last().startsWith(u"Valore di 1/2 scala"_s))
                    QTimer::singleShot(0, &s.station, [&s] { s.station.StopVerification(); });
            });
        }
        QVERIFY(!s.station.Verify());
        QCOMPARE(s.station.reportLines().last(), last);
        QVERIFY(!s.station.reportLines().join(u'\n').contains(u"terminata"));
        QCOMPARE(s.rig.bench.meter(0).beeps(), 0);
        QVERIFY(!s.station.running());
        QStringList asked;
        for (const auto& q : s.rig.prompter.questions())
            asked << q.text;
        QCOMPARE(asked, prompts);
        if (how.startsWith(u"stop"_s))
            QVERIFY(!s.rig.bench.supply().outputOn());
        if (how == u"stop last"_s)
            QVERIFY(s.station.reportLines().join(u'\n').contains(u"Valore di span"_s));
    }

    // Manual mode: the operator sets the calibrator's function; the switch unit is left alone.
    void manualMode() {
        StationRig s;
        s.setUpChannelA();
        s.station.ChooseMode(Mode::Manual);
        QCOMPARE(s.station.caption, u"Modo di taratura: Manuale"_s);
        s.station.settings.device = -1; // not needed by hand
        QVERIFY(s.station.SetUpAndVerify());
        QCOMPARE(s.rig.prompter.texts(), QStringList{u"Impostare calibratore"_s});
        QVERIFY(s.rig.bench.switches().heard().isEmpty());
        QCOMPARE(s.station.reportLines().last(), kRule);
    }

    void reportNumbers_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << u"00.000"_s;
        QTest::newRow("one digit") << 4.0021 << u"04.002"_s;
        QTest::newRow("two digits") << 19.9996 << u"20.000"_s;
        QTest::newRow("three digits") << 123.4 << u"123.400"_s;
        QTest::newRow("negative") << -0.5 << u"-00.500"_s;
        QTest::newRow("negative zero") << -0.0001 << u"00.000"_s;
    }
    void reportNumbers() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(ReportNumber(value), text);
    }
};

QTEST_MAIN(TestVerification)
#include "tst_verification.moc"
