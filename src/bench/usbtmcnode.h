#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace vantelso::bench {

// The platform seam of USB instruments: the Linux USBTMC character device /dev/usbtmcN,
// driven with read/write and the driver's clear and time-out ioctls. Elsewhere open()
// fails with a message (usbtmcnode_other.cpp).
class UsbTmcNode {
public:
    UsbTmcNode() = default;
    ~UsbTmcNode() { close(); }
    UsbTmcNode(const UsbTmcNode&) = delete;
    UsbTmcNode& operator=(const UsbTmcNode&) = delete;

    bool open(const QString& path, QString* error);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    // The driver's own read time-out; a read waits at most this long for the instrument.
    bool setTimeout(int ms, QString* error);
    bool write(const QByteArray& bytes, QString* error);
    // One message from the instrument; nullopt on time-out or failure.
    std::optional<QByteArray> read(QString* error);
    // USBTMC INITIATE_CLEAR: the instrument drops its pending I/O.
    bool clear(QString* error);

private:
    int m_fd = -1;
};

} // namespace vantelso::bench
