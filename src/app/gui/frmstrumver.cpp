#include "frmstrumver.h"

#include "benchactivity.h"
#include "instrumentselector.h"
#include "verificationstation.h"

#include <QButtonGroup>
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

using Mode = bench::VerificationSettings::Mode;

QComboBox* makeList(const char* name, const QStringList& items) {
    auto* list = new QComboBox;
    list->setObjectName(QLatin1String(name));
    list->addItems(items);
    list->setCurrentIndex(-1);
    return list;
}

QLineEdit* makeField(const char* name) {
    auto* field = new QLineEdit;
    field->setObjectName(QLatin1String(name));
    field->setMaximumWidth(90);
    return field;
}

void setTextKeepingCursor(QLineEdit* field, const QString& text) {
    if (field->text() != text)
        field->setText(text);
}

} // namespace

FrmStrumVer::FrmStrumVer(bench::VerificationStation* station, bench::BenchActivity* activity,
                         QWidget* parent)
    : QWidget(parent), m_station(station), m_activity(activity) {
    setObjectName(QStringLiteral("interfaccia_strum_ver"));
    setWindowTitle(QStringLiteral("Strumentazione di verifica"));
    auto* top = new QVBoxLayout(this);

    // Mode.
    auto* modeRow = new QHBoxLayout;
    m_caption = new QLabel;
    m_caption->setObjectName(QStringLiteral("lbl_modo"));
    m_mode = makeList("mode_aut_man", bench::VerificationModes());
    modeRow->addWidget(m_caption, 1);
    modeRow->addWidget(m_mode);
    top->addLayout(modeRow);

    // The calibrator's input type and range.
    auto* calibrator = new QGroupBox(QStringLiteral("Calibratore"));
    auto* cg = new QGridLayout(calibrator);
    m_input = makeList("calibratore_in", bench::VerificationInputCaptions());
    m_min = makeField("txt_min");
    m_max = makeField("txt_max");
    m_half = makeField("txt_half");
    m_half->setReadOnly(true);
    cg->addWidget(new QLabel(QStringLiteral("Ingresso")), 0, 0);
    cg->addWidget(m_input, 0, 1, 1, 3);
    cg->addWidget(new QLabel(QStringLiteral("Min")), 1, 0);
    cg->addWidget(m_min, 1, 1);
    cg->addWidget(new QLabel(QStringLiteral("Max")), 1, 2);
    cg->addWidget(m_max, 1, 3);
    cg->addWidget(new QLabel(QStringLiteral("1/2 scala")), 2, 0);
    cg->addWidget(m_half, 2, 1);
    top->addWidget(calibrator);

    // The meter's output type and the supply.
    auto* meterAndSupply = new QHBoxLayout;
    auto* meter = new QGroupBox(QStringLiteral("Multimetro"));
    auto* mg = new QHBoxLayout(meter);
    m_output = makeList("outvi", bench::VerificationOutputTypes());
    mg->addWidget(new QLabel(QStringLiteral("Uscita")));
    mg->addWidget(m_output);
    meterAndSupply->addWidget(meter);
    auto* supply = new QGroupBox(QStringLiteral("Alimentatore"));
    auto* sg = new QHBoxLayout(supply);
    m_volts = makeField("val_alim_ver");
    m_supplyOn = new QCheckBox(QStringLiteral("Accendi"));
    m_supplyOn->setObjectName(QStringLiteral("Check_alim_ver"));
    sg->addWidget(m_volts);
    sg->addWidget(new QLabel(QStringLiteral("V")));
    sg->addWidget(m_supplyOn);
    meterAndSupply->addWidget(supply);
    top->addLayout(meterAndSupply);

    // The bench position on the switch unit.
    auto* switches = new QGroupBox(QStringLiteral("Switch"));
    auto* wg = new QGridLayout(switches);
    m_device = makeList("disp_un_sw", bench::VerificationDevices());
    wg->addWidget(new QLabel(QStringLiteral("Dispositivo")), 0, 0);
    wg->addWidget(m_device, 0, 1, 1, 2);
    const char* channelNames[] = {"sel_can_mis", "sel_can_usw"};
    const char* channelCaptions[] = {"Impostare canale di misura", "Impostare canale di uscita"};
    for (int g = 0; g < 2; ++g) {
        auto* label = new QLabel(QLatin1String(channelCaptions[g]));
        label->setObjectName(QStringLiteral("lbl_") + QLatin1String(channelNames[g]));
        m_channelLabels[std::size_t(g)] = label;
        wg->addWidget(label, g + 1, 0);
        auto* group = new QButtonGroup(this);
        for (int c = 0; c < 2; ++c) {
            auto* b = new QRadioButton(c == 0 ? QStringLiteral("A") : QStringLiteral("B"));
            b->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(channelNames[g])).arg(c));
            group->addButton(b, c);
            wg->addWidget(b, g + 1, c + 1);
            m_channels[std::size_t(g)][std::size_t(c)] = b;
        }
        connect(group, &QButtonGroup::idClicked, this, [this, g](int c) {
            (g == 0 ? m_station->settings.measureChannel : m_station->settings.outputChannel) = c;
        });
    }
    top->addWidget(switches);

    auto* buttons = new QGridLayout;
    auto button = [&](QPushButton** b, const char* name, const char* text, int r, int c) {
        *b = new QPushButton(QString::fromUtf8(text));
        (*b)->setObjectName(QLatin1String(name));
        buttons->addWidget(*b, r, c);
    };
    button(&m_setUpAndVerify, "imp_strum", "Imposta strumenti e verifica", 0, 0);
    button(&m_verify, "set_cali", "Verifica", 0, 1);
    button(&m_stop, "stop_ver", "STOP", 0, 2);
    button(&m_setSupply, "set_al", "Imposta alimentatore", 1, 0);
    button(&m_setMeter, "set_mult", "Imposta multimetro", 1, 1);
    button(&m_setSwitch, "set_usw", "Imposta switch", 1, 2);
    top->addLayout(buttons);

    connect(m_mode, &QComboBox::activated, this, [this](int index) {
        m_station->ChooseMode(index == 1 ? Mode::Manual : Mode::Automatic);
    });
    connect(m_input, &QComboBox::activated, this, [this](int i) { m_station->ChooseInput(i); });
    connect(m_device, &QComboBox::activated, this, [this](int i) { m_station->ChooseDevice(i); });
    bench::VerificationSettings* s = &m_station->settings;
    connect(m_output, &QComboBox::activated, this, [s](int i) { s->output = i; });
    connect(m_min, &QLineEdit::textEdited, this, [s](const QString& t) { s->min = t; });
    connect(m_max, &QLineEdit::textEdited, this, [s](const QString& t) { s->max = t; });
    connect(m_volts, &QLineEdit::textEdited, this, [s](const QString& t) { s->supplyVolts = t; });
    connect(m_supplyOn, &QCheckBox::toggled, this, [s](bool on) { s->supplyOn = on; });
    connect(m_setUpAndVerify, &QPushButton::clicked, this, [this] { m_station->SetUpAndVerify(); });
    connect(m_verify, &QPushButton::clicked, this, [this] { m_station->Verify(); });
    connect(m_stop, &QPushButton::clicked, this, [this] { m_station->StopVerification(); });
    connect(m_setSupply, &QPushButton::clicked, this, [this] { m_station->SetUpSupply(); });
    connect(m_setMeter, &QPushButton::clicked, this, [this] { m_station->SetUpMultimeter(); });
    connect(m_setSwitch, &QPushButton::clicked, this, [this] { m_station->SetUpSwitches(); });
    connect(m_station, &bench::VerificationStation::settingsChanged, this, &FrmStrumVer::refresh);
    connect(m_station, &bench::VerificationStation::runningChanged, this,
            &FrmStrumVer::updateButtons);
    if (m_activity)
        connect(m_activity, &bench::BenchActivity::changed, this, &FrmStrumVer::updateButtons);
    refresh();
}

QRadioButton* FrmStrumVer::channelButton(int group, int channel) const {
    return m_channels[std::size_t(group)][std::size_t(channel)];
}

void FrmStrumVer::refresh() {
    const bench::VerificationSettings& s = m_station->settings;
    m_caption->setText(m_station->caption);
    m_mode->setCurrentIndex(s.mode == Mode::Unset ? -1 : s.mode == Mode::Manual ? 1 : 0);
    m_input->setCurrentIndex(s.input);
    m_output->setCurrentIndex(s.output);
    m_device->setCurrentIndex(s.device);
    setTextKeepingCursor(m_min, s.min);
    setTextKeepingCursor(m_max, s.max);
    m_half->setText(s.input < 0 ? QString() : bench::NumberText(m_station->range.half));
    setTextKeepingCursor(m_volts, s.supplyVolts);
    {
        const QSignalBlocker block(m_supplyOn);
        m_supplyOn->setChecked(s.supplyOn);
    }

    // The lists wait for the mode; by hand the operator wires the unit, so the bench
    // position is not asked for.
    const bool modeChosen = s.mode != Mode::Unset;
    const bool automatic = s.mode == Mode::Automatic;
    for (QWidget* w : std::initializer_list<QWidget*>{m_input, m_output, m_min, m_max})
        w->setEnabled(modeChosen);
    m_device->setEnabled(automatic);
    const QStringList devices = bench::VerificationDevices();
    const bool deviceChosen = s.device >= 0 && s.device < devices.size();
    const bool twoChannels = deviceChosen && bench::DeviceOutputChannels(devices[s.device]) == 2;
    const std::array<int, 2> chosen{s.measureChannel, s.outputChannel};
    for (std::size_t g = 0; g < 2; ++g) {
        m_channelLabels[g]->setVisible(deviceChosen);
        for (std::size_t c = 0; c < 2; ++c) {
            QRadioButton* b = m_channels[g][c];
            b->setVisible(deviceChosen);
            b->setEnabled(automatic && (c == 0 || twoChannels));
            b->setChecked(chosen[g] == int(c));
        }
    }
    updateButtons();
}

void FrmStrumVer::updateButtons() {
    const bool busy = m_station->running() || (m_activity && m_activity->busy());
    for (QPushButton* b : {m_setUpAndVerify, m_verify, m_setSupply, m_setMeter, m_setSwitch})
        b->setEnabled(!busy);
    m_setSwitch->setEnabled(!busy && m_station->settings.mode == Mode::Automatic);
}

} // namespace vantelso::gui
