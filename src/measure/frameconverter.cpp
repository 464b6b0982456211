#include "frameconverter.h"

#include "codecs.h"

#include <algorithm>
#include <cmath>

namespace vantelso::measure {

namespace {

std::uint8_t byteAt(const QByteArray& F, int i) {
    return i < F.size() ? std::uint8_t(F.at(i)) : 0;
}

bool isFamily12(const DeviceIdentity& id) {
    return id.DeviceCode == 12;
}

// The models whose reading of 800 stands for R800; on the others the pair is stored swapped.
bool directReferences(const DeviceIdentity& id) {
    const int m = id.ModelByte;
    return isFamily12(id) && (m == 0 || m == 7 || m == 8 || m == 9);
}

bool reportsInput(const DeviceIdentity& id) {
    return isFamily12(id) && id.ModelByte == 5;
}

bool isFrequencyModel(const DeviceIdentity& id) {
    return isFamily12(id) && id.ModelByte == 7;
}

double toFahrenheit(double celsius) {
    return celsius * 9.0 / 5.0 + 32.0;
}

} // namespace

FrameValues DecodeFrame(const QByteArray& F, const DeviceIdentity& id) {
    FrameValues out;
    for (int k = 0; k < 4; ++k)
        out.V[std::size_t(k)] = codecs::MeasureFloatFromBytes(
            byteAt(F, 3 * k + 2), byteAt(F, 3 * k + 3), byteAt(F, 3 * k + 4));
    out.T = (id.ModelByte == 0 || id.ModelByte == 7) ? byteAt(F, 14) : byteAt(F, 5);
    return out;
}

double OutputFromRaw(double raw, const ChannelSettings& ch, const DeviceIdentity& id) {
    const double r800 = ch.outputRef800;
    const double r3500 = ch.outputRef3500;
    if (directReferences(id))
        return r800 + (raw - 800.0) / 2700.0 * (r3500 - r800);
    return r3500 + (raw - 800.0) / 2700.0 * (r800 - r3500);
}

std::array<int, 3> StatusLamps(int T) {
    auto lamp = [T](int yellowBit, int redBit) {
        if (yellowBit >= 0 && (T & (1 << yellowBit)))
            return colour::Yellow;
        return (T & (1 << redBit)) ? colour::Red : colour::Green;
    };
    return {lamp(4, 0), lamp(5, 1), lamp(-1, 2)};
}

RangeBar RangeBarFor(double x, double start, double end) {
    RangeBar bar;
    const double lower = std::min(start, end);
    const double upper = std::max(start, end);
    if (!std::isfinite(x) || !std::isfinite(lower) || !std::isfinite(upper))
        return bar;
    if (x < lower) {
        bar.lowMarker = colour::Red;
        bar.fraction = 0;
    } else if (upper > lower) {
        bar.fraction = std::min(1.0, (x - lower) / (upper - lower));
    } else {
        return bar; // an empty range places nothing
    }
    if (x > upper) {
        bar.highMarker = colour::Red;
        bar.fraction = 1;
    }
    bar.valid = true;
    return bar;
}

QString FixedDecimals(double v, int decimals) {
    QString s = QString::number(v, 'f', decimals);
    // A tiny negative value rounds to "-0.000"; the display shows zero without a sign.
    if (s.startsWith(QLatin1Char('-')) && s.toDouble() == 0)
        s.remove(0, 1);
    return s;
}

int InputDisplayDecimals(const ChannelSettings& ch, const DeviceIdentity& id,
                         const Catalogue& catalogue) {
    if (isFrequencyModel(id))
        return std::clamp(int(ch.decimals), 0, 4);
    int d = catalogue.Input(ch.inputType).Decimals;
    if (isFamily12(id) && id.ModelByte == 6 && ch.inputType == input_code::Res300K)
        ++d;
    return d;
}

QString OutputUnit(const Catalogue& catalogue, const DeviceIdentity& id, int outputType) {
    if (isFamily12(id) && (id.ModelByte == 4 || id.ModelByte == 5)) {
        const auto& rows = catalogue.ReadoutOutputTypes();
        return outputType >= 0 && outputType < int(rows.size()) ? rows[std::size_t(outputType)].unit
                                                                : QString();
    }
    return catalogue.Output(outputType).unit;
}

FrameConverter::FrameConverter(const Catalogue& catalogue, const DeviceIdentity& id,
                               const std::array<MeasureChannel, 2>& channels, int lastChannel)
    : m_id(id), m_lastChannel(std::clamp(lastChannel, 0, 1)), m_channels(channels) {
    for (std::size_t c = 0; c < 2; ++c) {
        const MeasureChannel& mc = m_channels[c];
        const ChannelSettings& s = mc.settings;
        const InputType& type = catalogue.Input(s.inputType);
        m_outputUnit[c] = OutputUnit(catalogue, id, s.outputType);
        m_inputDecimals[c] = InputDisplayDecimals(s, id, catalogue);
        m_toFahrenheit[c] = mc.fahrenheit && IsTemperatureType(s.inputType);
        m_inputUnit[c] = m_toFahrenheit[c] ? type.unitFahrenheit : type.unit;
        if (reportsInput(id) && mc.kind == InputKind::Percent)
            m_inputUnit[c] = QStringLiteral("%");
        // Voltage and current inputs the device reports itself come in thousandths.
        m_thousandths[c] = reportsInput(id) && (s.inputType == input_code::Volt10 ||
                                                s.inputType == input_code::Milliamp20);
        double a = s.inputStart;
        double b = s.inputEnd;
        if (m_toFahrenheit[c]) {
            a = toFahrenheit(a);
            b = toFahrenheit(b);
        }
        m_inputLow[c] = std::min(a, b);
        m_inputHigh[c] = std::max(a, b);
    }
}

FrameReading FrameConverter::convert(const QByteArray& F) const {
    const FrameValues fv = DecodeFrame(F, m_id);
    FrameReading out;
    out.channelCount = m_lastChannel + 1;
    out.status = fv.T;
    out.lamps = StatusLamps(fv.T);
    for (int c = 0; c <= m_lastChannel; ++c) {
        const auto uc = std::size_t(c);
        const ChannelSettings& s = m_channels[uc].settings;
        ChannelReading& r = out.channels[uc];
        r.outputUnit = m_outputUnit[uc];
        r.inputUnit = m_inputUnit[uc];

        const double y = OutputFromRaw(fv.V[uc], s, m_id);
        r.outputValid = std::isfinite(y);
        if (r.outputValid) {
            r.output = y;
            r.outputText = FixedDecimals(y, 3);
        }

        double x = 0;
        bool ok = true;
        if (reportsInput(m_id)) {
            x = fv.V[uc + 2];
            if (m_thousandths[uc])
                x /= 1000.0;
            if (m_channels[uc].kind == InputKind::Percent)
                x *= 10.0;
        } else if (isFrequencyModel(m_id)) {
            x = fv.V[3];
        } else {
            const double span = s.outputEnd - s.outputStart;
            ok = r.outputValid && span != 0;
            if (ok)
                x = s.inputStart + (y - s.outputStart) / span * (s.inputEnd - s.inputStart);
        }
        if (ok && m_toFahrenheit[uc])
            x = toFahrenheit(x);
        r.inputValid = ok && std::isfinite(x);
        if (!r.inputValid)
            continue;
        r.input = x;
        r.inputText = FixedDecimals(x, m_inputDecimals[uc]);
        r.bar = RangeBarFor(x, m_inputLow[uc], m_inputHigh[uc]);
    }
    return out;
}

} // namespace vantelso::measure
