#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>

class QTcpSocket;

namespace vantelso::sim {

// A loopback TCP port standing in for an instrument's raw SCPI socket (port 5025 on the
// real thing). Any number of clients may connect one after another or together: what any of
// them sends comes out of received(), what is passed to send() goes to all of them.
class TcpLine : public QObject {
    Q_OBJECT
public:
    explicit TcpLine(QObject* parent = nullptr);

    // Listens on 127.0.0.1; port 0 takes a free one.
    bool start(quint16 port, QString* error);
    void stop();
    quint16 port() const { return server_.serverPort(); }
    // "TCPIP::127.0.0.1::<port>::SOCKET"
    QString resourceName() const;

public Q_SLOTS:
    void send(const QByteArray& bytes);

Q_SIGNALS:
    void received(const QByteArray& bytes);

private:
    void onNewConnection();

    QTcpServer server_;
    QList<QPointer<QTcpSocket>> clients_;
};

} // namespace vantelso::sim
