#pragma once

#include "calibrationrun.h"

#include <QWidget>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QVBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vantelso::bench {
class BenchActivity;
class BenchInstruments;
class LinearitySweep;
} // namespace vantelso::bench

namespace vantelso::gui {

// The calibration bench window: a thin layer over CalibrationRun. Texts are the bench's
// fixed Italian ones.
class FrmTara : public QWidget {
    Q_OBJECT
public:
    // `sweep` (may be null: no linearity aids) logs the linearity sweeps. `activity` (may be
    // null) is the program's one-activity-at-a-time record: while anything runs the buttons
    // that would start another activity here are disabled.
    FrmTara(bench::CalibrationRun* run, bench::BenchInstruments* instruments,
            bench::LinearitySweep* sweep = nullptr, bench::BenchActivity* activity = nullptr,
            QWidget* parent = nullptr);

    // Brings the device link up on the port the "Dispositivo" selector names before a run:
    // opens it, or asks when another port is open. False when the run must not start. Not
    // set: the run uses the link as it is.
    std::function<bool(const QString& port)> useDevicePort;
    // The port "Dispositivo" names: "COM2" for "Com2" (and "Usb2": the number counts), a
    // typed path or entry as it is; empty for "Manuale" (the link is used as it is).
    QString devicePort() const;
    // Offers `entry` in the "Dispositivo" selector and chooses it (a simulated device).
    void addDevicePort(const QString& entry);
    QComboBox* selectorBox(const char* name) const;
    // Puts the unit-id field (the production records' one) at the top of the window.
    void addUnitField(QWidget* field);

    QRadioButton* modelButton(int index) const { return m_models[std::size_t(index)]; }
    QCheckBox* rangeBox(int index) const { return m_rows[std::size_t(index)].box; }
    QLineEdit* field(int index, int column) const; // 0 k1, 1 zero, 2 half, 3 span, 4 k2, 5 span2
    QLabel* statusLabel() const { return m_status; }
    QPushButton* startButton() const { return m_start; }
    QPushButton* stopButton() const { return m_stop; }
    QPushButton* resumeButton() const { return m_resume; }
    QPushButton* ptcButton(int channel) const { return m_ptcButtons[std::size_t(channel)]; }
    QPushButton* progButton() const { return m_prog; }
    QPushButton* meterSweepButton() const { return m_sweeps[0]; }
    QPushButton* twoChannelSweepButton() const { return m_sweeps[1]; }
    QLineEdit* sweepFolder() const { return m_sweepFolder; }
    QLabel* sweepStatus() const { return m_sweepStatus; }

Q_SIGNALS:
    // "Prog": the programming and verification station comes up.
    void programmingStationRequested();

private:
    QVBoxLayout* m_left = nullptr;
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
    bool busy() const;
    void updateButtons();
    void ptcManual(int channel);

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
    QPushButton* m_prog = nullptr;
    std::array<QPushButton*, 2> m_ptcButtons{};
    QComboBox* m_device = nullptr;
    bench::LinearitySweep* m_sweep = nullptr;
    bench::BenchActivity* m_activity = nullptr;
    std::array<QPushButton*, 2> m_sweeps{};
    QLineEdit* m_sweepFolder = nullptr;
    QLabel* m_sweepStatus = nullptr;
    std::array<QLineEdit*, 4> m_ptc{}; // Text2..Text5
};

} // namespace vantelso::gui
