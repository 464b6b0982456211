#include "tracelog.h"

#include "owntexts.h"

#include <QFile>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QSaveFile>
#include <QTime>

namespace vantelso::app {

namespace {
// The process-wide hooks of Qt's logging, and the log they feed.
TraceLog* g_log = nullptr;
QtMessageHandler g_previousHandler = nullptr;
QLoggingCategory::CategoryFilter g_previousFilter = nullptr;

bool isOurs(const char* category) {
    return category && qstrncmp(category, "vantelso.", 9) == 0;
}
} // namespace

QString CommLogLine(const QString& line, const Texts& texts) {
    static const QLatin1String held("sooner than the wire allows, held");
    const qsizetype at = line.indexOf(held);
    if (at < 0)
        return line;
    return line.left(at) + texts.lang(own::CommLogHeld) + line.mid(at + held.size());
}

TraceLog::TraceLog(int capacity, QObject* parent) : QObject(parent), m_capacity(qMax(1, capacity)) {
    if (g_log)
        return;
    g_log = this;
    g_previousHandler = qInstallMessageHandler(&TraceLog::handler);
    g_previousFilter = QLoggingCategory::installFilter(&TraceLog::filter);
}

TraceLog::~TraceLog() {
    if (g_log != this)
        return;
    g_log = nullptr;
    // Putting the old filter back applies it to every category again.
    QLoggingCategory::installFilter(g_previousFilter);
    qInstallMessageHandler(g_previousHandler);
}

bool TraceLog::attached() const {
    return g_log == this;
}

void TraceLog::setRecording(bool on) {
    if (on == m_recording)
        return;
    m_recording = on;
    // Installing the filter again runs it over every category that exists.
    if (attached())
        QLoggingCategory::installFilter(&TraceLog::filter);
    Q_EMIT recordingChanged(on);
}

void TraceLog::filter(QLoggingCategory* category) {
    if (g_previousFilter)
        g_previousFilter(category);
    if (!g_log || !isOurs(category->categoryName()))
        return;
    g_log->m_enabledByRules.insert(category->categoryName(), category->isDebugEnabled());
    if (g_log->m_recording)
        category->setEnabled(QtDebugMsg, true);
}

void TraceLog::handler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (g_log && g_log->m_recording && type == QtDebugMsg && isOurs(context.category)) {
        // The link's lines start with their time; the others get one.
        const bool link = qstrcmp(context.category, "vantelso.link") == 0;
        g_log->append(link ? text
                           : QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")) +
                                 QLatin1String(context.category + 9) + QLatin1String(": ") + text);
        if (!g_log->m_enabledByRules.value(context.category))
            return;
    }
    if (g_previousHandler)
        g_previousHandler(type, context, text);
}

void TraceLog::append(const QString& line) {
    m_lines.push_back(line);
    while (m_lines.size() > size_t(m_capacity))
        m_lines.pop_front();
    // Queued: the line may be logged from inside a window's own painting or a wait.
    QMetaObject::invokeMethod(
        this, [this, line] { Q_EMIT lineAdded(line); }, Qt::QueuedConnection);
}

QStringList TraceLog::lines() const {
    return QStringList(m_lines.begin(), m_lines.end());
}

void TraceLog::clear() {
    m_lines.clear();
}

bool TraceLog::saveTo(const QString& path, QString* error) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    for (const QString& line : m_lines) {
        file.write(line.toUtf8());
        file.write("\n");
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace vantelso::app
