#include "tcptransport.h"

#include <QEventLoop>
#include <QTimer>

namespace vantelso::bench {

TcpTransport::TcpTransport(QString host, quint16 port, int connectTimeoutMs, QObject* parent)
    : Transport(parent), m_host(std::move(host)), m_port(port),
      m_connectTimeoutMs(connectTimeoutMs) {
    connect(&m_socket, &QTcpSocket::readyRead, this, &Transport::readyRead);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TcpTransport::onError);
}

QString TcpTransport::portName() const {
    return QStringLiteral("%1:%2").arg(m_host).arg(m_port);
}

bool TcpTransport::open() {
    if (isOpen())
        return true;
    m_socket.abort();
    m_error.clear();
    m_connecting = true;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(&m_socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    connect(&m_socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    m_socket.connectToHost(m_host, m_port);
    timer.start(m_connectTimeoutMs);
    if (m_socket.state() != QAbstractSocket::ConnectedState)
        loop.exec();
    m_connecting = false;
    if (m_socket.state() == QAbstractSocket::ConnectedState) {
        m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        return true;
    }
    if (m_error.isEmpty())
        m_error = QStringLiteral("%1: no connection within %2 ms")
                      .arg(portName())
                      .arg(m_connectTimeoutMs);
    m_socket.abort();
    return false;
}

void TcpTransport::close() {
    m_socket.abort();
}

bool TcpTransport::isOpen() const {
    return m_socket.state() == QAbstractSocket::ConnectedState;
}

bool TcpTransport::write(const QByteArray& bytes) {
    if (!isOpen())
        return false;
    if (m_socket.write(bytes) != bytes.size())
        return false;
    m_socket.flush();
    return true;
}

QByteArray TcpTransport::readAll() {
    return m_socket.readAll();
}

qint64 TcpTransport::bytesAvailable() const {
    return m_socket.bytesAvailable();
}

void TcpTransport::clearInput() {
    m_socket.readAll();
}

void TcpTransport::onError(QAbstractSocket::SocketError) {
    m_error = QStringLiteral("%1: %2").arg(portName(), m_socket.errorString());
    if (!m_connecting)
        Q_EMIT failed(m_error);
}

} // namespace vantelso::bench
