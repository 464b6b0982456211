#pragma once

#include "linktexts.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace vantelso {

// Port naming is the one place where the platforms differ for the user: the device list
// always offers "COM1" to "COM16"; on Linux COMn stands for /dev/ttyS(n-1).
QStringList StandardPortEntries();
// The name handed to the serial port for a list entry or a typed device path.
QString SystemPortName(const QString& entry);

struct PortDescription {
    QString name;        // what the user selects ("/dev/ttyUSB0", "COM3")
    QString description; // maker and product where the system knows them
};
QList<PortDescription> AvailablePorts();

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
