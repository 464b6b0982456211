#pragma once

#include <QObject>
#include <QStringList>

namespace vantelso::bench {

// One activity on the device and the bench at a time. A calibration run, a linearity sweep,
// the PTC buttons, a download or verification of the programming station, a production test,
// the live measurement and the editor's read and write all drive the same unit (and mostly
// the same instruments); one started while another waits would interleave their commands.
// Each activity reports here while it runs; the windows disable what would start another.
class BenchActivity : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // `who` runs (true) or has ended (false). Reporting the same state twice is harmless.
    void setRunning(const QString& who, bool on);
    bool busy() const { return !m_running.isEmpty(); }
    bool running(const QString& who) const { return m_running.contains(who); }
    // True when something other than `who` runs.
    bool busyExcept(const QString& who) const;
    QStringList runningNow() const { return m_running; }

    // Follows a running signal of `sender` (a bool argument) under the name `who`.
    template <typename Sender, typename Signal>
    void track(const QString& who, Sender* sender, Signal signal) {
        connect(sender, signal, this, [this, who](bool on) { setRunning(who, on); });
    }

Q_SIGNALS:
    void changed();

private:
    QStringList m_running;
};

// Marks an activity as running for the lifetime of the scope.
class ActivityScope {
public:
    ActivityScope(BenchActivity* activity, QString who)
        : m_activity(activity), m_who(std::move(who)) {
        if (m_activity)
            m_activity->setRunning(m_who, true);
    }
    ~ActivityScope() {
        if (m_activity)
            m_activity->setRunning(m_who, false);
    }
    ActivityScope(const ActivityScope&) = delete;
    ActivityScope& operator=(const ActivityScope&) = delete;

private:
    BenchActivity* m_activity;
    QString m_who;
};

} // namespace vantelso::bench
