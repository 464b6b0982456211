#pragma once

#include "benchcontext.h"
#include "benchresult.h"
#include "instrumentselector.h"
#include "transport.h"

#include <QPointer>

namespace vantelso::bench {

// The bench DC power supply: 2400 baud, commands ending in CR ("SV 24.00", "KOE"/"KOD" output
// on/off, "A" reads the current as 8 characters, the amperes at characters 2 to 6).
// The current in mA from the supply's answer to "A": characters 2 to 6 hold the amperes
// ("A0.026" CR LF); whatever is there is read with the leading-number parse (0 when it is no
// number, or one too large to be a current).
double ParseSupplyReply(const QByteArray& reply);

class PowerSupply {
public:
    static constexpr qint32 BaudRate = 2400;

    explicit PowerSupply(const BenchContext* context) : m_context(context) {}

    void setSelector(const QString& selector) { m_selector = selector; }
    QString selector() const { return m_selector; }
    InstrumentMode mode() const { return SourceSelectorMode(m_selector); }
    // The serial port used in serial mode; not owned, opened by the caller.
    void setPort(Transport* port) { m_port = port; }
    Transport* port() const { return m_port; }

    BenchStatus SetSupply(bool on, const QString& volts);
    // Output off, the voltage left as it is ("KOD" alone): a stop must not retune the supply.
    BenchStatus SwitchOff();
    SupplyCurrent ReadSupplyCurrent();

private:
    const BenchContext* m_context;
    QString m_selector = QStringLiteral("Com4");
    QPointer<Transport> m_port;
};

} // namespace vantelso::bench
