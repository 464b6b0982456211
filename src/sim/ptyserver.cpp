#include "ptyserver.h"

#include "simdevice.h"

namespace vantelso::sim {

PtyServer::PtyServer(QObject* parent) : QObject(parent) {}

PtyServer::~PtyServer() {
    stop();
}

bool PtyServer::start(SimDevice* device, QString* error) {
    stop();
    if (!device) {
        if (error)
            *error = QStringLiteral("no simulated device to serve");
        return false;
    }
    if (!line_.start(error))
        return false;
    device_ = device;
    connect(&line_, &PtyLine::received, device, &SimDevice::receive);
    connect(device, &SimDevice::transmit, &line_, &PtyLine::send);
    connect(device, &SimDevice::vanished, this, &PtyServer::stop);
    return true;
}

void PtyServer::stop() {
    if (device_) {
        disconnect(device_, nullptr, this, nullptr);
        disconnect(device_, nullptr, &line_, nullptr);
        disconnect(&line_, nullptr, device_, nullptr);
    }
    device_ = nullptr;
    line_.stop();
}

} // namespace vantelso::sim
