#pragma once

#include "portlist.h"
#include "transport.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace vantelso::sim {
class SimDevice;
class PtyServer;
class SimulatedBench;
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
    // A device owned elsewhere (a simulated bench's unit), on an in-process port.
    static std::unique_ptr<DemoDevice> attach(sim::SimDevice* device);
    ~DemoDevice() override;

    sim::SimDevice* device() const { return m_device; }
    // The port the program opens to reach it.
    QString port() const { return m_port; }
    bool onPseudoTerminal() const { return m_pty != nullptr; }
    // The list entry that stands for it.
    PortEntry entry() const;
    // A transport for `port` when it is this device's in-process port; nullptr otherwise.
    std::unique_ptr<Transport> transportFor(const QString& port) const;

private:
    DemoDevice() = default;

    std::unique_ptr<sim::SimDevice> m_owned;
    sim::SimDevice* m_device = nullptr;
    std::unique_ptr<sim::PtyServer> m_pty;
    QString m_port;
    QString m_model;
};

// The factory half of the demonstration: a whole simulated bench around a unit fresh from
// production, for calibrating as MODEL from the desktop program. The unit answers on an
// in-process port; the instruments are reached by name ("alimentatore", "calibratore",
// "multimetro0", "multimetro1", "switch", "generatore"); the model's default image is written
// where the calibration run looks for it.
class DemoBench : public QObject {
    Q_OBJECT
public:
    // nullptr with a message for a model the bench does not calibrate.
    static std::unique_ptr<DemoBench> create(const QString& model, QString* error);
    ~DemoBench() override;

    QString model() const { return m_model; }
    sim::SimulatedBench& bench() { return *m_bench; }
    DemoDevice* device() const { return m_device.get(); }
    // The folder holding "<model>.dat" (a scratch folder removed at exit).
    QString imageFolder() const { return m_folder.path(); }
    // The serial instruments by name, and the instrument sessions by resource.
    static QStringList serialInstruments();
    std::unique_ptr<Transport> connect(const QString& name);
    // "UsbDevice1" (generator) and "UsbDevice2" (multimeter 0) as simulated resources.
    static QList<std::pair<QString, QString>> sessionAliases();

private:
    DemoBench() = default;

    QString m_model;
    std::unique_ptr<sim::SimulatedBench> m_bench;
    std::unique_ptr<DemoDevice> m_device;
    QTemporaryDir m_folder;
};

} // namespace vantelso::app
