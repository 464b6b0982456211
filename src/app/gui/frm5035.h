#pragma once

#include <QWidget>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace vantelso::bench {
class CalibrationRun;
}

namespace vantelso::gui {

// The two-position model's tool: which of the two device positions sharing the
// thermocouple connection are calibrated, and which are programmed after calibration. The
// flags live in the calibration run, which reads them at START and moves the wired position
// at the end. Texts are the bench's fixed Italian ones.
class Frm5035 : public QWidget {
    Q_OBJECT
public:
    explicit Frm5035(bench::CalibrationRun* run, QWidget* parent = nullptr);

    // frame 0 "Taratura", 1 "Programmazione dopo taratura"; position 1 or 2.
    QPushButton* enableButton(int frame, int position) const;
    QPushButton* disableButton(int frame, int position) const;
    QCheckBox* flagBox(int frame, int position) const;
    // The position indicators: green for the wired position.
    QLabel* positionLabel(int position) const;
    QPushButton* programmingMenuButton() const { return m_menuButton; }

Q_SIGNALS:
    // "Imposta Menù  Programmazione": the configuration editor comes up for programming.
    void programmingMenuRequested();

private:
    struct Row {
        QCheckBox* box = nullptr;
        QPushButton* enable = nullptr;
        QPushButton* disable = nullptr;
    };
    void setFlag(int frame, int position, bool on);
    void refresh();

    bench::CalibrationRun* m_run;
    std::array<std::array<Row, 2>, 2> m_rows{}; // [frame][position − 1]
    std::array<QGroupBox*, 2> m_frames{};
    std::array<QLabel*, 2> m_positions{};
    QPushButton* m_menuButton = nullptr;
};

} // namespace vantelso::gui
