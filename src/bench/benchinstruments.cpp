#include "benchinstruments.h"

#include "serialtransport.h"

#include <algorithm>

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

QString BenchInstruments::selectorPortEntry(const QString& selector) const {
    const QString s = selector.trimmed();
    const QStringView head = QStringView(s).left(3);
    if (head == QLatin1String("Com") || head == QLatin1String("Usb"))
        return portEntry(SelectorPortNumber(s));
    return s;
}

void BenchInstruments::addNamedPort(const QString& name, Connector connect) {
    if (!m_named.contains(name))
        m_namedOrder << name;
    m_named.insert(name, std::move(connect));
    context.namedPorts = m_namedOrder;
}

QStringList BenchInstruments::selectorEntries() const {
    QStringList out = SelectorEntries();
    out.removeLast(); // "Manuale" stays last
    out << m_namedOrder << QStringLiteral("Manuale");
    return out;
}

QString BenchInstruments::selector(Instrument which) const {
    switch (which) {
    case Instrument::Supply:
        return supply.selector();
    case Instrument::Calibrator:
        return calibrator.selector();
    case Instrument::Meter:
        return meters.selector();
    case Instrument::Switch:
        break;
    }
    return switches.selector();
}

void BenchInstruments::setSelector(Instrument which, const QString& selector) {
    if (this->selector(which) == selector)
        return;
    // The driver lets go of the port it had; a port no driver uses any more is closed, so
    // the next use opens the one now chosen and the old instrument is no longer talked to.
    switch (which) {
    case Instrument::Supply:
        supply.setSelector(selector);
        supply.setPort(nullptr);
        break;
    case Instrument::Calibrator:
        calibrator.setSelector(selector);
        calibrator.setPort(nullptr);
        break;
    case Instrument::Meter:
        meters.setSelector(selector); // also closes its USB session
        meters.setPort(0, nullptr);
        meters.setPort(1, nullptr);
        break;
    case Instrument::Switch:
        switches.setSelector(selector);
        switches.setPort(nullptr);
        break;
    }
    releaseUnusedPorts();
}

void BenchInstruments::releaseUnusedPorts() {
    const std::array<Transport*, 5> used{supply.port(), calibrator.port(), meters.port(0),
                                         meters.port(1), switches.port()};
    std::erase_if(m_owned, [&used](const std::unique_ptr<Transport>& port) {
        if (std::find(used.begin(), used.end(), port.get()) != used.end())
            return false;
        port->close();
        return true;
    });
}

Transport* BenchInstruments::ensurePort(Transport* current, const QString& entry, qint32 baud,
                                        Instrument which, QStringList* errors) {
    if (current && current->isOpen())
        return current;
    // One port object per serial line, shared when two selectors name the same port.
    for (const auto& owned : m_owned) {
        if (owned->portName() == entry && owned->isOpen())
            return owned.get();
    }
    std::unique_ptr<Transport> port;
    if (const auto named = m_named.constFind(entry); named != m_named.constEnd())
        port = named.value()();
    if (!port)
        port = std::make_unique<SerialTransport>(entry, baud);
    if (!port->open()) {
        const PortTexts texts = m_texts ? m_texts() : PortTexts{};
        PortProblem problem = port->problem();
        if (problem.port.isEmpty())
            problem.port = entry;
        QString reason = DescribePortProblem(problem, texts.link);
        if (reason.isEmpty())
            reason = port->errorString();
        errors->append(texts.names[std::size_t(which)] + QStringLiteral(": ") + reason);
        return nullptr;
    }
    m_owned.push_back(std::move(port));
    return m_owned.back().get();
}

QStringList BenchInstruments::openPorts() {
    QStringList errors;
    if (supply.mode() == InstrumentMode::Serial)
        supply.setPort(ensurePort(supply.port(), selectorPortEntry(supply.selector()),
                                  PowerSupply::BaudRate, Instrument::Supply, &errors));
    if (calibrator.mode() == InstrumentMode::Serial)
        calibrator.setPort(ensurePort(calibrator.port(), selectorPortEntry(calibrator.selector()),
                                      Calibrator::BaudRate, Instrument::Calibrator, &errors));
    if (switches.mode() == InstrumentMode::Serial)
        switches.setPort(ensurePort(switches.port(), selectorPortEntry(switches.selector()),
                                    SwitchUnit::BaudRate, Instrument::Switch, &errors));
    if (meters.mode() == InstrumentMode::Serial)
        meters.setPort(0, ensurePort(meters.port(0), selectorPortEntry(meters.selector()),
                                     Multimeter::BaudRate, Instrument::Meter, &errors));
    return errors;
}

QString BenchInstruments::openMeterPort(int index, int portNumber) {
    QStringList errors;
    Transport* port = ensurePort(nullptr, portEntry(portNumber), Multimeter::BaudRate,
                                 Instrument::Meter, &errors);
    if (!port)
        return errors.join(QLatin1Char('\n'));
    meters.setPort(index, port);
    return {};
}

void BenchInstruments::closePorts() {
    supply.setPort(nullptr);
    calibrator.setPort(nullptr);
    meters.setPort(0, nullptr);
    meters.setPort(1, nullptr);
    meters.closeSession();
    switches.setPort(nullptr);
    for (const auto& port : m_owned)
        port->close();
    m_owned.clear();
}

} // namespace vantelso::bench
