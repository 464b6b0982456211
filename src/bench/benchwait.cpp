#include "benchwait.h"

#include "transport.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

namespace vantelso::bench {

namespace {

// Sleeps in the event loop until `port` has input, fails, or the deadline passes.
void waitForInput(Transport& port, const QDeadlineTimer& deadline) {
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&port, &Transport::readyRead, &loop, &QEventLoop::quit);
    QObject::connect(&port, &Transport::failed, &loop, &QEventLoop::quit);
    QObject::connect(&port, &QObject::destroyed, &loop, &QEventLoop::quit);
    timer.start(int(qMax<qint64>(0, deadline.remainingTime())));
    loop.exec();
}

} // namespace

void Pause(double seconds) {
    if (seconds <= 0)
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(int(seconds * 1000 + 0.5));
    loop.exec();
}

bool CollectInput(Transport& port, QByteArray& buffer,
                  const std::function<bool(const QByteArray&)>& complete, double timeoutSeconds) {
    const QDeadlineTimer deadline(qint64(timeoutSeconds * 1000 + 0.5), Qt::PreciseTimer);
    QPointer<Transport> alive(&port);
    for (;;) {
        if (!alive || !port.isOpen())
            return false;
        buffer += port.readAll();
        if (complete(buffer))
            return true;
        if (deadline.hasExpired())
            return false;
        waitForInput(port, deadline);
    }
}

} // namespace vantelso::bench
