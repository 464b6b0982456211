#include "appstate.h"

namespace vantelso::app {

AppState::AppState(Prompter* prompter, QObject* parent)
    : QObject(parent), texts(StringTable::builtIn(), this), link(prompter, this) {}

void AppState::resetToStartValues(int brandIndex) {
    flags = ShellFlags{};
    texts.setBrand(brandIndex);
    texts.setLanguage(Texts::Italian);
    link.identity = DeviceIdentity{};
    device = DeviceLabels{};
    lastRead.reset();
}

} // namespace vantelso::app
