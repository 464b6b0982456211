#pragma once

#include "appstate.h"
#include "csvlog.h"
#include "measurement.h"
#include "trendhistory.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantelso::gui {

class Lamp;
class TrendPlot;

// The measurement window: live input and output of each channel with their ranges, the trip
// settings, the range bar and markers, the status lamps, a trend plot and the CSV log switch.
// It binds its controls to the measurement core; Cmd_StartRead runs the whole measurement
// (returning when it ends) and Cmd_StopRead only clears the measurement flag.
class FrmMisura : public QWidget {
    Q_OBJECT
public:
    explicit FrmMisura(app::AppState& state, QWidget* parent = nullptr);
    ~FrmMisura() override;

    measure::Measurement& measurement() { return m_measurement; }
    bool running() const { return m_measurement.running(); }
    // Start, or Stop when running: the connection panel's start/stop button.
    void toggle();
    void startMeasure();
    void stopMeasure();
    // Captions in the language of the texts.
    void applyCaptions();

    QPushButton* Cmd_StartRead = nullptr;
    QPushButton* Cmd_StopRead = nullptr;
    QCheckBox* chk_log = nullptr;
    std::array<QLineEdit*, 2> txt_misura_in{};
    std::array<QLineEdit*, 2> txt_misura_out{};
    std::array<QLabel*, 2> lbl_progIn{};
    std::array<QLabel*, 2> lbl_progOut{};
    std::array<QLabel*, 12> lbl_progTrip{};
    std::array<Lamp*, 3> Led{};
    std::array<QLabel*, 2> lbl_Break_L{};
    std::array<QLabel*, 2> lbl_Break_H{};
    std::array<QWidget*, 2> bar{};
    TrendPlot* plot = nullptr;

Q_SIGNALS:
    // The panel's start button picture follows: true while measuring.
    void measuringChanged(bool measuring);

private:
    void onRanges(const measure::RangeLabels& labels);
    void onFrame(const measure::FrameReading& reading);
    void onEnded();
    void onLogToggled(bool on);
    void closeLog();

    app::AppState& m_state;
    measure::Measurement m_measurement;
    measure::TrendHistory m_history;
    measure::CsvLog m_log;
    QElapsedTimer m_clock;
    QTimer m_plotTimer;
    std::array<QGroupBox*, 2> m_channelBox{};
    QGroupBox* m_tripBox = nullptr;
    QLabel* m_statusCaption = nullptr;
    std::array<QLabel*, 2> m_inCaption{};
    std::array<QLabel*, 2> m_outCaption{};
};

} // namespace vantelso::gui
