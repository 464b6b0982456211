#pragma once

class QAction;
class QMenu;
class QMenuBar;

namespace vantelso::gui {

// The commands of the main window's menu and of the connection panel's own menu. Both carry
// the same items under the same object names; the captions come from the caption routine.
struct ShellMenu {
    enum class Kind { Principale, Panel };

    QAction* open = nullptr;
    QAction* save = nullptr;
    QAction* saveAs = nullptr;
    QAction* compare = nullptr; // the device against a file
    QAction* report = nullptr;  // the device's configuration report as PDF
    QAction* viewProgram = nullptr;
    QAction* viewMeasure = nullptr;
    QAction* viewSwitch = nullptr;
    QAction* commLog = nullptr;
    QAction* read = nullptr;
    QAction* write = nullptr;
    QAction* start = nullptr;
    QAction* stop = nullptr;
    QMenu* collaudo = nullptr;
    QAction* eeprom = nullptr;
    QAction* taratura = nullptr;
    QAction* test = nullptr;
    QAction* registro = nullptr; // the production records
    QAction* language = nullptr; // main window only
    QAction* about = nullptr;
    QAction* exit = nullptr;
};

// Fills `bar` with the menu of that kind. Commands whose windows are not part of the program
// yet are present but disabled.
ShellMenu BuildShellMenu(QMenuBar* bar, ShellMenu::Kind kind);

// Gives every item of the menus of `bar` a keyboard mnemonic (the letter in an open menu),
// and with `titles` the menu titles too (Alt+letter): the first letter of its caption not yet
// taken among its neighbours. Run after each caption change; captions that already carry one
// keep it.
void AddMnemonics(QMenuBar* bar, bool titles);

} // namespace vantelso::gui
