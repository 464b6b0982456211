#pragma once

#include "appstate.h"
#include "texts.h"

#include <QHash>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>

namespace vantelso::app {

// The windows that carry captions. The measurement and switch windows will bring their own
// tables. Program is the editor window `frm_program`, Operator its dialog `frm_Oper`.
enum class Window { Principale, Communication, Language, About, Program, Operator };

// One control whose caption is a language string (the English one is baseId + 300).
struct LanguageCaption {
    const char* control;
    int baseId;
};
// One control whose caption does not depend on the language (no string in the table, or a
// factory item that stays Italian).
struct FixedCaption {
    const char* control;
    const char* text;
};

const QList<LanguageCaption>& LanguageCaptions(Window window);
const QList<FixedCaption>& FixedCaptions(Window window);

// Control name -> caption, for one window.
using CaptionMap = QHash<QString, QString>;

// Which parts of the editor window the connected model uses. The editor model decides the
// availability of the groups that follow the chosen types; these follow the model alone.
struct ProgramLayout {
    std::array<bool, 2> trips{}; // threshold groups per channel: 0 on model 0, both on 7
    bool frequency = false;      // frequency-input settings: model 7
    bool physical = false;       // physical-scaling page and its button: model 5
    bool channelBInput = true;   // false on the single-channel models 0, 1, 8 and 9
    bool responseTime = false;   // response-time field

    bool operator==(const ProgramLayout&) const = default;
};

ProgramLayout BuildProgramLayout(const DeviceIdentity& identity);

// Everything the caption routine puts on screen, computed without touching a widget.
struct ShellCaptions {
    QHash<Window, CaptionMap> controls;
    QHash<Window, QString> titles;
    DeviceLabels device;
    // The switch view button: unavailable only for model byte 9.
    bool switchViewAvailable = true;
    // About box: web address and manual kept by the routine; brand 1 shows neither the brand
    // picture nor the web link.
    QString webAddress;
    QString manualFile;
    bool showBrandPicture = true;
    int brandIcon = 0; // brand whose picture the About box shows; -1 for none
    ProgramLayout program;
    // Read, Write, Start, compare and report need a device: available with the port open.
    bool deviceActions = true;
};

// Captions of one window in the current language; `portSwitchTicked` selects the port
// switch's "Close Com" (39) over "Open Com" (38).
CaptionMap BuildCaptions(Window window, const Texts& texts, bool portSwitchTicked);
QString WindowTitle(Window window, const Texts& texts);

// The identification labels for `identity`. `variantByte` is the byte at address 4 when it
// was read for this identity. A lettered model first shows its family name, which its display
// name then replaces; without either the previous name stays.
DeviceLabels UpdateDeviceLabels(const DeviceLabels& previous, const Texts& texts,
                                const DeviceIdentity& identity,
                                std::optional<std::uint8_t> variantByte);

bool SwitchViewAvailable(std::uint8_t modelByte);

// The whole caption routine's output for the current state.
ShellCaptions BuildShellCaptions(const Texts& texts, const DeviceLabels& device,
                                 std::uint8_t modelByte, bool portSwitchTicked);

} // namespace vantelso::app
