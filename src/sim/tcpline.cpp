#include "tcpline.h"

#include <QTcpSocket>

namespace vantelso::sim {

TcpLine::TcpLine(QObject* parent) : QObject(parent) {
    connect(&server_, &QTcpServer::newConnection, this, &TcpLine::onNewConnection);
}

bool TcpLine::start(quint16 port, QString* error) {
    stop();
    if (!server_.listen(QHostAddress::LocalHost, port)) {
        if (error)
            *error = QStringLiteral("cannot listen on 127.0.0.1:%1: %2")
                         .arg(port)
                         .arg(server_.errorString());
        return false;
    }
    return true;
}

void TcpLine::stop() {
    server_.close();
    for (const QPointer<QTcpSocket>& c : std::as_const(clients_)) {
        if (c)
            c->deleteLater();
    }
    clients_.clear();
}

QString TcpLine::resourceName() const {
    return QStringLiteral("TCPIP::127.0.0.1::%1::SOCKET").arg(port());
}

void TcpLine::onNewConnection() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        clients_.append(socket);
        connect(socket, &QTcpSocket::readyRead, this,
                [this, socket] { Q_EMIT received(socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void TcpLine::send(const QByteArray& bytes) {
    clients_.removeAll(nullptr);
    for (const QPointer<QTcpSocket>& c : std::as_const(clients_)) {
        if (c && c->state() == QAbstractSocket::ConnectedState)
            c->write(bytes);
    }
}

} // namespace vantelso::sim
