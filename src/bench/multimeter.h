#pragma once

#include "benchcontext.h"
#include "benchresult.h"
#include "instrumentselector.h"
#include "transport.h"

#include <QPointer>
#include <array>
#include <memory>
#include <optional>

namespace vantelso::bench {

class InstrumentSession;
class SessionFactory;

// A serial reading in the meter's fixed exponent format ("+1.23456789E+00", volts or
// amperes) as milli-units rounded down to 0.001. Integer arithmetic, so 1 mV is exactly 1.
// nullopt for anything that is not such a number, or an overload beyond ±10^9 milli-units.
std::optional<double> ParseMeterReading(const QByteArray& reply);

// Up to two digital multimeters on one selector. Serial meters take SCPI lines ending in
// CR LF at 9600 baud; in "Usb" mode one instrument session (alias "UsbDevice<n>" for the
// selector "Usb<n>") carries every command, opened on first use.
class Multimeter {
public:
    static constexpr qint32 BaudRate = 9600;

    Multimeter(const BenchContext* context, const SessionFactory* sessions);
    ~Multimeter();

    void setSelector(const QString& selector);
    QString selector() const { return m_selector; }
    // As MeterSelectorMode, and serial also for a typed port path or a named port.
    InstrumentMode mode() const;
    // Serial ports of meters 0 and 1; not owned, opened by the caller.
    void setPort(int index, Transport* port);
    Transport* port(int index) const;
    // The USB session, open once a USB command has run (for callers that show it).
    InstrumentSession* session() const { return m_session.get(); }
    void closeSession();

    // remote "REM" or "LOC", function "VOLT" or "CURR".
    BenchStatus SetMultimeter(int index, const QString& remote, const QString& function);
    // mV with the meter on "VOLT", mA on "CURR". In manual mode a non-number is asked for
    // again; Cancel gives Cancelled.
    Measurement ReadMultimeter(int index);
    BenchStatus MultimeterBeep();

private:
    Transport* openPort(int index) const;
    InstrumentSession* openSession();
    BenchStatus sendSession(const QByteArray& line);

    const BenchContext* m_context;
    const SessionFactory* m_sessions;
    QString m_selector = QStringLiteral("Com3");
    std::array<QPointer<Transport>, 2> m_ports;
    std::unique_ptr<InstrumentSession> m_session;
    QString m_sessionAlias;
};

} // namespace vantelso::bench
