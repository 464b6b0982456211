#pragma once

#include "siminstrument.h"

#include <QSet>

namespace vantelso::sim {

// The relay switch unit: "rout:open (@101)" and "rout:close (@101)" (also with a channel list
// "(@101,102)") open and close relays, which keep their state. All relays start open.
class SimSwitchUnit : public SimLineInstrument {
    Q_OBJECT
public:
    explicit SimSwitchUnit(QObject* parent = nullptr);

    bool isClosed(int channel) const { return closed_.contains(channel); }
    QSet<int> closedRelays() const { return closed_; }
    int errors() const { return errors_; }

protected:
    void onLine(const QByteArray& line) override;

private:
    QSet<int> closed_;
    int errors_ = 0;
};

} // namespace vantelso::sim
