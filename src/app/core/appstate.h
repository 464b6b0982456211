#pragma once

#include "catalogue.h"
#include "configeditor.h"
#include "configfiles.h"
#include "devicelink.h"
#include "editormodel.h"
#include "qttranslations.h"
#include "texts.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

namespace vantelso::app {

// Flags of the shell that every window may read.
struct ShellFlags {
    bool exiting = false;
    // Celsius (0) or Fahrenheit (1) on the input and output displays; set by the editor.
    int inputTempUnit = 0;
    int outputTempUnit = 0;
    bool measuring = false;
    // Last channel index of the per-channel loops; always 1 (channels A and B).
    int LastChannel = 1;
};

// What the identification labels show and the facts they were built from.
struct DeviceLabels {
    QString idLabel;     // "ID=12/0"
    QString displayName; // "RSX 7030"
    QString modelIdentifier;
    // Byte at address 4 of the last device read; selects the letter of models 2 to 6.
    std::optional<std::uint8_t> variantByte;
};

// The process-wide state of the desktop program, one instance from start to exit. The link
// and the file functions do not own the prompter: the caller keeps it alive for the
// session's lifetime, and it must not be null.
class AppState : public QObject {
    Q_OBJECT
public:
    explicit AppState(Prompter* prompter, QObject* parent = nullptr);

    Texts texts;
    // Qt's standard buttons and dialogs follow the language of the texts.
    QtTranslations qtTranslations{texts};
    Catalogue catalogue;
    DeviceLink link;
    ShellFlags flags;
    DeviceLabels device;
    // The configuration editor: its controls (shown by the program window) and its device
    // read and write.
    EditorModel editor;
    ConfigEditor configEditor;
    // Opening and saving configuration files through the editor.
    ConfigFiles files;
    // Kept by the caption routine for the About box.
    QString webAddress;
    QString manualFile;

    // Global state as the program starts: language Italian, the given brand, the start-up
    // identity (12/0), Celsius displays, no measurement.
    void resetToStartValues(int brandIndex);

    Prompter* prompter() const { return link.prompter(); }
};

} // namespace vantelso::app
