#include "frmswitch.h"

#include "dipbanks.h"
#include "lamp.h"
#include "owntexts.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vantelso::gui {

using switches::SwitchGuide;

namespace {

QString indexed(const char* name, int i) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i);
}

template <typename T> T* named(T* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

void setItems(QComboBox* box, const QStringList& items, int current) {
    const QSignalBlocker block(box);
    QStringList now;
    for (int i = 0; i < box->count(); ++i)
        now << box->itemText(i);
    if (now != items) {
        box->clear();
        box->addItems(items);
    }
    box->setCurrentIndex(current);
}

void setItems(QListWidget* list, const QStringList& items, int current) {
    const QSignalBlocker block(list);
    QStringList now;
    for (int i = 0; i < list->count(); ++i)
        now << list->item(i)->text();
    if (now != items) {
        list->clear();
        list->addItems(items);
    }
    list->setCurrentRow(current);
    if (current < 0)
        list->clearSelection();
}

QStringList texts(const QList<switches::ListItem>& items) {
    QStringList out;
    for (const auto& i : items)
        out << i.text;
    return out;
}

} // namespace

FrmSwitch::FrmSwitch(const Catalogue& catalogue, const Texts& texts, DeviceLink& link,
                     std::function<int()> lastChannel, QWidget* parent)
    : QWidget(parent), m_texts(texts), m_guide(catalogue, texts, &link),
      m_lastChannel(std::move(lastChannel)) {
    setObjectName(QStringLiteral("frm_switch"));
    setWindowTitle(QStringLiteral("Switch_Wizard"));
    auto* top = new QVBoxLayout(this);

    // Wizard bar.
    auto* bar = new QHBoxLayout;
    aiuto_switch =
        named(new QPushButton(QStringLiteral("Wizard ->")), QStringLiteral("aiuto_switch"));
    close_aiuto_switch =
        named(new QPushButton(QStringLiteral("<- Back ")), QStringLiteral("close_aiuto_switch"));
    aiuto_modello = named(new QComboBox, QStringLiteral("aiuto_modello"));
    aiuto_modello->setMinimumContentsLength(14);
    bar->addWidget(aiuto_switch);
    bar->addWidget(close_aiuto_switch);
    cmd_read = named(new QPushButton, QStringLiteral("cmd_read"));
    bar->addWidget(cmd_read);
    bar->addWidget(aiuto_modello);
    bar->addStretch();
    auto* lamp = new QHBoxLayout;
    checkLamp = named(new Lamp, QStringLiteral("lamp_check"));
    check = named(new QLabel(QStringLiteral("---")), QStringLiteral("Label4_20"));
    QFont bold = check->font();
    bold.setBold(true);
    check->setFont(bold);
    lamp->addWidget(checkLamp);
    lamp->addWidget(check);
    bar->addLayout(lamp);
    top->addLayout(bar);

    // The picture.
    auto* picture = named(new QGroupBox(QStringLiteral("SWITCH")), QStringLiteral("Label6_2"));
    m_pictureFrame = picture;
    auto* pictureLayout = new QHBoxLayout(picture);
    dip = new DipBanks;
    pictureLayout->addWidget(dip, 0, Qt::AlignCenter);
    top->addWidget(picture);

    // Selections.
    auto* grid = new QGridLayout;
    auto* inFrame = named(new QGroupBox(QStringLiteral("Input Type")), QStringLiteral("frm_in"));
    auto* inLayout = new QGridLayout(inFrame);
    auto* outFrame = named(new QGroupBox(QStringLiteral("Output Type")), QStringLiteral("frm_out"));
    auto* outLayout = new QGridLayout(outFrame);
    for (int c = 0; c < 2; ++c) {
        const QString caption = c == 0 ? QStringLiteral("Channel A") : QStringLiteral("Channel B");
        m_inChannel[std::size_t(c)] = named(new QLabel(caption), indexed("Label6_in", c));
        m_outChannel[std::size_t(c)] = named(new QLabel(caption), indexed("Label6_out", c));
        cmb_SW_in[std::size_t(c)] = named(new QComboBox, indexed("cmb_SW_in", c));
        cmb_sw_Out[std::size_t(c)] = named(new QComboBox, indexed("cmb_sw_Out", c));
        cmb_SW_in[std::size_t(c)]->setMinimumContentsLength(10);
        inLayout->addWidget(m_inChannel[std::size_t(c)], c, 0);
        inLayout->addWidget(cmb_SW_in[std::size_t(c)], c, 1);
        outLayout->addWidget(m_outChannel[std::size_t(c)], c, 0);
        outLayout->addWidget(cmb_sw_Out[std::size_t(c)], c, 1);
        connect(cmb_SW_in[std::size_t(c)], &QComboBox::currentIndexChanged, this,
                [this, c](int i) { m_guide.selectInput(c, i); });
        connect(cmb_sw_Out[std::size_t(c)], &QComboBox::currentIndexChanged, this,
                [this, c](int i) { m_guide.selectOutput(c, i); });
    }
    m_inputFrame = inFrame;
    m_outputFrame = outFrame;
    grid->addWidget(inFrame, 0, 0);
    grid->addWidget(outFrame, 1, 0);

    auto* unit = named(new QGroupBox, QStringLiteral("frm_far"));
    auto* unitLayout = new QHBoxLayout(unit);
    opt_far[0] = named(new QRadioButton(QStringLiteral("°C")), QStringLiteral("opt_far_0"));
    opt_far[1] = named(new QRadioButton(QStringLiteral("°F")), QStringLiteral("opt_far_1"));
    opt_far[0]->setChecked(true);
    unitLayout->addWidget(opt_far[0]);
    unitLayout->addWidget(opt_far[1]);
    connect(opt_far[1], &QRadioButton::toggled, this,
            [this](bool on) { m_guide.setFahrenheit(on); });
    m_unitFrame = unit;
    grid->addWidget(unit, 2, 0);

    auto* options = new QHBoxLayout;
    for (int f = 0; f < 2; ++f) {
        auto* frame = named(new QGroupBox(QStringLiteral("Option")), indexed("frm_optionSw", f));
        auto* l = new QHBoxLayout(frame);
        auto* group = new QButtonGroup(frame);
        for (int k = 0; k < 2; ++k) {
            QRadioButton*& b = Opzione[std::size_t(2 * f + k)];
            b = named(new QRadioButton(k ? QStringLiteral("On") : QStringLiteral("Off")),
                      indexed("Opzione", 2 * f + k));
            group->addButton(b);
            l->addWidget(b);
            connect(b, &QRadioButton::clicked, this, [this, k] { m_guide.setOption(k); });
        }
        frm_optionSw[std::size_t(f)] = frame;
        options->addWidget(frame);
    }
    grid->addLayout(options, 3, 0);

    auto list = [](const char* caption, const char* name, QListWidget** out) {
        auto* frame = named(new QGroupBox(QString::fromLatin1(caption)),
                            QStringLiteral("frm_") + QLatin1String(name));
        auto* l = new QVBoxLayout(frame);
        *out = named(new QListWidget, QString::fromLatin1(name));
        (*out)->setMinimumWidth(110);
        (*out)->setMinimumHeight(170);
        l->addWidget(*out);
        return frame;
    };
    m_zeroFrame = list("Zero", "lst_zero", &lst_zero);
    m_spanFrame = list("Span", "lst_span", &lst_span);
    grid->addWidget(m_zeroFrame, 0, 1, 4, 1);
    grid->addWidget(m_spanFrame, 0, 2, 4, 1);
    connect(lst_zero, &QListWidget::currentRowChanged, this,
            [this](int row) { m_guide.selectZero(row); });
    connect(lst_span, &QListWidget::currentRowChanged, this,
            [this](int row) { m_guide.selectSpan(row); });
    connect(lst_zero, &QListWidget::itemDoubleClicked, this,
            [this] { defaultEntry(SwitchGuide::DefaultKind::Zero, lst_zero->currentRow()); });
    connect(lst_span, &QListWidget::itemDoubleClicked, this,
            [this] { defaultEntry(SwitchGuide::DefaultKind::Span, lst_span->currentRow()); });

    auto* divider = named(new QGroupBox(QStringLiteral("Molt")), QStringLiteral("frm_divider"));
    auto* dl = new QVBoxLayout(divider);
    cmb_divider = named(new QComboBox, QStringLiteral("cmb_divider"));
    dl->addWidget(cmb_divider);
    dl->addStretch();
    connect(cmb_divider, &QComboBox::currentIndexChanged, this,
            [this](int i) { m_guide.selectMultiplier(i); });
    m_dividerFrame = divider;
    grid->addWidget(divider, 0, 3, 4, 1);
    top->addLayout(grid);

    visualizza_limiti = named(new QLabel, QStringLiteral("visualizza_limiti"));
    visualizza_limiti->setFrameShape(QFrame::Panel);
    visualizza_limiti->setFrameShadow(QFrame::Sunken);
    visualizza_limiti->setMinimumHeight(26);
    visualizza_limiti->setWordWrap(true);
    top->addWidget(visualizza_limiti);

    connect(aiuto_switch, &QPushButton::clicked, this, [this] { m_guide.enterWizard(); });
    connect(close_aiuto_switch, &QPushButton::clicked, this, [this] { m_guide.leaveWizard(); });
    connect(cmd_read, &QPushButton::clicked, this, [this] { m_guide.ReadSwitch(); });
    connect(aiuto_modello, &QComboBox::currentIndexChanged, this,
            [this](int i) { m_guide.chooseWizardModel(i); });
    connect(&m_guide, &SwitchGuide::changed, this, &FrmSwitch::refresh);
    connect(&texts, &Texts::languageChanged, this, [this] {
        applyCaptions();
        refresh();
    });
    applyCaptions();
    refresh();
}

void FrmSwitch::applyCaptions() {
    const Texts& t = m_texts;
    setWindowTitle(t.lang(own::SwitchTitle));
    aiuto_switch->setText(t.lang(own::WizardOpen));
    close_aiuto_switch->setText(t.lang(own::WizardBack));
    static_cast<QGroupBox*>(m_inputFrame)->setTitle(t.lang(own::SwitchInputType));
    static_cast<QGroupBox*>(m_outputFrame)->setTitle(t.lang(own::SwitchOutputType));
    static_cast<QGroupBox*>(m_dividerFrame)->setTitle(t.lang(own::SwitchMultiplier));
    static_cast<QGroupBox*>(m_spanFrame)->setTitle(t.lang(own::SwitchSpan));
    for (int c = 0; c < 2; ++c) {
        const QString channel = t.lang(c == 0 ? own::ChannelA : own::ChannelB);
        m_inChannel[std::size_t(c)]->setText(channel);
        m_outChannel[std::size_t(c)]->setText(channel);
    }
}

void FrmSwitch::showMeasuredSwitches(const DeviceIdentity& identity, const QString& modelIdentifier,
                                     switches::SwitchBytes bytes) {
    if (m_guide.wizardMode())
        return;
    m_guide.setDevice(identity, modelIdentifier);
    m_guide.showDeviceBytes(bytes);
}

void FrmSwitch::defaultEntry(SwitchGuide::DefaultKind kind, int row) {
    if (row >= 0 && !m_guide.wizardMode())
        m_guide.enterDefault(kind, row, m_lastChannel ? m_lastChannel() : 1);
}

void FrmSwitch::refresh() {
    if (m_refreshing)
        return;
    m_refreshing = true;
    const SwitchGuide& g = m_guide;
    const bool wizard = g.wizardMode();
    aiuto_switch->setVisible(!wizard);
    close_aiuto_switch->setVisible(wizard);
    aiuto_modello->setVisible(wizard);
    cmd_read->setText(m_texts.lang(46));
    cmd_read->setVisible(!wizard);
    cmd_read->setEnabled(g.hasDevice());
    if (wizard) {
        QStringList models = g.wizardModelList();
        if (!models.isEmpty())
            models[0] = m_texts.lang(own::SelectDevice);
        setItems(aiuto_modello, models, g.wizardListIndex());
    }

    dip->show(g.bytes(), g.banks());
    for (int c = 0; c < 2; ++c) {
        const std::size_t i = std::size_t(c);
        setItems(cmb_SW_in[i], texts(g.inputItems(c)), g.inputIndex(c));
        setItems(cmb_sw_Out[i], texts(g.outputItems(c)), g.outputIndex(c));
    }
    const bool two = g.showsInputB();
    cmb_SW_in[1]->setVisible(two);
    m_inChannel[0]->setVisible(two);
    m_inChannel[1]->setVisible(two);
    m_outputFrame->setVisible(g.showsOutput());
    cmb_sw_Out[1]->setVisible(g.showsOutputB());
    m_outChannel[0]->setVisible(g.showsOutputB());
    m_outChannel[1]->setVisible(g.showsOutputB());

    setItems(lst_zero, g.zeroItems(), g.zeroIndex());
    setItems(lst_span, g.spanItems(), g.spanIndex());
    m_zeroFrame->setVisible(g.showsZero());
    m_spanFrame->setVisible(g.showsSpan());
    lst_zero->setEnabled(g.listsEnabled());
    lst_span->setEnabled(g.listsEnabled());
    m_dividerFrame->setVisible(g.showsMultiplier());
    setItems(cmb_divider, g.multiplierItems(), g.multiplierIndex());

    m_unitFrame->setVisible(g.showsTemperatureChoice());
    {
        const QSignalBlocker b0(opt_far[0]), b1(opt_far[1]);
        opt_far[g.fahrenheit() ? 1 : 0]->setChecked(true);
    }
    const auto frames = g.optionFrames();
    for (int f = 0; f < 2; ++f) {
        const auto& o = frames[std::size_t(f)];
        frm_optionSw[std::size_t(f)]->setVisible(o.visible);
        frm_optionSw[std::size_t(f)]->setTitle(
            o.caption == QLatin1String("Option") ? m_texts.lang(own::SwitchOption) : o.caption);
        QRadioButton* off = Opzione[std::size_t(2 * f)];
        QRadioButton* on = Opzione[std::size_t(2 * f + 1)];
        off->setText(o.off);
        on->setText(o.on);
        off->setEnabled(o.enabled);
        on->setEnabled(o.enabled);
        if (f == 0) {
            const QSignalBlocker b0(off), b1(on);
            (g.selections().option == 1 ? on : off)->setChecked(true);
        }
    }
    visualizza_limiti->setText(g.thirdBankMissing()
                                   ? g.limitsText() + u'\n' + m_texts.lang(own::ThirdBankNotRead)
                                   : g.limitsText());
    const switches::CheckResult r = g.check();
    check->setText(SwitchGuide::CheckText(r));
    checkLamp->setColourValue(SwitchGuide::CheckColour(r));
    // Frames come and go with the model: the frame grows so nothing gets squeezed.
    if (QWidget* frame = parentWidget(); frame && frame->isVisible()) {
        layout()->activate();
        frame->resize(frame->size().expandedTo(frame->sizeHint()));
    }
    m_refreshing = false;
}

} // namespace vantelso::gui
