#pragma once

#include "benchcontext.h"
#include "calibrator.h"
#include "linktexts.h"
#include "multimeter.h"
#include "powersupply.h"
#include "switchunit.h"

#include <QHash>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace vantelso::bench {

class SessionFactory;

// The instruments that have a selector and a serial port.
enum class Instrument { Supply, Calibrator, Meter, Switch };

// The bench's instruments with their selectors and serial ports, as the calibration window
// holds them for every bench procedure. Ports are opened on demand by openPorts(); the
// drivers only use ports that are open. A selector changed after its port was opened closes
// that port, so the next use opens the one now chosen.
class BenchInstruments {
public:
    BenchInstruments(Prompter* prompter, const SessionFactory* sessions);
    ~BenchInstruments();

    BenchContext context;
    PowerSupply supply{&context};
    Multimeter meters;
    SwitchUnit switches{&context};
    Calibrator calibrator{&context};

    // What a port failure is called in the user's language: the instrument's name ("%1:
    // %2" joins it to the reason) and the link's port texts. Italian names and English
    // reasons when not set.
    struct PortTexts {
        std::array<QString, 4> names{QStringLiteral("Alimentatore"), QStringLiteral("Calibratore"),
                                     QStringLiteral("Multimetro"), QStringLiteral("Switch")};
        LinkTexts link;
    };
    void setPortTexts(std::function<PortTexts()> texts) { m_texts = std::move(texts); }

    QString selector(Instrument which) const;
    // The operator's choice: "Com1".."Com8", "Usb1".."Usb4", "Manuale", a port path typed in
    // or the name of a port added with addNamedPort. The old port is let go.
    void setSelector(Instrument which, const QString& selector);

    // Where a port number leads when it is not the system's COMn: a simulated bench maps
    // its instruments' pseudo-terminals here.
    void setPortPath(int portNumber, const QString& path) { m_portPaths.insert(portNumber, path); }
    QString portEntry(int portNumber) const;
    // The port a selector names: "Com3" the entry of port 3, a path or a named port itself.
    QString selectorPortEntry(const QString& selector) const;
    // An instrument reached without a serial port (an in-process simulated one): the name
    // joins the selectors' entries and `connect` gives its port when it is chosen.
    using Connector = std::function<std::unique_ptr<Transport>()>;
    void addNamedPort(const QString& name, Connector connect);
    // "Com1".."Com8", "Usb1".."Usb4", the named ports, "Manuale".
    QStringList selectorEntries() const;

    // Opens the serial port of every instrument driven over serial that has none open yet:
    // supply, calibrator and switch unit unless "Manuale", multimeter 0 when its selector
    // names a serial port (the linearity aid gives meter 1 its own port with setPort). Returns
    // one message per port that failed to open, "Multimetro: <reason>" (empty when all are
    // open).
    QStringList openPorts();
    // Gives meter `index` the serial port `portNumber`, whatever its selector says (the
    // linearity aids read their meters on ports of their own). Returns an error text, empty
    // on success.
    QString openMeterPort(int index, int portNumber);
    // Closes every instrument port and the multimeter's session (the program is ending).
    void closePorts();

private:
    Transport* ensurePort(Transport* current, const QString& entry, qint32 baud, Instrument which,
                          QStringList* errors);
    void releaseUnusedPorts();

    QHash<int, QString> m_portPaths;
    QHash<QString, Connector> m_named;
    QStringList m_namedOrder;
    std::function<PortTexts()> m_texts;
    std::vector<std::unique_ptr<Transport>> m_owned;
};

} // namespace vantelso::bench
