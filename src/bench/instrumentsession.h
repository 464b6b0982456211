#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

namespace vantelso {
class Transport;
}

namespace vantelso::bench {

// A session with one instrument that speaks lines of text (SCPI): opened by resource name,
// it writes a line, reads a line, clears the instrument's I/O and has a time-out for reads.
// Backends: a Linux USBTMC device node, a raw SCPI socket, a serial port and a simulated
// instrument (see SessionFactory).
class InstrumentSession : public QObject {
    Q_OBJECT
public:
    explicit InstrumentSession(QString resource, QObject* parent = nullptr)
        : QObject(parent), m_resource(std::move(resource)) {}
    ~InstrumentSession() override = default;

    // On failure returns false with the reason in errorString().
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Sends `line` followed by a line feed.
    virtual bool writeLine(const QByteArray& line) = 0;
    // The next line without its CR/LF end; nullopt when none came within the time-out
    // (or the session failed), with the reason in errorString().
    virtual std::optional<QByteArray> readLine() = 0;
    // Device clear: whatever is pending in either direction is dropped.
    virtual bool clear() = 0;

    int timeoutMs() const { return m_timeoutMs; }
    virtual void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    QString resource() const { return m_resource; }
    QString errorString() const { return m_error; }

protected:
    QString m_error;

private:
    QString m_resource;
    int m_timeoutMs = 2000;
};

// The session over a byte stream: a TCP socket, a serial port or an in-process simulated
// instrument. Reads wait in the event loop for the line end or the time-out.
class StreamSession : public InstrumentSession {
    Q_OBJECT
public:
    StreamSession(QString resource, std::unique_ptr<Transport> transport,
                  QObject* parent = nullptr);
    ~StreamSession() override;

    bool open() override;
    void close() override;
    bool isOpen() const override;
    bool writeLine(const QByteArray& line) override;
    std::optional<QByteArray> readLine() override;
    bool clear() override;

    Transport* transport() const { return m_transport.get(); }

private:
    std::unique_ptr<Transport> m_transport;
    QByteArray m_pending; // received bytes not yet returned as a line
};

} // namespace vantelso::bench
