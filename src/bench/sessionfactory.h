#pragma once

#include "instrumentsession.h"
#include "resourcealiases.h"

#include <functional>
#include <memory>
#include <optional>

namespace vantelso::bench {

// What a resource name asks for.
struct ResourceSpec {
    enum class Kind {
        UsbTmc,    // "/dev/usbtmc0": a Linux USBTMC device node
        Socket,    // "TCPIP::host::5025::SOCKET" (or "TCPIP0::..."; port 5025 when left out)
        Serial,    // "ASRL/dev/ttyUSB0::INSTR", or "ASRL3::INSTR" for COM3
        Simulated, // "SIM::name::INSTR": an instrument of the simulated bench
    };
    Kind kind = Kind::UsbTmc;
    QString target; // node path, host, serial port entry or simulated instrument name
    quint16 port = 5025;
};
std::optional<ResourceSpec> ParseResource(const QString& resource);

// Opens instrument sessions by resource name or alias. Process-wide configuration (the
// aliases, the simulated bench) is handed in, never looked up behind the caller's back.
class SessionFactory {
public:
    // Connects to a simulated instrument by name; nullptr when there is none of that name.
    using SimulatedConnector = std::function<std::unique_ptr<Transport>(const QString& name)>;

    explicit SessionFactory(ResourceAliases aliases = {}) : m_aliases(std::move(aliases)) {}

    void setAliases(ResourceAliases aliases) { m_aliases = std::move(aliases); }
    const ResourceAliases& aliases() const { return m_aliases; }
    void setSimulatedConnector(SimulatedConnector connector) { m_simulated = std::move(connector); }
    // 0 Italian (the bench's language), 1 English: the language of the error texts.
    void setLanguage(int langIndex) { m_lang = langIndex; }
    // Time-out of reads (and of connecting) for the sessions opened from now on.
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }

    // An open session, or nullptr with a message saying what to do in `error`: an unknown
    // alias, a malformed resource name, an instrument that does not answer.
    std::unique_ptr<InstrumentSession> open(const QString& nameOrAlias, QString* error) const;

private:
    QString text(const char* italian, const char* english) const;

    ResourceAliases m_aliases;
    SimulatedConnector m_simulated;
    int m_lang = 0;
    int m_timeoutMs = 2000;
};

} // namespace vantelso::bench
