#include "demodevice.h"

#include "ptyserver.h"
#include "simdevice.h"
#include "simtransport.h"

namespace vantelso::app {

std::unique_ptr<DemoDevice> DemoDevice::create(const QString& modelText, QString* error,
                                               bool allowPty) {
    std::unique_ptr<sim::SimDevice> device(
        sim::SimDevice::fromModelText(modelText, nullptr, error));
    if (!device)
        return nullptr;
    std::unique_ptr<DemoDevice> out(new DemoDevice);
    out->m_model = device->modelIdentifier();
    out->m_device = std::move(device);
    if (allowPty) {
        auto pty = std::make_unique<sim::PtyServer>();
        QString why;
        if (pty->start(out->m_device.get(), &why)) {
            out->m_port = pty->slavePath();
            out->m_pty = std::move(pty);
            return out;
        }
        qWarning("demo device: no pseudo-terminal (%s); using an in-process port", qPrintable(why));
    }
    out->m_port = QStringLiteral("sim:") + out->m_model;
    return out;
}

DemoDevice::~DemoDevice() {
    // The server watches the device: stop it first.
    m_pty.reset();
}

PortEntry DemoDevice::entry() const {
    const QString description = QStringLiteral("demo %1").arg(m_model);
    return {m_port + QStringLiteral(" (") + description + u')', m_port, description};
}

std::unique_ptr<Transport> DemoDevice::transportFor(const QString& port) const {
    if (m_pty || port != m_port)
        return nullptr;
    return std::make_unique<sim::SimTransport>(m_device.get());
}

} // namespace vantelso::app
