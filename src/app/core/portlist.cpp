#include "portlist.h"

#include <QHash>

namespace vantelso::app {

namespace {
QString tip(const PortDescription& p) {
    QStringList lines;
    for (const QString& s : {p.description, p.manufacturer, p.serialNumber, p.stableName}) {
        if (!s.isEmpty())
            lines << s;
    }
    return lines.join(u'\n');
}
} // namespace

QList<PortEntry> BuildPortList(const QList<PortDescription>& found, const PortEntry& demo) {
    QList<PortEntry> out;
    if (!demo.port.isEmpty())
        out.push_back(demo);
    // System name -> list row, so a found port that a COM entry stands for only lends that
    // entry its description (shown as a tip) instead of appearing twice.
    QHash<QString, qsizetype> rowOf;
    for (const QString& com : StandardPortEntries()) {
        rowOf.insert(SystemPortName(com), out.size());
        out.push_back({com, com, {}});
    }
    for (const PortDescription& p : found) {
        if (p.name.isEmpty() || p.name == demo.port)
            continue;
        const QString system = SystemPortName(p.name);
        if (const auto it = rowOf.constFind(system); it != rowOf.constEnd()) {
            if (out[*it].description.isEmpty())
                out[*it].description = tip(p);
            continue;
        }
        rowOf.insert(system, out.size());
        out.push_back({PortLabel(p), PortToOpen(p), tip(p), p.serialNumber, p.stableName});
    }
    return out;
}

QString PortForText(const QList<PortEntry>& entries, const QString& text) {
    const QString t = text.trimmed();
    for (const PortEntry& e : entries) {
        if (t == e.label || t.compare(e.port, Qt::CaseInsensitive) == 0)
            return e.port;
    }
    return t;
}

int PortIndex(const QList<PortEntry>& entries, const QString& port) {
    for (qsizetype k = 0; k < entries.size(); ++k) {
        const PortEntry& e = entries[k];
        if (port == e.port || port == e.label || (!e.stableName.isEmpty() && port == e.stableName))
            return int(k);
    }
    return -1;
}

} // namespace vantelso::app
