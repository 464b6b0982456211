#pragma once

#include <QByteArray>
#include <QString>

namespace vantelso::sim {

// The DIP-switch banks a simulated device starts with, as given on a command line:
// "S0,S1,S2", each 0..255 in decimal or 0x hex, one to four banks. False with the reason.
bool ParseSwitchBytes(const QString& text, QByteArray* bytes, QString* error);

} // namespace vantelso::sim
