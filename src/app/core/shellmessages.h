#pragma once

#include "linktexts.h"
#include "prompter.h"
#include "texts.h"

#include <QList>
#include <QString>

namespace vantelso::app {

// The link's texts in the current language.
LinkTexts LinkTextsFor(const Texts& texts);

// What the connection panel's status line says: the outcome of the last port action, read or
// write. Kept as facts, not text, so that it follows a language switch.
struct PanelStatus {
    enum class Kind {
        None,
        Port,           // the port failed to open or went away (port)
        NoAnswer,       // the port is open but no device identified itself (portName)
        ReadIncomplete, // a read ended half-way (port, when the port failed under it)
        Written,        // a write was read back and found as written
        VerifyFailed,   // the read-back differed (addresses)
        AdapterLost,    // the port went away under the program (port); reconnect offered
        AdapterBack,    // the lost port's adapter is there again (portName)
        Reconnected,    // reopened, and the same device answers (portName)
        DeviceChanged,  // reopened, and another device answers (portName, model, modelBefore)
        Saved,          // the configuration was saved to a file (portName holds the file)
    };
    Kind kind = Kind::None;
    PortProblem port;
    QString portName;
    QList<int> addresses;
    QString model = {};
    QString modelBefore = {};

    bool isProblem() const {
        return kind != Kind::None && kind != Kind::Written && kind != Kind::AdapterBack &&
               kind != Kind::Reconnected && kind != Kind::Saved;
    }
    bool operator==(const PanelStatus&) const = default;
};

QString StatusText(const PanelStatus& status, const Texts& texts);

// A message box button's caption in the current language.
QString ButtonText(Prompter::Answer button, const Texts& texts);

// The message box of a port switch that could not open its port. A port held by another
// program, or no port open at all when the switch is cleared, is language string 67
// ("COM Port already in use"), followed by the details when there are any; every other
// problem is told as it is (a missing port, a permission problem).
QString PortFailureMessage(const PortProblem& problem, const Texts& texts);

} // namespace vantelso::app
