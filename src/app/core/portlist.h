#pragma once

#include "portnames.h"

#include <QList>
#include <QString>

namespace vantelso::app {

// One entry of the port list: what the list shows and the port it opens.
struct PortEntry {
    QString label; // "COM3", "/dev/ttyUSB0 - FTDI FT232R USB UART"
    QString port;  // "COM3", "/dev/ttyUSB0"
    QString description;
};

// The port list: an optional demo entry first, then "COM1".."COM16", then the ports found on
// this machine that those sixteen do not already stand for, each with its description.
QList<PortEntry> BuildPortList(const QList<PortDescription>& found, const PortEntry& demo = {});

// The port for what the list's edit field holds: an entry's label or port gives that entry's
// port; anything else is taken as a typed device path.
QString PortForText(const QList<PortEntry>& entries, const QString& text);

} // namespace vantelso::app
