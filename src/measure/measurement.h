#pragma once

#include "channelsetup.h"
#include "frameconverter.h"
#include "record.h"

#include <QObject>
#include <QString>
#include <array>

namespace vantelso {

class Catalogue;
class DeviceLink;
class EditorModel;
class Texts;

namespace measure {

// What a measurement needs from the rest of the program when it starts: the configuration
// last read (ranges, trips, functions of the models not configured by switches), which
// channels show Fahrenheit, and the last channel index of the per-channel loops.
struct MeasureSetup {
    ConfigRecord record;
    std::array<bool, 2> fahrenheit{};
    int LastChannel = 1;
};

// One-input models with a second output: the RSX7030 (outputs 1 and 2), and the other
// one-input models while the doubler is on.
bool HasSecondOutput(const DeviceIdentity& id, bool doubler);

// The setup of the configuration the editor shows: its last read record and Fahrenheit
// choices. One-input models without a second output (and the frequency model, whose record's
// channel B holds its second trip) measure channel A only; the others up to lastChannel.
MeasureSetup SetupFromEditor(const EditorModel& editor, int lastChannel);

// The captions the start fills once: the configured ranges and the trip settings.
struct RangeLabels {
    int channelCount = 1;
    std::array<QString, 2> progIn;  // "0 ÷ 1000 °C"
    std::array<QString, 2> progOut; // "4 ÷ 20 mA - SQRT"
    // Six labels per trip: "H = ", "L = ", "MAX"/"MIN", "Delay = ", "Namur Fault", unused.
    std::array<QString, 12> progTrip;
    std::array<bool, 12> tripVisible{};
};

// Why a measurement ended.
enum class MeasureEnd {
    Stopped,          // the flag was cleared: "SM" was sent
    FrameCancelled,   // a frame failed and the user cancelled: nothing sent
    IdentifyFailed,   // "$V" failed or was cancelled: nothing sent
    SwitchReadFailed, // "$D" failed: "SM" sent
    ReferenceFailed,  // the output references could not be read
    Busy,             // another device command was waiting; nothing was sent
};

// The live measurement: one long procedure on the caller's thread. Start() identifies the
// device, reads its switches, completes the channel settings, reads the output references
// and then converts one streamed frame per pass until the measurement flag is cleared (Stop,
// or anybody holding the flag) or a frame is cancelled. It waits only inside the link, which
// keeps events running, so Stop() and the rest of the program stay live meanwhile.
class Measurement : public QObject {
    Q_OBJECT
public:
    // `measuringFlag` is the process-wide measurement flag (may be null: the object keeps its
    // own). The other objects must outlive the measurement.
    Measurement(DeviceLink& link, const Catalogue& catalogue, const Texts& texts,
                bool* measuringFlag = nullptr, QObject* parent = nullptr);

    // Runs the whole procedure; returns when the measurement has ended. Ignored (returns
    // Busy) while a measurement runs.
    MeasureEnd Start(const MeasureSetup& setup);
    // Clears the measurement flag; the loop ends after the frame it is waiting for.
    void Stop();

    bool running() const { return *m_flag; }
    bool streaming() const { return m_streaming; }
    const SwitchState& switches() const { return m_switches; }
    const std::array<MeasureChannel, 2>& channels() const { return m_channels; }
    const FrameConverter& converter() const { return m_converter; }
    const RangeLabels& labels() const { return m_labels; }
    std::uint64_t framesShown() const { return m_frames; }

    // The range and trip captions for the channels as set up (exposed for tests and the CLI).
    static RangeLabels BuildLabels(const Catalogue& catalogue, const DeviceIdentity& id,
                                   const std::array<MeasureChannel, 2>& channels,
                                   const ConfigRecord& record, int lastChannel);

Q_SIGNALS:
    void started();
    // The switch banks read at the start ("$D"), for the switch guide to show.
    void switchesRead(const vantelso::switches::SwitchBytes& bytes);
    // The channels are set up and streaming begins: ranges and trip captions to show.
    void rangesReady(const vantelso::measure::RangeLabels& labels);
    // One frame converted (emitted for every frame).
    void frameShown(const vantelso::measure::FrameReading& reading);
    // The connection panel's activity lamp (packed colour), blinking once per frame.
    void activityLamp(int colour);
    void ended(vantelso::measure::MeasureEnd why);

private:
    MeasureEnd run(const MeasureSetup& setup);
    MeasureEnd finish(MeasureEnd why);

    DeviceLink& m_link;
    const Catalogue& m_catalogue;
    const Texts& m_texts;
    bool m_ownFlag = false;
    bool* m_flag;
    bool m_streaming = false;
    bool m_inProcedure = false;
    int m_lamp = colour::Green;
    std::uint64_t m_frames = 0;
    SwitchState m_switches;
    std::array<MeasureChannel, 2> m_channels{};
    FrameConverter m_converter;
    RangeLabels m_labels;
};

} // namespace measure
} // namespace vantelso

Q_DECLARE_METATYPE(vantelso::measure::FrameReading)
Q_DECLARE_METATYPE(vantelso::measure::RangeLabels)
Q_DECLARE_METATYPE(vantelso::measure::MeasureEnd)
Q_DECLARE_METATYPE(vantelso::switches::SwitchBytes)
