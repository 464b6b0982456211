#pragma once

#include "functiongenerator.h"
#include "productiontest.h"

#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vantelso::bench {
class BenchActivity;
}

namespace vantelso::gui {

// The production test window "Test": stability and linearity of a unit's reading, its
// outputs held at fixed counts, and the function generator's set-up and buttons. A thin
// layer over bench::ProductionTest; its texts are the bench's fixed Italian ones.
class FrmTest : public QWidget {
    Q_OBJECT
public:
    // `measuringFlag` is the program's measurement flag (may be null).
    FrmTest(DeviceLink* link, const bench::FunctionGenerator& generator, Prompter* prompter,
            bool* measuringFlag = nullptr, QWidget* parent = nullptr);

    bench::ProductionTest& test() { return m_test; }
    // The program's one-activity-at-a-time record: the test is reported there, and nothing
    // starts here while anything runs.
    void setActivity(bench::BenchActivity* activity);

    std::array<QLineEdit*, 3> Text1{};       // 0 stability reference, 1 output B, 2 output A
    QLineEdit* Text2 = nullptr;              // stability tolerance
    QLineEdit* Text3 = nullptr;              // linearity Start
    QLineEdit* Text4 = nullptr;              // Fine
    QLineEdit* Text5 = nullptr;              // Step
    QLineEdit* Text6 = nullptr;              // Delay step
    QLineEdit* Text9 = nullptr;              // Delay mis
    QLineEdit* Text7 = nullptr;              // Toll
    QLineEdit* Text8 = nullptr;              // Misura
    QLineEdit* Text10 = nullptr;             // generator frequency
    std::array<QRadioButton*, 3> opt_fgen{}; // TTL, Rimbalzo, Tacho
    QListWidget* List1 = nullptr;
    QPushButton* Command1 = nullptr;        // start STABILITA'
    QPushButton* Command3 = nullptr;        // Stop
    QPushButton* Command2 = nullptr;        // Clear
    QPushButton* Command4 = nullptr;        // start LINEARITA'
    QPushButton* Command7 = nullptr;        // chA
    QPushButton* Command10 = nullptr;       // chB
    QPushButton* Command11 = nullptr;       // a+b
    QPushButton* Command8 = nullptr;        // Stop (output hold)
    QPushButton* Command5 = nullptr;        // generator set-up
    std::array<QPushButton*, 3> Command6{}; // ON, OFF, >>
    QProgressBar* progress = nullptr;
    QLabel* lbl_stato = nullptr;
    QLabel* lbl_unitaMisura = nullptr; // unit of the stability reference and tolerance

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void runStability();
    void runLinearity();
    void hold(bench::ProductionTest::HoldChannels channels);
    void setUpGenerator();
    void report(bench::TestEnd end);
    void updateButtons();
    void refreshUnits();
    void showGenerator(bench::BenchStatus status, const QString& done);
    // False (told) when `field` does not hold a number.
    bool requireNumber(QLineEdit* field, const char* caption);

    bench::FunctionGenerator m_generator;
    bench::ProductionTest m_test;
    DeviceLink* m_link;
    Prompter* m_prompter;
    bench::BenchActivity* m_activity = nullptr;
    bool m_watchingMainWindow = false;
};

} // namespace vantelso::gui
