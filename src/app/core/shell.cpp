#include "shell.h"

#include "captions.h"
#include "owntexts.h"
#include "serialtransport.h"

#include <QTimer>

namespace vantelso::app {

namespace {
constexpr int kVariantAddress = 4;
constexpr int kPortPollMs = 2000;

bool sameDevice(const DeviceIdentity& a, const DeviceIdentity& b) {
    return a.DeviceCode == b.DeviceCode && a.ModelByte == b.ModelByte;
}
} // namespace

Shell::Shell(AppState& state, ShellView& view, DemoDevice* demo, QObject* parent)
    : QObject(parent), m_state(state), m_view(view), m_demo(demo),
      m_scan([] { return AvailablePorts(); }) {
    m_portPoll.setInterval(kPortPollMs);
    connect(&m_portPoll, &QTimer::timeout, this, &Shell::pollPorts);
    connect(&m_state.link, &DeviceLink::portFailed, this, &Shell::onPortFailed);
    connect(&m_state.link, &DeviceLink::progressChanged, this,
            [this](int done, int total) { m_view.setProgress(done, total); });
    // After an open or a save the panel's caption names the file.
    connect(&m_state.files, &ConfigFiles::captionChanged, this, [this](const QString& caption) {
        m_fileCaption = caption;
        refreshCaptions();
    });
    // The status line reports the save; after an open, the last write is no longer the news.
    connect(&m_state.files, &ConfigFiles::saved, this, [this](const QString& path) {
        markClean();
        setStatus({PanelStatus::Kind::Saved, {}, path, {}});
    });
    connect(&m_state.files, &ConfigFiles::opened, this, [this] {
        markClean();
        setStatus({});
    });
}

Shell::~Shell() {
    releaseTransport();
}

void Shell::startUp(const StartOptions& options) {
    m_state.flags.exiting = false;
    m_view.disableFactoryMenu();

    m_ports = BuildPortList(m_scan(), m_demo ? m_demo->entry() : PortEntry{});
    m_view.setPortList(m_ports, 0);

    m_state.resetToStartValues(options.brandIndex);
    // The switch-guide tables are filled here once that window exists.
    m_view.loadWindowsHidden();
    m_state.flags.measuring = false;
    m_state.catalogue.Init(m_state.link.identity);
    m_state.editor.setIdentity(m_state.link.identity);
    refreshCaptions();
    m_state.flags.LastChannel = 1;
    m_view.setButtonImages(m_state.flags.measuring);
    m_view.setProgress(0, 1);
    m_view.placeWindows();
    m_view.showPanel();
    markClean();
    // The panel is open from here to the exit: its list follows the adapters.
    m_portPoll.start();
}

bool Shell::portOpen() const {
    return m_transport && m_transport->isOpen();
}

QString Shell::openPort() const {
    return portOpen() ? m_transport->portName() : QString();
}

void Shell::portSwitchClicked(bool ticked) {
    // A click serviced while a command waits must not pull the port from under it.
    if (m_state.link.busy()) {
        m_view.setPortSwitch(m_ticked);
        return;
    }
    if (ticked)
        openPath();
    else
        closePath({});
}

std::unique_ptr<Transport> Shell::makeTransport(const QString& port) const {
    if (m_demo) {
        if (auto t = m_demo->transportFor(port))
            return t;
    }
    return std::make_unique<SerialTransport>(port);
}

void Shell::openPath() {
    setStatus({});
    if (!portOpen()) {
        releaseTransport();
        const QString port = PortForText(m_ports, m_view.portText());
        PortProblem problem;
        if (port.isEmpty()) {
            problem.kind = PortProblem::Kind::NotChosen;
        } else {
            m_transport = makeTransport(port);
            if (!m_transport->open())
                problem = m_transport->problem();
        }
        if (!m_transport || !m_transport->isOpen()) {
            // A port that cannot be opened ends, like the clearing of the switch, on the close
            // path, which reports it because no port is open.
            releaseTransport();
            m_ticked = false;
            m_view.setPortSwitch(false);
            closePath(problem);
            return;
        }
        m_state.link.setTransport(m_transport.get());
        rememberOpened(port);
    }
    forgetLostPort();
    m_ticked = true;
    m_view.setPortSwitch(true);
    refreshCaptions();
    // Twice, so the device is identified and its configuration read straight away.
    m_connecting = true;
    read();
    read();
    m_connecting = false;
    m_state.catalogue.Init(m_state.link.identity);
    m_view.toggleProgramWindow();
}

void Shell::closePath(const PortProblem& problem) {
    forgetLostPort();
    if (portOpen()) {
        releaseTransport();
        setStatus({});
    } else {
        if (problem.kind != PortProblem::Kind::None)
            setStatus({PanelStatus::Kind::Port, problem, {}, {}});
        m_state.prompter()->ask(PortFailureMessage(problem, m_state.texts), Prompter::Buttons::Ok,
                                Prompter::Icon::Critical);
    }
    m_ticked = false;
    m_view.setPortSwitch(false);
    refreshCaptions();
}

void Shell::releaseTransport() {
    m_state.link.setTransport(nullptr);
    if (m_transport) {
        m_transport->close();
        m_transport.reset();
    }
}

bool Shell::read() {
    if (m_state.link.busy())
        return false;
    const DeviceIdentity before = m_state.link.identity;
    const std::optional<std::uint8_t> variantBefore = m_state.device.variantByte;
    m_commandPortProblem = {};
    const EditorOutcome outcome = m_state.configEditor.ReadEprom();
    if (outcome == EditorOutcome::Busy)
        return false;
    const bool ok = outcome == EditorOutcome::Done;
    const bool changed = !sameDevice(m_state.link.identity, before);
    if (ok) {
        const QByteArray& main = m_state.editor.lastMainBlock();
        if (main.size() > kVariantAddress)
            m_state.device.variantByte = std::uint8_t(main.at(kVariantAddress));
    } else if (changed) {
        // Another device answered but its record did not arrive: its letter is unknown.
        m_state.device.variantByte.reset();
    }

    const bool portFailed = m_commandPortProblem.kind != PortProblem::Kind::None;
    if (!m_state.configEditor.lastReadIdentified()) {
        // Nothing answered: the labels must not go on naming the device that answered before.
        m_deviceKnown = false;
        m_state.device = DeviceLabels{};
        setStatus(portFailed ? PanelStatus{PanelStatus::Kind::Port, m_commandPortProblem, {}, {}}
                             : PanelStatus{PanelStatus::Kind::NoAnswer, {}, openPort(), {}});
    } else {
        m_deviceKnown = true;
        // The file named in the caption was not this device's: a new connection or another
        // device puts the device's configuration in the editor.
        const bool otherVariant = ok && variantBefore && m_state.device.variantByte &&
                                  (*variantBefore & 0x60) != (*m_state.device.variantByte & 0x60);
        if (m_connecting || changed || otherVariant) {
            m_fileCaption.clear();
            m_state.files.forgetFile();
        }
        // The editor now shows the device, no longer the file the caption named.
        if (ok)
            m_fileCaption.clear();
        // A read that ended half-way leaves the editor with the values it had before.
        setStatus(outcome == EditorOutcome::CommFailed
                      ? PanelStatus{PanelStatus::Kind::ReadIncomplete, m_commandPortProblem, {}, {}}
                      : PanelStatus{});
    }
    if (!ok)
        m_view.setProgress(0, 1);
    refreshCaptions();
    // The device on the port, to know it again should its adapter be pulled out.
    if (m_state.configEditor.lastReadIdentified() && m_opened.isSet()) {
        m_opened.identity = m_state.link.identity;
        m_opened.model = m_state.device.modelIdentifier;
    }
    if (ok) {
        markClean();
        Q_EMIT configurationRead();
    }
    return ok;
}

bool Shell::write() {
    if (m_state.link.busy())
        return false;
    m_commandPortProblem = {};
    const EditorOutcome outcome = m_state.configEditor.WriteEprom();
    if (outcome == EditorOutcome::Busy)
        return false;
    const bool ok = outcome == EditorOutcome::Done;
    if (ok) {
        setStatus({PanelStatus::Kind::Written, {}, {}, {}});
    } else if (outcome == EditorOutcome::VerifyFailed) {
        setStatus(
            {PanelStatus::Kind::VerifyFailed, {}, {}, m_state.configEditor.verifyDifferences()});
    } else if (m_commandPortProblem.kind != PortProblem::Kind::None) {
        setStatus({PanelStatus::Kind::Port, m_commandPortProblem, {}, {}});
    } else {
        // Refused or cancelled before anything was written: the box has said why.
        setStatus({});
    }
    if (!ok)
        m_view.setProgress(0, 1);
    if (ok) {
        markClean();
        Q_EMIT configurationWritten();
    }
    return ok;
}

void Shell::chooseLanguage(int langIndex) {
    m_state.texts.setLanguage(langIndex == 1 ? Texts::English : Texts::Italian);
    refreshCaptions();
}

void Shell::refreshCaptions() {
    m_state.flags.LastChannel = 1;
    if (m_deviceKnown)
        m_state.device = UpdateDeviceLabels(m_state.device, m_state.texts, m_state.link.identity,
                                            m_state.device.variantByte);
    m_state.link.setTexts(LinkTextsFor(m_state.texts));
    ShellCaptions captions = BuildShellCaptions(m_state.texts, m_state.device,
                                                m_state.link.identity.ModelByte, m_ticked);
    if (!m_fileCaption.isEmpty())
        captions.titles.insert(Window::Communication, m_fileCaption);
    // With the port closed, or nothing answering, no device is connected: the box says so
    // rather than name the last one, and the commands that need a device wait for one.
    if (!m_ticked || !m_deviceKnown)
        captions.device.displayName = m_state.texts.lang(own::NoDevice);
    captions.deviceActions = m_ticked;
    // The editor window's groups follow the model its controls were composed for.
    captions.program = BuildProgramLayout(m_state.editor.identity());
    m_state.webAddress = captions.webAddress;
    m_state.manualFile = captions.manualFile;
    m_view.applyCaptions(captions);
    showStatus();
}

void Shell::setStatus(const PanelStatus& status) {
    m_status = status;
    showStatus();
}

void Shell::showStatus() {
    m_view.showStatus(StatusText(m_status, m_state.texts), m_status.isProblem());
}

void Shell::onPortFailed(const QString&) {
    if (m_transport)
        m_commandPortProblem = m_transport->problem();
    setStatus({PanelStatus::Kind::Port, m_commandPortProblem, {}, {}});
    if (m_failurePending)
        return;
    m_failurePending = true;
    // The failing command still runs on the stack: let it unwind before the port goes.
    QTimer::singleShot(0, this, &Shell::finishPortFailure);
}

void Shell::finishPortFailure() {
    if (m_state.link.busy()) {
        QTimer::singleShot(20, this, &Shell::finishPortFailure);
        return;
    }
    m_failurePending = false;
    releaseTransport();
    // The device went with its port: the box must not go on naming it.
    m_deviceKnown = false;
    m_state.device = DeviceLabels{};
    m_ticked = false;
    m_view.setPortSwitch(false);
    if (m_opened.isSet()) {
        // With the device that last identified itself on it, to know it again.
        m_lost = m_opened;
        m_opened = {};
        setStatus({PanelStatus::Kind::AdapterLost, m_commandPortProblem, {}, {}});
        offerReconnect(ReconnectOffer::Waiting);
    }
    refreshCaptions();
}

void Shell::shutDown() {
    m_state.flags.exiting = true;
    m_portPoll.stop();
    releaseTransport();
}

void Shell::markClean() {
    m_clean = m_state.files.snapshot();
}

bool Shell::hasUnsavedEdits() const {
    return m_state.files.snapshot() != m_clean;
}

bool Shell::confirmExit() {
    if (!hasUnsavedEdits())
        return true;
    switch (m_state.prompter()->ask(m_state.texts.lang(own::UnsavedEdits),
                                    Prompter::Buttons::SaveDiscardCancel,
                                    Prompter::Icon::Question)) {
    case Prompter::Answer::Discard:
        return true;
    case Prompter::Answer::Save:
        // To the file the editor came from, else under a name the user gives.
        return m_state.files.SaveConfigFile(m_state.files.currentFile().isEmpty()) ==
               ConfigFiles::Outcome::Done;
    default:
        return false;
    }
}

void Shell::rememberOpened(const QString& port) {
    m_opened = {};
    m_opened.port = port;
    const int at = PortIndex(m_ports, port);
    if (at >= 0) {
        m_opened.serialNumber = m_ports[at].serialNumber;
        m_opened.stableName = m_ports[at].stableName;
    }
}

void Shell::offerReconnect(ReconnectOffer offer) {
    if (offer == m_offer)
        return;
    m_offer = offer;
    m_view.showReconnect(offer);
}

void Shell::forgetLostPort() {
    m_lost = {};
    offerReconnect(ReconnectOffer::None);
}

void Shell::pollPorts() {
    // Asking the system for its ports takes a moment: never in the middle of a command.
    if (m_state.link.busy())
        return;
    const QList<PortDescription> found = m_scan();
    const QList<PortEntry> list = BuildPortList(found, m_demo ? m_demo->entry() : PortEntry{});
    if (list != m_ports) {
        // What the field holds stays: the entry it names, wherever that is now, or the text
        // the user typed.
        const QString port = PortForText(m_ports, m_view.portText());
        m_ports = list;
        m_view.setPortList(m_ports, PortIndex(m_ports, port));
    }
    if (!m_lost.isSet() || portOpen())
        return;
    const QString where = FindAdapter(
        m_lost, found, [&found](const QString& name) { return PortPresent(name, found); });
    const ReconnectOffer offer = where.isEmpty() ? ReconnectOffer::Waiting : ReconnectOffer::Ready;
    if (offer == m_offer)
        return;
    offerReconnect(offer);
    if (offer == ReconnectOffer::Ready) {
        setStatus({PanelStatus::Kind::AdapterBack, {}, where, {}, {}, {}});
        if (m_autoReconnect)
            reconnect();
    } else {
        PortProblem gone;
        gone.kind = PortProblem::Kind::Disconnected;
        gone.port = m_lost.port;
        setStatus({PanelStatus::Kind::AdapterLost, gone, {}, {}});
    }
}

void Shell::setAutoReconnect(bool on) {
    m_autoReconnect = on;
    if (on && m_offer == ReconnectOffer::Ready)
        reconnect();
}

bool Shell::reconnect() {
    if (!m_lost.isSet() || portOpen() || m_state.link.busy())
        return false;
    const LostPort lost = m_lost;
    const QList<PortDescription> found = m_scan();
    QString port = FindAdapter(lost, found,
                               [&found](const QString& name) { return PortPresent(name, found); });
    if (port.isEmpty())
        port = lost.port;
    releaseTransport();
    m_transport = makeTransport(port);
    if (!m_transport->open()) {
        // Still away (or held by another program): keep waiting for it.
        setStatus({PanelStatus::Kind::Port, m_transport->problem(), {}, {}});
        releaseTransport();
        m_offer = ReconnectOffer::None;
        offerReconnect(ReconnectOffer::Waiting);
        return false;
    }
    m_state.link.setTransport(m_transport.get());
    m_opened = lost;
    m_opened.port = port;
    m_lost = {};
    offerReconnect(ReconnectOffer::None);
    m_ticked = true;
    m_view.setPortSwitch(true);

    // Who answers now: the same model identifier (with the variant letter) is the same device.
    m_commandPortProblem = {};
    m_state.link.ReadIdentity();
    QString model;
    if (!m_state.link.CommError)
        model = m_state.link.ReadModelIdentifier();
    if (m_state.link.CommError || model.isEmpty()) {
        m_deviceKnown = false;
        m_state.device = DeviceLabels{};
        setStatus(m_commandPortProblem.kind != PortProblem::Kind::None
                      ? PanelStatus{PanelStatus::Kind::Port, m_commandPortProblem, {}, {}}
                      : PanelStatus{PanelStatus::Kind::NoAnswer, {}, port, {}, {}, {}});
        refreshCaptions();
        return false;
    }
    m_deviceKnown = true;
    m_opened.identity = m_state.link.identity;
    m_opened.model = model;
    if (lost.model.isEmpty()) {
        // No device had identified itself there: nothing to compare, nothing to protect.
        setStatus({});
        refreshCaptions();
        return true;
    }
    if (model != lost.model || !sameDevice(m_state.link.identity, lost.identity)) {
        // The editor's fields belong to the device that went away; its letter is unknown
        // until the new device's record is read.
        m_state.device.variantByte.reset();
        const PanelStatus changed{
            PanelStatus::Kind::DeviceChanged, {}, port, {}, model, lost.model};
        setStatus(changed);
        refreshCaptions();
        m_state.prompter()->ask(StatusText(changed, m_state.texts), Prompter::Buttons::Ok,
                                Prompter::Icon::Warning);
        return false;
    }
    setStatus({PanelStatus::Kind::Reconnected, {}, port, {}, {}, {}});
    refreshCaptions();
    return true;
}

} // namespace vantelso::app
