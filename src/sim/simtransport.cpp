#include "simtransport.h"

#include "simdevice.h"

namespace vantelso::sim {

SimTransport::SimTransport(SimDevice* device, QObject* parent)
    : Transport(parent), device_(device) {
    if (device_) {
        connect(device_, &SimDevice::transmit, this, &SimTransport::onTransmit);
        connect(device_, &SimDevice::vanished, this, &SimTransport::onVanished);
    }
}

bool SimTransport::open() {
    if (open_)
        return true;
    PortProblem problem;
    problem.port = portName();
    if (!device_ || device_->isGone()) {
        // A device that went away is as absent as one never attached.
        problem.kind = PortProblem::Kind::Missing;
        setProblem(problem);
        return false;
    }
    input_.clear();
    setProblem({});
    open_ = true;
    return true;
}

void SimTransport::close() {
    open_ = false;
    input_.clear();
}

bool SimTransport::write(const QByteArray& bytes) {
    if (!open_ || !device_)
        return false;
    device_->receive(bytes);
    return true;
}

QByteArray SimTransport::readAll() {
    QByteArray out;
    out.swap(input_);
    return out;
}

QString SimTransport::portName() const {
    return QStringLiteral("sim:%1").arg(device_ ? device_->modelIdentifier() : QString());
}

qint64 SimTransport::byteTimeNs() const {
    return device_ && device_->wireTiming() ? SimDevice::wireTimeNs(1) : 0;
}

void SimTransport::onTransmit(const QByteArray& bytes) {
    if (!open_)
        return; // a closed port hears nothing
    input_.append(bytes);
    if (readyPosted_)
        return;
    readyPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            readyPosted_ = false;
            if (open_ && !input_.isEmpty())
                emit readyRead();
        },
        Qt::QueuedConnection);
}

void SimTransport::onVanished() {
    if (!open_)
        return;
    close();
    PortProblem gone;
    gone.kind = PortProblem::Kind::Disconnected;
    gone.port = portName();
    setProblem(gone);
    emit failed(errorString());
}

} // namespace vantelso::sim
