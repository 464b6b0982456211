// The factory bench windows of the main window and how they are wired: the calibration bench
// with its instruments, the two-position model's tool, the production test, the programming
// station, the one-activity-at-a-time rule across them and the simulated bench of the
// demonstration.
#include "benchactivity.h"
#include "benchinstruments.h"
#include "calibrationrun.h"
#include "communication.h"
#include "frm5035.h"
#include "frmeeprom.h"
#include "frmmisura.h"
#include "frmstrumver.h"
#include "frmtara.h"
#include "frmtest.h"
#include "frmverifica.h"
#include "lamp.h"
#include "linearitysweep.h"
#include "owntexts.h"
#include "portnames.h"
#include "principale.h"
#include "resourcealiases.h"
#include "sessionfactory.h"
#include "shellmessages.h"
#include "simdevice.h"
#include "verificationstation.h"
#ifdef VANTELSO_HAS_RECORDS
#include "benchrecorder.h"
#include "configfilerecord.h"
#include "recorder.h"
#include "recordstore.h"
#include "unitidfield.h"
#endif

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QMdiSubWindow>
#include <QProcessEnvironment>
#include <QToolButton>

namespace vantelso::gui {

namespace {

// Activities that are not the bench's own: while only these run, the panel's Read, Write and
// Start stay usable (the panel handles its own commands and the measurement's Stop).
const QString kMeasurement = QStringLiteral("misura");
const QString kLink = QStringLiteral("collegamento");

} // namespace

void Principale::loadBenchWindows() {
    if (m_tara)
        return;
    m_activity = std::make_unique<bench::BenchActivity>();
    m_sessions = std::make_unique<bench::SessionFactory>(bench::ResourceAliases::load(
        QDir::currentPath(), QProcessEnvironment::systemEnvironment()));
    m_instruments = std::make_unique<bench::BenchInstruments>(m_state.prompter(), m_sessions.get());
    // A port that cannot be opened is named with its instrument, in the user's language.
    m_instruments->setPortTexts([this] {
        bench::BenchInstruments::PortTexts t;
        const int ids[] = {own::BenchSupply, own::BenchCalibrator, own::BenchMeter,
                           own::BenchSwitch};
        for (std::size_t k = 0; k < t.names.size(); ++k)
            t.names[k] = m_state.texts.lang(ids[k]);
        t.link = app::LinkTextsFor(m_state.texts);
        return t;
    });
    m_calRun = std::make_unique<bench::CalibrationRun>(&m_state.link, m_instruments.get(),
                                                       m_state.prompter());
    m_calRun->openDevicePort = [] {
        return QStringLiteral("Porta del dispositivo chiusa: aprirla dal pannello di connessione");
    };
    app::Shell* shell = m_shell.get();
    // The two-position model's hand-over programs the unit just calibrated.
    m_calRun->startEditorWrite = [shell] { shell->write(); };
    m_sweep = std::make_unique<bench::LinearitySweep>(&m_state.link, m_instruments.get());
    wireDemoBench(); // before the window: its selectors offer the simulated instruments
    m_tara = new FrmTara(m_calRun.get(), m_instruments.get(), m_sweep.get(), m_activity.get());
    m_taraWindow = addHiddenSubWindow(m_tara, "frm_tara_window");
    m_tara->useDevicePort = [this](const QString& port) { return useDevicePort(port); };
    if (m_demoBench)
        m_tara->addDevicePort(m_demoBench->device()->port());
    m_tool5035 = new Frm5035(m_calRun.get());
    m_tool5035Window = addHiddenSubWindow(m_tool5035, "Frm_5035_window");
    connect(m_calRun.get(), &bench::CalibrationRun::optionsChanged, this, [this] {
        if (m_calRun->TaraModel == QLatin1String("RSX5035") && m_taraWindow->isVisible()) {
            m_tool5035Window->show();
            m_tool5035Window->adjustSize();
            m_tool5035Window->raise();
        }
    });
    // Collaudo > Test: the production test bench, with the function generator "UsbDevice1".
    m_test = new FrmTest(&m_state.link,
                         bench::FunctionGenerator(&m_instruments->context, m_sessions.get()),
                         m_state.prompter(), &m_state.flags.measuring);
    m_test->setActivity(m_activity.get());
    QMdiSubWindow* testWindow = addHiddenSubWindow(m_test, "frm_test_window");
    connect(&m_test->test(), &bench::ProductionTest::linkLamp, this, [this](bool open) {
        m_panel->Spia->setColourValue(open ? app::lamp::Green : app::lamp::Red);
    });
    for (const ShellMenu* menu : {&std::as_const(m_menu), &std::as_const(m_panel->menu)}) {
        menu->test->setEnabled(true);
        connect(menu->test, &QAction::triggered, this,
                [this, testWindow] { showSubWindow(testWindow); });
    }
    // "Imposta Menù  Programmazione": the editor alone, ready to program the unit.
    connect(m_tool5035, &Frm5035::programmingMenuRequested, this, [this] {
        m_misuraWindow->hide();
        m_programWindow->hide();
        toggleProgramWindow();
    });

    // The programming and verification station, brought up by the bench's "Prog". Its
    // download is the editor's checked write; only a write read back equal is counted.
    m_station = std::make_unique<bench::VerificationStation>(&m_state.link, m_instruments.get(),
                                                             m_state.prompter(), m_calRun.get());
    m_station->writeConfiguration = [this] {
        EditorOutcome outcome = EditorOutcome::Busy;
        const QMetaObject::Connection c =
            connect(&m_state.configEditor, &ConfigEditor::writeFinished, this,
                    [&outcome](EditorOutcome o) { outcome = o; });
        m_shell->write();
        disconnect(c);
        return outcome;
    };
    m_verifica = new FrmVerifica(m_station.get(), m_activity.get());
    m_verificaWindow = addHiddenSubWindow(m_verifica, "frm_verifica_window");
    m_strumVer = new FrmStrumVer(m_station.get(), m_activity.get());
    m_strumVerWindow = addHiddenSubWindow(m_strumVer, "interfaccia_strum_ver_window");
    connect(m_tara, &FrmTara::programmingStationRequested, this, [this] {
        m_station->Reset();
        showSubWindow(m_verificaWindow);
    });
    connect(m_verifica, &FrmVerifica::instrumentsRequested, this,
            [this] { showSubWindow(m_strumVerWindow); });
    connect(m_verifica, &FrmVerifica::editorRequested, this, [this] {
        m_programWindow->hide();
        toggleProgramWindow();
    });
    wireBenchActivity();
    wireRecords();
}

void Principale::wireRecords() {
#ifdef VANTELSO_HAS_RECORDS
    records::Recorder::Config where;
    where.location = records::ResolveLocation({});
    m_recorder = std::make_unique<records::Recorder>(where, m_state.prompter(), m_state.texts);
    m_benchRecorder = std::make_unique<records::BenchRecorder>(*m_recorder, &m_state.link);
    m_benchRecorder->setInstruments(m_instruments.get());
    m_benchRecorder->watch(m_calRun.get());
    m_benchRecorder->watch(m_station.get(), [this] {
        ConfigFileRecord r;
        m_state.files.fillRecord(r);
        return r.toBytes();
    });
    m_benchRecorder->watch(&m_test->test());
    m_tara->addUnitField(new UnitIdField(*m_benchRecorder, m_state.texts));
    m_verifica->addUnitField(new UnitIdField(*m_benchRecorder, m_state.texts));
    if (m_eeprom) {
        records::BenchRecorder* recorder = m_benchRecorder.get();
        m_eeprom->writeDevice = [recorder](bench::EepromTool& tool) {
            return recorder->writeEeprom(tool);
        };
    }
#endif
}

void Principale::wireBenchActivity() {
    bench::BenchActivity* activity = m_activity.get();
    activity->track(kMeasurement, m_misura, &FrmMisura::measuringChanged);
    // The editor's read and write (and every other device command) while the link works.
    activity->track(kLink, &m_state.link, &DeviceLink::activityChanged);
    if (m_eeprom)
        m_eeprom->setActivity(activity);
    // While a bench activity runs, the panel starts no read, write or measurement of its own.
    connect(activity, &bench::BenchActivity::changed, this, [this, activity] {
        bool bench = false;
        for (const QString& who : activity->runningNow())
            bench = bench || (who != kMeasurement && who != kLink);
        for (const ShellMenu* menu : {&std::as_const(m_menu), &std::as_const(m_panel->menu)}) {
            for (QAction* a : {menu->read, menu->write, menu->start})
                a->setEnabled(!bench);
        }
        for (QToolButton* b : {m_panel->cmd_read, m_panel->cmd_write, m_panel->cmd_start})
            b->setEnabled(!bench);
    });
}

void Principale::wireDemoBench() {
    if (!m_demoBench)
        return;
    app::DemoBench* demo = m_demoBench;
    m_sessions->setSimulatedConnector([demo](const QString& name) { return demo->connect(name); });
    bench::ResourceAliases aliases = m_sessions->aliases();
    for (const auto& [alias, resource] : app::DemoBench::sessionAliases())
        aliases.add(alias, resource);
    m_sessions->setAliases(aliases);
    // The simulated instruments answer at once: the bench's pauses shrink, its time-outs stay.
    m_instruments->context.timings = bench::BenchTimings().scaled(0.05);
    // The link's pauses shrink with the unit's own write time, so a byte written at the
    // shortened pace is stored as it would be at the protocol's pace.
    constexpr double kPace = 0.1;
    m_state.link.setDelayScale(kPace);
    demo->device()->device()->setWriteTimeMs(sim::SimDevice::kDefaultWriteTimeMs * kPace);
    for (const QString& name : app::DemoBench::serialInstruments())
        m_instruments->addNamedPort(name, [demo, name] { return demo->connect(name); });
    m_instruments->setSelector(bench::Instrument::Supply, QStringLiteral("alimentatore"));
    m_instruments->setSelector(bench::Instrument::Calibrator, QStringLiteral("calibratore"));
    m_instruments->setSelector(bench::Instrument::Meter, QStringLiteral("multimetro0"));
    m_instruments->setSelector(bench::Instrument::Switch, QStringLiteral("switch"));
    m_calRun->dataFolder = demo->imageFolder();
    m_calRun->SelectModel(bench::FindCalModel(demo->model()));
}

// START with "Dispositivo" naming a port: the device link is opened there through the
// connection panel, as its port switch would; when the panel has another port open the
// operator chooses.
bool Principale::useDevicePort(const QString& port) {
    Prompter* p = m_state.prompter();
    if (m_state.link.isPortOpen()) {
        const QString open = m_shell->openPort();
        if (open.isEmpty() || open.compare(port, Qt::CaseInsensitive) == 0 ||
            open == SystemPortName(port))
            return true;
        const Prompter::Answer a =
            p->ask(QStringLiteral("Il pannello di connessione ha aperta la porta %1, "
                                  "\"Dispositivo\" indica %2.\nChiudere %1 e collaudare su %2? "
                                  "(No: il collaudo usa %1)")
                       .arg(open, port),
                   Prompter::Buttons::YesNo, Prompter::Icon::Question);
        if (a != Prompter::Answer::Yes) {
            // The panel's port becomes the bench's, so the next START does not ask again.
            m_tara->addDevicePort(open);
            return true;
        }
        m_shell->portSwitchClicked(false);
    }
    // A unit powered by the bench answers the panel's identification only with the supply
    // on, which the run switches on next anyway.
    if (m_instruments->supply.mode() == bench::InstrumentMode::Serial)
        m_calRun->SupplyOn();
    m_panel->cmb_Porta->setEditText(port);
    m_shell->portSwitchClicked(true);
    // Opening brings the editor up with the unit's configuration; the bench stays in front.
    showSubWindow(m_taraWindow);
    return m_state.link.isPortOpen();
}

} // namespace vantelso::gui
