#pragma once

#include "calplan.h"
#include "singlemodeltool.h"
#include "writeitem.h"

#include <QObject>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

namespace vantelso {
class DeviceLink;
class Prompter;
} // namespace vantelso

namespace vantelso::bench {

class BenchInstruments;
struct BenchTimings;

// Background of a result field: yellow while its range runs, green passed, red failed,
// white cleared.
enum class FieldColour { White, Yellow, Green, Red };

struct ResultField {
    QString text;
    FieldColour colour = FieldColour::White;
};

// What the calibration window shows for one range index.
struct RangeResult {
    bool ticked = false;
    FieldColour box = FieldColour::White; // the range's check box
    ResultField k1, zero, half, span, k2, span2;
    bool allGreen() const {
        return k1.colour == FieldColour::Green && zero.colour == FieldColour::Green &&
               half.colour == FieldColour::Green && span.colour == FieldColour::Green;
    }
    bool failed() const;
};

struct CalOptions {
    bool supplyTest = true;   // "Prova Cons."
    bool loadDefault = false; // "Carica Default"
    bool switchTest = true;   // "Controllo switch"
    bool switchTestEnabled = true;
    bool measureCheck = true;     // "Controllo misure"
    bool finalProgramming = true; // "Progr. finale"
    bool manual = false;          // "Manuale"
    std::array<bool, 2> channels{false, false};
};

// How a run ended.
struct RunOutcome {
    bool error = false;           // the error ending was taken
    QString message;              // why, for the error ending
    bool finalProgrammed = false; // addresses 0..27 written and read back equal
    bool stopped = false;         // STOP or Abort led to the normal ending early
    QString unit;                 // the unit identifier the operator gave (may be empty)
};

// The calibration bench without its window: the model choice, the options and ranges, the
// result fields, and the run that powers the device, checks it and calibrates each ticked
// range against the bench instruments. Every wait pumps events, so STOP (which only sets
// StopRequested) is honoured after the current step.
class CalibrationRun : public QObject {
    Q_OBJECT
public:
    CalibrationRun(DeviceLink* link, BenchInstruments* instruments, Prompter* prompter,
                   QObject* parent = nullptr);

    // --- window state ---
    QString TaraModel;
    CalOptions options;
    std::array<RangeResult, kRangeCount> ranges;
    bool StopRequested = false;
    bool ResumeRun = false;
    int SettleSeconds = 4;
    std::array<int, 3> ExpectedCurrent{0, 0, 0};
    OutputRange outputRange;
    std::array<double, 2> outputLo{4, 4}; // output constants read back per channel
    std::array<double, 2> outputHi{20, 20};
    QString status;
    FieldColour statusColour = FieldColour::White;
    // Manual PTC calibration: the readings at 2000 and 1000 ohm, and K3, 10·K2 shown.
    QString ptcX = QStringLiteral("15225");
    QString ptcY = QStringLiteral("10324");
    QString ptcK3;
    QString ptcK2;
    // Folder of the model default images (model + ".dat").
    QString dataFolder = QStringLiteral(".");
    SingleModelTool positions;
    // The unit under calibration as the operator identified it (carried into the outcome).
    QString unitId;
    // Opens the device port when the run finds it closed (the window owns it); returns an
    // error text, empty on success.
    std::function<QString()> openDevicePort;
    // Starts the configuration editor's write (the two-position model's hand-over).
    std::function<void()> startEditorWrite;
    // One line per finished step: "90 mV A: k=56.52 0.000 45.001 90.000 OK".
    QStringList report;

    // Model choice: options, channels, ranges and expected currents of row `index`.
    void SelectModel(int index);
    void setRangeTicked(int index, bool ticked);

    // START ("Riprendi" sets ResumeRun first).
    RunOutcome RunCalibration();
    // One range; false on a communication failure (the run then takes its error ending).
    bool CalibrateInputRange(const CalStep& step);
    bool CalibrateOutput(const CalStep& step);
    // "Tara Canale A/B": K1, K2, K3 from ptcX/ptcY, written at 65 (A) or 44 (B). Readings
    // that give no divider are refused with a message and nothing is written; false then.
    bool PtcManual(int channel);
    // The supply buttons.
    void SupplyOn();
    void SupplyOff();
    // True while RunCalibration is running.
    bool running() const { return m_running; }

Q_SIGNALS:
    void rangeChanged(int index);
    void statusChanged();
    void ptcChanged();
    void optionsChanged();
    void runningChanged(bool running);
    // The two-position model's wired position moved (START, hand-over).
    void positionsChanged();
    // A step finished; its report line.
    void stepFinished(const QString& line);

private:
    enum class Flow { Continue, Normal, Error };
    // How a step that may refuse its constant ended.
    enum class StepEnd { Failed, NotWritten, Written };

    const BenchTimings& timings() const;
    void settle(double units);
    void setField(int index, ResultField RangeResult::*field, const QString& text,
                  FieldColour colour);
    void setFieldColour(int index, ResultField RangeResult::*field, FieldColour colour);
    void setBox(int index, FieldColour colour);
    void setStatus(const QString& text, FieldColour colour);
    void finishStep(const CalStep& step, const QString& note = {});

    // The last link command went out and did its work: not failed, not refused because
    // another command was waiting.
    bool linkOk() const;
    bool writeBlock(const WriteQueue& items);
    std::optional<double> readDevice(const CalStep& step, bool rawCount);
    bool routeAndSelect(const InputRoute& route);
    bool writeInputType(const CalStep& step);
    void refuseConstant(const CalStep& step, const QString& k1, const QString& note = {});
    bool calibrateCjc(const CalStep& step, const InputRoute& route);
    StepEnd calibratePtc(const CalStep& step);
    bool checkInput(const CalStep& step, const InputRoute& route);
    std::optional<double> driveAndRead(const CalStep& step, int count);
    std::optional<QList<double>> driveSession(const CalStep& step, const QList<int>& counts,
                                              const std::function<void(int, double)>& shown);
    bool writePtc(int base, const PtcConstants& c);
    void showPtc(const std::optional<PtcConstants>& c);

    Flow prepare(QString* message);
    Flow supplyCurrentTest(QString* message);
    Flow switchTest(QString* message);
    Flow runChannel(int channel, QString* message);
    bool readImageFile(QList<int>* values, QString* message) const;
    bool finalProgramming(QString* message);
    void errorEnding(const QString& message);
    void commonEnding(bool calibrated);

    DeviceLink* m_link;
    BenchInstruments* m_instruments;
    Prompter* m_prompter;
    bool m_running = false;
};

} // namespace vantelso::bench
