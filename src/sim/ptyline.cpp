#include "ptyline.h"

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

PtyLine::PtyLine(QObject* parent) : QObject(parent) {}

PtyLine::~PtyLine() {
    stop();
}

#ifdef Q_OS_UNIX

bool PtyLine::start(QString* error) {
    stop();
    auto fail = [&](const QString& what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(strerror(errno)));
        stop();
        return false;
    };
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return fail(QStringLiteral("cannot create a pseudo-terminal"));
    }
    slavePath_ = QString::fromLocal8Bit(name);

    // Raw 8-bit line, no echo or CR/LF translation: the protocols are binary.
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

    readNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &PtyLine::onReadable);
    writeNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &PtyLine::flushPending);
    return true;
}

void PtyLine::stop() {
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

void PtyLine::onReadable() {
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
    if (!got.isEmpty())
        Q_EMIT received(got);
}

void PtyLine::send(const QByteArray& bytes) {
    if (master_ < 0)
        return;
    pending_.append(bytes);
    flushPending();
}

void PtyLine::flushPending() {
    while (!pending_.isEmpty() && master_ >= 0) {
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

bool PtyLine::start(QString* error) {
    if (error)
        *error = QStringLiteral("serving a simulated device on a pseudo-terminal needs a Unix "
                                "system; use the in-process transport instead");
    return false;
}

void PtyLine::stop() {}
void PtyLine::onReadable() {}
void PtyLine::send(const QByteArray&) {}
void PtyLine::flushPending() {}

#endif

} // namespace vantelso::sim
