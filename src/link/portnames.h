#pragma once

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

// The message for a port that failed to open: a busy port, a missing one, and on Linux a
// permission problem naming the device's group and the command that grants access.
QString DescribeOpenFailure(const QString& systemName, bool permissionOrBusy,
                            const QString& qtError);

} // namespace vantelso
