#pragma once

#include "benchcontext.h"
#include "benchresult.h"
#include "instrumentselector.h"
#include "transport.h"

#include <QList>
#include <QPointer>

namespace vantelso::bench {

// The lines for a channel list of 4-character tokens, a 3-digit channel and "A" (open) or
// "C" (close): "101A103C" gives "rout:open (@101)" CR LF, "rout:close (@103)" CR LF, in list
// order. A letter with fewer than three characters before it is skipped.
QList<QByteArray> SwitchLines(const QString& list);

// The relay switch unit: SCPI routing lines at 9600 baud; nothing is read back.
class SwitchUnit {
public:
    static constexpr qint32 BaudRate = 9600;

    explicit SwitchUnit(const BenchContext* context) : m_context(context) {}

    void setSelector(const QString& selector) { m_selector = selector; }
    QString selector() const { return m_selector; }
    InstrumentMode mode() const { return SourceSelectorMode(m_selector); }
    void setPort(Transport* port) { m_port = port; }
    Transport* port() const { return m_port; }

    BenchStatus SetSwitch(const QString& list);

private:
    const BenchContext* m_context;
    QString m_selector = QStringLiteral("Com5");
    QPointer<Transport> m_port;
};

} // namespace vantelso::bench
