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
    if (!device_) {
        error_ = QStringLiteral("%1: no simulated device attached").arg(portName());
        return false;
    }
    if (device_->isGone()) {
        error_ = QStringLiteral("%1: device disconnected").arg(portName());
        return false;
    }
    input_.clear();
    error_.clear();
    open_ = true;
    return true;
}

void SimTransport::close() {
    open_ = false;
    input_.clear();
}

bool SimTransport::write(const QByteArray& bytes) {
    if (!open_ || !device_) {
        error_ = QStringLiteral("%1: port not open").arg(portName());
        return false;
    }
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
    error_ = QStringLiteral("device disconnected");
    emit failed(error_);
}

} // namespace vantelso::sim
