#pragma once

#include "transport.h"

#include <QPointer>

namespace vantelso::sim {

class SimDevice;

// Transport bound in-process to a SimDevice, standing in for the serial port.
//
// Bytes the device transmits are appended to the input buffer at once (only while open);
// readyRead() follows on the next event-loop pass, at most one per pass. When the device
// vanishes the transport closes and reports a disconnection once (failed()); open() then
// fails until SimDevice::revive() (or swapTo()) brings a device back.
class SimTransport : public Transport {
    Q_OBJECT
public:
    explicit SimTransport(SimDevice* device, QObject* parent = nullptr);

    bool open() override;
    void close() override;
    bool isOpen() const override { return open_; }
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    qint64 bytesAvailable() const override { return input_.size(); }
    void clearInput() override { input_.clear(); }
    QString portName() const override; // "sim:RSX7030"
    qint64 byteTimeNs() const override;

    SimDevice* device() const { return device_; }

private:
    void onTransmit(const QByteArray& bytes);
    void onVanished();

    QPointer<SimDevice> device_;
    QByteArray input_;
    bool open_ = false;
    bool readyPosted_ = false;
};

} // namespace vantelso::sim
