#include "ptyserver.h"

#include "simdevice.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#if defined(Q_OS_MACOS)
#include <util.h>
#elif defined(Q_OS_FREEBSD)
#include <libutil.h>
#else
#include <pty.h>
#endif
#endif

namespace vantelso::sim {

PtyServer::PtyServer(QObject* parent) : QObject(parent) {}

PtyServer::~PtyServer() {
    stop();
}

#ifdef Q_OS_UNIX

bool PtyServer::start(SimDevice* device, QString* error) {
    stop();
    auto fail = [&](const QString& what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(strerror(errno)));
        stop();
        return false;
    };
    if (!device) {
        if (error)
            *error = QStringLiteral("no simulated device to serve");
        return false;
    }
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return fail(QStringLiteral("cannot create a pseudo-terminal"));
    }
    slavePath_ = QString::fromLocal8Bit(name);

    // Raw 8-bit line, no echo or CR/LF translation: the protocol is binary.
    termios tio{};
    if (::tcgetattr(slave_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        ::tcsetattr(slave_, TCSANOW, &tio);
    }
    // Our own slave descriptor stays open: without it the master reads EIO whenever no
    // client has the port open, and the read notifier would spin.
    const int flags = ::fcntl(master_, F_GETFL);
    if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) < 0)
        return fail(QStringLiteral("cannot make the pseudo-terminal non-blocking"));
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);

    device_ = device;
    readNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &PtyServer::onReadable);
    writeNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &PtyServer::onWritable);
    connect(device, &SimDevice::transmit, this, &PtyServer::onTransmit);
    connect(device, &SimDevice::vanished, this, &PtyServer::stop);
    return true;
}

void PtyServer::stop() {
    if (device_)
        disconnect(device_, nullptr, this, nullptr);
    device_ = nullptr;
    delete readNotifier_;
    readNotifier_ = nullptr;
    delete writeNotifier_;
    writeNotifier_ = nullptr;
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = slave_ = -1;
    pending_.clear();
}

void PtyServer::onReadable() {
    char buffer[4096];
    QByteArray got;
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            got.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN: drained; EIO/0 cannot persist while we hold the slave open
    }
    if (!got.isEmpty() && device_)
        device_->receive(got);
}

void PtyServer::onTransmit(const QByteArray& bytes) {
    if (master_ < 0)
        return;
    pending_.append(bytes);
    flushPending();
}

void PtyServer::onWritable() {
    flushPending();
}

void PtyServer::flushPending() {
    while (!pending_.isEmpty()) {
        const ssize_t n = ::write(master_, pending_.constData(), size_t(pending_.size()));
        if (n > 0) {
            pending_.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            pending_.clear(); // the line is gone; nothing left to deliver to
        break;
    }
    if (writeNotifier_)
        writeNotifier_->setEnabled(!pending_.isEmpty());
}

#else // no pseudo-terminals on this platform

bool PtyServer::start(SimDevice*, QString* error) {
    if (error)
        *error = QStringLiteral("serving a simulated device on a pseudo-terminal needs a Unix "
                                "system; use the in-process transport instead");
    return false;
}

void PtyServer::stop() {}
void PtyServer::onReadable() {}
void PtyServer::onWritable() {}
void PtyServer::onTransmit(const QByteArray&) {}
void PtyServer::flushPending() {}

#endif

} // namespace vantelso::sim
