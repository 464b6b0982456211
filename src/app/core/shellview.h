#pragma once

#include "captions.h"
#include "portlist.h"
#include "reconnect.h"

#include <QList>
#include <QString>

namespace vantelso::app {

// Lamp colours, packed red-green-blue with red in the low byte.
namespace lamp {
inline constexpr int Red = 255;
inline constexpr int Green = 65280;
inline constexpr int Yellow = 65535;
inline constexpr int Grey = 8421504;
} // namespace lamp

// What the shell's logic needs from its windows. The desktop program implements it with
// widgets; tests implement it with a recorder.
class ShellView {
public:
    virtual ~ShellView() = default;

    // --- start-up, in the order the shell calls them ---
    // The connection panel's factory menu is never offered.
    virtual void disableFactoryMenu() = 0;
    virtual void setPortList(const QList<PortEntry>& entries, int selected) = 0;
    // Windows that exist from start-up, created hidden.
    virtual void loadWindowsHidden() = 0;
    virtual void applyCaptions(const ShellCaptions& captions) = 0;
    // Panel button pictures; the start/stop picture follows the measurement state.
    virtual void setButtonImages(bool measuring) = 0;
    virtual void setProgress(int done, int total) = 0;
    // Panel at the top left of the main window, editor window beside it.
    virtual void placeWindows() = 0;
    virtual void showPanel() = 0;

    // --- the port switch ---
    // What the port list's edit field holds.
    virtual QString portText() const = 0;
    // Ticks or clears the switch without running its action.
    virtual void setPortSwitch(bool ticked) = 0;
    // The panel's status line (the port, the last read or write): empty clears it.
    virtual void showStatus(const QString& text, bool problem) = 0;
    // The panel's reconnect button: hidden, waiting for the adapter, or ready to reopen it.
    virtual void showReconnect(ReconnectOffer offer) { Q_UNUSED(offer); }

    // --- the program (editor) window ---
    // The first view button's action: show it at its place in front, or hide it.
    virtual void toggleProgramWindow() = 0;
};

} // namespace vantelso::app
