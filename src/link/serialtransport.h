#pragma once

#include "transport.h"

#include <QSerialPort>

namespace vantelso {

// A real serial port: 8 data bits, no parity, one stop bit, no flow control; 9600 baud
// unless told otherwise (the bench power supply talks at 2400).
class SerialTransport : public Transport {
    Q_OBJECT
public:
    // `entry` is a list entry ("COM3") or a device path.
    explicit SerialTransport(const QString& entry, QObject* parent = nullptr);
    SerialTransport(const QString& entry, qint32 baudRate, QObject* parent = nullptr);
    ~SerialTransport() override;

    bool open() override;
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    qint64 bytesAvailable() const override;
    void clearInput() override;
    QString portName() const override { return m_entry; }
    // Start bit, eight data bits and a stop bit per byte.
    qint64 byteTimeNs() const override { return 10'000'000'000LL / m_baudRate; }

private:
    void onError(QSerialPort::SerialPortError error);

    QString m_entry;
    qint32 m_baudRate = 9600;
    QSerialPort m_port;
    bool m_failed = false;
};

} // namespace vantelso
