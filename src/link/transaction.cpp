// The transaction engine: waiting for replies and pausing without blocking the event loop.
#include "devicelink.h"

#include "linktrace.h"

#include <QEventLoop>
#include <QTimer>

namespace vantelso {

int FindLastReply(const QByteArray& received, const ReplyTemplate& tmpl) {
    const qsizetype len = tmpl.pattern.size();
    if (len == 0 || received.size() < len)
        return -1;
    const char marker = tmpl.pattern.at(0);
    int found = -1;
    for (qsizetype i = 0; i + len <= received.size(); ++i) {
        if (received.at(i) != marker)
            continue;
        const qsizetype end = i + len; // one past the candidate
        const bool terminated = tmpl.crOnly ? received.at(end - 1) == '\r'
                                            : (len >= 2 && received.at(end - 2) == '\r' &&
                                               received.at(end - 1) == '\n');
        if (terminated)
            found = int(i);
    }
    return found;
}

DeviceLink::DeviceLink(Prompter* prompter, QObject* parent)
    : QObject(parent), m_prompter(prompter) {}

DeviceLink::~DeviceLink() = default;

void DeviceLink::setTransport(Transport* transport) {
    if (m_failedConnection)
        disconnect(m_failedConnection);
    m_transport = transport;
    m_portFailed = false;
    if (transport)
        m_failedConnection =
            connect(transport, &Transport::failed, this, &DeviceLink::onTransportFailed);
}

bool DeviceLink::isPortOpen() const {
    return m_transport && m_transport->isOpen();
}

void DeviceLink::onTransportFailed(const QString& reason) {
    m_portFailed = true;
    Q_EMIT portFailed(reason);
}

// Sleeps in the event loop until bytes arrive, the port fails or the deadline passes.
void DeviceLink::waitForInput(const QDeadlineTimer& deadline) {
    if (!m_transport || m_transport->bytesAvailable() > 0)
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(m_transport, &Transport::readyRead, &loop, &QEventLoop::quit);
    connect(this, &DeviceLink::portFailed, &loop, &QEventLoop::quit);
    timer.start(int(qMax<qint64>(0, deadline.remainingTime())));
    loop.exec();
}

Reply DeviceLink::WaitReply(const QByteArray& command, const ReplyTemplate& tmpl,
                            int timeoutSeconds) {
    const QDeadlineTimer deadline(qint64(timeoutSeconds) * 1000, Qt::PreciseTimer);
    Reply reply;
    if (!isPortOpen()) {
        reply.status = Reply::Status::PortError;
        return reply;
    }
    m_portFailed = false;
    if (!command.isEmpty() && !sendBytes(command)) {
        reply.status = Reply::Status::PortError;
        return reply;
    }
    QByteArray received;
    for (;;) {
        if (m_portFailed || !isPortOpen()) {
            reply.status = Reply::Status::PortError;
            return reply;
        }
        received += takeInput();
        const int at = FindLastReply(received, tmpl);
        if (at >= 0) {
            reply.status = Reply::Status::Ok;
            reply.bytes = received.mid(at, tmpl.pattern.size());
            return reply;
        }
        if (deadline.hasExpired()) {
            qCDebug(lcLink).noquote()
                << TraceTime() << "timeout" << timeoutSeconds << "s waiting for"
                << TraceBytes(tmpl.pattern) << (tmpl.crOnly ? "CR" : "CR LF");
            reply.status = Reply::Status::Timeout;
            return reply;
        }
        waitForInput(deadline);
    }
}

bool DeviceLink::sendBytes(const QByteArray& bytes) {
    const bool sent = m_transport->write(bytes);
    qCDebug(lcLink).noquote() << TraceTime() << (sent ? "->" : "-> (not sent)")
                              << TraceBytes(bytes);
    return sent;
}

QByteArray DeviceLink::takeInput() {
    QByteArray bytes = m_transport->readAll();
    if (!bytes.isEmpty())
        qCDebug(lcLink).noquote() << TraceTime() << "<-" << TraceBytes(bytes);
    return bytes;
}

void DeviceLink::traceRetry(const char* command, int attempt) {
    qCDebug(lcLink).noquote() << TraceTime() << "retry" << command << "attempt" << attempt;
}

void DeviceLink::Delay(double seconds) {
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(int(seconds * m_delayScale * 1000 + 0.5));
    loop.exec();
}

void DeviceLink::FlushInput() {
    if (!isPortOpen())
        return;
    m_transport->clearInput();
    takeInput();
}

void DeviceLink::SendOnly(const QByteArray& command, double pauseSeconds) {
    if (isPortOpen()) {
        takeInput();
        sendBytes(command);
    }
    Delay(pauseSeconds);
    if (isPortOpen())
        takeInput();
}

} // namespace vantelso
