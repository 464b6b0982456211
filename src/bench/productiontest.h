#pragma once

#include "benchresult.h"
#include "functiongenerator.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace vantelso {
class DeviceLink;
class Prompter;
struct DeviceIdentity;
} // namespace vantelso

namespace vantelso::bench {

// The pauses of the production test, in seconds. The defaults are what a real unit needs; a
// simulated one answers at once and may shorten them.
struct ProductionTestTimings {
    // Between two repetitions of the held output values.
    double holdRepeatPause = 0.1;
    // Multiplies the operator's settling and measuring times of the linearity test.
    double operatorTimeScale = 1.0;

    ProductionTestTimings scaled(double factor) const {
        ProductionTestTimings t = *this;
        t.holdRepeatPause *= factor;
        t.operatorTimeScale *= factor;
        return t;
    }
};

// What the linearity test steps through, as the operator typed it.
struct LinearitySettings {
    double start = 0;          // first generator frequency, Hz
    double end = 0;            // last frequency, Hz (included)
    double step = 0;           // frequency step, Hz
    double settleSeconds = 0;  // wait after each frequency change
    double measureSeconds = 0; // how long the unit is read at each frequency
    double tolerance = 0;      // largest accepted |reading - frequency|
};

// What the stability test compares each reading with.
struct StabilitySettings {
    double reference = 0;
    double tolerance = 0; // largest accepted |reading - reference|
};

// How a production test ended.
enum class TestEnd {
    Finished,        // the linearity test went through its whole range
    Stopped,         // Stop was pressed
    FrameCancelled,  // the unit stopped streaming and the operator cancelled
    DeviceFailed,    // the unit did not enter programming mode
    GeneratorFailed, // the function generator could not be reached
    BadSettings,     // a value that cannot run (told to the operator)
    Busy,            // another test, the live measurement or a device command is running
    NoReading,       // the unit's frame carries no channel-A input to compare (told)
};

// The production test bench for a connected unit, mainly one with a frequency input, without
// its window:
//  - stability: the unit streams its measurement and every reading further than the tolerance
//    from the reference is logged;
//  - linearity: the function generator steps through a frequency range and every point where
//    the unit's reading misses the generator frequency by more than the tolerance is logged;
//  - output hold: the unit's outputs are driven at fixed DAC counts until stopped;
//  - the function generator's set-up and its on, off and frequency buttons.
// The reading compared is the unit's channel-A input (the third measurement of the streamed
// frame), which for the frequency model is the frequency it counts. Only one test runs at a
// time; each keeps the user interface live and ends at its next pass after Stop.
class ProductionTest : public QObject {
    Q_OBJECT
public:
    // `measuringFlag` is the process-wide measurement flag (may be null): set while the
    // stability or linearity test streams, and no test starts while it is set by the live
    // measurement. The objects must outlive the test.
    ProductionTest(DeviceLink* link, FunctionGenerator* generator, Prompter* prompter,
                   bool* measuringFlag = nullptr, QObject* parent = nullptr);

    ProductionTestTimings timings;

    // The operator may change the fields while a test runs: the settings are asked for again
    // at every reading (stability) and every frequency point (linearity; its start only once).
    using StabilitySource = std::function<StabilitySettings()>;
    using LinearitySource = std::function<LinearitySettings()>;
    TestEnd RunStability(const StabilitySource& settings);
    TestEnd RunLinearity(const LinearitySource& settings);
    TestEnd RunStability(double reference, double tolerance);
    TestEnd RunLinearity(const LinearitySettings& settings);
    // Whether the unit's streamed frame carries channel A's input (bytes 8..10): only the
    // models whose frame has the measurement block do; the others would read 0.
    static bool FrameHasInputReading(const DeviceIdentity& identity);
    // A generator frequency as typed: a number above 0 ("." the decimal point), sent as
    // NumberText. nullopt (told) for anything else.
    std::optional<QString> TypedFrequency(const QString& text) const;
    // Ends the stability or the linearity test after the reading it waits for.
    void Stop();
    bool running() const { return m_running; }

    // Holds channel A at `countA` and/or channel B at `countB` until StopHold().
    enum class HoldChannels { A, B, Both };
    TestEnd HoldOutput(HoldChannels channels, int countA, int countB);
    void StopHold();
    bool holding() const { return m_holding; }
    // A DAC count as the operator typed it: the leading number, rounded. nullopt (with the
    // message shown) when it does not fit the unit's 16-bit value.
    std::optional<int> TypedCount(const QString& text) const;

    // Stops whatever runs (the program is closing).
    void StopAll();

    BenchStatus SetUpGenerator(FunctionGenerator::Waveform waveform, const QString& frequency);
    BenchStatus GeneratorOutput(bool on);
    BenchStatus GeneratorFrequency(const QString& frequency);

    // "##.###": up to three decimals, no zero before the point, the point always shown
    // ("12.", ".5", "-1.25", "1000.012").
    static QString FormatReading(double v);
    // The log line of a missed linearity point: "1000-->998.5".
    static QString MissLine(double frequency, double reading);
    // How many points a linearity range holds (0 when it holds none or cannot be stepped).
    static int PointCount(const LinearitySettings& settings);

Q_SIGNALS:
    // A reading taken (the linearity test shows it in its "Misura" field).
    void reading(double value);
    // An entry for the log of out-of-tolerance readings.
    void logged(const QString& line);
    // Linearity points done out of the total.
    void progress(int done, int total);
    // The connection panel's lamp: green while the link is open, red otherwise.
    void linkLamp(bool open);
    void runningChanged(bool running);
    void holdingChanged(bool holding);

private:
    bool canStart();
    bool canStream();
    // A refusal by the link (another command waits) ends the test as Busy.
    bool refused() const;
    bool checkLinearity(const LinearitySettings& s) const;
    bool checkStability(const StabilitySettings& s) const;
    void tell(const QString& text) const;
    // Reads one frame; nullopt when the operator cancelled after a time-out or the link
    // refused.
    std::optional<double> readUnit();
    TestEnd frameFailed() const;
    TestEnd finishStreaming(TestEnd end);
    void setRunning(bool on);

    DeviceLink* m_link;
    FunctionGenerator* m_generator;
    Prompter* m_prompter;
    bool m_ownFlag = false;
    bool* m_measuring;
    bool m_running = false;
    bool m_stop = false;
    bool m_holding = false;
};

} // namespace vantelso::bench
