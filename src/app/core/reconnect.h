#pragma once

#include "identity.h"
#include "portnames.h"

#include <QList>
#include <QString>
#include <functional>

namespace vantelso::app {

// The port a device was on when its adapter went away, and how to know that adapter again
// when it comes back: by the name that survives replugging, by its serial number, or by the
// very name it was opened by (a typed path, a link re-pointed to a new node).
struct LostPort {
    QString port;         // as it was opened
    QString serialNumber; // the adapter's, where it has one
    QString stableName;   // "/dev/serial/by-id/...", where the system keeps one
    QString model;        // the model identifier of the device that answered on it
    DeviceIdentity identity;

    bool isSet() const { return !port.isEmpty(); }
};

// Where the lost adapter is now: the name to open, or empty while it is absent. `exists`
// tells whether a port name names a device node now.
QString FindAdapter(const LostPort& lost, const QList<PortDescription>& found,
                    const std::function<bool(const QString&)>& exists);

// Whether `port` names a port present now: one of `found`, or (where ports are files) a
// device node that exists.
bool PortPresent(const QString& port, const QList<PortDescription>& found);

// What the connection panel offers after a port went away.
enum class ReconnectOffer {
    None,    // nothing was lost
    Waiting, // the adapter is away
    Ready,   // the adapter is back: one click reopens it
};

} // namespace vantelso::app
