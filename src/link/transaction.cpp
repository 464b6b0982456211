// The transaction engine: waiting for replies and pausing without blocking the event loop.
#include "devicelink.h"

#include "linktrace.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>

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

bool ReplyScanner::feed(const QByteArray& piece) {
    const qsizetype len = m_tmpl.pattern.size();
    if (found() || len == 0 || piece.isEmpty())
        return found();
    // Only the kept tail and the new piece: candidates ending in the tail were scanned before.
    const qsizetype old = m_tail.size();
    m_tail += piece;
    const char marker = m_tmpl.pattern.at(0);
    qsizetype at = -1;
    for (qsizetype i = std::max<qsizetype>(0, old - len + 1); i + len <= m_tail.size(); ++i) {
        if (m_tail.at(i) != marker)
            continue;
        const qsizetype end = i + len; // one past the candidate
        const bool terminated =
            m_tmpl.crOnly ? m_tail.at(end - 1) == '\r'
                          : (len >= 2 && m_tail.at(end - 2) == '\r' && m_tail.at(end - 1) == '\n');
        if (terminated)
            at = i;
    }
    if (at >= 0) {
        m_reply = m_tail.mid(at, len);
        m_afterReply = m_tail.mid(at + len);
        m_tail.clear();
        return true;
    }
    if (m_tail.size() >= len)
        m_tail.remove(0, m_tail.size() - (len - 1));
    return false;
}

void ReplyScanner::reject() {
    const qsizetype keep = std::max<qsizetype>(0, m_tmpl.pattern.size() - 1);
    m_tail = m_afterReply.right(keep);
    m_afterReply.clear();
    m_reply.clear();
}

DeviceLink::DeviceLink(Prompter* prompter, QObject* parent)
    : QObject(parent), m_prompter(prompter) {}

DeviceLink::~DeviceLink() = default;

void DeviceLink::setTransport(Transport* transport) {
    if (m_failedConnection)
        disconnect(m_failedConnection);
    m_transport = transport;
    m_portFailed = false;
    m_turnaroundNs = 0;
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
    const QDeadlineTimer deadline(qint64(timeoutSeconds * m_timeoutScale * 1000 + 0.5),
                                  Qt::PreciseTimer);
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
    QElapsedTimer sinceWrite;
    sinceWrite.start();
    // On a real line the device cannot start its reply before the whole request has reached
    // it, and the reply itself takes its length in wire time. A reply completed sooner was
    // either on its way before the request (a late or repeated answer to an earlier one) or
    // comes from a device faster than the wire (a pseudo-terminal, a USB device that ignores
    // the baud rate). It is held back until the wire would have delivered a reply, plus the
    // turnaround this device has lately shown; a reply completing by then replaces it, and
    // otherwise the early one is taken after all, so a fast device is paced, never refused.
    const qint64 byteNs = m_transport->byteTimeNs();
    const qint64 wireNs = command.isEmpty() ? 0 : (command.size() + tmpl.pattern.size()) * byteNs;
    const qint64 releaseNs = wireNs + m_turnaroundNs;
    QByteArray held;
    ReplyScanner scanner(tmpl);
    for (;;) {
        if (m_portFailed || !isPortOpen()) {
            reply.status = Reply::Status::PortError;
            return reply;
        }
        if (scanner.feed(takeInput())) {
            const qint64 at = sinceWrite.nsecsElapsed();
            if (at >= wireNs) {
                if (wireNs > 0)
                    noteTurnaround(at - wireNs, byteNs);
                reply.status = Reply::Status::Ok;
                reply.bytes = scanner.reply();
                return reply;
            }
            qCDebug(lcLink).noquote() << TraceTime() << "sooner than the wire allows, held"
                                      << TraceBytes(scanner.reply());
            held = scanner.reply();
            scanner.reject();
        }
        const qint64 releaseIn = releaseNs - sinceWrite.nsecsElapsed();
        if (!held.isEmpty() && releaseIn <= 0) {
            noteTurnaround(0, byteNs);
            reply.status = Reply::Status::Ok;
            reply.bytes = held;
            return reply;
        }
        if (deadline.hasExpired()) {
            qCDebug(lcLink).noquote()
                << TraceTime() << "timeout" << timeoutSeconds << "s waiting for"
                << TraceBytes(tmpl.pattern) << (tmpl.crOnly ? "CR" : "CR LF");
            reply.status = Reply::Status::Timeout;
            return reply;
        }
        QDeadlineTimer wake = deadline;
        if (!held.isEmpty()) {
            // Event timers count whole milliseconds, a twelfth of a short exchange: the last
            // fraction before the release is slept (never spun), then pending input is taken.
            if (releaseIn < 1'000'000) {
                std::this_thread::sleep_for(std::chrono::nanoseconds(releaseIn));
                wake = QDeadlineTimer(0);
            } else {
                wake = std::min(deadline, QDeadlineTimer(releaseIn / 1'000'000, Qt::PreciseTimer));
            }
        }
        waitForInput(wake);
    }
}

// How long after the wire's own time this device's replies complete, remembered as the
// largest recent one: it falls by a quarter with each reply that comes sooner, and never
// counts more than ten byte times (a reply that is simply late says nothing of the line).
void DeviceLink::noteTurnaround(qint64 latenessNs, qint64 byteNs) {
    m_turnaroundNs = std::min(std::max(latenessNs, m_turnaroundNs * 3 / 4), 10 * byteNs);
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
