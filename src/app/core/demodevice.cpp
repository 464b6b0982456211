#include "demodevice.h"

#include "identity.h"
#include "ptyserver.h"
#include "simdevice.h"
#include "simtransport.h"
#include "simulatedbench.h"

namespace vantelso::app {

std::unique_ptr<DemoDevice> DemoDevice::create(const QString& modelText, QString* error,
                                               bool allowPty) {
    std::unique_ptr<sim::SimDevice> device(
        sim::SimDevice::fromModelText(modelText, nullptr, error));
    if (!device)
        return nullptr;
    std::unique_ptr<DemoDevice> out(new DemoDevice);
    out->m_model = device->modelIdentifier();
    out->m_device = device.get();
    out->m_owned = std::move(device);
    if (allowPty) {
        auto pty = std::make_unique<sim::PtyServer>();
        QString why;
        if (pty->start(out->m_device, &why)) {
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
    return std::make_unique<sim::SimTransport>(m_device);
}

std::unique_ptr<DemoDevice> DemoDevice::attach(sim::SimDevice* device) {
    std::unique_ptr<DemoDevice> out(new DemoDevice);
    out->m_model = device->modelIdentifier();
    out->m_device = device;
    out->m_port = QStringLiteral("sim:") + out->m_model;
    return out;
}

std::unique_ptr<DemoBench> DemoBench::create(const QString& model, QString* error) {
    const QString m = model.trimmed().toUpper();
    std::uint8_t modelByte = 0;
    std::uint8_t variant = 0;
    // The OEM board has no identifier of its own; a thermistor-input unit stands in for it.
    if (m == QLatin1String("5010OEM")) {
        modelByte = 6;
    } else if (!ParseModelIdentifier(m, &modelByte, &variant)) {
        *error = QStringLiteral("unknown model \"%1\": use one the calibration bench offers, "
                                "e.g. RSX7030, RSX7032A, RSX7131B, RSX5035, 5010OEM")
                     .arg(model);
        return nullptr;
    }
    std::unique_ptr<DemoBench> out(new DemoBench);
    if (!out->m_folder.isValid()) {
        *error = QStringLiteral("no scratch folder for the default image: %1")
                     .arg(out->m_folder.errorString());
        return nullptr;
    }
    out->m_model = m;
    out->m_bench = std::make_unique<sim::SimulatedBench>(modelByte, variant);
    sim::SimDevice& device = out->m_bench->device();
    if (variant != 0)
        device.loadDefaultImage(modelByte, variant);
    device.setStreamInterval(2);
    out->m_bench->prepareForCalibration(m);
    if (out->m_bench->writeDefaultImageFile(out->m_folder.path()).isEmpty()) {
        *error = QStringLiteral("the default image could not be written to %1")
                     .arg(out->m_folder.path());
        return nullptr;
    }
    out->m_device = DemoDevice::attach(&device);
    return out;
}

DemoBench::~DemoBench() {
    m_device.reset();
}

QStringList DemoBench::serialInstruments() {
    return {QStringLiteral("alimentatore"), QStringLiteral("calibratore"),
            QStringLiteral("multimetro0"), QStringLiteral("multimetro1"), QStringLiteral("switch")};
}

std::unique_ptr<Transport> DemoBench::connect(const QString& name) {
    return m_bench->connectTo(name);
}

QList<std::pair<QString, QString>> DemoBench::sessionAliases() {
    return {{QStringLiteral("UsbDevice1"), QStringLiteral("SIM::generatore::INSTR")},
            {QStringLiteral("UsbDevice2"), QStringLiteral("SIM::multimetro0::INSTR")}};
}

} // namespace vantelso::app
