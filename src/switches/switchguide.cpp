#include "switchguide.h"

#include "codecs.h"
#include "numberformat.h"
#include "owntexts.h"
#include "switchsummary.h"

#include <cmath>

namespace vantelso::switches {

namespace {

const QString kNone = QStringLiteral("-----");

QString general(double value) {
    return QString::number(value, 'g', 10);
}

} // namespace

SwitchGuide::SwitchGuide(const Catalogue& catalogue, const Texts& texts, DeviceLink* link,
                         QObject* parent)
    : QObject(parent), m_catalogue(catalogue), m_texts(texts), m_link(link) {
    encode();
}

// ---- context ----------------------------------------------------------------------------

void SwitchGuide::setDevice(const DeviceIdentity& identity, const QString& modelIdentifier) {
    m_wizard = false;
    m_identity = identity;
    m_model = modelIdentifier;
    m_channels = ChannelsOf(modelIdentifier);
    m_hasDevice = FamilyOf(identity.ModelByte) != Family::None;
    m_table.clear(); // another device's table, or none yet
    m_tableNumber = -1;
    Q_EMIT changed();
}

bool SwitchGuide::useModel(const DeviceIdentity& identity, const QString& identifier) {
    if (FamilyOf(identity.ModelByte) == Family::None)
        return false;
    enterWizard();
    m_identity = identity;
    m_model = identifier;
    m_wizardModel = identifier;
    m_channels = ChannelsOf(identifier);
    m_sel = Selections{};
    m_bytes = SwitchBytes{};
    encode();
    return true;
}

bool SwitchGuide::ReadSwitch() {
    if (!m_link || m_wizard || family() == Family::None)
        return false;
    const QList<int> r = m_link->ReadData();
    // A failed or refused read leaves everything shown as it was.
    if (m_link->CommError != 0 || m_link->lastCallRefused() || r.size() < 3)
        return false;
    showDeviceBytes(SwitchBytesFromReply(r, m_identity));
    return true;
}

void SwitchGuide::showDeviceBytes(SwitchBytes bytes) {
    if (m_wizard || family() == Family::None)
        return;
    m_bytes = bytes;
    m_sel = Decode(m_bytes, m_identity, m_channels.inputs, m_catalogue);
    Q_EMIT changed();
}

void SwitchGuide::enterWizard() {
    if (!m_wizard)
        m_device = {m_identity, m_model, m_channels, m_bytes, m_sel};
    m_wizard = true;
    m_wizardRow = -1;
    m_wizardModel.clear();
    Q_EMIT changed();
}

QStringList SwitchGuide::wizardModelList() const {
    QStringList out{QStringLiteral("Select Device")};
    for (int row = 0; row < 16; ++row)
        out << m_texts.brand(ModelTable()[std::size_t(row)].brandField);
    return out;
}

void SwitchGuide::chooseWizardModel(int listIndex) {
    if (!m_wizard || listIndex < 1 || listIndex > 16)
        return;
    const ModelRow& row = ModelTable()[std::size_t(listIndex - 1)];
    m_wizardRow = listIndex - 1;
    m_wizardModel = row.wizardModel;
    m_identity = DeviceIdentity{};
    m_identity.ModelByte = std::uint8_t(WizardModelByte(row.wizardModel));
    m_model = row.wizardModel;
    m_channels = {row.inputs, row.outputs};
    m_sel = Selections{};
    m_bytes = SwitchBytes{};
    encode();
}

void SwitchGuide::leaveWizard() {
    if (!m_wizard)
        return;
    m_wizard = false;
    m_identity = m_device.identity;
    m_model = m_device.model;
    m_channels = m_device.channels;
    m_bytes = m_device.bytes;
    m_sel = m_device.sel;
    Q_EMIT changed();
}

// ---- selections -------------------------------------------------------------------------

void SwitchGuide::encode() {
    m_bytes = Encode(m_sel, m_identity, m_channels.inputs, m_wizard, m_bytes);
    Q_EMIT changed();
}

void SwitchGuide::resetRanges() {
    // Only the wizard's RSX7030 starts the new input's lists from nothing; a device's switches,
    // and the lettered models' bytes, keep their zero and span positions.
    if (!m_wizard || family() != Family::Rsx7030)
        return;
    m_sel.span = -1;
    m_sel.zero = -1;
}

void SwitchGuide::selectInput(int channel, int index) {
    if (family() == Family::DModels)
        return; // no input switches: the list only names what the device's switches select
    const QList<ListItem> items = inputItems(channel);
    const int value = index >= 0 && index < items.size() ? items[index].value : -1;
    if (channel == 1) {
        m_sel.inputB = value;
    } else {
        if (value != m_sel.input && family() != Family::Rsx7040)
            resetRanges(); // the lists now hold another input's values
        m_sel.input = value;
    }
    if (!showsTemperatureChoice())
        m_fahrenheit = false;
    encode();
}

void SwitchGuide::selectOutput(int channel, int index) {
    const QList<ListItem> items = outputItems(channel);
    const int value = index >= 0 && index < items.size() ? items[index].value : -1;
    (channel == 1 ? m_sel.outputB : m_sel.output) = value;
    encode();
}

void SwitchGuide::selectSpan(int index) {
    m_sel.span = index;
    encode();
}

void SwitchGuide::selectZero(int index) {
    m_sel.zero = index;
    encode();
}

void SwitchGuide::selectMultiplier(int index) {
    m_sel.multiplier = index;
    encode();
}

void SwitchGuide::setOption(int option) {
    if (!optionFrames()[0].enabled)
        return;
    m_sel.option = option == 1 ? 1 : 0;
    encode();
}

void SwitchGuide::setFahrenheit(bool on) {
    m_fahrenheit = on && showsTemperatureChoice();
    Q_EMIT changed();
}

void SwitchGuide::setSelections(const Selections& s) {
    Selections out;
    for (const FieldSpec& f : FieldsOf(family(), m_channels.inputs))
        out.*(f.member) = s.*(f.member);
    m_sel = out;
    encode();
}

// ---- lists ------------------------------------------------------------------------------

int SwitchGuide::listIndex(int value, const QStringList& items) {
    return value >= 0 && value < items.size() ? value : -1;
}

QList<ListItem> SwitchGuide::inputItems(int channel) const {
    QList<ListItem> out;
    const Family f = family();
    if (channel == 1 && !showsInputB())
        return out;
    if (f == Family::DModels) {
        // One entry: the input type the device's switches select, as the measurement reads it.
        const int code = channel == 1 ? m_sel.inputB : m_sel.input;
        out << (code >= 0 ? ListItem{InputName(m_catalogue, code), code}
                          : ListItem{QStringLiteral("---"), -1});
        return out;
    }
    if (f == Family::Rsx7040) {
        // Position 0 leaves the sensor to the record; 1..3 are the switch sensors.
        out << ListItem{m_catalogue.Input(input_code::Eeprom).name, 0};
        for (int k = 1; k <= 3; ++k)
            out << ListItem{m_catalogue.SwitchRangeTexts()[std::size_t(28 + k)].name, k};
        return out;
    }
    if (f == Family::None)
        return out;
    for (const QString& name :
         m_catalogue.FillTypeLists(SwitchListIdentity(m_identity)).switchInput)
        out << ListItem{name, m_catalogue.FindInputType(name).value_or(-1)};
    return out;
}

QList<ListItem> SwitchGuide::outputItems(int channel) const {
    QList<ListItem> out;
    if (!showsOutput() || (channel == 1 && !showsOutputB()))
        return out;
    QStringList names;
    if (m_wizard && m_wizardRow >= 0) {
        for (const QString& r : ModelTable()[std::size_t(m_wizardRow)].ranges)
            names << r;
    } else {
        names = m_catalogue.FillTypeLists(SwitchListIdentity(m_identity)).output;
    }
    for (const QString& n : names)
        out << ListItem{n, m_catalogue.FindOutputType(n).value_or(-1)};
    return out;
}

int SwitchGuide::inputIndex(int channel) const {
    const int value = channel == 1 ? m_sel.inputB : m_sel.input;
    const QList<ListItem> items = inputItems(channel);
    for (int i = 0; i < items.size(); ++i)
        if (value >= 0 && items[i].value == value)
            return i;
    return -1;
}

int SwitchGuide::outputIndex(int channel) const {
    const int value = channel == 1 ? m_sel.outputB : m_sel.output;
    const QList<ListItem> items = outputItems(channel);
    for (int i = 0; i < items.size(); ++i)
        if (value >= 0 && items[i].value == value)
            return i;
    return -1;
}

int SwitchGuide::record() const {
    switch (family()) {
    case Family::Rsx7040:
        return FrequencyRecord;
    case Family::Rsx7030:
    case Family::Lettered:
    case Family::Rsx7035:
        return RecordForInput(m_catalogue, m_sel.input);
    default:
        return -1;
    }
}

int SwitchGuide::tableNumber() const {
    return family() == Family::Rsx7040 ? 1 : m_sel.input;
}

RangeValues SwitchGuide::listValues() const {
    const int r = record();
    if (r < 0)
        return {};
    const ZeroSpanRecord& rec = ZeroSpanRecords()[std::size_t(r)];
    // After a default was written the lists show the table the device gave back.
    if (m_wizard || m_table.isEmpty() || m_tableNumber != tableNumber())
        return {rec.zero, rec.span};
    int a = 0, b = 0;
    DeviceLink::TableDataBytes(m_identity.ModelByte, &a, &b, 0, 0);
    const double scale = family() == Family::Rsx7040
                             ? 1000.0
                             : std::pow(10.0, m_catalogue.Input(m_sel.input).Decimals);
    RangeValues v;
    for (int k = 1; k <= a && k < m_table.size(); ++k)
        v.span << m_table[k] / scale;
    for (int k = 1; k <= b && a + 1 + k < m_table.size(); ++k)
        v.zero << m_table[a + 1 + k] / scale;
    if (family() == Family::Rsx7040)
        v.zero = rec.zero; // its zero list holds the multipliers
    return v;
}

QStringList SwitchGuide::zeroItems() const {
    const Family f = family();
    if (f == Family::Rsx7040 || f == Family::DModels || f == Family::None || m_sel.input <= 0)
        return {kNone};
    const int r = record();
    if (r < 0)
        return {m_texts.lang(own::NoRange)};
    QStringList out{QStringLiteral("Default")};
    const bool f2 = m_fahrenheit && IsTemperatureType(m_sel.input);
    for (double z : listValues().zero)
        out << (f2 ? CtoF(z) : general(z));
    return out;
}

QStringList SwitchGuide::spanItems() const {
    const Family f = family();
    if (f == Family::DModels || f == Family::None || (f != Family::Rsx7040 && m_sel.input <= 0))
        return {kNone};
    const int r = record();
    if (r < 0)
        return {m_texts.lang(own::NoRange)};
    QStringList out{QStringLiteral("Default")};
    // A span is a difference of temperatures: no 32-degree shift.
    const bool f2 = m_fahrenheit && f != Family::Rsx7040 && IsTemperatureType(m_sel.input);
    for (double s : listValues().span)
        out << (f2 ? CtoFSpan(s) : general(s));
    return out;
}

QStringList SwitchGuide::multiplierItems() const {
    if (!showsMultiplier())
        return {};
    QStringList out;
    for (double m : ZeroSpanRecords()[FrequencyRecord].zero)
        out << general(m);
    return out;
}

// ---- frames and texts -------------------------------------------------------------------

bool SwitchGuide::showsInputB() const {
    return family() == Family::DModels && m_channels.inputs == 2;
}

bool SwitchGuide::showsOutput() const {
    const Family f = family();
    return f == Family::Rsx7030 || f == Family::Lettered || f == Family::Rsx7040 ||
           f == Family::Rsx7035; // RSX7035: its one fixed output, shown only
}

bool SwitchGuide::showsOutputB() const {
    return family() == Family::Rsx7030;
}

bool SwitchGuide::showsZero() const {
    const Family f = family();
    return f == Family::Rsx7030 || f == Family::Lettered || f == Family::Rsx7035;
}

bool SwitchGuide::showsTemperatureChoice() const {
    const Family f = family();
    return f != Family::Rsx7040 && f != Family::DModels && IsTemperatureType(m_sel.input);
}

std::array<OptionFrame, 2> SwitchGuide::optionFrames() const {
    std::array<OptionFrame, 2> frames;
    OptionFrame& o = frames[0];
    const int m = m_identity.ModelByte;
    o.visible = m == 0 || m == 4 || m == 5 || m == 7 || m == 8;
    const OptionRole role = OptionRoleFor(m_identity, m_sel.input, m_catalogue);
    const OptionWords w = OptionWordsFor(role, family(), m_texts);
    o.caption = w.caption;
    o.off = w.off;
    o.on = w.on;
    // The D models' frame shows the device's switch (the guide sets none there); the frequency
    // model's frame, and RSX7035's for inputs without an option, carry no switch.
    o.enabled = role != OptionRole::None && role != OptionRole::OutputDirection;
    return frames;
}

double SwitchGuide::inputMin(int code) const {
    if (code == input_code::Volt10)
        return m_identity.ModelByte == 0 || m_identity.ModelByte == 8 ? -10 : 0;
    return m_catalogue.Input(code).min;
}

QString SwitchGuide::limitsText() const {
    const Family f = family();
    if (f == Family::DModels) {
        // Each channel: the input its switches select, then the output ranges the device has.
        QStringList parts;
        for (int c = 0; c < m_channels.outputs; ++c) {
            QString text = QStringLiteral("CH%1: ").arg(c + 1);
            const int code = c == 0 ? m_sel.input : m_channels.inputs == 2 ? m_sel.inputB : -2;
            if (code == -2) {
                text += QStringLiteral("DOUBLER");
            } else if (code <= 0) {
                text += QStringLiteral("No Range");
            } else {
                const InputType& t = m_catalogue.Input(code);
                text += t.name + QStringLiteral("; Min.Lim.=") + general(inputMin(code)) + u' ' +
                        t.unit + QStringLiteral("; Max.Lim.=") + general(t.max) + u' ' + t.unit +
                        QStringLiteral("; Span min=") + general(t.minSpan) + u' ' + t.unit;
            }
            parts << text;
        }
        return parts.join(QStringLiteral("  ")) +
               QStringLiteral("  Out: 0-20 mA; 4-20 mA; 0-10 V; 2-10 V; 0-5 V; 1-5 V;");
    }
    int row = m_sel.input;
    bool useFahrenheit = m_fahrenheit && IsTemperatureType(row);
    if (f == Family::Rsx7040) {
        if (row < 0)
            return {};
        if (row == 0)
            return QStringLiteral("EEPROM");
        row += 28; // the frequency sensors
        useFahrenheit = false;
    } else if (row < 0) {
        return {};
    } else if (row == input_code::Eeprom) {
        return QStringLiteral("EEPROM");
    }
    if (row >= Catalogue::SwitchRangeTextCount ||
        m_catalogue.SwitchRangeTexts()[std::size_t(row)].name.isEmpty()) {
        // No range text for it ("Res300K"): the catalogue's own figures.
        const InputType& t = m_catalogue.Input(row);
        return QStringLiteral("In: %1 ;Min.Lim.=%2 %4; Max.Lim. %3 %4; Span min: %5 %4")
            .arg(t.name, general(t.min), general(t.max), t.unit, general(t.minSpan));
    }
    const SwitchRangeText& r = m_catalogue.SwitchRangeTexts()[std::size_t(row)];
    return QStringLiteral("In: ") + r.name + QStringLiteral(" ;Min.Lim.=") +
           (useFahrenheit ? r.minFahrenheit : r.min) + QStringLiteral("; Max.Lim. ") +
           (useFahrenheit ? r.maxFahrenheit : r.max) + QStringLiteral("; Span min: ") +
           (useFahrenheit ? r.minSpanFahrenheit : r.minSpan);
}

CheckResult SwitchGuide::check() const {
    const Family f = family();
    const int r = record();
    if (r < 0)
        return CheckResult::None;
    const ZeroSpanRecord& rec = ZeroSpanRecords()[std::size_t(r)];
    const int s = std::max(m_sel.span, 0);
    if (s > rec.span.size())
        return CheckResult::Error;
    if (f == Family::Rsx7040) {
        // The range is the multiplier times the span; "Default" keeps the device's own.
        if (s == 0)
            return CheckResult::Ok;
        const int m = std::clamp(m_sel.multiplier, 0, int(rec.zero.size()) - 1);
        const double range = rec.zero[m] * rec.span[s - 1];
        const InputType& t = m_catalogue.Input(input_code::Freq);
        return range >= t.min && range <= t.max ? CheckResult::Ok : CheckResult::Error;
    }
    const int z = std::max(m_sel.zero, 0);
    if (z > rec.zero.size())
        return CheckResult::Error;
    const InputType& t = m_catalogue.Input(m_sel.input);
    const double lo = inputMin(m_sel.input);
    const double zero = z > 0 ? rec.zero[z - 1] : lo;
    if (z > 0 && (zero < lo || zero > t.max))
        return CheckResult::Error;
    if (s > 0) {
        const double span = rec.span[s - 1];
        if (span < t.minSpan || zero + span > t.max)
            return CheckResult::Error;
    }
    return CheckResult::Ok;
}

QString SwitchGuide::CheckText(CheckResult r) {
    switch (r) {
    case CheckResult::Ok:
        return QStringLiteral("OK");
    case CheckResult::Error:
        return QStringLiteral("ERR");
    case CheckResult::None:
        break;
    }
    return QStringLiteral("---");
}

int SwitchGuide::CheckColour(CheckResult r) {
    return r == CheckResult::Ok ? 65280 : r == CheckResult::Error ? 255 : 8421504;
}

// ---- zero and span defaults -------------------------------------------------------------

int SwitchGuide::DefaultAddress(DefaultKind kind, int k, int lastChannel) {
    return (kind == DefaultKind::Span ? 112 : 114) + 4 * (k - 1) + (lastChannel == 1 ? 20 : 0);
}

SwitchGuide::DefaultOutcome SwitchGuide::enterDefault(DefaultKind kind, int k, int lastChannel) {
    Prompter* prompter = m_link ? m_link->prompter() : nullptr;
    // The frequency model has a span list only; its values are frequencies, its table is 1.
    const bool frequency = family() == Family::Rsx7040;
    const int code = frequency ? input_code::Freq : m_sel.input;
    const bool hasList = frequency ? kind == DefaultKind::Span : showsZero() && m_sel.input > 0;
    if (!prompter || m_wizard || !m_link->isPortOpen() || !hasList)
        return DefaultOutcome::Refused;
    const int address = DefaultAddress(kind, k, lastChannel);
    if (k < 0 || address < 0 || address + 1 > 255) {
        // One address byte reaches 0..255: beyond it the write would land on the record.
        prompter->inform(m_texts.lang(own::NoDefaultHere), Prompter::Icon::Warning);
        return DefaultOutcome::Refused;
    }
    const bool span = kind == DefaultKind::Span;
    const std::optional<QString> answer = prompter->input(
        span ? QStringLiteral("Enter Span Default") : QStringLiteral("Enter Zero Default"), {});
    if (!answer || answer->trimmed().isEmpty())
        return DefaultOutcome::Cancelled;
    bool ok = false;
    double value = answer->trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        prompter->inform(m_texts.lang(own::DefaultNotANumber), Prompter::Icon::Warning);
        return DefaultOutcome::Cancelled;
    }
    const InputType& t = m_catalogue.Input(code);
    // Values travel in Celsius; the user types in the unit the lists show.
    if (m_fahrenheit && IsTemperatureType(code))
        value = span ? value * 5.0 / 9.0 : (value - 32.0) * 5.0 / 9.0;
    const double lo = span ? t.minSpan : inputMin(code);
    const double hi = span ? t.max - inputMin(code) : t.max;
    if (value > hi || value < lo) {
        const QString text = m_texts.lang(63) +
                             (value > hi ? QStringLiteral(" MAX") : QStringLiteral(" MIN")) + u' ' +
                             m_texts.lang(65);
        if (prompter->ask(text, Prompter::Buttons::OkCancel, Prompter::Icon::Warning) !=
            Prompter::Answer::Ok)
            return DefaultOutcome::Cancelled;
    }
    const double scaled = std::round(value * std::pow(10.0, t.Decimals));
    if (scaled < -32768 || scaled > 65535) {
        prompter->inform(m_texts.lang(own::DefaultTooLarge), Prompter::Icon::Warning);
        return DefaultOutcome::Cancelled;
    }
    const codecs::HighLow hl = codecs::Split16(int(scaled));
    // A command refused because another one was waiting leaves CommError clear: it is a
    // failure all the same, nothing reached the device.
    auto busy = [&] {
        prompter->inform(m_texts.lang(own::DefaultBusy), Prompter::Icon::Warning);
        return DefaultOutcome::Busy;
    };
    m_link->WriteBlock(0, {{std::uint8_t(address), hl.low}, {std::uint8_t(address + 1), hl.high}});
    if (m_link->lastCallRefused())
        return busy();
    if (m_link->CommError != 0)
        return DefaultOutcome::Failed;
    const QList<int> table = m_link->ReadTable(frequency ? 1 : code);
    if (m_link->lastCallRefused())
        return busy();
    if (m_link->CommError != 0)
        return DefaultOutcome::Failed;
    m_table = table;
    m_tableNumber = frequency ? 1 : code;
    Q_EMIT changed();
    return DefaultOutcome::Written;
}

} // namespace vantelso::switches
