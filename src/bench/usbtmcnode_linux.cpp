// The USBTMC node is a blocking character device: a read returns one message from the
// instrument or fails with ETIMEDOUT once the driver's time-out (set by ioctl) has passed.
// That wait is bounded by the session's time-out, which the callers keep short.
#include "usbtmcnode.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/usb/tmc.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace vantelso::bench {

namespace {

QString systemError(const QString& what) {
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

bool UsbTmcNode::open(const QString& path, QString* error) {
    close();
    const QByteArray local = path.toLocal8Bit();
    m_fd = ::open(local.constData(), O_RDWR | O_CLOEXEC);
    if (m_fd < 0) {
        if (error)
            *error = systemError(path);
        return false;
    }
    return true;
}

void UsbTmcNode::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool UsbTmcNode::setTimeout(int ms, QString* error) {
    if (m_fd < 0)
        return false;
    // The driver refuses time-outs below 100 ms.
    __u32 value = __u32(ms < 100 ? 100 : ms);
    if (::ioctl(m_fd, USBTMC_IOCTL_SET_TIMEOUT, &value) != 0) {
        if (error)
            *error = systemError(QStringLiteral("USBTMC time-out"));
        return false;
    }
    return true;
}

bool UsbTmcNode::write(const QByteArray& bytes, QString* error) {
    if (m_fd < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (error)
                *error = systemError(QStringLiteral("USBTMC write"));
            return false;
        }
        done += n;
    }
    return true;
}

std::optional<QByteArray> UsbTmcNode::read(QString* error) {
    if (m_fd < 0)
        return std::nullopt;
    QByteArray buffer(64 * 1024, '\0');
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer.data(), size_t(buffer.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            if (error)
                *error = systemError(QStringLiteral("USBTMC read"));
            return std::nullopt;
        }
        buffer.truncate(n);
        return buffer;
    }
}

bool UsbTmcNode::clear(QString* error) {
    if (m_fd < 0)
        return false;
    if (::ioctl(m_fd, USBTMC_IOCTL_CLEAR) != 0) {
        if (error)
            *error = systemError(QStringLiteral("USBTMC clear"));
        return false;
    }
    return true;
}

} // namespace vantelso::bench
