#include "interruptseam.h"

#include <QPointer>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace vantelso {

namespace {
#ifdef Q_OS_WIN
QPointer<InterruptSeam> g_seam;
BOOL WINAPI onConsoleCtrl(DWORD type) {
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT)
        return FALSE;
    static bool seen = false;
    if (seen || !g_seam)
        return FALSE; // the second one ends the process
    seen = true;
    // Runs on a thread of the console: hand over to the event loop.
    QMetaObject::invokeMethod(g_seam.data(), "interrupted", Qt::QueuedConnection);
    return TRUE;
}
#else
// The write end of the self-pipe; the handler may only make async-signal-safe calls.
volatile std::sig_atomic_t g_writeFd = -1;
void onSigint(int) {
    const int fd = g_writeFd;
    if (fd >= 0) {
        const char b = 1;
        [[maybe_unused]] const ssize_t n = ::write(fd, &b, 1);
    }
}
#endif
} // namespace

InterruptSeam::InterruptSeam(QObject* parent) : QObject(parent) {
#ifdef Q_OS_WIN
    g_seam = this;
    SetConsoleCtrlHandler(onConsoleCtrl, TRUE);
#else
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, m_fds) != 0)
        return;
    g_writeFd = m_fds[0];
    auto* notifier = new QSocketNotifier(m_fds[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &InterruptSeam::onNotified);
    struct sigaction sa = {};
    sa.sa_handler = onSigint;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESETHAND | SA_RESTART; // the second Ctrl-C ends the process
    ::sigaction(SIGINT, &sa, nullptr);
#endif
}

InterruptSeam::~InterruptSeam() {
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(onConsoleCtrl, FALSE);
    g_seam = nullptr;
#else
    ::signal(SIGINT, SIG_DFL);
    g_writeFd = -1;
    for (int fd : m_fds)
        if (fd >= 0)
            ::close(fd);
#endif
}

void InterruptSeam::onNotified() {
#ifndef Q_OS_WIN
    char b = 0;
    [[maybe_unused]] const ssize_t n = ::read(m_fds[1], &b, 1);
#endif
    Q_EMIT interrupted();
}

} // namespace vantelso
