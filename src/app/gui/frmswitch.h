#pragma once

#include "switchguide.h"

#include <QWidget>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace vantelso::gui {

class DipBanks;
class Lamp;

// The switch guide window "Switch_Wizard": the device's DIP-switch banks as a picture and the
// selections they mean, both ways, with the demonstration wizard. A thin layer over
// switches::SwitchGuide, which it owns.
class FrmSwitch : public QWidget {
    Q_OBJECT
public:
    // `lastChannel` is read when a zero/span default is written.
    FrmSwitch(const Catalogue& catalogue, const Texts& texts, DeviceLink& link,
              std::function<int()> lastChannel, QWidget* parent = nullptr);

    switches::SwitchGuide& guide() { return m_guide; }
    // The banks a measurement or the editor's Read has just read, shown as if read here (not in
    // the wizard).
    void showMeasuredSwitches(const DeviceIdentity& identity, const QString& modelIdentifier,
                              switches::SwitchBytes bytes);

    DipBanks* dip = nullptr;
    std::array<QComboBox*, 2> cmb_SW_in{};
    std::array<QComboBox*, 2> cmb_sw_Out{};
    QListWidget* lst_zero = nullptr;
    QListWidget* lst_span = nullptr;
    QComboBox* cmb_divider = nullptr;
    std::array<QRadioButton*, 4> Opzione{};
    std::array<QGroupBox*, 2> frm_optionSw{};
    std::array<QRadioButton*, 2> opt_far{};
    QLabel* visualizza_limiti = nullptr;
    QPushButton* aiuto_switch = nullptr;
    QPushButton* close_aiuto_switch = nullptr;
    QPushButton* cmd_read = nullptr; // reads the identified device's switches again
    QComboBox* aiuto_modello = nullptr;
    QLabel* check = nullptr; // Label4(20)
    Lamp* checkLamp = nullptr;

private:
    void refresh();
    // Captions in the language of the texts; the original's English captions are the
    // English ones.
    void applyCaptions();
    void defaultEntry(switches::SwitchGuide::DefaultKind kind, int row);

    const Texts& m_texts;
    switches::SwitchGuide m_guide;
    std::function<int()> m_lastChannel;
    QWidget* m_inputFrame = nullptr;
    QWidget* m_outputFrame = nullptr;
    QWidget* m_zeroFrame = nullptr;
    QWidget* m_spanFrame = nullptr;
    QWidget* m_dividerFrame = nullptr;
    QWidget* m_unitFrame = nullptr;
    std::array<QLabel*, 2> m_inChannel{};
    std::array<QLabel*, 2> m_outChannel{};
    QWidget* m_pictureFrame = nullptr;
    bool m_refreshing = false;
};

} // namespace vantelso::gui
