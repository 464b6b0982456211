#pragma once

#include "calibrationrun.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vantelso::bench {
class BenchInstruments;
class LinearitySweep;
} // namespace vantelso::bench

namespace vantelso::gui {

// The calibration bench window: a thin layer over CalibrationRun. Texts are the bench's
// fixed Italian ones.
class FrmTara : public QWidget {
    Q_OBJECT
public:
    // `sweep` (may be null: no linearity aids) logs the linearity sweeps.
    FrmTara(bench::CalibrationRun* run, bench::BenchInstruments* instruments,
            bench::LinearitySweep* sweep = nullptr, QWidget* parent = nullptr);

    QRadioButton* modelButton(int index) const { return m_models[std::size_t(index)]; }
    QCheckBox* rangeBox(int index) const { return m_rows[std::size_t(index)].box; }
    QLineEdit* field(int index, int column) const; // 0 k1, 1 zero, 2 half, 3 span, 4 k2, 5 span2
    QLabel* statusLabel() const { return m_status; }
    QPushButton* startButton() const { return m_start; }
    QPushButton* stopButton() const { return m_stop; }
    QPushButton* meterSweepButton() const { return m_sweeps[0]; }
    QPushButton* twoChannelSweepButton() const { return m_sweeps[1]; }
    QLineEdit* sweepFolder() const { return m_sweepFolder; }
    QLabel* sweepStatus() const { return m_sweepStatus; }

Q_SIGNALS:
    // "Prog": the programming and verification station comes up.
    void programmingStationRequested();

private:
    struct Row {
        QCheckBox* box = nullptr;
        std::array<QLineEdit*, 6> fields{};
    };
    void refreshRange(int index);
    void refreshOptions();
    void refreshStatus();
    void refreshPtc();
    void start(bool resume);
    void startSweep(bool twoChannel);
    void updateButtons();

    bench::CalibrationRun* m_run;
    bench::BenchInstruments* m_instruments;
    std::array<QRadioButton*, 17> m_models{};
    std::array<Row, bench::kRangeCount> m_rows{};
    QCheckBox* m_supplyTest = nullptr;
    QCheckBox* m_loadDefault = nullptr;
    QCheckBox* m_switchTest = nullptr;
    QCheckBox* m_measureCheck = nullptr;
    QCheckBox* m_finalProgramming = nullptr;
    QCheckBox* m_manual = nullptr;
    std::array<QCheckBox*, 2> m_channels{};
    QLabel* m_status = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_resume = nullptr;
    QPushButton* m_stop = nullptr;
    bench::LinearitySweep* m_sweep = nullptr;
    std::array<QPushButton*, 2> m_sweeps{};
    QLineEdit* m_sweepFolder = nullptr;
    QLabel* m_sweepStatus = nullptr;
    std::array<QLineEdit*, 4> m_ptc{}; // Text2..Text5
};

} // namespace vantelso::gui
