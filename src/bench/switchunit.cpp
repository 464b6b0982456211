#include "switchunit.h"

#include "transport.h"

namespace vantelso::bench {

QList<QByteArray> SwitchLines(const QString& list) {
    QList<QByteArray> out;
    const QByteArray text = list.toLatin1();
    for (qsizetype i = 3; i < text.size(); ++i) {
        const char c = text[i];
        if (c != 'A' && c != 'C')
            continue;
        const QByteArray channel = text.mid(i - 3, 3);
        out << (c == 'A' ? "rout:open (@" : "rout:close (@") + channel + ")\r\n";
    }
    return out;
}

BenchStatus SwitchUnit::SetSwitch(const QString& list) {
    if (mode() == InstrumentMode::Manual) {
        m_context->prompter->inform(QStringLiteral("Switch = ") + list, Prompter::Icon::None);
        return BenchStatus::Ok;
    }
    if (!m_port || !m_port->isOpen())
        return BenchStatus::PortError;
    bool sent = true;
    for (const QByteArray& line : SwitchLines(list))
        sent = m_port->write(line) && sent;
    return sent ? BenchStatus::Ok : BenchStatus::PortError;
}

} // namespace vantelso::bench
