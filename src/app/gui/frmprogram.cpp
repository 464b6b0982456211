#include "frmprogram.h"

#include "editorbinding.h"
#include "editormodel.h"
#include "hideuntilexit.h"
#include "switchsummary.h"
#include "texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vantelso::gui {

namespace {

// Field widths in characters: ranges and thresholds hold up to "-32768.123".
constexpr int kNumberChars = 8;
constexpr int kShortChars = 5;

QLabel* caption(QWidget* parent, const QString& name) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    return l;
}

QGroupBox* group(QWidget* parent, const QString& name) {
    auto* g = new QGroupBox(parent);
    g->setObjectName(name);
    return g;
}

QLineEdit* numberField(QWidget* parent, int chars) {
    auto* e = new QLineEdit(parent);
    const int w = e->fontMetrics().horizontalAdvance(QString(chars, u'8')) + 14;
    e->setMinimumWidth(w);
    e->setMaximumWidth(w + 10);
    return e;
}

// Type lists are as wide as a usual type name, not as the longest one.
QComboBox* typeList(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(9);
    return box;
}

// Unit labels take the width of the longest unit so the columns do not move.
QLabel* unitLabel(QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("mV/V")) + 4);
    return l;
}

QString n(int c, const char* base) {
    return QLatin1String(base) + u'_' + QString::number(c);
}

// What the switches set on each channel, in the switch summary's words: input, range, output
// and its direction ("Tc K 0 ÷ 190 °C -> 4-20 mA"); empty where the record decides.
std::array<QString, 2> describeSwitches(const Catalogue& catalogue, const DeviceIdentity& id,
                                        switches::SwitchBytes bytes, const ConfigRecord& record,
                                        const Texts& texts) {
    const switches::SwitchSummary s = switches::Summarise(id, bytes, catalogue, texts, &record);
    std::array<QString, 2> out;
    for (int c = 0; c < s.channelCount && c < int(out.size()); ++c) {
        const switches::ChannelSummary& ch = s.channels[std::size_t(c)];
        if (!ch.switched)
            continue;
        QStringList parts{ch.inputName};
        if (const QString range = switches::RangeText(ch); !range.isEmpty())
            parts << range;
        if (!ch.outputName.isEmpty())
            parts << QStringLiteral("-> ") + ch.outputName;
        if (ch.reverse)
            parts << texts.lang(59);
        out[std::size_t(c)] = parts.join(u' ');
    }
    return out;
}

} // namespace

FrmProgram::FrmProgram(EditorModel& model, QWidget* parent) : QWidget(parent), m_model(model) {
    setObjectName(QStringLiteral("frm_program"));
    m_binding = new EditorBinding(model, this);
    model.setSwitchDescriber(
        [&catalogue = model.catalogue()](const DeviceIdentity& id, switches::SwitchBytes bytes,
                                         const ConfigRecord& record, const Texts& texts) {
            return describeSwitches(catalogue, id, bytes, record, texts);
        });

    auto* top = new QVBoxLayout(this);
    // Never squeezed below what its texts need; the work area scrolls instead.
    top->setSizeConstraint(QLayout::SetMinimumSize);
    auto* frame = new QWidget(this);
    top->addWidget(frame);
    m_binding->bind(frame, QStringLiteral("frm_modo"), 0);
    auto* v = new QVBoxLayout(frame);
    v->setContentsMargins(0, 0, 0, 0);

    auto* channels = new QWidget(frame);
    m_binding->bind(channels, QStringLiteral("frm_modo"), 2);
    auto* h = new QHBoxLayout(channels);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(buildChannel(0));
    h->addWidget(buildChannel(1));
    v->addWidget(channels);
    v->addWidget(buildCommon());
    v->addWidget(buildPhysicalPage());
    v->addStretch(1);
    applyLayout(m_layout);
}

QWidget* FrmProgram::control(const QString& name, int element) const {
    return m_binding->widget(name, element);
}

QWidget* FrmProgram::buildChannel(int c) {
    EditorBinding& b = *m_binding;
    auto* column = group(this, n(c, "frm_channel"));
    auto* grid = new QGridLayout(column);

    // Input: type, range, limits, unit and offset; then the groups that follow the type.
    auto* inputs = new QWidget(column);
    inputs->setObjectName(n(c, "pnl_in"));
    auto* inGrid = new QGridLayout(inputs);
    inGrid->setContentsMargins(0, 0, 0, 0);

    auto* in = group(inputs, {});
    b.bind(in, QStringLiteral("frm_input"), c);
    auto* g = new QGridLayout(in);
    g->addWidget(caption(in, n(c, "lbl_tipo_in")), 0, 0);
    auto* type = typeList(in);
    b.bind(type, QStringLiteral("cmb_Prog_In"), c);
    g->addWidget(type, 0, 1, 1, 2);
    g->addWidget(caption(in, n(c, "lbl_max_in")), 1, 0);
    auto* max = numberField(in, kNumberChars);
    b.bind(max, QStringLiteral("txt_Input_max"), c);
    g->addWidget(max, 1, 1);
    auto* unit = unitLabel(in);
    b.bind(unit, QStringLiteral("lbl_uMisIn"), 2 * c);
    g->addWidget(unit, 1, 2);
    g->addWidget(caption(in, n(c, "lbl_min_in")), 2, 0);
    auto* min = numberField(in, kNumberChars);
    b.bind(min, QStringLiteral("txt_Input_min"), c);
    g->addWidget(min, 2, 1);
    unit = unitLabel(in);
    b.bind(unit, QStringLiteral("lbl_uMisIn"), 2 * c + 1);
    g->addWidget(unit, 2, 2);
    auto* limit = new QLabel(in);
    b.bind(limit, QStringLiteral("lbl_limite_in"), c);
    g->addWidget(limit, 3, 0, 1, 3);
    auto* span = new QLabel(in);
    b.bind(span, QStringLiteral("lbl_spanmin_in"), c);
    g->addWidget(span, 4, 0, 1, 3);
    auto* units = new QHBoxLayout;
    auto* celsius = new QRadioButton(in);
    b.bind(celsius, QStringLiteral("opt_gradi"), c);
    auto* fahrenheit = new QRadioButton(in);
    b.bind(fahrenheit, QStringLiteral("opt_gradi_far"), c);
    units->addWidget(celsius);
    units->addWidget(fahrenheit);
    units->addStretch(1);
    g->addLayout(units, 5, 0, 1, 3);
    g->addWidget(caption(in, n(c, "lbl_offset")), 6, 0);
    auto* offset = numberField(in, kShortChars);
    b.bind(offset, QStringLiteral("txt_offset"), c);
    g->addWidget(offset, 6, 1);
    // On a switch-configured device: what the switches set in place of these fields.
    auto* switchNote = new QLabel(in);
    switchNote->setWordWrap(true);
    b.bind(switchNote, QStringLiteral("lbl_switch_note"), c);
    g->addWidget(switchNote, 7, 0, 1, 3);
    g->setColumnStretch(1, 1);
    g->setRowStretch(8, 1);
    inGrid->addWidget(in, 0, 0, 4, 1);

    // Option groups: cold junction, wires and burn-out side by side, functions below.
    const auto options = [&](const char* frameName, const char* optionName, int count,
                             bool vertical) {
        auto* frm = group(inputs, {});
        b.bind(frm, QLatin1String(frameName), c);
        QBoxLayout* l = vertical ? static_cast<QBoxLayout*>(new QVBoxLayout(frm))
                                 : static_cast<QBoxLayout*>(new QHBoxLayout(frm));
        l->setContentsMargins(6, 2, 6, 2);
        for (int k = 0; k < count; ++k) {
            auto* o = new QRadioButton(frm);
            b.bind(o, QLatin1String(optionName), count * c + k);
            l->addWidget(o);
        }
        l->addStretch(1);
        return frm;
    };
    inGrid->addWidget(options("frm_cjc", "opt_CJC", 2, false), 0, 1);
    inGrid->addWidget(options("frm_fili", "opt_Fili", 3, false), 1, 1);
    inGrid->addWidget(options("frm_break", "opt_Break", 2, false), 2, 1);
    inGrid->addWidget(options("frm_funz", "opt_funz", 3, true), 3, 1);
    grid->addWidget(inputs, 0, 0, 1, 2);

    // Output: type, range, limits; over-range beside it.
    auto* out = group(column, {});
    b.bind(out, QStringLiteral("frm_output"), c);
    g = new QGridLayout(out);
    g->addWidget(caption(out, n(c, "lbl_tipo_out")), 0, 0);
    type = typeList(out);
    b.bind(type, QStringLiteral("cmb_Prog_Out"), c);
    g->addWidget(type, 0, 1, 1, 2);
    g->addWidget(caption(out, n(c, "lbl_max_out")), 1, 0);
    max = numberField(out, kNumberChars);
    b.bind(max, QStringLiteral("txt_Output_max"), c);
    g->addWidget(max, 1, 1);
    unit = unitLabel(out);
    b.bind(unit, QStringLiteral("lbl_uMisOut"), 2 * c);
    g->addWidget(unit, 1, 2);
    g->addWidget(caption(out, n(c, "lbl_min_out")), 2, 0);
    min = numberField(out, kNumberChars);
    b.bind(min, QStringLiteral("txt_Output_min"), c);
    g->addWidget(min, 2, 1);
    unit = unitLabel(out);
    b.bind(unit, QStringLiteral("lbl_uMisOut"), 2 * c + 1);
    g->addWidget(unit, 2, 2);
    limit = new QLabel(out);
    b.bind(limit, QStringLiteral("lbl_limite_out"), c);
    g->addWidget(limit, 3, 0, 1, 3);
    span = new QLabel(out);
    b.bind(span, QStringLiteral("lbl_spanmin_out"), c);
    g->addWidget(span, 4, 0, 1, 3);
    g->setColumnStretch(1, 1);
    grid->addWidget(out, 1, 0);

    auto* over = group(column, {});
    b.bind(over, QStringLiteral("frm_options"), c);
    auto* ol = new QVBoxLayout(over);
    auto* overRange = typeList(over);
    overRange->setMinimumContentsLength(5);
    b.bind(overRange, QStringLiteral("cmb_OverRange"), c);
    ol->addWidget(overRange);
    ol->addStretch(1);
    grid->addWidget(over, 1, 1);

    // Trips: thresholds and delay on the left, directions on the right.
    auto* trips = group(column, n(c, "frm_soglie"));
    g = new QGridLayout(trips);
    const auto threshold = [&](int row, const char* labelName, const char* field, int unitElement) {
        g->addWidget(caption(trips, n(c, labelName)), row, 0);
        auto* e = numberField(trips, kNumberChars);
        b.bind(e, QLatin1String(field), c);
        g->addWidget(e, row, 1);
        if (unitElement >= 0) {
            auto* u = unitLabel(trips);
            b.bind(u, QStringLiteral("lbl_uMisS"), unitElement);
            g->addWidget(u, row, 2);
        } else {
            g->addWidget(caption(trips, n(c, "lbl_soglia_s")), row, 2);
        }
    };
    threshold(0, "lbl_soglia_H", "txt_soglia_H", 2 * c);
    threshold(1, "lbl_soglia_L", "txt_soglia_L", 2 * c + 1);
    threshold(2, "lbl_soglia_Delay", "txt_soglia_Delay", -1);
    // Directions below the delay: their captions are the longest words of the group.
    const auto direction = [&](int row, const char* labelName, const char* optionName) {
        g->addWidget(caption(trips, n(c, labelName)), row, 3);
        for (int k = 0; k < 2; ++k) {
            auto* o = new QRadioButton(trips);
            b.bind(o, QLatin1String(optionName), 2 * c + k);
            g->addWidget(o, row, 4 + k);
        }
    };
    direction(0, "lbl_trip_dir", "optTrip");
    direction(1, "lbl_rele", "optRele");
    g->setColumnStretch(6, 1);
    g->setColumnMinimumWidth(3, 12);
    grid->addWidget(trips, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
    return column;
}

QWidget* FrmProgram::buildCommon() {
    EditorBinding& b = *m_binding;
    auto* common = group(this, {});
    b.bind(common, QStringLiteral("frm_modo"), 1);
    auto* h = new QHBoxLayout(common);

    auto* g = new QGridLayout;
    auto* doubler = new QCheckBox(common);
    b.bind(doubler, QStringLiteral("chk_Doubler"), 0);
    g->addWidget(doubler, 0, 0);
    auto* highSpeed = new QCheckBox(common);
    b.bind(highSpeed, QStringLiteral("chk_HS"), 0);
    g->addWidget(highSpeed, 1, 0);
    g->addWidget(caption(common, QStringLiteral("lbl_filter")), 0, 1);
    auto* filter = numberField(common, kShortChars);
    b.bind(filter, QStringLiteral("txt_filter"), 0);
    g->addWidget(filter, 0, 2);
    auto* response = new QWidget(common);
    response->setObjectName(QStringLiteral("pnl_response"));
    auto* rl = new QHBoxLayout(response);
    rl->setContentsMargins(0, 0, 0, 0);
    rl->addWidget(caption(response, QStringLiteral("lbl_response")));
    auto* delay = numberField(response, kShortChars);
    b.bind(delay, QStringLiteral("txt_Delay"), 0);
    rl->addWidget(delay);
    rl->addWidget(caption(response, QStringLiteral("lbl_response_s")));
    g->addWidget(response, 1, 1, 1, 3);
    auto* math = new QPushButton(common);
    b.bind(math, QStringLiteral("cmd_math"), 0);
    g->addWidget(math, 0, 3);
    h->addLayout(g);

    auto* freq = group(common, QStringLiteral("frm_freq"));
    auto* fg = new QGridLayout(freq);
    fg->addWidget(caption(freq, QStringLiteral("lbl_freq_type")), 0, 0);
    auto* sensor = typeList(freq);
    b.bind(sensor, QStringLiteral("cmb_Freq_Type"), 0);
    fg->addWidget(sensor, 0, 1);
    auto* mains = new QCheckBox(freq);
    b.bind(mains, QStringLiteral("chk_50hz"), 0);
    fg->addWidget(mains, 0, 2, 1, 2);
    const auto row = [&](int r, const char* label, const char* field, const char* unitName) {
        auto* l = new QLabel(freq);
        b.bind(l, QLatin1String(label), 0);
        fg->addWidget(l, r, 0);
        auto* e = numberField(freq, kShortChars);
        b.bind(e, QLatin1String(field), 0);
        fg->addWidget(e, r, 1);
        auto* u = unitLabel(freq);
        b.bind(u, QLatin1String(unitName), 0);
        fg->addWidget(u, r, 2);
    };
    row(1, "lbl_trig", "txt_Trig", "lbl_uMisTrig");
    row(2, "lbl_aux", "txt_aux_freq", "lbl_uMisAux");
    fg->setColumnStretch(3, 1);
    h->addWidget(freq, 1);
    return common;
}

QWidget* FrmProgram::buildPhysicalPage() {
    EditorBinding& b = *m_binding;
    auto* page = group(this, {});
    b.bind(page, QStringLiteral("frm_modo"), 3);
    auto* grid = new QGridLayout(page);

    // Per channel: the input range as set (read-only copy) beside its physical values.
    const auto header = [&](QWidget* parent, QGridLayout* g) {
        g->addWidget(caption(parent, QStringLiteral("lbl_col_analog")), 0, 1, 1, 2);
        g->addWidget(caption(parent, QStringLiteral("lbl_col_fisico")), 0, 3);
    };
    const auto copy = [&](QWidget* parent, const char* name, int element) {
        auto* e = numberField(parent, kNumberChars);
        e->setReadOnly(true);
        b.bind(e, QLatin1String(name), element);
        return e;
    };
    for (int c = 0; c < 2; ++c) {
        auto* in = group(page, {});
        b.bind(in, QStringLiteral("frm_input"), 2 + c);
        auto* g = new QGridLayout(in);
        header(in, g);
        g->addWidget(caption(in, QStringLiteral("lbl_fis_max")), 1, 0);
        g->addWidget(copy(in, "txt_Input_max", 2 + c), 1, 1);
        auto* unit = unitLabel(in);
        b.bind(unit, QStringLiteral("lbl_uMisIn"), 4 + c);
        g->addWidget(unit, 1, 2);
        auto* phys = numberField(in, kNumberChars);
        b.bind(phys, QStringLiteral("txt_Fisico_max"), 2 + c);
        g->addWidget(phys, 1, 3);
        g->addWidget(caption(in, QStringLiteral("lbl_fis_min")), 2, 0);
        g->addWidget(copy(in, "txt_Input_min", 2 + c), 2, 1);
        phys = numberField(in, kNumberChars);
        b.bind(phys, QStringLiteral("txt_Fisico_min"), 2 + c);
        g->addWidget(phys, 2, 3);
        g->setColumnStretch(4, 1);
        grid->addWidget(in, 0, c);
    }

    // Outputs: the range of each channel's output with the physical values at its ends.
    auto* out = group(page, QStringLiteral("frm_fis_out"));
    auto* g = new QGridLayout(out);
    for (int c = 0; c < 2; ++c) {
        const int col = 5 * c;
        g->addWidget(caption(out, QStringLiteral("lbl_oper_%1").arg(c)), 0, col);
        g->addWidget(caption(out, QStringLiteral("lbl_col_analog")), 0, col + 1, 1, 2);
        g->addWidget(caption(out, QStringLiteral("lbl_col_fisico")), 0, col + 3);
        g->addWidget(caption(out, QStringLiteral("lbl_fis_max")), 1, col);
        g->addWidget(copy(out, "txt_Output_max", 2 + c), 1, col + 1);
        auto* unit = unitLabel(out);
        b.bind(unit, QStringLiteral("lbl_uMisOut"), 4 + c);
        g->addWidget(unit, 1, col + 2);
        auto* phys = numberField(out, kNumberChars);
        b.bind(phys, QStringLiteral("txt_FisicoOut_max"), c);
        g->addWidget(phys, 1, col + 3);
        g->addWidget(caption(out, QStringLiteral("lbl_fis_min")), 2, col);
        g->addWidget(copy(out, "txt_Output_min", 2 + c), 2, col + 1);
        phys = numberField(out, kNumberChars);
        b.bind(phys, QStringLiteral("txt_FisicoOut_min"), c);
        g->addWidget(phys, 2, col + 3);
        g->setColumnMinimumWidth(col + 4, 16);
    }
    g->setColumnStretch(9, 1);
    grid->addWidget(out, 1, 0, 1, 2);

    // The algebraic function of each channel, chosen in the operator dialog.
    auto* oper = group(page, QStringLiteral("frm_operatore"));
    auto* ol = new QHBoxLayout(oper);
    for (int c = 0; c < 2; ++c) {
        ol->addWidget(caption(oper, QStringLiteral("lbl_oper_%1").arg(c)));
        auto* button = new QPushButton(oper);
        b.bind(button, QStringLiteral("cmd_Operatore"), c);
        ol->addWidget(button);
        ol->addSpacing(16);
    }
    ol->addStretch(1);
    auto* ok = new QPushButton(oper);
    b.bind(ok, QStringLiteral("cmd_OperOk"), 0);
    ol->addWidget(ok);
    grid->addWidget(oper, 2, 0, 1, 2);
    return page;
}

void FrmProgram::applyLayout(const app::ProgramLayout& layout) {
    m_layout = layout;
    for (int c = 0; c < 2; ++c) {
        if (auto* trips = findChild<QWidget*>(n(c, "frm_soglie")))
            trips->setEnabled(layout.trips[std::size_t(c)]);
    }
    findChild<QWidget*>(QStringLiteral("frm_freq"))->setEnabled(layout.frequency);
    findChild<QWidget*>(QStringLiteral("pnl_in_1"))->setEnabled(layout.channelBInput);
    findChild<QWidget*>(QStringLiteral("pnl_response"))->setEnabled(layout.responseTime);
    // Only the math model has the physical-scaling page; leave it when another model came.
    if (!layout.physical && m_model.visible(QStringLiteral("frm_modo"), 3))
        m_model.click(QStringLiteral("cmd_OperOk"));
}

// ---------------------------------------------------------------- operator dialog

FrmOper::FrmOper(EditorModel& model, std::function<bool()> exiting, QWidget* parent)
    : QDialog(parent), m_model(model), m_exiting(exiting) {
    setModal(true);
    // Closing answers like OK: the editor model hides the dialog.
    HideUntilExit(this, std::move(exiting), [this] { m_model.click(QStringLiteral("Cmd_ok")); });
    m_binding = new EditorBinding(model, this);

    auto* top = new QVBoxLayout(this);
    top->setSizeConstraint(QLayout::SetMinimumSize);
    auto* functions = group(this, QStringLiteral("fra_Oper"));
    auto* g = new QGridLayout(functions);
    for (int k = 0; k < 8; ++k) {
        auto* o = new QRadioButton(functions);
        m_binding->bind(o, QStringLiteral("opt_Oper"), k);
        g->addWidget(o, k % 4, k / 4);
    }
    top->addWidget(functions);

    auto* delayFrame = group(this, {});
    auto* dl = new QHBoxLayout(delayFrame);
    dl->addWidget(caption(delayFrame, QStringLiteral("lbl_oper_delay")));
    auto* delay = numberField(delayFrame, kShortChars);
    m_binding->bind(delay, QStringLiteral("txt_Opzione"), 0);
    dl->addWidget(delay);
    dl->addWidget(caption(delayFrame, QStringLiteral("lbl_oper_sec")));
    dl->addStretch(1);
    m_binding->bind(delayFrame, QStringLiteral("Frame1"), 0);
    top->addWidget(delayFrame);

    auto* ok = new QPushButton(this);
    ok->setDefault(true);
    m_binding->bind(ok, QStringLiteral("Cmd_ok"), 0);
    top->addWidget(ok, 0, Qt::AlignRight);
    // Last: binding the dialog itself shows it when the model says so.
    m_binding->bind(this, QStringLiteral("frm_Oper"), 0);
}

QWidget* FrmOper::control(const QString& name, int element) const {
    return m_binding->widget(name, element);
}

void FrmOper::reject() {
    if (m_exiting && m_exiting()) {
        QDialog::reject();
        return;
    }
    m_model.click(QStringLiteral("Cmd_ok"));
}

} // namespace vantelso::gui
