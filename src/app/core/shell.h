#pragma once

#include "appstate.h"
#include "demodevice.h"
#include "portlist.h"
#include "shellmessages.h"
#include "shellview.h"

#include <QObject>
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
    // The port's problem when it failed under the command that runs now.
    PortProblem m_commandPortProblem;
    PanelStatus m_status;
    QString m_fileCaption;
};

} // namespace vantelso::app
