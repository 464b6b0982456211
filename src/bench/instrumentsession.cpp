#include "instrumentsession.h"

#include "benchwait.h"
#include "transport.h"

namespace vantelso::bench {

StreamSession::StreamSession(QString resource, std::unique_ptr<Transport> transport,
                             QObject* parent)
    : InstrumentSession(std::move(resource), parent), m_transport(std::move(transport)) {}

StreamSession::~StreamSession() {
    if (m_transport)
        m_transport->close();
}

bool StreamSession::open() {
    if (!m_transport->open()) {
        m_error = m_transport->errorString();
        return false;
    }
    m_pending.clear();
    m_error.clear();
    return true;
}

void StreamSession::close() {
    m_transport->close();
    m_pending.clear();
}

bool StreamSession::isOpen() const {
    return m_transport->isOpen();
}

bool StreamSession::writeLine(const QByteArray& line) {
    if (!m_transport->write(line + '\n')) {
        m_error = m_transport->errorString();
        return false;
    }
    return true;
}

std::optional<QByteArray> StreamSession::readLine() {
    if (!CollectInput(*m_transport, m_pending, HasLineEnd, timeoutMs() / 1000.0)) {
        m_error = m_transport->isOpen() ? QStringLiteral("%1: time-out").arg(resource())
                                        : m_transport->errorString();
        return std::nullopt;
    }
    const qsizetype end = m_pending.indexOf('\n');
    QByteArray line = m_pending.left(end);
    m_pending.remove(0, end + 1);
    while (line.endsWith('\r'))
        line.chop(1);
    return line;
}

bool StreamSession::clear() {
    if (!m_transport->isOpen())
        return false;
    m_transport->clearInput();
    m_transport->readAll();
    m_pending.clear();
    return true;
}

} // namespace vantelso::bench
