#pragma once

#include "catalogue.h"
#include "identity.h"
#include "record.h"

#include <QByteArray>
#include <QString>
#include <array>

// Turning one streamed measurement frame into what the measurement window shows: the output
// and input values with their units, the position of the input within its range, the range
// markers and the three status lamps. Pure functions of the frame and the channel set-up, so
// that the display, the CSV log and the command-line monitor all show the same figures.
namespace vantelso::measure {

// Packed red-green-blue colours (red in the low byte) of the lamps and markers.
namespace colour {
inline constexpr int Red = 255;
inline constexpr int Green = 65280;
inline constexpr int Yellow = 65535;
inline constexpr int Grey = 8421504;
} // namespace colour

// How a channel's input figure is obtained. The set-up of the channels stores it beside the
// channel's settings.
enum class InputKind {
    FromOutput, // computed back from the output through the configured ranges
    Direct,     // reported by the device (the math model)
    Percent,    // reported by the device as a fraction, shown in % (value x 10)
};

// One channel as the measurement uses it: the settings (with the output references read at
// the start), how its input is obtained and whether it is shown in Fahrenheit.
struct MeasureChannel {
    ChannelSettings settings;
    InputKind kind = InputKind::FromOutput;
    bool fahrenheit = false; // the editor shows this channel in °F
};

// The four measurement numbers V(0)..V(3) and the status byte T of a frame. F is the frame
// array of the link: F(0) the failure flag, F(1).. the bytes after "A"; missing bytes are 0.
struct FrameValues {
    std::array<double, 4> V{};
    int T = 0;
};
FrameValues DecodeFrame(const QByteArray& F, const DeviceIdentity& id);

// Output value of a raw reading through the channel's two references: 800 shows R800 on the
// models 0, 7, 8 and 9 of family 12, and R3500 on every other model (the references swap).
double OutputFromRaw(double raw, const ChannelSettings& ch, const DeviceIdentity& id);

// Lamp colours Led(0..2) from the status byte: bit 4 (5) yellow wins over bit 0 (1) red;
// bit 2 red; green otherwise.
std::array<int, 3> StatusLamps(int T);

// Where x lies in a range given in either order: the below/above markers and the bar's
// filled fraction (0..1). `valid` is false when the range is empty or x is not a number.
struct RangeBar {
    bool valid = false;
    int lowMarker = colour::Grey;
    int highMarker = colour::Grey;
    double fraction = 0;
};
RangeBar RangeBarFor(double x, double start, double end);

// "#0.000"-style texts: a fixed number of decimals, "." as the decimal mark, never "-0.000".
QString FixedDecimals(double v, int decimals);

// Decimals of the input display: the frequency model takes its range's decimals (0..4), the
// others the input type's, one more for "Res300K" on the thermistor model.
int InputDisplayDecimals(const ChannelSettings& ch, const DeviceIdentity& id,
                         const Catalogue& catalogue);

// One channel of a converted frame. A display step that cannot be computed (an empty output
// span, a non-finite value) is marked invalid and leaves the previous display as it was.
struct ChannelReading {
    bool outputValid = false;
    double output = 0;
    QString outputText; // the number, "#0.000"
    QString outputUnit;
    bool inputValid = false;
    double input = 0;  // in the unit shown (°F when the channel shows Fahrenheit)
    QString inputText; // the number in the input format
    QString inputUnit;
    RangeBar bar;
};

struct FrameReading {
    int channelCount = 1; // LastChannel + 1
    std::array<ChannelReading, 2> channels{};
    int status = 0;
    std::array<int, 3> lamps{};
};

// Converts frames for one measurement: everything that does not change from frame to frame
// (units, formats, reference direction) is worked out once.
class FrameConverter {
public:
    FrameConverter() = default;
    FrameConverter(const Catalogue& catalogue, const DeviceIdentity& id,
                   const std::array<MeasureChannel, 2>& channels, int lastChannel);

    FrameReading convert(const QByteArray& F) const;
    int channelCount() const { return m_lastChannel + 1; }
    const QString& inputUnit(int c) const { return m_inputUnit[std::size_t(c)]; }
    const QString& outputUnit(int c) const { return m_outputUnit[std::size_t(c)]; }
    // The configured input range in the unit shown, smaller end first.
    double inputLow(int c) const { return m_inputLow[std::size_t(c)]; }
    double inputHigh(int c) const { return m_inputHigh[std::size_t(c)]; }

private:
    DeviceIdentity m_id;
    int m_lastChannel = 0;
    std::array<MeasureChannel, 2> m_channels{};
    std::array<QString, 2> m_inputUnit;
    std::array<QString, 2> m_outputUnit;
    std::array<int, 2> m_inputDecimals{};
    std::array<bool, 2> m_thousandths{};
    std::array<bool, 2> m_toFahrenheit{};
    std::array<double, 2> m_inputLow{};
    std::array<double, 2> m_inputHigh{};
};

// Output unit of a channel: the readout table on the models 4 and 5 of family 12, the
// output table otherwise.
QString OutputUnit(const Catalogue& catalogue, const DeviceIdentity& id, int outputType);

} // namespace vantelso::measure
