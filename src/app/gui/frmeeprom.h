#pragma once

#include "eepromtool.h"

#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vantelso::bench {
class BenchActivity;
}

namespace vantelso::gui {

// The factory's EEPROM tool "EEPROM": a whole memory bank read, edited, saved, reloaded,
// written and verified, and single values read or written. A thin layer over
// bench::EepromTool; its texts are the bench's fixed Italian ones.
class FrmEeprom : public QWidget {
    Q_OBJECT
public:
    explicit FrmEeprom(DeviceLink& link, QWidget* parent = nullptr);

    bench::EepromTool& tool() { return m_tool; }
    // The program's one-activity-at-a-time record: nothing starts here while a calibration,
    // a test or a measurement runs.
    void setActivity(bench::BenchActivity* activity);
    // How "Scrivi EEprom" writes the bank: the tool's own write unless the main window routes
    // it through the production records.
    std::function<bench::EepromOutcome(bench::EepromTool&)> writeDevice;

    QListWidget* List1 = nullptr;      // the image, "address TAB value"
    QListWidget* lst_errori = nullptr; // the last verification's differing addresses
    QPushButton* Command3 = nullptr;   // Leggi EEprom
    QPushButton* Command5 = nullptr;   // Scrivi EEprom
    QPushButton* Command2 = nullptr;   // Carica da file EEprom.dat
    QPushButton* Command6 = nullptr;   // Salva su file EEprom.dat
    QPushButton* Command7 = nullptr;   // Verifica
    QPushButton* Command1 = nullptr;   // Leggi (one value)
    QPushButton* Command4 = nullptr;   // Scrivi (one value)
    QLineEdit* txt_banco = nullptr;
    QLineEdit* txt_start = nullptr;
    QLineEdit* txt_valore = nullptr;
    QLineEdit* txt_valoreA = nullptr;       // L
    QLineEdit* txt_valoreB = nullptr;       // H
    QLineEdit* txt_valoreC = nullptr;       // Exp
    std::array<QRadioButton*, 3> Option2{}; // Byte, Int, Float
    std::array<QRadioButton*, 2> Option1{}; // entry of the value, or of its raw bytes
    QLabel* lbl_stato = nullptr;
    QProgressBar* progress = nullptr;

private:
    void readAll();
    void writeAll();
    void loadFile();
    void saveFile();
    void verify();
    void readValue();
    void writeValue();
    void editLine(QListWidgetItem* item);

    void fillList();
    bench::ValueFormat format() const;
    // The bank and address fields, checked; false (message shown) when they do not hold one.
    bool takeBank();
    std::optional<int> address();
    std::optional<bench::MemoryValue> typedValue();
    void showValue(const bench::MemoryValue& value);
    void showDifferences(const bench::EepromOutcome& outcome);
    // Shows the outcome: the status line always, a box where the operator must act.
    void report(const bench::EepromOutcome& outcome, const QString& doneText);
    void setStatus(const QString& text, bool problem);
    void setBusy(bool busy);

    bench::EepromTool m_tool;
    bench::BenchActivity* m_activity = nullptr;
    QList<QWidget*> m_commands;
};

} // namespace vantelso::gui
