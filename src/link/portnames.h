#pragma once

#include "linktexts.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace vantelso {

// Port naming is the one place where the platforms differ for the user: the device list
// always offers "COM1" to "COM16"; on Linux COMn stands for /dev/ttyS(n-1).
QStringList StandardPortEntries();
// The name handed to the serial port for a list entry or a typed device path.
QString SystemPortName(const QString& entry);

// Where the system keeps stable names for serial adapters: /dev/serial/by-id on Linux,
// nothing elsewhere.
QString StablePortFolder();

struct PortDescription {
    QString name;              // the system's name for it ("/dev/ttyUSB0", "COM3")
    QString description;       // the product as the adapter names itself ("FT232R USB UART")
    QString manufacturer = {}; // "FTDI"
    QString serialNumber = {}; // the adapter's own serial number, where it has one
    // A name that survives unplugging and plugging in again, on another node if need be
    // ("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"); empty where the
    // system keeps none.
    QString stableName = {};
};
// The ports on this machine, with the stable names found in `stableFolder`.
QList<PortDescription> AvailablePorts(const QString& stableFolder = StablePortFolder());

// "ttyUSB0 — FT232R USB UART (FTDI), S/N A50285BI": the node's short name, then what the
// adapter says of itself; a maker already named in the description is not repeated.
QString PortLabel(const PortDescription& port);
// The name to open: the stable one where there is one.
inline QString PortToOpen(const PortDescription& port) {
    return port.stableName.isEmpty() ? port.name : port.stableName;
}

// The links in `folder`, keyed by the device node each points to. Empty when the folder is
// empty or missing (no adapter plugged in, or a system without such names).
QHash<QString, QString> StablePortNames(const QString& folder);

// What the file system says about a device node, for the reason a port failed to open.
// Where ports are not files (Windows) every port "exists" and is accessible.
struct PortNode {
    bool exists = true;
    bool accessible = true; // this user may read and write it
    QString owner;          // user name, or the number when it has none
    QString group;
    bool groupMayOpen = false; // the group has read and write permission
    bool groupIsSuperuser = false;
    QString mode; // "crw-rw----"
};
PortNode InspectPortNode(const QString& systemName);

// How the serial port reported a failed open.
enum class OpenError { NotFound, Permission, Other };

// Why the port failed to open: a missing port, a busy one, or a permission problem that names
// a group to join only when that group may open the device and is not the superuser's;
// otherwise the owner and mode are reported.
PortProblem ClassifyOpenFailure(const QString& systemName, OpenError error,
                                const QString& systemReason, const PortNode& node);

} // namespace vantelso
