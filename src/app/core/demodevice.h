#pragma once

#include "portlist.h"
#include "transport.h"

#include <QObject>
#include <QString>
#include <memory>

namespace vantelso::sim {
class SimDevice;
class PtyServer;
} // namespace vantelso::sim

namespace vantelso::app {

// A simulated device running inside the program, for demonstrations and tests. It is served
// on a pseudo-terminal so the program reaches it through the real serial-port code; where
// pseudo-terminals do not exist it falls back to an in-process port named "sim:MODEL".
class DemoDevice : public QObject {
    Q_OBJECT
public:
    // nullptr with a message for an unknown model text.
    static std::unique_ptr<DemoDevice> create(const QString& modelText, QString* error,
                                              bool allowPty = true);
    ~DemoDevice() override;

    sim::SimDevice* device() const { return m_device.get(); }
    // The port the program opens to reach it.
    QString port() const { return m_port; }
    bool onPseudoTerminal() const { return m_pty != nullptr; }
    // The list entry that stands for it.
    PortEntry entry() const;
    // A transport for `port` when it is this device's in-process port; nullptr otherwise.
    std::unique_ptr<Transport> transportFor(const QString& port) const;

private:
    DemoDevice() = default;

    std::unique_ptr<sim::SimDevice> m_device;
    std::unique_ptr<sim::PtyServer> m_pty;
    QString m_port;
    QString m_model;
};

} // namespace vantelso::app
