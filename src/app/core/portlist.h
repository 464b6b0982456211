#pragma once

#include "portnames.h"

#include <QList>
#include <QString>

namespace vantelso::app {

// One entry of the port list: what the list shows and the port it opens.
struct PortEntry {
    QString label;             // "COM3", "ttyUSB0 — FT232R USB UART (FTDI)"
    QString port;              // "COM3", "/dev/ttyUSB0", the stable name where there is one
    QString description;       // the tip: what the system knows of the adapter, one item a line
    QString serialNumber = {}; // the adapter's, where it has one
    QString stableName = {};   // "/dev/serial/by-id/..." where the system keeps one

    bool operator==(const PortEntry&) const = default;
};

// The port list: an optional demo entry first, then "COM1".."COM16", then the ports found on
// this machine that those sixteen do not already stand for, each labelled by PortLabel and
// opened by its stable name where it has one.
QList<PortEntry> BuildPortList(const QList<PortDescription>& found, const PortEntry& demo = {});

// The port for what the list's edit field holds: an entry's label or port gives that entry's
// port; anything else is taken as a typed device path.
QString PortForText(const QList<PortEntry>& entries, const QString& text);

// The entry whose port `port` is, by its port, its stable name or its label; -1 for none.
int PortIndex(const QList<PortEntry>& entries, const QString& port);

} // namespace vantelso::app
