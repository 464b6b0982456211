#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace vantelso {

// The byte pipe to one device. The real one is a serial port; tests and the demo use a
// simulated device in-process. Everything runs on one thread; readyRead() wakes waiters.
class Transport : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Transport() override = default;

    // On failure returns false and leaves a user-readable reason in errorString().
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // False when the bytes could not be handed to the port (closed, device gone).
    virtual bool write(const QByteArray& bytes) = 0;
    virtual QByteArray readAll() = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual void clearInput() = 0;
    virtual QString errorString() const = 0;
    // Text shown for the port, e.g. "/dev/ttyUSB0" or "COM3".
    virtual QString portName() const = 0;

Q_SIGNALS:
    void readyRead();
    // Raised once when the port fails under us (device unplugged); the port is closed after.
    void failed(const QString& reason);
};

} // namespace vantelso
