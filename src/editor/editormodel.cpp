#include "editormodel.h"

#include "numberformat.h"
#include "texts.h"

#include <QSet>
#include <cmath>

namespace vantelso {

namespace {

const QString kIn = QStringLiteral("cmb_Prog_In");
const QString kOut = QStringLiteral("cmb_Prog_Out");
const QString kInMax = QStringLiteral("txt_Input_max");
const QString kInMin = QStringLiteral("txt_Input_min");
const QString kOutMax = QStringLiteral("txt_Output_max");
const QString kOutMin = QStringLiteral("txt_Output_min");
const QString kCjc = QStringLiteral("opt_CJC");
const QString kFili = QStringLiteral("opt_Fili");
const QString kBreak = QStringLiteral("opt_Break");
const QString kFunz = QStringLiteral("opt_funz");
const QString kGradi = QStringLiteral("opt_gradi");
const QString kGradiFar = QStringLiteral("opt_gradi_far");
const QString kOffset = QStringLiteral("txt_offset");
const QString kUnitIn = QStringLiteral("lbl_uMisIn");
const QString kUnitOut = QStringLiteral("lbl_uMisOut");
const QString kUnitTrip = QStringLiteral("lbl_uMisS");
const QString kDoubler = QStringLiteral("chk_Doubler");
const QString kHighSpeed = QStringLiteral("chk_HS");
const QString kOverRange = QStringLiteral("cmb_OverRange");
const QString kFreq = QStringLiteral("cmb_Freq_Type");
const QString k50Hz = QStringLiteral("chk_50hz");
const QString kTrig = QStringLiteral("txt_Trig");
const QString kAux = QStringLiteral("txt_aux_freq");
const QString kFilter = QStringLiteral("txt_filter");
const QString kResponse = QStringLiteral("txt_Delay");
const QString kHigh = QStringLiteral("txt_soglia_H");
const QString kLow = QStringLiteral("txt_soglia_L");
const QString kTripDelay = QStringLiteral("txt_soglia_Delay");
const QString kTrip = QStringLiteral("optTrip");
const QString kRele = QStringLiteral("optRele");
const QString kMath = QStringLiteral("cmd_math");
const QString kOperOk = QStringLiteral("cmd_OperOk");
const QString kOperButton = QStringLiteral("cmd_Operatore");
const QString kModo = QStringLiteral("frm_modo");
const QString kFrmInput = QStringLiteral("frm_input");
const QString kPhysMax = QStringLiteral("txt_Fisico_max");
const QString kPhysMin = QStringLiteral("txt_Fisico_min");
const QString kPhysOutMax = QStringLiteral("txt_FisicoOut_max");
const QString kPhysOutMin = QStringLiteral("txt_FisicoOut_min");
const QString kOperDialog = QStringLiteral("frm_Oper");
const QString kOper = QStringLiteral("opt_Oper");
const QString kOperDelay = QStringLiteral("txt_Opzione");
const QString kOperDelayFrame = QStringLiteral("Frame1");
const QString kOperDialogOk = QStringLiteral("Cmd_ok");

struct ControlDef {
    const char* name;
    int count;
};

// Every control of the editor window and of the operator dialog, with its element count.
// The physical-scaling page repeats the range fields as elements 2 and 3 and the unit labels
// as elements 4 and 5.
constexpr ControlDef kControls[] = {
    {"cmb_Prog_In", 2},
    {"cmb_Prog_Out", 2},
    {"txt_Input_max", 4},
    {"txt_Input_min", 4},
    {"txt_Output_max", 4},
    {"txt_Output_min", 4},
    {"opt_CJC", 4},
    {"opt_Fili", 6},
    {"opt_Break", 4},
    {"opt_funz", 6},
    {"opt_gradi", 2},
    {"opt_gradi_far", 2},
    {"txt_offset", 2},
    {"frm_cjc", 2},
    {"frm_fili", 2},
    {"frm_break", 2},
    {"frm_funz", 2},
    {"frm_options", 2},
    {"frm_output", 2},
    {"lbl_uMisIn", 6},
    {"lbl_uMisOut", 6},
    {"lbl_uMisS", 4},
    {"lbl_limite_in", 2},
    {"lbl_spanmin_in", 2},
    {"lbl_limite_out", 2},
    {"lbl_spanmin_out", 2},
    {"chk_Doubler", 1},
    {"chk_HS", 1},
    {"cmb_OverRange", 2},
    {"cmb_Freq_Type", 1},
    {"chk_50hz", 1},
    {"txt_Trig", 1},
    {"lbl_uMisTrig", 1},
    {"lbl_trig", 1},
    {"txt_aux_freq", 1},
    {"lbl_aux", 1},
    {"lbl_uMisAux", 1},
    {"txt_filter", 1},
    {"txt_Delay", 1},
    {"txt_soglia_H", 2},
    {"txt_soglia_L", 2},
    {"txt_soglia_Delay", 2},
    {"optTrip", 4},
    {"optRele", 4},
    {"cmd_math", 1},
    {"cmd_OperOk", 1},
    {"cmd_Operatore", 2},
    {"frm_modo", 4},
    {"frm_input", 4},
    {"txt_Fisico_max", 4},
    {"txt_Fisico_min", 4},
    {"txt_FisicoOut_max", 2},
    {"txt_FisicoOut_min", 2},
    {"frm_Oper", 1},
    {"opt_Oper", 8},
    {"txt_Opzione", 1},
    {"Frame1", 1},
    {"Cmd_ok", 1},
};

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

const QStringList& checkBoxes() {
    static const QStringList names = {kDoubler, kHighSpeed, k50Hz};
    return names;
}

QString key(const QString& name, int element) {
    return name + u'/' + QString::number(element);
}

} // namespace

const QStringList& EditorModel::OperatorCaptions() {
    static const QStringList captions = {
        QStringLiteral("= A"), QStringLiteral("= B"), QStringLiteral("A+B"), QStringLiteral("A-B"),
        QStringLiteral("A*B"), QStringLiteral("A/B"), QStringLiteral("MAX"), QStringLiteral("MIN"),
    };
    return captions;
}

int EditorModel::groupSize(const QString& group) {
    if (group == kCjc || group == kBreak || group == kTrip || group == kRele)
        return 2;
    if (group == kFili || group == kFunz)
        return 3;
    if (group == kOper)
        return 8;
    return 0;
}

EditorModel::EditorModel(const Catalogue& catalogue, const Texts& texts, QObject* parent)
    : QObject(parent), m_catalogue(catalogue), m_texts(texts) {
    for (const ControlDef& d : kControls)
        define(QString::fromLatin1(d.name), d.count);

    // The window's starting choices: first element of every group, Celsius, normal page.
    for (int c = 0; c < ChannelCount; ++c) {
        for (const QString& g : {kCjc, kFili, kBreak, kFunz, kTrip, kRele})
            find(g, groupSize(g) * c)->checked = true;
        find(kGradi, c)->checked = true;
        find(kOperButton, c)->text = OperatorCaptions().at(0);
    }
    find(kOper, 0)->checked = true;
    find(kModo, 3)->visible = false;
    find(kOperDialog, 0)->visible = false;
    find(kOperDelayFrame, 0)->visible = false;

    connect(&m_texts, &Texts::languageChanged, this, &EditorModel::onLanguageChanged);
    m_shownDoublerText = doublerText();
    setIdentity(DeviceIdentity{});
    // Fields nobody has typed into give the record's own values, before any read too.
    takeBaseline();
}

// ---------------------------------------------------------------- controls

void EditorModel::define(const QString& name, int count) {
    m_controls.insert(name, QList<ControlState>(count));
    m_order.append(name);
}

QStringList EditorModel::controlNames() const {
    return m_order;
}

int EditorModel::elementCount(const QString& name) const {
    return int(m_controls.value(name).size());
}

ControlState* EditorModel::find(const QString& name, int element) {
    auto it = m_controls.find(name);
    if (it == m_controls.end() || element < 0 || element >= it->size())
        return nullptr;
    return &(*it)[element];
}

const ControlState* EditorModel::find(const QString& name, int element) const {
    auto it = m_controls.constFind(name);
    if (it == m_controls.constEnd() || element < 0 || element >= it->size())
        return nullptr;
    return &it->at(element);
}

bool EditorModel::hasControl(const QString& name, int element) const {
    return find(name, element) != nullptr;
}

ControlState EditorModel::control(const QString& name, int element) const {
    const ControlState* s = find(name, element);
    return s ? *s : ControlState{};
}

QString EditorModel::text(const QString& name, int element) const {
    const ControlState* s = find(name, element);
    return s ? s->text : QString();
}

QStringList EditorModel::items(const QString& name, int element) const {
    const ControlState* s = find(name, element);
    return s ? s->items : QStringList();
}

bool EditorModel::checked(const QString& name, int element) const {
    const ControlState* s = find(name, element);
    return s && s->checked;
}

bool EditorModel::enabled(const QString& name, int element) const {
    const ControlState* s = find(name, element);
    return s && s->enabled;
}

bool EditorModel::visible(const QString& name, int element) const {
    const ControlState* s = find(name, element);
    return s && s->visible;
}

int EditorModel::choice(const QString& group, int channel) const {
    const int n = groupSize(group);
    for (int k = 0; k < n; ++k) {
        if (checked(group, n * channel + k))
            return k;
    }
    return -1;
}

void EditorModel::changed(const QString& name, int element) {
    Q_EMIT controlChanged(name, element);
}

void EditorModel::put(const QString& name, int element, const QString& text) {
    ControlState* s = find(name, element);
    if (!s || s->text == text)
        return;
    s->text = text;
    changed(name, element);
}

void EditorModel::putItems(const QString& name, int element, const QStringList& items) {
    ControlState* s = find(name, element);
    if (!s || s->items == items)
        return;
    s->items = items;
    changed(name, element);
}

void EditorModel::putChecked(const QString& name, int element, bool on) {
    ControlState* s = find(name, element);
    if (!s || (s->checked == on && !s->grey))
        return;
    s->checked = on;
    s->grey = false;
    changed(name, element);
}

void EditorModel::putEnabled(const QString& name, int element, bool on) {
    ControlState* s = find(name, element);
    if (!s || s->enabled == on)
        return;
    s->enabled = on;
    changed(name, element);
}

void EditorModel::putVisible(const QString& name, int element, bool on) {
    ControlState* s = find(name, element);
    if (!s || s->visible == on)
        return;
    s->visible = on;
    changed(name, element);
}

// Option buttons of one group exclude each other.
void EditorModel::select(const QString& group, int element) {
    const int n = groupSize(group);
    if (n == 0 || !find(group, element))
        return;
    const int first = element - element % n;
    for (int e = first; e < first + n; ++e)
        putChecked(group, e, e == element);
}

// ---------------------------------------------------------------- user actions

void EditorModel::setText(const QString& name, int element, const QString& text) {
    const ControlState* s = find(name, element);
    if (!s || !s->enabled)
        return;
    put(name, element, text);
    onTextChanged(name, element);
}

void EditorModel::click(const QString& name, int element) {
    const ControlState* s = find(name, element);
    if (!s || !s->enabled)
        return;
    if (checkBoxes().contains(name)) {
        setChecked(name, element, !s->checked);
        return;
    }
    onClicked(name, element);
}

void EditorModel::setChecked(const QString& name, int element, bool on) {
    const ControlState* s = find(name, element);
    if (!s || !s->enabled || !checkBoxes().contains(name) || (s->checked == on && !s->grey))
        return;
    putChecked(name, element, on);
    if (name == kDoubler)
        doublerChanged();
}

int EditorModel::checkBoxState(const QString& name) const {
    const ControlState s = control(name, 0);
    return s.grey ? 2 : s.checked ? 1 : 0;
}

void EditorModel::restoreCheckBoxState(const QString& name, int state) {
    ControlState* s = find(name, 0);
    if (!s || !checkBoxes().contains(name) || state < 0 || state > 2)
        return;
    const bool wasChecked = s->checked;
    putChecked(name, 0, state == 1);
    if (state == 2 && !s->grey) {
        s->grey = true;
        changed(name, 0);
    }
    if (name == kDoubler && wasChecked != (state == 1))
        doublerChanged();
}

void EditorModel::restoreOperator(int channel, int code) {
    if (channel < 0 || channel >= ChannelCount || code < 0 || code >= OperatorCaptions().size())
        return;
    m_operator[std::size_t(channel)] = code;
    put(kOperButton, channel, OperatorCaptions().at(code));
}

void EditorModel::onTextChanged(const QString& name, int element) {
    if (name == kIn)
        inputChanged(element);
    else if (name == kOut)
        outputChanged(element);
    else if (name == kFreq)
        freqChanged();
    else if (name == kOverRange)
        overRangeChanged(element);
    else if (name == kTripDelay && TripChannelCount(m_identity) == 2)
        put(kTripDelay, 1 - element, text(kTripDelay, element)); // one delay byte for both
    // The physical values are taken as typed: editing one recalculates nothing.
}

void EditorModel::onClicked(const QString& name, int element) {
    if (groupSize(name) > 0) {
        select(name, element);
        if (name == kOper)
            operatorChosen(element);
    } else if (name == kGradi) {
        unitChanged(element, false);
    } else if (name == kGradiFar) {
        unitChanged(element, true);
    } else if (name == kMath) {
        CopiaValori();
        putVisible(kModo, 3, true);
        putVisible(kModo, 1, false);
        putVisible(kModo, 2, false);
    } else if (name == kOperOk) {
        // Back to the normal page in full: the channels and the options frame the physical
        // page took the place of.
        putVisible(kModo, 1, true);
        putVisible(kModo, 2, true);
        putVisible(kModo, 3, false);
    } else if (name == kOperButton) {
        m_operatorChannel = element;
        const int code = m_operator[std::size_t(element)];
        select(kOper, code);
        putVisible(kOperDelayFrame, 0, code == 6 || code == 7);
        putVisible(kOperDialog, 0, true);
        Q_EMIT operatorDialogRequested(element);
    } else if (name == kOperDialogOk) {
        putVisible(kOperDialog, 0, false);
    }
}

// ---------------------------------------------------------------- identity and lists

void EditorModel::setIdentity(const DeviceIdentity& identity) {
    m_identity = identity;
    fillLists();
    if (m_identity.ModelByte == 7) {
        // The frequency model has one input type, whatever its lists show.
        for (int c = 0; c < ChannelCount; ++c)
            setInputCode(c, input_code::Freq);
    }
    putEnabled(kDoubler, 0, hasDoubler());
    if (!hasDoubler())
        putChecked(kDoubler, 0, false);
    for (int c = 0; c < ChannelCount; ++c) {
        applyInputLabels(c);
        EnableSections(c);
    }
    if (!usesChannelB())
        clearChannelB(true);
}

bool EditorModel::usesChannelB() const {
    return UsesChannelB(m_identity, checked(kDoubler));
}

void EditorModel::clearChannelB(bool outputSide) {
    for (const QString& n : {kInMax, kInMin, kOffset})
        put(n, 1, QString());
    // The doubler's entry and the labels of the input it repeats stay.
    if (!m_channel1Doubled) {
        for (const QString& n :
             {kIn, QStringLiteral("lbl_limite_in"), QStringLiteral("lbl_spanmin_in")})
            put(n, 1, QString());
        put(kUnitIn, 2, QString());
        put(kUnitIn, 3, QString());
    }
    if (!outputSide)
        return;
    for (const QString& n : {kOut, kOutMax, kOutMin, QStringLiteral("lbl_limite_out"),
                             QStringLiteral("lbl_spanmin_out")})
        put(n, 1, QString());
    put(kUnitOut, 2, QString());
    put(kUnitOut, 3, QString());
}

void EditorModel::showChannelBOutput() {
    if (!text(kOut, 1).isEmpty())
        return; // what the user typed there stays
    put(kOut, 1, m_catalogue.Output(m_base.raw.outputCode[1]).name);
    outputChanged(1); // the full range of the type, until a read says otherwise
    if (m_mainBlock.isEmpty())
        return;
    put(kOutMax, 1, FormatRange(m_base.channels[1].outputEnd));
    put(kOutMin, 1, FormatRange(m_base.channels[1].outputStart));
    // Unedited, they give back the values read.
    for (const QString& n : {kOutMax, kOutMin})
        m_baseline.insert(key(n, 1), text(n, 1));
}

void EditorModel::fillLists() {
    const TypeLists lists = m_catalogue.FillTypeLists(m_identity);
    for (int c = 0; c < ChannelCount; ++c) {
        putItems(kIn, c, lists.input);
        putItems(kOut, c, lists.output);
    }
    putItems(kFreq, 0, lists.freq);
    for (int i = 0; i < 2; ++i)
        putItems(kOverRange, i, lists.overRange);
}

QString EditorModel::doublerText() const {
    return m_texts.lang(31);
}

void EditorModel::onLanguageChanged() {
    const QString now = doublerText();
    if (m_channel1Doubled && text(kIn, 1) == m_shownDoublerText)
        put(kIn, 1, now);
    m_shownDoublerText = now;
}

// ---------------------------------------------------------------- handlers

double EditorModel::inputMin(int code) const {
    if (code == input_code::Volt10) {
        const int m = m_identity.ModelByte;
        if (m == 0 || m == 8)
            return -10;
        if (m >= 2 && m <= 6)
            return 0;
    }
    return m_catalogue.Input(code).min;
}

bool EditorModel::showsFahrenheit(int channel) const {
    return m_fahrenheit[std::size_t(channel)] &&
           IsTemperatureType(m_inputCode[std::size_t(channel)]);
}

void EditorModel::inputChanged(int c) {
    const QString t = text(kIn, c);
    int code = 0;
    if (m_identity.ModelByte == 7) {
        code = input_code::Freq;
    } else if (c == 1 && !t.isEmpty() && t == doublerText()) {
        code = m_inputCode[0];
        m_channel1Doubled = true;
        m_shownDoublerText = t;
    } else {
        const std::optional<int> found = m_catalogue.FindInputType(t);
        if (!found)
            return; // no row of that name: the channel keeps its code
        code = *found;
        if (c == 1)
            m_channel1Doubled = false;
    }
    const auto apply = [this](int ch, int inputCode) {
        setInputCode(ch, inputCode);
        applyInputLabels(ch);
        EnableSections(ch);
    };
    apply(c, code);
    if (c == 0 && m_channel1Doubled)
        apply(1, code);
}

void EditorModel::setInputCode(int c, int code) {
    m_inputCode[std::size_t(c)] = code;
    const InputType& row = m_catalogue.Input(code);
    m_limits[std::size_t(c)] = {row.unit, row.unitFahrenheit, inputMin(code), row.max, row.minSpan};
}

// Unit, limit and span labels of a channel's input, in the unit the channel shows.
void EditorModel::applyInputLabels(int c) {
    const int code = m_inputCode[std::size_t(c)];
    if (code == input_code::Eeprom)
        return; // "keep the device's programming" has no unit or limits to show
    const InputType& row = m_catalogue.Input(code);
    QString unit = row.unit;
    double min = inputMin(code);
    double max = row.max;
    double span = row.minSpan;
    if (showsFahrenheit(c)) {
        unit = row.unitFahrenheit;
        min = Val(CtoF(min));
        max = Val(CtoF(max));
        span = Val(CtoF(span)) - 32;
    }
    put(kUnitIn, 2 * c, unit);
    put(kUnitIn, 2 * c + 1, unit);
    // The threshold labels follow the channels that have trips; channel B of the single-trip
    // model must not take them over.
    if (!(HasTrips(m_identity) && c >= TripChannelCount(m_identity))) {
        for (int e = 0; e < 4; ++e)
            put(kUnitTrip, e, unit);
    }
    put(QStringLiteral("lbl_limite_in"), c,
        ShortNumber(min) + QStringLiteral(" ÷ ") + ShortNumber(max) + u' ' + unit);
    put(QStringLiteral("lbl_spanmin_in"), c,
        QStringLiteral("Span min.: ") + ShortNumber(span) + u' ' + unit);
}

void EditorModel::outputChanged(int c) {
    const std::optional<int> found = m_catalogue.FindOutputType(text(kOut, c));
    if (!found)
        return;
    m_outputCode[std::size_t(c)] = *found;
    const OutputType& row = m_catalogue.Output(*found);
    put(kUnitOut, 2 * c, row.unit);
    put(kUnitOut, 2 * c + 1, row.unit);
    put(kOutMin, c, FormatRange(row.min));
    put(kOutMax, c, FormatRange(row.max));
    put(QStringLiteral("lbl_limite_out"), c,
        ShortNumber(row.min) + QStringLiteral(" ÷ ") + ShortNumber(row.max) + u' ' + row.unit);
    put(QStringLiteral("lbl_spanmin_out"), c,
        QStringLiteral("Span min.: ") + ShortNumber(row.minSpan) + u' ' + row.unit);
}

void EditorModel::freqChanged() {
    const std::optional<int> found = m_catalogue.FindFreqType(text(kFreq));
    if (!found)
        return;
    m_freqCode = *found;
    // Only the voltage sensor has an adjustable trigger and an auxiliary frequency.
    const bool volt = *found == 6;
    for (const char* n :
         {"lbl_aux", "txt_aux_freq", "lbl_uMisAux", "txt_Trig", "lbl_trig", "lbl_uMisTrig"})
        putVisible(QString::fromLatin1(n), 0, volt);
    const FreqType& row = m_catalogue.Freq(*found);
    put(kTrig, 0, QString::number(row.defaultTrigger));
    put(QStringLiteral("lbl_uMisTrig"), 0, row.triggerUnit);
}

void EditorModel::overRangeChanged(int end) {
    if (const std::optional<int> code = m_catalogue.FindOverRangeCode(text(kOverRange, end)))
        m_overRange[std::size_t(end)] = *code;
}

void EditorModel::doublerChanged() {
    const bool on = checked(kDoubler);
    if (on) {
        put(kIn, 1, doublerText());
        inputChanged(1);
        if (isSingleChannel())
            showChannelBOutput();
    } else if (m_channel1Doubled) {
        m_channel1Doubled = false;
        if (isSingleChannel()) {
            clearChannelB(true);
        } else {
            put(kIn, 1, m_catalogue.Input(m_inputCode[1]).name);
            inputChanged(1);
        }
    }
    EnableSections(1);
}

void EditorModel::unitChanged(int c, bool fahrenheit) {
    const auto uc = std::size_t(c);
    if (m_fahrenheit[uc] != fahrenheit) {
        if (IsTemperatureType(m_inputCode[uc])) {
            const auto convert = [&](const QString& name, int element, bool span) {
                const TypedNumber n = ParseTypedNumber(text(name, element));
                if (!n.ok())
                    return; // left as typed, for the write to refuse
                const double v = n.value;
                QString t;
                if (span)
                    t = fahrenheit ? CtoFSpan(v) : FtoCSpan(v);
                else
                    t = fahrenheit ? CtoF(v) : FtoC(v);
                put(name, element, t);
            };
            convert(kInMax, c, false);
            convert(kInMin, c, false);
            convert(kOffset, c, true);
            if (c == 0) {
                convert(kHigh, 0, false);
                convert(kLow, 0, false);
            }
        }
        m_fahrenheit[uc] = fahrenheit;
        applyInputLabels(c);
    }
    putChecked(kGradi, c, !fahrenheit);
    putChecked(kGradiFar, c, fahrenheit);
}

void EditorModel::operatorChosen(int k) {
    const int c = m_operatorChannel;
    putVisible(kFrmInput, 3, true);
    m_operator[std::size_t(c)] = k;
    putVisible(kOperDelayFrame, 0, k == 6 || k == 7);
    put(kOperButton, c, OperatorCaptions().value(k));
}

// ---------------------------------------------------------------- rules

void EditorModel::EnableSections(int c) {
    const int model = m_identity.ModelByte;
    const QString cjc = QStringLiteral("frm_cjc");
    const QString fili = QStringLiteral("frm_fili");
    const QString brk = QStringLiteral("frm_break");
    const QString funz = QStringLiteral("frm_funz");
    if (c == 1 && !usesChannelB()) {
        // No channel B on this model: nothing of it is available, and whatever its record
        // part holds decides nothing (high speed follows channel A alone).
        for (const QString& n : {cjc, fili, brk, funz, kGradi, kGradiFar,
                                 QStringLiteral("frm_options"), QStringLiteral("frm_output")})
            putEnabled(n, 1, false);
        return;
    }

    bool cjcOn = false, filiOn = false, breakOn = false, funzOn = false;
    bool tankOn = true, mathOn = false, unitsOn = true;
    if (model == 0) {
        tankOn = false;
        breakOn = true;
    } else if (model == 4) {
        breakOn = true;
    } else if (model == 5) {
        breakOn = true;
        mathOn = true;
    } else if (model == 7) {
        unitsOn = false;
    }

    const int code = m_inputCode[std::size_t(c)];
    // Whether the type lets the converter run at high speed: the linearised and cold-junction
    // compensated types need the slow conversion. Unset for types not in the table.
    std::optional<bool> highSpeed;
    bool unitsByType = false;
    if (code >= 1 && code <= 3) {
        breakOn = true;
        highSpeed = true;
        funzOn = model == 5;
    } else if (code == 4 || code == 5) {
        highSpeed = true;
        funzOn = model == 5;
        select(kCjc, 2 * c + 1);
    } else if (IsThermocoupleType(code)) {
        cjcOn = code != 12; // "Tc B" needs no cold junction
        breakOn = true;
        unitsByType = true;
        highSpeed = false;
    } else if ((code >= 16 && code <= 21) || (code >= 24 && code <= 30)) {
        filiOn = true;
        breakOn = true;
        unitsByType = code >= 18 && code <= 28;
        highSpeed = false;
    } else if (code == 22 || code == 23) {
        breakOn = true;
        highSpeed = true;
    }

    putEnabled(cjc, c, cjcOn);
    putEnabled(fili, c, filiOn);
    putEnabled(brk, c, breakOn);
    putEnabled(funz, c, funzOn);
    putEnabled(kMath, 0, mathOn);
    putEnabled(kFunz, 1, tankOn);
    putEnabled(kFunz, 4, tankOn);
    putEnabled(kGradi, c, unitsOn && unitsByType);
    putEnabled(kGradiFar, c, unitsOn && unitsByType);
    if (highSpeed) {
        putEnabled(kHighSpeed, 0, *highSpeed);
        if (!*highSpeed)
            putChecked(kHighSpeed, 0, false);
    }

    const bool doubled = checked(kDoubler);
    if (doubled) {
        putEnabled(fili, 1, false);
        putEnabled(cjc, 1, false);
    }
    // On a single-channel model channel B's output is the doubler's; a model read after it
    // gets it back.
    putEnabled(QStringLiteral("frm_options"), 1, usesChannelB());
    putEnabled(QStringLiteral("frm_output"), 1, usesChannelB());
}

void EditorModel::CopiaValori() {
    for (int c = 0; c < ChannelCount; ++c) {
        for (const QString& n : {kInMin, kInMax, kOutMin, kOutMax})
            put(n, 2 + c, text(n, c));
        put(kUnitIn, 4 + c, text(kUnitIn, 2 * c));
        put(kUnitOut, 4 + c, text(kUnitOut, 2 * c));
    }
}

// ---------------------------------------------------------------- record

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
}

void EditorModel::acceptWritten(const ConfigRecord& record, const QByteArray& mainBlock) {
    m_base = record;
    m_mainBlock = mainBlock;
    takeBaseline();
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
