#include "appstate.h"

namespace vantelso::app {

AppState::AppState(Prompter* prompter, QObject* parent)
    : QObject(parent), texts(StringTable::builtIn(), this), link(prompter, this),
      editor(catalogue, texts), configEditor(editor, link, catalogue, texts),
      files(editor, link.identity, texts, *prompter) {
    // A running measurement ends before the editor talks to the device.
    configEditor.setMeasurementStopper([this] {
        const bool was = flags.measuring;
        flags.measuring = false;
        return was;
    });
}

void AppState::resetToStartValues(int brandIndex) {
    flags = ShellFlags{};
    texts.setBrand(brandIndex);
    texts.setLanguage(Texts::Italian);
    link.identity = DeviceIdentity{};
    device = DeviceLabels{};
}

} // namespace vantelso::app
