#include "powersupply.h"

#include "benchwait.h"
#include "numberformat.h"
#include "transport.h"

#include <cmath>

namespace vantelso::bench {

BenchStatus PowerSupply::SetSupply(bool on, const QString& volts) {
    const BenchTimings& t = m_context->timings;
    if (mode() == InstrumentMode::Manual) {
        m_context->prompter->inform(
            QStringLiteral("Alim = %1 Volt = %2")
                .arg(on ? QStringLiteral("True") : QStringLiteral("False"), volts),
            Prompter::Icon::None);
        return BenchStatus::Ok;
    }
    if (!m_port || !m_port->isOpen())
        return BenchStatus::PortError;
    bool sent = m_port->write("SV " + volts.toLatin1() + '\r');
    Pause(t.supplyVoltsPause);
    sent = m_port->write(on ? QByteArrayLiteral("KOE\r") : QByteArrayLiteral("KOD\r")) && sent;
    Pause(t.supplyOutputPause);
    return sent ? BenchStatus::Ok : BenchStatus::PortError;
}

BenchStatus PowerSupply::SwitchOff() {
    if (mode() == InstrumentMode::Manual) {
        m_context->prompter->inform(QStringLiteral("Togliere Alimentazione"), Prompter::Icon::None);
        return BenchStatus::Ok;
    }
    if (!m_port || !m_port->isOpen())
        return BenchStatus::PortError;
    const bool sent = m_port->write(QByteArrayLiteral("KOD\r"));
    Pause(m_context->timings.supplyOutputPause);
    return sent ? BenchStatus::Ok : BenchStatus::PortError;
}

SupplyCurrent PowerSupply::ReadSupplyCurrent() {
    const BenchTimings& t = m_context->timings;
    if (mode() == InstrumentMode::Manual) {
        const std::optional<QString> typed =
            m_context->prompter->input(QStringLiteral("Lettura mA Alim"), QString());
        return SupplyCurrent::operatorText(typed.value_or(QString()));
    }
    if (!m_port || !m_port->isOpen() || !m_port->write("A\r"))
        return SupplyCurrent::timeout();
    Pause(t.supplyReplyPause);
    QByteArray reply;
    const bool complete = CollectInput(
        *m_port, reply, [](const QByteArray& b) { return b.size() >= 8; }, t.supplyReplyTimeout);
    if (!complete)
        return SupplyCurrent::timeout();
    return SupplyCurrent::milliamps(ParseSupplyReply(reply));
}

double ParseSupplyReply(const QByteArray& reply) {
    // Five characters can still spell a number no current can be ("9E305"): like any number
    // beyond range in the leading-number parse, it reads as 0 rather than as infinity.
    const double mA = Val(QString::fromLatin1(reply.mid(1, 5))) * 1000;
    return std::isfinite(mA) ? mA : 0;
}

SupplyCurrent SupplyCurrent::operatorText(const QString& text) {
    return {Kind::OperatorText, Val(text), text};
}

QString SupplyCurrent::text() const {
    return m_kind == Kind::OperatorText ? m_text : NumberText(m_value);
}

} // namespace vantelso::bench
