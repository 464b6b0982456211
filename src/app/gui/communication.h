#pragma once

#include "portlist.h"
#include "reconnect.h"
#include "shellmenu.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace vantelso::gui {

class Lamp;

// The connection panel: port list and switch, activity lamp, progress bar, identification
// labels, the action and view buttons and a menu of its own. It only shows things; the main
// window wires its controls to the shell.
class Communication : public QWidget {
    Q_OBJECT
public:
    explicit Communication(QWidget* parent = nullptr);

    QComboBox* cmb_Porta = nullptr;
    QCheckBox* Check1 = nullptr;
    Lamp* Spia = nullptr;
    QProgressBar* bar = nullptr;
    QLabel* lbl_device = nullptr;   // "ID=12/0"
    QLabel* lbl_device_1 = nullptr; // display name of the model
    QToolButton* cmd_read = nullptr;
    QToolButton* cmd_write = nullptr;
    QToolButton* cmd_start = nullptr;
    std::array<QToolButton*, 3> cmd_modo{};
    QToolButton* cmd_Lang = nullptr;
    QLabel* lbl_status = nullptr;
    // Shown after the port went away: reopen it, or let the program do so by itself.
    QPushButton* cmd_reconnect = nullptr;
    QCheckBox* chk_autoreconnect = nullptr;
    ShellMenu menu;
    QMenuBar* menuBar() const { return m_menuBar; }

    void setPortEntries(const QList<app::PortEntry>& entries, int selected);
    void setProgress(int done, int total);
    void setStatus(const QString& text, bool problem);
    void setLanguageFlag(int langIndex);
    void showReconnect(app::ReconnectOffer offer);

private:
    QGroupBox* m_portFrame = nullptr;
    QMenuBar* m_menuBar = nullptr;
};

} // namespace vantelso::gui
