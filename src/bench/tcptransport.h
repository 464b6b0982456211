#pragma once

#include "transport.h"

#include <QTcpSocket>

namespace vantelso::bench {

// An instrument's raw socket (SCPI instruments listen on port 5025). open() connects,
// waiting in the event loop for at most the connect time-out.
class TcpTransport : public Transport {
    Q_OBJECT
public:
    TcpTransport(QString host, quint16 port, int connectTimeoutMs, QObject* parent = nullptr);

    bool open() override;
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    qint64 bytesAvailable() const override;
    void clearInput() override;
    QString errorString() const override { return m_error; }
    QString portName() const override;

private:
    void onError(QAbstractSocket::SocketError error);

    QString m_host;
    quint16 m_port;
    int m_connectTimeoutMs;
    QTcpSocket m_socket;
    QString m_error;
    bool m_connecting = false;
};

} // namespace vantelso::bench
