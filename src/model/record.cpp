#include "record.h"

#include "codecs.h"

#include <algorithm>
#include <cmath>

namespace vantelso {

namespace {

// Main block addresses.
constexpr int kSensorByte = 0; // frequency model: sensor type and 50 Hz filter
constexpr int kTripDelayByte = 8;
constexpr int kOverRangeByte = 9;
constexpr int kSingleTripBase = 10;
constexpr int kDualTripBase = 28;
constexpr int kResponseLow = 28;
constexpr int kFilterLow = 53;
constexpr int kAuxFrequencyByte = 63;
constexpr int kTriggerByte = 64;

// Extension block (math model): physical values as record floats.
constexpr int kPhysicalInputEnd[ChannelCount] = {128, 134};
constexpr int kPhysicalInputStart[ChannelCount] = {131, 137};
constexpr int kPhysicalOutputEnd[ChannelCount] = {140, 147};
constexpr int kPhysicalOutputStart[ChannelCount] = {143, 150};
constexpr int kOperatorDelayByte = 146;

// Bits of the per-channel bytes.
constexpr int kFunctionMask = 0x07;
constexpr int kOperatorMask = 0x78;
constexpr int kRelayBit = 0x40;
constexpr int kBurnoutBit = 0x80;
constexpr int kOutputMask = 0x03;
constexpr int kWiresMask = 0x0C; // also the frequency model's decimals
constexpr int kCjcBit = 0x10;
constexpr int kDoublerBit = 0x20;
constexpr int kTripDirectionBit = 0x40;
constexpr int kHighSpeedBit = 0x80;
constexpr int kSensorMask = 0x07;
constexpr int kMains50HzBit = 0x08;

constexpr double kTriggerStep = 0.0278;
constexpr double kTriggerZero = 0.122;
constexpr double kResponseStep = 0.058;
constexpr double kResponseZero = 0.2;

int functionByte(int channel) {
    return 2 * channel + 3;
}
int optionByte(int channel) {
    return 2 * channel + 4;
}
int offsetByte(int channel) {
    return channel + 7;
}

double pow10(int d) {
    return std::pow(10.0, d);
}

// The thermistor model has no row for the 300 kΩ range: it stores it under the Pt 100 code,
// with the range end one decade finer.
bool isRes300KAlias(const DeviceIdentity& id) {
    return id.DeviceCode == 12 && id.ModelByte == 6;
}

int tripBase(const DeviceIdentity& id, int channel) {
    return (id.ModelByte == 0 ? kSingleTripBase : kDualTripBase) + 6 * channel;
}

// Thresholds of the voltage and current inputs on the single-trip model are stored in the
// scaled integers of the range, not in volts or milliamperes.
double tripScale(const DeviceIdentity& id, int inputCode, const Catalogue& catalogue) {
    if (id.ModelByte == 0 &&
        (inputCode == input_code::Volt10 || inputCode == input_code::Milliamp20))
        return pow10(catalogue.Input(inputCode).Decimals);
    return 1.0;
}

double readFloat(const QByteArray& block, int offset) {
    const auto b = [&](int i) { return std::uint8_t(block[offset + i]); };
    // All-zero bytes are the float codec's 2^-127, which stands for 0.
    if (b(0) == 0 && b(1) == 0 && b(2) == 0)
        return 0.0;
    return codecs::FloatFromBytes(b(1), b(0), b(2));
}

// Rounds to the nearest integer without leaving the range a record field can hold anyway:
// llround of an infinite, NaN or huge value is undefined, so those become 0 or the limit.
long long RoundClamped(double v) {
    if (std::isnan(v))
        return 0;
    constexpr double kLimit = 1e15;
    return std::llround(std::clamp(v, -kLimit, kLimit));
}

class Queue {
public:
    void put(int address, int value) { items_.append({quint8(address), quint8(value & 0xFF)}); }
    void put16(int lowAddress, long long value) {
        const int v = int(std::clamp<long long>(value, -32768, 65535));
        const codecs::HighLow hl = codecs::Split16(v);
        put(lowAddress, hl.low);
        put(lowAddress + 1, hl.high);
    }
    // Stored as M, H, E at increasing addresses.
    void putFloat(int address, double value) {
        const auto ehm = codecs::FloatToBytes(value);
        put(address, ehm[2]);
        put(address + 1, ehm[1]);
        put(address + 2, ehm[0]);
    }
    QList<WriteItem> take() { return std::move(items_); }

private:
    QList<WriteItem> items_;
};

long long roundScaled(double value, double scale) {
    return RoundClamped(value * scale);
}

int clampByte(long long v) {
    return int(std::clamp<long long>(v, 0, 255));
}

} // namespace

bool UsesSignedValues(const DeviceIdentity& id) {
    return id.ModelByte != 7;
}

bool IsFrequencyModel(const DeviceIdentity& id) {
    return id.DeviceCode == 12 && id.ModelByte == 7;
}

bool HasTrips(const DeviceIdentity& id) {
    return id.DeviceCode == 12 && (id.ModelByte == 0 || id.ModelByte == 7);
}

int TripChannelCount(const DeviceIdentity& id) {
    if (!HasTrips(id))
        return 0;
    return id.ModelByte == 0 ? 1 : 2;
}

bool HasResponseTime(const DeviceIdentity& id) {
    return id.DeviceCode == 12 &&
           (id.ModelByte == 8 || id.ModelByte == 9 || (id.ModelByte == 0 && id.IdByte3 >= 4));
}

bool HasExtensionBlock(const DeviceIdentity& id) {
    return id.DeviceCode == 12 && id.ModelByte == 5;
}

bool IsSingleChannel(const DeviceIdentity& id) {
    const int m = id.ModelByte;
    return m == 0 || m == 1 || m == 8 || m == 9;
}

bool HasDoubler(const DeviceIdentity& id) {
    return !ModelNeedsVariantByte(id.ModelByte) && id.ModelByte != 7;
}

bool UsesChannelB(const DeviceIdentity& id, bool doublerOn) {
    return !IsSingleChannel(id) || (HasDoubler(id) && doublerOn);
}

int WireCount(int code) {
    switch (code) {
    case 0:
        return 2;
    case 1:
        return 4;
    case 2:
        return 3;
    default:
        return 0;
    }
}

int RangeBase(int channel) {
    return channel == 0 ? 20 : 12;
}

double TriggerLevelFromCode(int code) {
    return code * kTriggerStep + kTriggerZero;
}

int TriggerCodeFromLevel(double level) {
    // Deliberately not the bare integer part of (level - 0.122) / 0.0278: the editor shows
    // three decimals, so the 0.65 shown for code 19 gives 18.99 steps. A margin of 0.02 steps
    // (more than the 0.018 that rounding to three decimals can cost, far less than a step)
    // makes every code read, shown and typed back the same code; a level between two codes
    // still takes the lower one.
    const double steps = (level - kTriggerZero) / kTriggerStep;
    if (std::isnan(steps))
        return 0;
    return int(std::clamp(std::floor(steps + 0.02), 0.0, 255.0));
}

// Models 8 and 9 count the response code in double steps.
static double responseStep(const DeviceIdentity& id) {
    return (id.ModelByte == 8 || id.ModelByte == 9) ? 2 * kResponseStep : kResponseStep;
}

double ResponseTimeFromCode(int code, const DeviceIdentity& id) {
    return code * responseStep(id) + kResponseZero;
}

int ResponseCodeFromTime(double seconds, const DeviceIdentity& id) {
    const double steps = std::max(0.0, seconds - kResponseZero) / responseStep(id);
    return int(std::clamp<long long>(RoundClamped(steps), 0, 65535));
}

double TripDelayShown(int delayByte, const DeviceIdentity& id) {
    if (id.ModelByte == 0)
        return std::round(delayByte / 0.75) / 10.0;
    return delayByte;
}

int TripDelayFromShown(double shown, const DeviceIdentity& id) {
    if (id.ModelByte == 0)
        return clampByte(RoundClamped(shown * 10.0 * 0.75));
    return clampByte(RoundClamped(shown));
}

double OperatorDelaySeconds(int delayByte) {
    return std::round(delayByte * 0.75) / 10.0;
}

int OperatorDelayFromSeconds(double seconds) {
    return clampByte(RoundClamped(seconds * 10.0 / 0.75));
}

int FrequencyDecimals(double rangeEnd) {
    int d = 0;
    for (double limit : {6500.0, 650.0, 65.0, 6.5, 0.65}) {
        if (rangeEnd <= limit)
            ++d;
    }
    // Two bits hold the decimals; three already carry ranges up to 65.535 Hz.
    return std::min(d, 3);
}

std::optional<ConfigRecord> DecodeRecord(const QByteArray& mainBlock,
                                         const QByteArray& extensionBlock, const DeviceIdentity& id,
                                         const Catalogue& catalogue, const ConfigRecord& previous) {
    if (mainBlock.size() < MainBlockSize)
        return std::nullopt;
    if (!extensionBlock.isEmpty() && extensionBlock.size() < ExtensionBlockSize)
        return std::nullopt;

    const auto B = [&](int address) { return int(std::uint8_t(mainBlock[address])); };
    const bool sign = UsesSignedValues(id);
    const bool freqModel = IsFrequencyModel(id);
    const TypeLists lists = catalogue.FillTypeLists(id);

    ConfigRecord rec = previous;
    rec.signedValues = sign;

    for (int c = 0; c < ChannelCount; ++c) {
        ChannelSettings& ch = rec.channels[std::size_t(c)];
        const auto uc = std::size_t(c);

        int t = B(c) & 31;
        if (isRes300KAlias(id) && t == input_code::PT100)
            t = input_code::Res300K;
        if (freqModel)
            t = input_code::Freq;
        rec.raw.inputByte[uc] = std::uint8_t(B(c));
        rec.raw.inputCode[uc] = std::uint8_t(t);
        // A code the model does not offer leaves the previous type, as it leaves the lists.
        if (catalogue.OffersInput(t, id))
            ch.inputType = std::uint8_t(t);

        const int k = B(optionByte(c)) & kOutputMask;
        rec.raw.outputCode[uc] = std::uint8_t(k);
        if (catalogue.OffersOutput(k, id))
            ch.outputType = std::uint8_t(k);

        const int d = id.ModelByte == 7 ? (B(4) & kWiresMask) / 4 : catalogue.Input(t).Decimals;
        ch.decimals = std::uint8_t(d);

        const int base = RangeBase(c);
        ch.inputEnd = codecs::Make16(B(base + 1), B(base), sign) / pow10(d);
        if (isRes300KAlias(id) && t == input_code::Res300K)
            ch.inputEnd /= 10.0;
        ch.inputStart = codecs::Make16(B(base + 3), B(base + 2), sign) / pow10(d);
        ch.outputEnd = codecs::Make16(B(base + 5), B(base + 4), sign) / 1000.0;
        ch.outputStart = codecs::Make16(B(base + 7), B(base + 6), sign) / 1000.0;

        const int fb = B(functionByte(c));
        rec.burnoutDown[uc] = (fb & kBurnoutBit) != 0;
        rec.function[uc] = std::uint8_t(fb & kFunctionMask);
        ch.operatorCode = std::uint8_t((fb & kOperatorMask) / 8);

        const int ob = B(optionByte(c));
        if (!freqModel) {
            rec.wires[uc] = std::uint8_t((ob & kWiresMask) / 4);
            rec.internalCjc[uc] = (ob & kCjcBit) != 0;
        } else {
            const int sensor = B(kSensorByte) & kSensorMask;
            rec.raw.freqSensorCode = std::uint8_t(sensor);
            if (lists.freq.contains(catalogue.Freq(sensor).name))
                rec.freqSensorType = std::uint8_t(sensor);
            rec.mains50Hz = (B(kSensorByte) & kMains50HzBit) != 0;
        }

        const int overRange[2] = {B(kOverRangeByte) & 3, (B(kOverRangeByte) & 12) / 4};
        for (std::size_t i = 0; i < 2; ++i) {
            rec.raw.overRangeCode[i] = std::uint8_t(overRange[i]);
            if (lists.overRange.contains(catalogue.OverRange(overRange[i]).name))
                rec.overRange[i] = std::uint8_t(overRange[i]);
        }

        if (id.ModelByte != 7)
            rec.highSpeed = (B(4) & kHighSpeedBit) != 0;
        rec.doubler = HasDoubler(id) && (B(4) & kDoublerBit) != 0;

        rec.filter = codecs::Make16(B(kFilterLow + 1), B(kFilterLow), sign);
        rec.auxFrequency = B(kAuxFrequencyByte);
        rec.raw.triggerCode = std::uint8_t(B(kTriggerByte));
        rec.triggerLevel = TriggerLevelFromCode(B(kTriggerByte));

        rec.offset[uc] = std::int8_t(B(offsetByte(c))) / 10.0;

        if (c < TripChannelCount(id)) {
            TripConfig& trip = rec.trips[uc];
            const int b = tripBase(id, c);
            const double scale = tripScale(id, t, catalogue);
            trip.high = readFloat(mainBlock, b) / scale;
            trip.low = readFloat(mainBlock, b + 3) / scale;
            trip.direction = (B(optionByte(c)) & kTripDirectionBit) == 0;
            rec.relayDirection[uc] = (fb & kRelayBit) != 0;
            trip.delay = B(kTripDelayByte);
        }
    }

    if (HasResponseTime(id)) {
        const int r = codecs::Make16(B(kResponseLow + 1), B(kResponseLow), false);
        rec.raw.responseCode = std::uint16_t(r);
        rec.responseTime = ResponseTimeFromCode(r, id);
    }

    if (HasExtensionBlock(id) && !extensionBlock.isEmpty()) {
        const auto at = [](int address) { return address - ExtensionBlockFirst; };
        const int delay = std::uint8_t(extensionBlock[at(kOperatorDelayByte)]);
        for (int c = 0; c < ChannelCount; ++c) {
            ChannelSettings& ch = rec.channels[std::size_t(c)];
            ch.physicalInputEnd = readFloat(extensionBlock, at(kPhysicalInputEnd[c]));
            ch.physicalInputStart = readFloat(extensionBlock, at(kPhysicalInputStart[c]));
            ch.physicalOutputEnd = readFloat(extensionBlock, at(kPhysicalOutputEnd[c]));
            ch.physicalOutputStart = readFloat(extensionBlock, at(kPhysicalOutputStart[c]));
            // One delay byte serves the operator dialog of either channel.
            ch.operatorDelay = std::uint8_t(delay);
        }
    }
    return rec;
}

QList<WriteItem> EncodeRecord(const ConfigRecord& record, const DeviceIdentity& id,
                              const Catalogue& catalogue, const QByteArray& originalBytes) {
    const auto current = [&](int address) {
        return address < originalBytes.size() ? int(std::uint8_t(originalBytes[address])) : 0;
    };
    const bool freqModel = IsFrequencyModel(id);
    const int tripChannels = TripChannelCount(id);
    const auto& ch = record.channels;
    // A single-channel model's channel B bytes are written only for the doubler's output,
    // never its input range or offset: what the device keeps there stays as it is.
    const bool ownChannelB = !IsSingleChannel(id);
    const bool channelB = UsesChannelB(id, record.doubler);
    Queue q;

    // Input types; the frequency model's address 0 holds its sensor settings instead.
    if (freqModel) {
        q.put(kSensorByte,
              (record.freqSensorType & kSensorMask) | (record.mains50Hz ? kMains50HzBit : 0));
    } else {
        for (int c = 0; c < (channelB ? ChannelCount : 1); ++c) {
            int code = ch[std::size_t(c)].inputType;
            if (isRes300KAlias(id) && code == input_code::Res300K)
                code = input_code::PT100;
            q.put(c, code & 31);
        }
    }

    // Decimals of the frequency model's ranges: one setting for both channels, chosen so
    // that the larger range end still fits.
    const int freqDecimals = FrequencyDecimals(std::max(ch[0].inputEnd, ch[1].inputEnd));

    for (int c = 0; c < (channelB ? ChannelCount : 1); ++c) {
        const auto uc = std::size_t(c);
        const bool tripChannel = c < tripChannels;
        int fb = (record.function[uc] & kFunctionMask) | (record.burnoutDown[uc] ? kBurnoutBit : 0);
        if (HasExtensionBlock(id))
            fb |= (ch[uc].operatorCode * 8) & kOperatorMask;
        if (tripChannel && record.relayDirection[uc])
            fb |= kRelayBit;
        q.put(functionByte(c), fb);

        // Option byte: compose only the bits this model gives a meaning, keep the rest as the
        // device has them (on the lettered models bits 5 and 6 of address 4 name the variant).
        int owned = kOutputMask;
        int bits = ch[uc].outputType & kOutputMask;
        if (c == 0 && id.ModelByte == 7) {
            owned |= kWiresMask;
            bits |= freqDecimals * 4;
        } else if (!freqModel) {
            owned |= kWiresMask;
            bits |= (record.wires[uc] & 3) * 4;
        }
        if (!freqModel) {
            owned |= kCjcBit;
            bits |= record.internalCjc[uc] ? kCjcBit : 0;
        }
        if (c == 0 && id.ModelByte != 7) {
            owned |= kHighSpeedBit;
            bits |= record.highSpeed ? kHighSpeedBit : 0;
            // On the lettered models the doubler bit is also part of the variant: never
            // rewrite it there from a check box the editor does not offer.
            if (HasDoubler(id)) {
                owned |= kDoublerBit;
                bits |= record.doubler ? kDoublerBit : 0;
            }
        }
        if (tripChannel) {
            owned |= kTripDirectionBit;
            bits |= record.trips[uc].direction ? 0 : kTripDirectionBit;
        }
        q.put(optionByte(c), (current(optionByte(c)) & ~owned) | bits);
    }

    for (int c = 0; c < ChannelCount; ++c) {
        if (c == 1 && (HasTrips(id) || !ownChannelB))
            continue; // address 8 is the trip delay, or unused
        const long long tenths = RoundClamped(record.offset[std::size_t(c)] * 10.0);
        q.put(offsetByte(c), int(std::clamp<long long>(tenths, -128, 127)));
    }
    q.put(kOverRangeByte, (record.overRange[0] & 3) | ((record.overRange[1] & 3) * 4));

    for (int c = 0; c < (channelB ? ChannelCount : 1); ++c) {
        const ChannelSettings& s = ch[std::size_t(c)];
        const int base = RangeBase(c);
        if (c == 0 || ownChannelB) {
            const int d = id.ModelByte == 7 ? freqDecimals : catalogue.Input(s.inputType).Decimals;
            const double endScale =
                (isRes300KAlias(id) && s.inputType == input_code::Res300K) ? 10.0 : 1.0;
            q.put16(base, roundScaled(s.inputEnd, pow10(d) * endScale));
            q.put16(base + 2, roundScaled(s.inputStart, pow10(d)));
        }
        q.put16(base + 4, roundScaled(s.outputEnd, 1000.0));
        q.put16(base + 6, roundScaled(s.outputStart, 1000.0));
    }

    if (HasResponseTime(id))
        q.put16(kResponseLow, ResponseCodeFromTime(record.responseTime, id));
    q.put16(kFilterLow, record.filter);
    q.put(kAuxFrequencyByte, clampByte(record.auxFrequency));
    q.put(kTriggerByte, TriggerCodeFromLevel(record.triggerLevel));

    if (HasExtensionBlock(id)) {
        for (int c = 0; c < ChannelCount; ++c) {
            const ChannelSettings& s = ch[std::size_t(c)];
            q.putFloat(kPhysicalInputEnd[c], s.physicalInputEnd);
            q.putFloat(kPhysicalInputStart[c], s.physicalInputStart);
        }
        q.putFloat(kPhysicalOutputEnd[0], ch[0].physicalOutputEnd);
        q.putFloat(kPhysicalOutputStart[0], ch[0].physicalOutputStart);
        q.put(kOperatorDelayByte, ch[0].operatorDelay);
        q.putFloat(kPhysicalOutputEnd[1], ch[1].physicalOutputEnd);
        q.putFloat(kPhysicalOutputStart[1], ch[1].physicalOutputStart);
    }

    for (int c = 0; c < tripChannels; ++c) {
        const TripConfig& trip = record.trips[std::size_t(c)];
        const double scale = tripScale(id, ch[std::size_t(c)].inputType, catalogue);
        const int b = tripBase(id, c);
        q.putFloat(b, trip.high * scale);
        q.putFloat(b + 3, trip.low * scale);
    }
    if (tripChannels > 0)
        q.put(kTripDelayByte, clampByte(record.trips[0].delay));

    return q.take();
}

void ApplyWrites(const QList<WriteItem>& writes, QByteArray* mainBlock,
                 QByteArray* extensionBlock) {
    for (const WriteItem& w : writes) {
        if (w.address < MainBlockSize) {
            if (mainBlock && w.address < mainBlock->size())
                (*mainBlock)[w.address] = char(w.value);
        } else if (w.address >= ExtensionBlockFirst &&
                   w.address < ExtensionBlockFirst + ExtensionBlockSize) {
            const int i = w.address - ExtensionBlockFirst;
            if (extensionBlock && i < extensionBlock->size())
                (*extensionBlock)[i] = char(w.value);
        }
    }
}

} // namespace vantelso
