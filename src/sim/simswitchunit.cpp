#include "simswitchunit.h"

namespace vantelso::sim {

SimSwitchUnit::SimSwitchUnit(QObject* parent)
    : SimLineInstrument(QStringLiteral("switch"), parent) {}

void SimSwitchUnit::onLine(const QByteArray& line) {
    const QByteArray l = line.trimmed().toLower();
    const bool open = l.startsWith("rout:open");
    const bool close = l.startsWith("rout:close");
    const qsizetype from = l.indexOf("(@");
    const qsizetype to = l.indexOf(')', from);
    if ((!open && !close) || from < 0 || to < 0) {
        ++errors_;
        return;
    }
    for (const QByteArray& item : l.mid(from + 2, to - from - 2).split(',')) {
        bool ok = false;
        const int channel = item.trimmed().toInt(&ok);
        if (!ok) {
            ++errors_;
            continue;
        }
        if (close)
            closed_.insert(channel);
        else
            closed_.remove(channel);
    }
    Q_EMIT changed();
}

} // namespace vantelso::sim
