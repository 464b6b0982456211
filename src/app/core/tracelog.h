#pragma once

#include "texts.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <deque>

namespace vantelso::app {

// A trace line as the communication log window shows it: the link's note about a reply it
// held back (one that came sooner than the line can carry it, most likely a late answer to
// an earlier request) reads in the user's language; every other line is shown as traced.
QString CommLogLine(const QString& line, const Texts& texts);

// The last lines of the program's trace (every "vantelso.*" logging category: the device
// link's requests and replies, time-outs and retries, the file functions), kept for the
// communication log window.
//
// While recording, the debug level of those categories is switched on and their lines go
// into a ring of `capacity` lines instead of the log; messages of other categories, and the
// trace of categories that QT_LOGGING_RULES switched on anyway, still reach the handler that
// was installed before. Not recording, the categories are as the rules leave them: the link
// then does not even format its trace lines.
//
// The process has one message handler and one category filter, so one log at a time may
// exist; a second one stays detached (it records nothing).
class TraceLog : public QObject {
    Q_OBJECT
public:
    static constexpr int DefaultCapacity = 5000;

    explicit TraceLog(int capacity = DefaultCapacity, QObject* parent = nullptr);
    ~TraceLog() override;

    bool attached() const;
    void setRecording(bool on);
    bool recording() const { return m_recording; }

    // Adds a line; the oldest one falls out of a full ring.
    void append(const QString& line);
    QStringList lines() const;
    int capacity() const { return m_capacity; }
    void clear();
    // Every line kept, one a line, in UTF-8. False with the system's reason on failure.
    bool saveTo(const QString& path, QString* error) const;

Q_SIGNALS:
    // Delivered from the event loop, so a window may show the line at once.
    void lineAdded(const QString& line);
    void recordingChanged(bool on);

private:
    static void filter(class QLoggingCategory* category);
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& text);

    int m_capacity;
    std::deque<QString> m_lines;
    bool m_recording = false;
    // Per category: whether its debug level was on before this log switched it on.
    QHash<QByteArray, bool> m_enabledByRules;
};

} // namespace vantelso::app
