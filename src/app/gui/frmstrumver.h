#pragma once

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vantelso::bench {
class BenchActivity;
class VerificationStation;
} // namespace vantelso::bench

namespace vantelso::gui {

// The verification set-up window: the input type and range the calibrator applies, the
// output type the multimeter reads, the supply voltage, and the bench position the switch
// unit routes. A thin layer over VerificationStation, with the bench's fixed Italian texts.
class FrmStrumVer : public QWidget {
    Q_OBJECT
public:
    // `activity` (may be null): while another bench activity runs nothing starts here.
    explicit FrmStrumVer(bench::VerificationStation* station,
                         bench::BenchActivity* activity = nullptr, QWidget* parent = nullptr);

    QLabel* captionLabel() const { return m_caption; }
    QComboBox* modeList() const { return m_mode; }
    QComboBox* inputList() const { return m_input; }
    QComboBox* outputList() const { return m_output; }
    QComboBox* deviceList() const { return m_device; }
    QLineEdit* minField() const { return m_min; }
    QLineEdit* maxField() const { return m_max; }
    QLineEdit* halfField() const { return m_half; }
    QLineEdit* voltsField() const { return m_volts; }
    QCheckBox* supplyBox() const { return m_supplyOn; }
    QLabel* measureChannelLabel() const { return m_channelLabels[0]; }
    QLabel* outputChannelLabel() const { return m_channelLabels[1]; }
    // group 0 measure channel, 1 output channel; channel 0 first, 1 second.
    QRadioButton* channelButton(int group, int channel) const;
    QPushButton* setUpAndVerifyButton() const { return m_setUpAndVerify; }
    QPushButton* supplyButton() const { return m_setSupply; }
    QPushButton* meterButton() const { return m_setMeter; }
    QPushButton* switchButton() const { return m_setSwitch; }
    QPushButton* verifyButton() const { return m_verify; }
    QPushButton* stopButton() const { return m_stop; }

private:
    void refresh();
    void updateButtons();

    bench::VerificationStation* m_station;
    bench::BenchActivity* m_activity;
    QLabel* m_caption = nullptr;
    QComboBox* m_mode = nullptr;
    QComboBox* m_input = nullptr;
    QComboBox* m_output = nullptr;
    QComboBox* m_device = nullptr;
    QLineEdit* m_min = nullptr;
    QLineEdit* m_max = nullptr;
    QLineEdit* m_half = nullptr;
    QLineEdit* m_volts = nullptr;
    QCheckBox* m_supplyOn = nullptr;
    std::array<QLabel*, 2> m_channelLabels{};
    std::array<std::array<QRadioButton*, 2>, 2> m_channels{};
    QPushButton* m_setUpAndVerify = nullptr;
    QPushButton* m_setSupply = nullptr;
    QPushButton* m_setMeter = nullptr;
    QPushButton* m_setSwitch = nullptr;
    QPushButton* m_verify = nullptr;
    QPushButton* m_stop = nullptr;
};

} // namespace vantelso::gui
