#include "benchinstruments.h"

#include "serialtransport.h"

namespace vantelso::bench {

BenchInstruments::BenchInstruments(Prompter* prompter, const SessionFactory* sessions)
    : meters(&context, sessions) {
    context.prompter = prompter;
}

BenchInstruments::~BenchInstruments() {
    closePorts();
}

QString BenchInstruments::portEntry(int portNumber) const {
    return m_portPaths.value(portNumber, QStringLiteral("COM%1").arg(portNumber));
}

Transport* BenchInstruments::ensurePort(Transport* current, int portNumber, qint32 baud,
                                        QStringList* errors) {
    if (current && current->isOpen())
        return current;
    const QString entry = portEntry(portNumber);
    // One port object per serial line, shared when two selectors name the same port.
    for (const auto& owned : m_owned) {
        if (owned->portName() == entry && owned->isOpen())
            return owned.get();
    }
    auto port = std::make_unique<SerialTransport>(entry, baud);
    if (!port->open()) {
        errors->append(port->errorString());
        return current;
    }
    m_owned.push_back(std::move(port));
    return m_owned.back().get();
}

QStringList BenchInstruments::openPorts() {
    QStringList errors;
    if (supply.mode() == InstrumentMode::Serial)
        supply.setPort(ensurePort(supply.port(), SelectorPortNumber(supply.selector()),
                                  PowerSupply::BaudRate, &errors));
    if (calibrator.mode() == InstrumentMode::Serial)
        calibrator.setPort(ensurePort(calibrator.port(), SelectorPortNumber(calibrator.selector()),
                                      Calibrator::BaudRate, &errors));
    if (switches.mode() == InstrumentMode::Serial)
        switches.setPort(ensurePort(switches.port(), SelectorPortNumber(switches.selector()),
                                    SwitchUnit::BaudRate, &errors));
    if (meters.mode() == InstrumentMode::Serial)
        meters.setPort(0, ensurePort(meters.port(0), SelectorPortNumber(meters.selector()),
                                     Multimeter::BaudRate, &errors));
    return errors;
}

QString BenchInstruments::openMeterPort(int index, int portNumber) {
    QStringList errors;
    Transport* port = ensurePort(nullptr, portNumber, Multimeter::BaudRate, &errors);
    if (!port)
        return errors.join(QLatin1Char('\n'));
    meters.setPort(index, port);
    return {};
}

void BenchInstruments::closePorts() {
    for (const auto& port : m_owned)
        port->close();
    m_owned.clear();
}

} // namespace vantelso::bench
