// The transaction engine: waiting for replies and pausing without blocking the event loop.
#include "devicelink.h"

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
    if (!command.isEmpty() && !m_transport->write(command)) {
        reply.status = Reply::Status::PortError;
        return reply;
    }
    QByteArray received;
    for (;;) {
        if (m_portFailed || !isPortOpen()) {
            reply.status = Reply::Status::PortError;
            return reply;
        }
        received += m_transport->readAll();
        const int at = FindLastReply(received, tmpl);
        if (at >= 0) {
            reply.status = Reply::Status::Ok;
            reply.bytes = received.mid(at, tmpl.pattern.size());
            return reply;
        }
        if (deadline.hasExpired()) {
            reply.status = Reply::Status::Timeout;
            return reply;
        }
        waitForInput(deadline);
    }
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
    m_transport->readAll();
}

void DeviceLink::SendOnly(const QByteArray& command, double pauseSeconds) {
    if (isPortOpen()) {
        m_transport->readAll();
        m_transport->write(command);
    }
    Delay(pauseSeconds);
    if (isPortOpen())
        m_transport->readAll();
}

} // namespace vantelso
