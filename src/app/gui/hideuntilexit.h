#pragma once

#include <QWidget>
#include <functional>

namespace vantelso::gui {

// The program's windows live from start-up to exit and keep their state: closing one only
// hides it (or runs `hide`, when given) until the program is exiting.
void HideUntilExit(QWidget* window, std::function<bool()> exiting, std::function<void()> hide = {});

} // namespace vantelso::gui
