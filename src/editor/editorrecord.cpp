// Between the controls and the configuration record: showing what a read found, remembering the
// texts shown, and building the record a write sends.

#include "editormodel.h"

#include "editorcontrolnames.h"
#include "numberformat.h"

#include <algorithm>
#include <cmath>

namespace vantelso {

using namespace editorcontrols;

namespace {

// Fields whose text is a number written to the device, with the elements that hold one.
struct NumericField {
    const QString* name;
    QList<int> elements;
};
const QList<NumericField>& numericFields() {
    static const QList<NumericField> fields = {
        {&kInMax, {0, 1}},   {&kInMin, {0, 1}},   {&kOutMax, {0, 1}},     {&kOutMin, {0, 1}},
        {&kOffset, {0, 1}},  {&kHigh, {0, 1}},    {&kLow, {0, 1}},        {&kTripDelay, {0, 1}},
        {&kPhysMax, {2, 3}}, {&kPhysMin, {2, 3}}, {&kPhysOutMax, {0, 1}}, {&kPhysOutMin, {0, 1}},
        {&kOperDelay, {0}},  {&kFilter, {0}},     {&kAux, {0}},           {&kTrig, {0}},
        {&kResponse, {0}},
    };
    return fields;
}

} // namespace

void EditorModel::showRecord(const ConfigRecord& rec, const QByteArray& mainBlock) {
    const auto assign = [this](const QString& name, int element, const QString& t) {
        put(name, element, t);
        onTextChanged(name, element);
    };
    const bool doubler = hasDoubler() && rec.doubler;
    const int tripChannels = TripChannelCount(m_identity);
    putChecked(kDoubler, 0, doubler);
    m_channel1Doubled = false;

    for (int c = 0; c < ChannelCount; ++c) {
        const auto uc = std::size_t(c);
        const ChannelSettings& ch = rec.channels[uc];
        // A single-channel model's channel B shows nothing of its own input and, without
        // the doubler, nothing at all: its record part holds trips or nothing meaningful.
        const bool ownInput = c == 0 || !isSingleChannel();
        const bool output = ownInput || doubler;
        // The lists show the codes the device holds, even one the model's list does not
        // offer: written back unedited it must stay what it was.
        if (c == 1 && doubler)
            assign(kIn, 1, doublerText());
        else if (ownInput)
            assign(kIn, c, m_catalogue.Input(rec.raw.inputCode[uc]).name);
        if (!output) {
            clearChannelB(true);
            continue;
        }
        assign(kOut, c, m_catalogue.Output(rec.raw.outputCode[uc]).name);
        put(kOutMax, c, FormatRange(ch.outputEnd));
        put(kOutMin, c, FormatRange(ch.outputStart));
        select(kBreak, 2 * c + (rec.burnoutDown[uc] ? 1 : 0));
        if (rec.function[uc] < 3)
            select(kFunz, 3 * c + rec.function[uc]);
        m_operator[uc] = ch.operatorCode;
        put(kOperButton, c, OperatorCaptions().value(ch.operatorCode));
        if (!ownInput) {
            clearChannelB(false);
            continue;
        }

        const bool f = showsFahrenheit(c);
        const auto temp = [f](double v) { return FormatRange(f ? Val(CtoF(v)) : v); };
        put(kInMax, c, temp(ch.inputEnd));
        put(kInMin, c, temp(ch.inputStart));
        if (rec.wires[uc] < 3)
            select(kFili, 3 * c + rec.wires[uc]);
        select(kCjc, 2 * c + (rec.internalCjc[uc] ? 1 : 0));
        put(kOffset, c, FormatTenths(f ? Val(CtoFSpan(rec.offset[uc])) : rec.offset[uc]));

        if (c < tripChannels) {
            const TripConfig& trip = rec.trips[uc];
            const bool tf = c == 0 && f; // only channel A's thresholds follow the unit choice
            put(kHigh, c, FormatRange(tf ? Val(CtoF(trip.high)) : trip.high));
            put(kLow, c, FormatRange(tf ? Val(CtoF(trip.low)) : trip.low));
            select(kTrip, 2 * c + (trip.direction ? 0 : 1));
            select(kRele, 2 * c + (rec.relayDirection[uc] ? 1 : 0));
            put(kTripDelay, c, FormatRange(TripDelayShown(trip.delay, m_identity)));
        }
    }

    assign(
        kFreq, 0,
        m_catalogue.Freq(IsFrequencyModel(m_identity) ? rec.raw.freqSensorCode : rec.freqSensorType)
            .name);
    putChecked(k50Hz, 0, rec.mains50Hz);
    for (int i = 0; i < 2; ++i)
        assign(kOverRange, i, m_catalogue.OverRange(rec.raw.overRangeCode[std::size_t(i)]).name);
    if (hasDoubler())
        EnableSections(1);
    putChecked(kHighSpeed, 0, rec.highSpeed);
    put(kFilter, 0, QString::number(rec.filter));
    put(kAux, 0, QString::number(rec.auxFrequency));
    put(kTrig, 0, FormatRange(rec.triggerLevel));
    if (HasResponseTime(m_identity))
        put(kResponse, 0, FormatTenths(rec.responseTime));

    CopiaValori();

    if (HasExtensionBlock(m_identity)) {
        for (int c = 0; c < ChannelCount; ++c) {
            const ChannelSettings& ch = rec.channels[std::size_t(c)];
            put(kPhysMax, 2 + c, FormatRange(ch.physicalInputEnd));
            put(kPhysMin, 2 + c, FormatRange(ch.physicalInputStart));
            put(kPhysOutMax, c, FormatRange(ch.physicalOutputEnd));
            put(kPhysOutMin, c, FormatRange(ch.physicalOutputStart));
        }
        put(kOperDelay, 0, FormatRange(OperatorDelaySeconds(rec.channels[0].operatorDelay)));
    }

    m_base = rec;
    m_mainBlock = mainBlock;
    takeBaseline();
    showSwitchNotes(); // the record fills the switches' "Default" positions
}

void EditorModel::acceptWritten(const ConfigRecord& record, const QByteArray& mainBlock) {
    m_base = record;
    m_mainBlock = mainBlock;
    takeBaseline();
    showSwitchNotes();
}

void EditorModel::takeBaseline() {
    m_baseline.clear();
    for (const NumericField& f : numericFields()) {
        for (int e : f.elements)
            m_baseline.insert(key(*f.name, e), text(*f.name, e));
    }
}

double EditorModel::number(const QString& name, int element) const {
    return ParseTypedNumber(text(name, element)).value;
}

bool EditorModel::edited(const QString& name, int element) const {
    const auto it = m_baseline.constFind(key(name, element));
    return it == m_baseline.constEnd() || *it != text(name, element);
}

QList<FieldRef> EditorModel::fieldsWithoutNumbers() const {
    QList<FieldRef> out;
    for (const NumericField& f : numericFields()) {
        for (int e : f.elements) {
            if (!edited(*f.name, e))
                continue;
            const TypedNumber n = ParseTypedNumber(text(*f.name, e));
            if (n.status == TypedNumber::Status::Empty ||
                n.status == TypedNumber::Status::NotANumber)
                out.append({*f.name, e});
        }
    }
    return out;
}

ConfigRecord EditorModel::toRecord(QStringList* badNumbers) const {
    ConfigRecord r = m_base;
    enum class Conv { None, Temperature, Span };
    // A field showing what the last read or write left in it gives back that exact value.
    const auto unchanged = [this](const QString& name, int element) {
        return !edited(name, element);
    };
    const auto parse = [&](const QString& name, int element) {
        const TypedNumber n = ParseTypedNumber(text(name, element));
        if (n.status == TypedNumber::Status::Overflow && badNumbers)
            badNumbers->append(key(name, element));
        return n.value;
    };
    const auto num = [&](const QString& name, int element, double base, Conv conv) {
        if (unchanged(name, element))
            return base;
        const double v = parse(name, element);
        switch (conv) {
        case Conv::Temperature:
            return Val(FtoC(v));
        case Conv::Span:
            return Val(FtoCSpan(v));
        case Conv::None:
            break;
        }
        return v;
    };

    for (int c = 0; c < ChannelCount; ++c) {
        const auto uc = std::size_t(c);
        ChannelSettings& ch = r.channels[uc];
        const ChannelSettings& b = m_base.channels[uc];
        const bool f = showsFahrenheit(c);
        const Conv temp = f ? Conv::Temperature : Conv::None;

        ch.inputType = std::uint8_t(m_identity.ModelByte == 7 ? input_code::Freq : m_inputCode[uc]);
        ch.outputType = std::uint8_t(m_outputCode[uc]);
        ch.inputEnd = num(kInMax, c, b.inputEnd, temp);
        ch.inputStart = num(kInMin, c, b.inputStart, temp);
        ch.outputEnd = num(kOutMax, c, b.outputEnd, Conv::None);
        ch.outputStart = num(kOutMin, c, b.outputStart, Conv::None);
        ch.physicalInputEnd = num(kPhysMax, 2 + c, b.physicalInputEnd, Conv::None);
        ch.physicalInputStart = num(kPhysMin, 2 + c, b.physicalInputStart, Conv::None);
        ch.physicalOutputEnd = num(kPhysOutMax, c, b.physicalOutputEnd, Conv::None);
        ch.physicalOutputStart = num(kPhysOutMin, c, b.physicalOutputStart, Conv::None);
        ch.operatorCode = std::uint8_t(m_operator[uc]);
        ch.operatorDelay = unchanged(kOperDelay, 0)
                               ? b.operatorDelay
                               : std::uint8_t(OperatorDelayFromSeconds(parse(kOperDelay, 0)));

        if (const int w = choice(kFili, c); w >= 0)
            r.wires[uc] = std::uint8_t(w);
        if (const int k = choice(kCjc, c); k >= 0)
            r.internalCjc[uc] = k == 1;
        if (const int k = choice(kBreak, c); k >= 0)
            r.burnoutDown[uc] = k == 1;
        if (const int k = choice(kFunz, c); k >= 0)
            r.function[uc] = std::uint8_t(k);
        if (const int k = choice(kRele, c); k >= 0)
            r.relayDirection[uc] = k == 1;
        r.offset[uc] = num(kOffset, c, m_base.offset[uc], f ? Conv::Span : Conv::None);

        TripConfig& trip = r.trips[uc];
        const Conv tripConv = c == 0 ? temp : Conv::None;
        trip.high = num(kHigh, c, m_base.trips[uc].high, tripConv);
        trip.low = num(kLow, c, m_base.trips[uc].low, tripConv);
        if (const int k = choice(kTrip, c); k >= 0)
            trip.direction = k == 0;
        trip.delay = unchanged(kTripDelay, c)
                         ? m_base.trips[uc].delay
                         : TripDelayFromShown(parse(kTripDelay, c), m_identity);
    }
    for (std::size_t i = 0; i < 2; ++i)
        r.overRange[i] = std::uint8_t(m_overRange[i]);
    r.freqSensorType = std::uint8_t(m_freqCode);
    r.mains50Hz = checked(k50Hz);
    r.auxFrequency =
        int(std::llround(std::clamp(num(kAux, 0, m_base.auxFrequency, Conv::None), -1e9, 1e9)));
    r.triggerLevel = num(kTrig, 0, m_base.triggerLevel, Conv::None);
    if (hasDoubler())
        r.doubler = checked(kDoubler);
    r.highSpeed = checked(kHighSpeed);
    r.filter = int(std::llround(std::clamp(num(kFilter, 0, m_base.filter, Conv::None), -1e9, 1e9)));
    r.responseTime = num(kResponse, 0, m_base.responseTime, Conv::None);
    return r;
}

} // namespace vantelso
