#include "serialtransport.h"

#include "portnames.h"

#include <QMetaObject>

namespace vantelso {

SerialTransport::SerialTransport(const QString& entry, QObject* parent)
    : SerialTransport(entry, 9600, parent) {}

SerialTransport::SerialTransport(const QString& entry, qint32 baudRate, QObject* parent)
    : Transport(parent), m_entry(entry), m_baudRate(baudRate) {
    connect(&m_port, &QSerialPort::readyRead, this, &Transport::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialTransport::onError);
}

SerialTransport::~SerialTransport() {
    m_port.close();
}

bool SerialTransport::open() {
    if (m_port.isOpen())
        return true;
    m_failed = false;
    setProblem({});
    const QString systemName = SystemPortName(m_entry);
    m_port.setPortName(systemName);
    m_port.setBaudRate(m_baudRate);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.setReadBufferSize(0);
    if (!m_port.open(QIODevice::ReadWrite)) {
        const auto err = m_port.error();
        const OpenError kind = err == QSerialPort::DeviceNotFoundError ? OpenError::NotFound
                               : err == QSerialPort::PermissionError   ? OpenError::Permission
                                                                       : OpenError::Other;
        setProblem(ClassifyOpenFailure(systemName, kind, m_port.errorString(),
                                       InspectPortNode(systemName)));
        m_port.clearError();
        return false;
    }
    // Pseudo-terminals refuse the modem lines; that is no reason to give up the port.
    m_port.setDataTerminalReady(true);
    m_port.clearError();
    // Adapters can deliver stale bytes right after opening: start from an empty input.
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
    return true;
}

void SerialTransport::close() {
    if (m_port.isOpen())
        m_port.close();
}

bool SerialTransport::isOpen() const {
    return m_port.isOpen() && !m_failed;
}

bool SerialTransport::write(const QByteArray& bytes) {
    if (!isOpen())
        return false;
    return m_port.write(bytes) == bytes.size();
}

QByteArray SerialTransport::readAll() {
    if (!m_port.isOpen())
        return {};
    return m_port.readAll();
}

qint64 SerialTransport::bytesAvailable() const {
    return m_port.isOpen() ? m_port.bytesAvailable() : 0;
}

void SerialTransport::clearInput() {
    if (!m_port.isOpen())
        return;
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
}

void SerialTransport::onError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
    case QSerialPort::UnsupportedOperationError: // modem lines on a pseudo-terminal
        return;
    case QSerialPort::OpenError:
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::PermissionError:
        if (!m_port.isOpen())
            return; // reported by open() itself
        break;
    default:
        break;
    }
    // A vanished device makes the port report read or resource errors in a tight storm
    // while it stays open. React to the first one only: close the port once, from the event
    // loop (closing inside the error signal is not safe), and report a disconnection.
    if (m_failed)
        return;
    m_failed = true;
    PortProblem gone;
    gone.kind = PortProblem::Kind::Disconnected;
    gone.port = m_entry;
    setProblem(gone);
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_port.clearError();
            m_port.close();
        },
        Qt::QueuedConnection);
    Q_EMIT failed(errorString());
}

} // namespace vantelso
