#pragma once

#include "linktexts.h"

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

    // On failure returns false and leaves the reason in problem().
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // False when the bytes could not be handed to the port (closed, device gone).
    virtual bool write(const QByteArray& bytes) = 0;
    virtual QByteArray readAll() = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual void clearInput() = 0;
    // Why the port cannot be used (it failed to open, or the device went away); Kind::None
    // while all is well.
    const PortProblem& problem() const { return m_problem; }
    // The reason in English, for logs and the command-line tool; transports whose failures
    // are not port problems (instrument sessions) tell their own.
    virtual QString errorString() const { return DescribePortProblem(m_problem); }
    // Text shown for the port, e.g. "/dev/ttyUSB0" or "COM3".
    virtual QString portName() const = 0;
    // How long one byte takes on the wire, in nanoseconds; 0 when the far end answers
    // without wire time (a simulated device). A reply cannot begin to arrive before its
    // request has crossed the wire, which lets the link tell stale bytes from a reply.
    virtual qint64 byteTimeNs() const { return 0; }

Q_SIGNALS:
    void readyRead();
    // Raised once when the port fails under us (device unplugged); the port is closed after.
    void failed(const QString& reason);

protected:
    void setProblem(const PortProblem& problem) { m_problem = problem; }

private:
    PortProblem m_problem;
};

} // namespace vantelso
