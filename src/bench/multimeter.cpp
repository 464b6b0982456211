#include "multimeter.h"

#include "benchwait.h"
#include "instrumentsession.h"
#include "manualentry.h"
#include "numberformat.h"
#include "sessionfactory.h"
#include "transport.h"

#include <QRegularExpression>
#include <cmath>

namespace vantelso::bench {

std::optional<double> ParseMeterReading(const QByteArray& reply) {
    // Sign, digits around the '.', exponent. The digits are read as one integer and the
    // exponent corrected for the decimals, which is exact where a double would not be.
    static const QRegularExpression format(
        QStringLiteral("^([+-]?)(\\d*)(?:\\.(\\d*))?(?:[Ee]([+-]?\\d{1,3}))?$"));
    const QRegularExpressionMatch m = format.match(QString::fromLatin1(reply.trimmed()));
    if (!m.hasMatch())
        return std::nullopt;
    const QString digits = m.captured(2) + m.captured(3);
    if (digits.isEmpty() || digits.size() > 15)
        return std::nullopt;
    const bool negative = m.captured(1) == QLatin1String("-");
    qint64 n = digits.toLongLong();
    if (negative)
        n = -n;
    // thousandths of a milli-unit = n * 10^(exponent - decimals + 6), rounded down
    const int power = m.captured(4).toInt() - int(m.captured(3).size()) + 6;
    constexpr qint64 limit = 1'000'000'000'000LL; // 10^9 milli-units
    if (power >= 0) {
        for (int i = 0; i < power; ++i) {
            if (std::llabs(n) > limit)
                return std::nullopt;
            n *= 10;
        }
    } else {
        qint64 divisor = 1;
        for (int i = 0; i < -power && divisor <= limit * 10; ++i)
            divisor *= 10;
        const qint64 q = n / divisor;
        n = (n % divisor != 0 && n < 0) ? q - 1 : q;
    }
    // Also with decimals: "8188987.8188987" is an overload, not 8.2 million volts.
    if (std::llabs(n) > limit)
        return std::nullopt;
    return double(n) / 1000.0;
}

Multimeter::Multimeter(const BenchContext* context, const SessionFactory* sessions)
    : m_context(context), m_sessions(sessions) {}

Multimeter::~Multimeter() = default;

void Multimeter::setSelector(const QString& selector) {
    if (selector != m_selector)
        closeSession(); // the next USB command opens the instrument now chosen
    m_selector = selector;
}

InstrumentMode Multimeter::mode() const {
    const InstrumentMode m = MeterSelectorMode(m_selector);
    if (m == InstrumentMode::None &&
        (m_selector.startsWith(u'/') || m_context->namedPorts.contains(m_selector)))
        return InstrumentMode::Serial;
    return m;
}

void Multimeter::closeSession() {
    if (m_session)
        m_session->close();
    m_session.reset();
    m_sessionAlias.clear();
}

void Multimeter::setPort(int index, Transport* port) {
    if (index == 0 || index == 1)
        m_ports[std::size_t(index)] = port;
}

Transport* Multimeter::port(int index) const {
    return index == 0 || index == 1 ? m_ports[std::size_t(index)].data() : nullptr;
}

Transport* Multimeter::openPort(int index) const {
    Transport* p = port(index);
    return p && p->isOpen() ? p : nullptr;
}

// The session follows the selector: "Usb2" after "Usb1" opens the other instrument.
InstrumentSession* Multimeter::openSession() {
    const QString alias = SelectorSessionAlias(m_selector);
    if (m_session && m_sessionAlias == alias && m_session->isOpen())
        return m_session.get();
    m_session.reset();
    QString error;
    if (m_sessions)
        m_session = m_sessions->open(alias, &error);
    if (!m_session) {
        m_context->prompter->ask(error, Prompter::Buttons::Ok, Prompter::Icon::Critical);
        return nullptr;
    }
    m_sessionAlias = alias;
    return m_session.get();
}

BenchStatus Multimeter::sendSession(const QByteArray& line) {
    InstrumentSession* s = openSession();
    if (!s)
        return BenchStatus::PortError;
    return s->writeLine(line) ? BenchStatus::Ok : BenchStatus::PortError;
}

BenchStatus Multimeter::SetMultimeter(int index, const QString& remote, const QString& function) {
    const BenchTimings& t = m_context->timings;
    switch (mode()) {
    case InstrumentMode::Manual:
        m_context->prompter->inform(QStringLiteral("Mult = ") + function, Prompter::Icon::None);
        return BenchStatus::Ok;
    case InstrumentMode::Serial: {
        Transport* p = openPort(index);
        if (!p)
            return BenchStatus::PortError;
        bool sent = p->write(":SYST:" + remote.toLatin1() + "\r\n");
        Pause(t.meterConfigPause);
        if (remote == QLatin1String("REM")) {
            sent = p->write(":CONF:" + function.toLatin1() + ":DC\r\n") && sent;
            Pause(t.meterConfigPause);
        }
        return sent ? BenchStatus::Ok : BenchStatus::PortError;
    }
    case InstrumentMode::Usb: {
        const BenchStatus first = sendSession(function == QLatin1String("VOLT")
                                                  ? QByteArrayLiteral("CONF:VOLT:DC 100,0.001")
                                                  : QByteArrayLiteral("CONF:CURR:DC .1,0.001"));
        if (first != BenchStatus::Ok)
            return first;
        return sendSession("SENS:" + function.toLatin1() + ":DC:NPLC 1");
    }
    case InstrumentMode::None:
        break;
    }
    return BenchStatus::Ok;
}

Measurement Multimeter::ReadMultimeter(int index) {
    const BenchTimings& t = m_context->timings;
    switch (mode()) {
    case InstrumentMode::Manual: {
        const std::optional<double> typed =
            AskNumber(m_context->prompter, QStringLiteral("Lettura Mult"));
        if (!typed)
            return {BenchStatus::Cancelled, 0};
        return {BenchStatus::Ok, *typed * 1000};
    }
    case InstrumentMode::Serial: {
        Transport* p = openPort(index);
        if (!p)
            return {BenchStatus::PortError, 0};
        p->readAll();
        if (!p->write(":READ?\r\n"))
            return {BenchStatus::PortError, 0};
        Pause(t.meterReadPause);
        QByteArray reply;
        // The reading is complete at its line end (CR LF; a CR alone will do).
        const bool complete = CollectInput(
            *p, reply, [](const QByteArray& b) { return b.contains('\n') || b.contains('\r'); },
            t.meterReplyTimeout);
        if (p->isOpen()) {
            p->clearInput();
            p->readAll();
        }
        if (!complete)
            return {BenchStatus::Timeout, 0};
        const std::optional<double> value = ParseMeterReading(reply);
        if (!value)
            return {BenchStatus::BadReply, 0};
        return {BenchStatus::Ok, *value};
    }
    case InstrumentMode::Usb: {
        const BenchStatus sent = sendSession("READ?");
        if (sent != BenchStatus::Ok)
            return {sent, 0};
        Pause(t.meterUsbReadPause);
        m_session->setTimeoutMs(int(t.meterReplyTimeout * 1000 + 0.5));
        const std::optional<QByteArray> line = m_session->readLine();
        if (!line)
            return {BenchStatus::Timeout, 0};
        bool ok = false;
        const double volts = QString::fromLatin1(line->trimmed()).toDouble(&ok);
        if (!ok)
            return {BenchStatus::BadReply, 0};
        return {BenchStatus::Ok, volts * 1000};
    }
    case InstrumentMode::None:
        break;
    }
    return {BenchStatus::Ok, 0};
}

BenchStatus Multimeter::MultimeterBeep() {
    switch (mode()) {
    case InstrumentMode::Serial: {
        Transport* p = openPort(0);
        return p && p->write("SYST:BEEP\r\n") ? BenchStatus::Ok : BenchStatus::PortError;
    }
    case InstrumentMode::Usb:
        return sendSession("SYST:BEEP");
    default:
        return BenchStatus::Ok;
    }
}

} // namespace vantelso::bench
