#pragma once

#include <QDialog>
#include <array>
#include <functional>

class QRadioButton;

namespace vantelso::gui {

// The language dialog: Italian (0) or English (1), each with its flag. Choosing one reports
// it and hides the dialog; closing only hides it until the program exits.
class FrmLang : public QDialog {
    Q_OBJECT
public:
    explicit FrmLang(std::function<bool()> exiting, QWidget* parent = nullptr);

    std::array<QRadioButton*, 2> opt_lang{};
    // Ticks the option of the current language without reporting a choice.
    void showLanguage(int langIndex);

Q_SIGNALS:
    void languageChosen(int langIndex);
};

} // namespace vantelso::gui
