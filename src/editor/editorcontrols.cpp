// The editor's controls: the table of the window's controls, their state, programmatic changes
// and what the user does to them.

#include "editormodel.h"

#include "editorcontrolnames.h"
#include "texts.h"

namespace vantelso {

using namespace editorcontrols;

namespace {

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
    {"lbl_switch_note", 2},
};

const QStringList& checkBoxes() {
    static const QStringList names = {kDoubler, kHighSpeed, k50Hz};
    return names;
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
    for (int c = 0; c < ChannelCount; ++c)
        find(kSwitchNote, c)->visible = false;

    connect(&m_texts, &Texts::languageChanged, this, &EditorModel::onLanguageChanged);
    m_shownDoublerText = doublerText();
    setIdentity(DeviceIdentity{});
    // Fields nobody has typed into give the record's own values, before any read too.
    takeBaseline();
}

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

} // namespace vantelso
