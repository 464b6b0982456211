#pragma once

#include "benchcontext.h"
#include "calibrator.h"
#include "multimeter.h"
#include "powersupply.h"
#include "switchunit.h"

#include <QHash>
#include <QStringList>
#include <memory>
#include <vector>

namespace vantelso::bench {

class SessionFactory;

// The bench's instruments with their selectors and serial ports, as the calibration window
// holds them for every bench procedure. Ports are opened on demand by openPorts(); the
// drivers only use ports that are open.
class BenchInstruments {
public:
    BenchInstruments(Prompter* prompter, const SessionFactory* sessions);
    ~BenchInstruments();

    BenchContext context;
    PowerSupply supply{&context};
    Multimeter meters;
    SwitchUnit switches{&context};
    Calibrator calibrator{&context};

    // Where a port number leads when it is not the system's COMn: a simulated bench maps
    // its instruments' pseudo-terminals here.
    void setPortPath(int portNumber, const QString& path) { m_portPaths.insert(portNumber, path); }
    QString portEntry(int portNumber) const;

    // Opens the serial port of every instrument driven over serial that has none open yet:
    // supply, calibrator and switch unit unless "Manuale", multimeter 0 when its selector
    // starts with "Com" (the linearity aid gives meter 1 its own port with setPort). Returns
    // one message per port that failed to open (empty when all are open).
    QStringList openPorts();
    // Gives meter `index` the serial port `portNumber`, whatever its selector says (the
    // linearity aids read their meters on ports of their own). Returns an error text, empty
    // on success.
    QString openMeterPort(int index, int portNumber);
    void closePorts();

private:
    Transport* ensurePort(Transport* current, int portNumber, qint32 baud, QStringList* errors);

    QHash<int, QString> m_portPaths;
    std::vector<std::unique_ptr<Transport>> m_owned;
};

} // namespace vantelso::bench
