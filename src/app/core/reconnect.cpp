#include "reconnect.h"

#include <QFileInfo>

namespace vantelso::app {

QString FindAdapter(const LostPort& lost, const QList<PortDescription>& found,
                    const std::function<bool(const QString&)>& exists) {
    if (!lost.isSet())
        return {};
    if (!lost.stableName.isEmpty() && exists(lost.stableName))
        return lost.stableName;
    // An adapter with a serial number is known by it on whatever node it comes back.
    if (!lost.serialNumber.isEmpty()) {
        for (const PortDescription& p : found) {
            if (p.serialNumber == lost.serialNumber)
                return PortToOpen(p);
        }
        return {};
    }
    return exists(lost.port) ? lost.port : QString();
}

bool PortPresent(const QString& port, const QList<PortDescription>& found) {
    const QString system = SystemPortName(port);
    for (const PortDescription& p : found) {
        if (p.name == port || p.name == system || p.stableName == port)
            return true;
    }
#ifdef Q_OS_WIN
    return false;
#else
    // A link follows to its node: a link whose node is gone is no port.
    return QFileInfo::exists(system);
#endif
}

} // namespace vantelso::app
