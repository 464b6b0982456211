#include "portlist.h"

#include <QHash>

namespace vantelso::app {

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
                out[*it].description = p.description;
            continue;
        }
        rowOf.insert(system, out.size());
        const QString label =
            p.description.isEmpty() ? p.name : p.name + QStringLiteral(" - ") + p.description;
        out.push_back({label, p.name, p.description});
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

} // namespace vantelso::app
