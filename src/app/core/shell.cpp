#include "shell.h"

#include "captions.h"
#include "serialtransport.h"

#include <QTimer>

namespace vantelso::app {

namespace {
constexpr int kPortInUse = 67;
constexpr int kCommunicationError = 68;
constexpr int kVariantAddress = 4;
} // namespace

Shell::Shell(AppState& state, ShellView& view, DemoDevice* demo, QObject* parent)
    : QObject(parent), m_state(state), m_view(view), m_demo(demo) {
    connect(&m_state.link, &DeviceLink::portFailed, this, &Shell::onPortFailed);
    connect(&m_state.link, &DeviceLink::progressChanged, this,
            [this](int done, int total) { m_view.setProgress(done, total); });
}

Shell::~Shell() {
    releaseTransport();
}

void Shell::startUp(const StartOptions& options) {
    m_state.flags.exiting = false;
    m_view.disableFactoryMenu();

    m_ports = BuildPortList(AvailablePorts(), m_demo ? m_demo->entry() : PortEntry{});
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
    m_view.showPortStatus({}, false);
    if (!portOpen()) {
        releaseTransport();
        const QString port = PortForText(m_ports, m_view.portText());
        QString reason;
        if (port.isEmpty()) {
            reason = QStringLiteral("No port chosen.");
        } else {
            m_transport = makeTransport(port);
            if (!m_transport->open())
                reason = m_transport->errorString();
        }
        if (!reason.isEmpty()) {
            // A port that cannot be opened ends, like the clearing of the switch, on the close
            // path, which reports it because no port is open.
            releaseTransport();
            m_ticked = false;
            m_view.setPortSwitch(false);
            closePath(reason);
            return;
        }
        m_state.link.setTransport(m_transport.get());
    }
    m_ticked = true;
    m_view.setPortSwitch(true);
    refreshCaptions();
    // Twice, so the device is identified and its configuration read straight away.
    read();
    read();
    m_state.catalogue.Init(m_state.link.identity);
    m_view.toggleProgramWindow();
}

void Shell::closePath(const QString& detail) {
    if (portOpen()) {
        releaseTransport();
        m_view.showPortStatus({}, false);
    } else {
        QString text = m_state.texts.lang(kPortInUse);
        if (!detail.isEmpty())
            text += QStringLiteral("\n\n") + detail;
        m_state.prompter()->ask(text, Prompter::Buttons::Ok, Prompter::Icon::Critical);
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
    const bool ok = m_state.configEditor.ReadEprom() == EditorOutcome::Done;
    if (ok) {
        const QByteArray& main = m_state.editor.lastMainBlock();
        if (main.size() > kVariantAddress)
            m_state.device.variantByte = std::uint8_t(main.at(kVariantAddress));
    } else if (!(m_state.link.identity == before)) {
        // Another device answered but its record did not arrive: its letter is unknown.
        m_state.device.variantByte.reset();
    }
    refreshCaptions();
    if (ok)
        Q_EMIT configurationRead();
    return ok;
}

bool Shell::write() {
    if (m_state.link.busy())
        return false;
    const bool ok = m_state.configEditor.WriteEprom() == EditorOutcome::Done;
    if (ok)
        Q_EMIT configurationWritten();
    return ok;
}

void Shell::chooseLanguage(int langIndex) {
    m_state.texts.setLanguage(langIndex == 1 ? Texts::English : Texts::Italian);
    refreshCaptions();
}

void Shell::refreshCaptions() {
    m_state.flags.LastChannel = 1;
    m_state.device = UpdateDeviceLabels(m_state.device, m_state.texts, m_state.link.identity,
                                        m_state.device.variantByte);
    LinkTexts linkTexts;
    linkTexts.communicationError = m_state.texts.lang(kCommunicationError);
    m_state.link.setTexts(linkTexts);
    ShellCaptions captions = BuildShellCaptions(m_state.texts, m_state.device,
                                                m_state.link.identity.ModelByte, m_ticked);
    // The editor window's groups follow the model its controls were composed for.
    captions.program = BuildProgramLayout(m_state.editor.identity());
    m_state.webAddress = captions.webAddress;
    m_state.manualFile = captions.manualFile;
    m_view.applyCaptions(captions);
}

void Shell::onPortFailed(const QString& reason) {
    m_view.showPortStatus(reason, true);
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
    m_ticked = false;
    m_view.setPortSwitch(false);
    refreshCaptions();
}

void Shell::shutDown() {
    m_state.flags.exiting = true;
    releaseTransport();
}

} // namespace vantelso::app
