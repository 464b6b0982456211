#include "limitchecks.h"

#include "editorcontrolnames.h"
#include "editormodel.h"
#include "numberformat.h"
#include "owntexts.h"
#include "texts.h"

#include <cmath>

namespace vantelso {

namespace {

struct Limits {
    double min = 0;
    double max = 0;
    double span = 0;
};

// The input row's limits in the unit the channel shows.
Limits inputLimits(const EditorModel& model, int c) {
    const int code = model.inputCode(c);
    const InputType& row = model.catalogue().Input(code);
    Limits l{model.inputMin(code), row.max, row.minSpan};
    if (model.showsFahrenheit(c)) {
        l.min = Val(CtoF(l.min));
        l.max = Val(CtoF(l.max));
        l.span = Val(CtoF(l.span)) - 32;
    }
    return l;
}

QString rangeMarkers(double end, double start, const Limits& l) {
    QString markers;
    if (end > l.max)
        markers += QStringLiteral(" (MAX)");
    if (start < l.min)
        markers += QStringLiteral(" (MIN)");
    if (std::abs(end - start) < l.span)
        markers += QStringLiteral(" (SPAN)");
    return markers;
}

QString typeMarker(bool offered) {
    return offered ? QString() : QStringLiteral(" (TYPE)");
}

} // namespace

// "Channel A: " in English, "Canale A: " in Italian: the box speaks one language.
QString LimitChecks::channelPrefix(int channel) const {
    return m_texts.lang(72) + (channel == 0 ? QStringLiteral(" A: ") : QStringLiteral(" B: "));
}

QString LimitChecks::box(int channel, int stringId, const QString& markers) const {
    return channelPrefix(channel) + m_texts.lang(stringId) + markers + u' ' + m_texts.lang(65);
}

bool LimitChecks::checksInput(int channel) const {
    return channel == 0 || !m_model.isSingleChannel();
}

bool LimitChecks::checksOutput(int channel) const {
    return channel == 0 || !m_model.isSingleChannel() || m_model.checked(editorcontrols::kDoubler);
}

bool LimitChecks::checksOffset(int channel) const {
    return channel == 0 || (!m_model.isSingleChannel() && !HasTrips(m_model.identity()));
}

bool LimitChecks::checksTrips(int channel) const {
    return channel < TripChannelCount(m_model.identity());
}

// A type the connected model does not offer has no limits on it: " (TYPE)" comes first.
QString LimitChecks::inputMessage(int c) const {
    const double end = m_model.number(QStringLiteral("txt_Input_max"), c);
    const double start = m_model.number(QStringLiteral("txt_Input_min"), c);
    QString markers =
        typeMarker(m_model.catalogue().OffersInput(m_model.inputCode(c), m_model.identity()));
    markers += rangeMarkers(end, start, inputLimits(m_model, c));
    return markers.isEmpty() ? QString() : box(c, 63, markers);
}

QString LimitChecks::outputMessage(int c) const {
    const OutputType& row = m_model.catalogue().Output(m_model.outputCode(c));
    const double end = m_model.number(QStringLiteral("txt_Output_max"), c);
    const double start = m_model.number(QStringLiteral("txt_Output_min"), c);
    QString markers =
        typeMarker(m_model.catalogue().OffersOutput(m_model.outputCode(c), m_model.identity()));
    markers += rangeMarkers(end, start, {row.min, row.max, row.minSpan});
    return markers.isEmpty() ? QString() : box(c, 64, markers);
}

// The device keeps the offset in one signed byte of tenths; the editor allows ±12.5.
QString LimitChecks::offsetMessage(int c) const {
    double v = m_model.number(QStringLiteral("txt_offset"), c);
    if (m_model.showsFahrenheit(c))
        v = Val(FtoCSpan(v));
    const double tenths = std::round(v * 10.0);
    if (tenths >= -125 && tenths <= 125)
        return {};
    return channelPrefix(c) + m_texts.lang(66) + u' ' + m_texts.lang(65);
}

QString LimitChecks::tripMessage(int c) const {
    Limits l{m_model.inputMin(m_model.inputCode(c)),
             m_model.catalogue().Input(m_model.inputCode(c)).max, 0};
    // Only channel A's thresholds follow the unit choice.
    if (c == 0 && m_model.showsFahrenheit(0)) {
        l.min = Val(CtoF(l.min));
        l.max = Val(CtoF(l.max));
    }
    const double high = m_model.number(QStringLiteral("txt_soglia_H"), c);
    const double low = m_model.number(QStringLiteral("txt_soglia_L"), c);
    const double delay = m_model.number(QStringLiteral("txt_soglia_Delay"), c);
    const QString close = QStringLiteral(")");
    QString markers;
    if (high > l.max)
        markers += QStringLiteral(" (Hi>") + ShortNumber(l.max) + close;
    if (high < l.min)
        markers += QStringLiteral(" (Hi<") + ShortNumber(l.min) + close;
    if (low > l.max)
        markers += QStringLiteral(" (Lo>") + ShortNumber(l.max) + close;
    if (low < l.min)
        markers += QStringLiteral(" (Lo<") + ShortNumber(l.min) + close;
    // The trip needs a hysteresis band of at least a hundredth of the scale.
    if (high - low < l.max / 100.0)
        markers += QStringLiteral(" (Diff<") + ShortNumber(l.max / 100.0) + close;
    if (delay > 255)
        markers += QStringLiteral(" (Delay)");
    return markers.isEmpty() ? QString() : box(c, 50, markers);
}

bool LimitChecks::cjcRuleViolated() const {
    const DeviceIdentity& id = m_model.identity();
    if (id.DeviceCode != 12 || id.ModelByte != 2 || m_model.isSingleChannel())
        return false;
    const QString cjc = QStringLiteral("opt_CJC");
    const bool channel1Internal =
        IsThermocoupleType(m_model.inputCode(1)) && m_model.checked(cjc, 3);
    if (!channel1Internal)
        return false;
    return !(IsThermocoupleType(m_model.inputCode(0)) && m_model.checked(cjc, 1));
}

QString LimitChecks::cjcRuleMessage() const {
    return m_texts.lang(62);
}

QString LimitChecks::fieldName(const QString& name, int element) const {
    // Language strings of the window's frames and captions.
    constexpr int kTrips = 50, kInput = 48, kOutput = 49, kOffset = 66, kPhysical = 86;
    constexpr int kChannel = 72, kAlgebraic = 85, kTrigger = 81, kSmooth = 82, kMultiplier = 83;
    const auto channel = [&](int c) {
        return m_texts.lang(kChannel) + (c == 0 ? QStringLiteral(" A, ") : QStringLiteral(" B, "));
    };
    const auto word = [&](int id) { return m_texts.lang(id); };
    const QString max = QStringLiteral(" Max"), min = QStringLiteral(" Min");
    if (name == u"txt_Input_max")
        return channel(element) + word(kInput) + max;
    if (name == u"txt_Input_min")
        return channel(element) + word(kInput) + min;
    if (name == u"txt_Output_max")
        return channel(element) + word(kOutput) + max;
    if (name == u"txt_Output_min")
        return channel(element) + word(kOutput) + min;
    if (name == u"txt_offset")
        return channel(element) + word(kOffset);
    if (name == u"txt_soglia_H")
        return channel(element) + word(kTrips) + QStringLiteral(" Hi");
    if (name == u"txt_soglia_L")
        return channel(element) + word(kTrips) + QStringLiteral(" Lo");
    if (name == u"txt_soglia_Delay")
        return channel(element) + word(kTrips) + u' ' + word(own::TripDelay);
    // The physical page numbers its channels' fields from 2.
    if (name == u"txt_Fisico_max")
        return channel(element - 2) + word(kPhysical) + max;
    if (name == u"txt_Fisico_min")
        return channel(element - 2) + word(kPhysical) + min;
    if (name == u"txt_FisicoOut_max")
        return channel(element) + word(kOutput) + u' ' + word(kPhysical) + max;
    if (name == u"txt_FisicoOut_min")
        return channel(element) + word(kOutput) + u' ' + word(kPhysical) + min;
    if (name == u"txt_Opzione")
        return word(kAlgebraic) + QStringLiteral(", Delay");
    if (name == u"txt_filter")
        return word(kSmooth);
    if (name == u"txt_aux_freq")
        return word(kMultiplier);
    if (name == u"txt_Trig")
        return word(kTrigger);
    if (name == u"txt_Delay")
        return word(own::ResponseTime);
    return name;
}

QString LimitChecks::numbersMessage() const {
    QStringList lines;
    for (const FieldRef& f : m_model.fieldsWithoutNumbers()) {
        const QString typed = m_model.text(f.name, f.element).trimmed();
        const QString field = fieldName(f.name, f.element);
        lines << (typed.isEmpty() ? m_texts.lang(own::NumberEmpty).arg(field)
                                  : m_texts.lang(own::NotANumber).arg(field, typed));
    }
    if (lines.isEmpty())
        return {};
    lines << m_texts.lang(own::NumbersHint);
    return lines.join(u'\n');
}

QList<LimitFinding> LimitChecks::findings() const {
    QList<LimitFinding> out;
    const auto add = [&out](LimitFinding::Kind kind, int c, const QString& message) {
        if (!message.isEmpty())
            out.append({kind, c, message});
    };
    for (int c = 0; c < ChannelCount; ++c) {
        if (checksInput(c))
            add(LimitFinding::Kind::Input, c, inputMessage(c));
    }
    for (int c = 0; c < ChannelCount; ++c) {
        if (checksOutput(c))
            add(LimitFinding::Kind::Output, c, outputMessage(c));
    }
    for (int c = 0; c < ChannelCount; ++c) {
        if (checksOffset(c))
            add(LimitFinding::Kind::Offset, c, offsetMessage(c));
    }
    for (int c = 0; c < ChannelCount; ++c) {
        if (checksTrips(c))
            add(LimitFinding::Kind::Trips, c, tripMessage(c));
    }
    return out;
}

} // namespace vantelso
