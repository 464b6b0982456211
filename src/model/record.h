#pragma once

#include "catalogue.h"
#include "identity.h"
#include "writeitem.h"

#include <QByteArray>
#include <QList>
#include <array>
#include <cstdint>
#include <optional>

// The configuration record kept in device memory: a 65-byte main block at addresses 0..64
// for every model and, on the math model, a 26-byte extension block at 128..153. Decoding
// turns the bytes into engineering values; encoding turns them back into the address/value
// pairs the block write sends, one "$W" per pair.
namespace vantelso {

inline constexpr int MainBlockFirst = 0;
inline constexpr int MainBlockSize = 65;
inline constexpr int ExtensionBlockFirst = 128;
inline constexpr int ExtensionBlockSize = 26;
inline constexpr int ChannelCount = 2; // channel 0 shown "A", 1 shown "B"

// Decoded settings of one channel.
struct ChannelSettings {
    std::uint8_t inputType = 0;  // InputTypes code
    std::uint8_t outputType = 0; // OutputTypes code
    std::uint8_t decimals = 0;   // power of ten of the stored input range values
    double inputEnd = 0;
    double inputStart = 0;
    double outputEnd = 0;
    double outputStart = 0;
    // Physical scaling of the math model.
    double physicalInputEnd = 0;
    double physicalInputStart = 0;
    double physicalOutputEnd = 0;
    double physicalOutputStart = 0;
    std::uint8_t operatorCode = 0;
    // Raw byte; OperatorDelaySeconds() gives the seconds shown.
    std::uint8_t operatorDelay = 0;
    // Output reference values the live measurement reads from the device; never part of
    // the configuration record.
    double outputRef800 = 0;
    double outputRef3500 = 0;

    bool operator==(const ChannelSettings&) const = default;
};

// Decoded trip (alarm) of one channel, thresholds in the Celsius form of the input unit.
struct TripConfig {
    // True when the record's trip-direction bit is 0 (the first `optTrip` element, "Max").
    bool direction = true;
    double high = 0;
    double low = 0;
    // Raw delay byte; TripDelayShown() converts it to the value the editor shows.
    int delay = 0;

    bool operator==(const TripConfig&) const = default;
};

// Codes exactly as read, kept even when no list entry matches them, so that an unexpected
// byte can be shown instead of silently disappearing.
struct RawCodes {
    std::array<std::uint8_t, ChannelCount> inputByte{}; // whole byte at address c
    std::array<std::uint8_t, ChannelCount> inputCode{}; // after the Res300K/Freq model rules
    std::array<std::uint8_t, ChannelCount> outputCode{};
    std::array<std::uint8_t, 2> overRangeCode{};
    std::uint8_t freqSensorCode = 0;
    std::uint8_t triggerCode = 0;
    std::uint16_t responseCode = 0;

    bool operator==(const RawCodes&) const = default;
};

struct ConfigRecord {
    std::array<ChannelSettings, ChannelCount> channels{};
    std::array<TripConfig, ChannelCount> trips{};

    std::array<std::uint8_t, ChannelCount> wires{};    // 0, 1, 2: `opt_Fili` element 3c+code
    std::array<bool, ChannelCount> internalCjc{};      // cold junction: false external
    std::array<bool, ChannelCount> burnoutDown{};      // sensor break drives the output down
    std::array<std::uint8_t, ChannelCount> function{}; // 0 linear, 1 tank, 2 square root
    std::array<double, ChannelCount> offset{};         // input units, steps of 0.1
    // Relay direction of the trip models: true selects `optRele` element 2c+1.
    std::array<bool, ChannelCount> relayDirection{};
    // OverRangeSteps codes of over-range lists 0 and 1.
    std::array<std::uint8_t, 2> overRange{};

    // Frequency model.
    std::uint8_t freqSensorType = 0; // FreqTypes code
    bool mains50Hz = false;
    int auxFrequency = 0;
    double triggerLevel = 0.122; // in the FreqTypes trigger unit

    bool doubler = false; // channel 1 repeats channel 0's input
    bool highSpeed = false;
    int filter = 0;
    double responseTime = 0.2; // seconds

    // Whether 16-bit values were read as two's complement (every model but the frequency one).
    bool signedValues = true;
    RawCodes raw;

    bool operator==(const ConfigRecord&) const = default;
};

// Model rules of the record.
bool UsesSignedValues(const DeviceIdentity& id);
bool IsFrequencyModel(const DeviceIdentity& id);
bool HasTrips(const DeviceIdentity& id);
// 1 for the single-trip model, 2 for the frequency model, 0 otherwise.
int TripChannelCount(const DeviceIdentity& id);
bool HasResponseTime(const DeviceIdentity& id);
bool HasExtensionBlock(const DeviceIdentity& id);
// The RSX7030 family (model bytes 0 and 1), the RSX7035 and the RSX5035 have one input: the
// channel B part of their record is unused (on the trip model it holds the trip) unless the
// doubler gives them a second output.
bool IsSingleChannel(const DeviceIdentity& id);
// Whether address 4 bit 5 is a doubler. On the lettered models (2 to 6) that bit is part of
// the model letter, whose four bases use both values of it; the frequency model has none.
bool HasDoubler(const DeviceIdentity& id);
// Whether a record's channel B is in use: always on two-channel models, through the doubler
// (its output side only) on the single-channel ones.
bool UsesChannelB(const DeviceIdentity& id, bool doublerOn);
// Wiring of a channel: record code 0, 1, 2 is a two-, four- or three-wire connection, in
// that order the editor's `opt_Fili` elements 3c..3c+2 and the file's three wire flags. 0 for
// the unused code 3.
int WireCount(int code);
// First address of a channel's range block (input end, input start, output end, start).
int RangeBase(int channel);

// Field conversions shared by decoding, encoding and the editor.
double TriggerLevelFromCode(int code);
// The code of a trigger level: the integer part of the steps with a small guard, so that a
// level shown with three decimals gives back the code it was read from (see the definition).
int TriggerCodeFromLevel(double level);
double ResponseTimeFromCode(int code, const DeviceIdentity& id);
int ResponseCodeFromTime(double seconds, const DeviceIdentity& id);
double TripDelayShown(int delayByte, const DeviceIdentity& id);
int TripDelayFromShown(double shown, const DeviceIdentity& id);
double OperatorDelaySeconds(int delayByte);
int OperatorDelayFromSeconds(double seconds);
// Decimals of the frequency model's range values, chosen so the range end fits 16 bits.
int FrequencyDecimals(double rangeEnd);

// Decodes a main block (65 bytes read from address 0) and, for the math model, the
// extension block (26 bytes from address 128; pass an empty array when it was not read).
// Fields the model does not use keep their value from previous; so do the input and output
// codes the model does not offer (Catalogue::OffersInput/OffersOutput) and the sensor and
// over-range codes with no list entry (the raw codes are kept in `raw`). On the models
// without a doubler (HasDoubler) the doubler is off. Returns nothing for blocks that are too short.
// The caller also runs Catalogue::UpdateAfterRead so that the "10 V" limit follows the model.
std::optional<ConfigRecord> DecodeRecord(const QByteArray& mainBlock,
                                         const QByteArray& extensionBlock, const DeviceIdentity& id,
                                         const Catalogue& catalogue,
                                         const ConfigRecord& previous = {});

// The address/value pairs a configuration write sends, in sending order: input bytes, function
// and option bytes, offsets and over-range, ranges, response, filter and frequency settings,
// the math model's floats, then the trips. originalBytes is the device's main block as read
// just before the write; bits of the option bytes this record does not own are kept from it.
// A single-channel model's channel B bytes are written only for the doubler's output.
QList<WriteItem> EncodeRecord(const ConfigRecord& record, const DeviceIdentity& id,
                              const Catalogue& catalogue, const QByteArray& originalBytes);

// Applies writes to memory images as the device would; either image may be null.
void ApplyWrites(const QList<WriteItem>& writes, QByteArray* mainBlock, QByteArray* extensionBlock);

} // namespace vantelso
