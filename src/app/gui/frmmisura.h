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
    // Empties the values, bars, markers and lamps: nothing of a previous measurement (or of
    // a previous device) stays on show.
    void clearValues();
    // The values on show are another device's when `model` is not the one measured: cleared.
    void deviceIdentified(const QString& model);

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
    // "Stopped" / "Measuring" / the stale-values note, and the CSV file with its lines.
    QLabel* lbl_state = nullptr;
    QLabel* lbl_log = nullptr;

protected:
    // Shown again with a log still open: the user decides whether it goes on growing.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

Q_SIGNALS:
    // The panel's start button picture follows: true while measuring.
    void measuringChanged(bool measuring);

private:
    void onRanges(const measure::RangeLabels& labels);
    void onFrame(const measure::FrameReading& reading);
    void onEnded(measure::MeasureEnd why);
    void showState();
    void showLogState();
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
    // The values on show are from a measurement that ended abnormally.
    bool m_stale = false;
    QString m_measuredModel;
    bool m_askedToGoOn = true;
};

} // namespace vantelso::gui
