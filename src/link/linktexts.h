#pragma once

#include <QString>

namespace vantelso {

// Texts the link shows in its questions and in its reasons for a port that cannot be used.
// The defaults are English; the application fills them from the string table in the user's
// language. %1 stands for the port, %2 and %3 for the details named beside each text.
struct LinkTexts {
    QString communicationError = QStringLiteral("Communication error");
    QString portNotOpen = QStringLiteral("COM Port not open");
    QString portMissing =
        QStringLiteral("Serial port %1 does not exist. Check the cable or choose another port.");
    // %2: the system's own reason.
    QString portCannotOpen = QStringLiteral("Serial port %1 cannot be opened: %2");
    QString portBusy = QStringLiteral("Serial port %1 is already in use by another program. "
                                      "Close that program or choose another port.");
    // %2: the group that may open the port.
    QString portNeedsGroup = QStringLiteral(
        "Permission denied on %1. The port belongs to group \"%2\"; add yourself to it with: "
        "sudo usermod -aG %2 $USER (then log out and in again).");
    // %2: owner and group, %3: the mode as "ls -l" shows it.
    QString portPermissionDenied = QStringLiteral(
        "Permission denied on %1 (owner %2, mode %3). Ask the administrator for access to the "
        "port.");
    QString portDisconnected = QStringLiteral("The device on %1 was disconnected.");
    QString noPortChosen = QStringLiteral("No port chosen.");
};

// Why a port cannot be used, with the facts its message needs; kept apart from the text so
// that a message already shown can be put again in another language.
struct PortProblem {
    enum class Kind {
        None,
        NotChosen,
        Missing,          // no such device
        CannotOpen,       // for a reason only the system can tell (detail)
        Busy,             // another program holds it
        NeedsGroup,       // readable and writable by a group the user may join (group)
        PermissionDenied, // nobody but its owner may use it (owner, mode)
        Disconnected,     // the device went away while the port was open
    };
    Kind kind = Kind::None;
    QString port;
    QString group;
    QString owner; // "root:root"
    QString mode;  // "crw-------"
    QString detail;

    bool operator==(const PortProblem&) const = default;
};

// The message for a problem in the language of `texts`; empty for Kind::None.
QString DescribePortProblem(const PortProblem& problem, const LinkTexts& texts = {});

} // namespace vantelso
