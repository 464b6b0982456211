#include "benchactivity.h"

namespace vantelso::bench {

void BenchActivity::setRunning(const QString& who, bool on) {
    if (on == m_running.contains(who))
        return;
    if (on)
        m_running << who;
    else
        m_running.removeAll(who);
    Q_EMIT changed();
}

bool BenchActivity::busyExcept(const QString& who) const {
    for (const QString& r : m_running) {
        if (r != who)
            return true;
    }
    return false;
}

} // namespace vantelso::bench
