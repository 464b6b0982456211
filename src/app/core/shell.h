#pragma once

#include "appstate.h"
#include "demodevice.h"
#include "portlist.h"
#include "reconnect.h"
#include "shellmessages.h"
#include "shellview.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

namespace vantelso::app {

struct StartOptions {
    int brandIndex = 0;
};

// The shell's behaviour behind the connection panel and the menus: start-up, the port
// switch, the panel's Read, the caption routine and the language choice. Widget-free; the
// windows forward their events here and show what it tells its view.
class Shell : public QObject {
    Q_OBJECT
public:
    // `demo` (may be null) must outlive the shell.
    Shell(AppState& state, ShellView& view, DemoDevice* demo = nullptr, QObject* parent = nullptr);
    ~Shell() override;

    void startUp(const StartOptions& options = {});

    // The user ticked (true) or cleared (false) the port switch.
    void portSwitchClicked(bool ticked);
    // Panel Read: the editor's configuration read (identification, record, display), then
    // the caption routine. False when the read did not complete.
    bool read();
    // Panel Write: the editor's checked write with read-back. False when nothing or not
    // everything was written.
    bool write();
    // The language dialog's choice (0 Italian, 1 English).
    void chooseLanguage(int langIndex);
    // The caption routine: language, brand and device identity on every window.
    void refreshCaptions();
    // The exit path: the port closes with the panel.
    void shutDown();
    // Whether the editor holds settings neither written to the device nor saved to a file
    // since the last read, write, open or save.
    bool hasUnsavedEdits() const;
    // Before the program ends: with unsaved edits, asks Save / Discard / Cancel. True when
    // the exit may go on (nothing to lose, saved, or discarded); false when the user cancelled
    // or the save did not complete.
    bool confirmExit();

    // --- ports coming and going ---
    // How the shell finds the machine's ports (the system's list unless a test hands in its
    // own).
    using PortScan = std::function<QList<PortDescription>()>;
    void setPortScan(PortScan scan) { m_scan = std::move(scan); }
    // Looks at the ports now: the list follows adapters plugged in or pulled out, and the
    // adapter of a port that went away is watched for. The panel polls this every 2 s.
    void pollPorts();
    // Reopens the port that went away, on the node its adapter has now, and identifies the
    // device: the same device carries on where it was; another one is reported as a device
    // change, and the editor still refuses to write its fields to it. False when the port
    // did not open, nothing answered or another device did.
    bool reconnect();
    // Reconnect by itself as soon as the lost adapter is back (at once, if it is back now).
    void setAutoReconnect(bool on);
    bool autoReconnect() const { return m_autoReconnect; }
    // The port that went away, while its reconnection is offered.
    const LostPort& lostPort() const { return m_lost; }

    bool portSwitchTicked() const { return m_ticked; }
    bool portOpen() const;
    QString openPort() const;
    const QList<PortEntry>& ports() const { return m_ports; }
    // What the panel's status line says, as facts.
    const PanelStatus& status() const { return m_status; }
    // The file named in the panel's caption; empty when the caption is the product title.
    QString fileCaption() const { return m_fileCaption; }

Q_SIGNALS:
    // A configuration read completed; the editor shows it.
    void configurationRead();
    void configurationWritten();

private:
    void openPath();
    void closePath(const PortProblem& problem = {});
    void releaseTransport();
    void setStatus(const PanelStatus& status);
    void showStatus();
    void onPortFailed(const QString& reason);
    void finishPortFailure();
    std::unique_ptr<Transport> makeTransport(const QString& port) const;
    void rememberOpened(const QString& port);
    void offerReconnect(ReconnectOffer offer);
    void forgetLostPort();
    void markClean();

    AppState& m_state;
    ShellView& m_view;
    DemoDevice* m_demo;
    QList<PortEntry> m_ports;
    std::unique_ptr<Transport> m_transport;
    bool m_ticked = false;
    bool m_failurePending = false;
    // Reads run by ticking the port switch: the device on it is a new connection.
    bool m_connecting = false;
    // False once a read found no device answering: the identification labels are empty
    // until one answers.
    bool m_deviceKnown = true;
    // The editor's settings as last read, written, opened or saved.
    QByteArray m_clean;
    // The port's problem when it failed under the command that runs now.
    PortProblem m_commandPortProblem;
    PanelStatus m_status;
    QString m_fileCaption;
    PortScan m_scan;
    QTimer m_portPoll;
    // The port open now, as a lost port would be remembered; and the one that went away.
    LostPort m_opened;
    LostPort m_lost;
    ReconnectOffer m_offer = ReconnectOffer::None;
    bool m_autoReconnect = false;
};

} // namespace vantelso::app
