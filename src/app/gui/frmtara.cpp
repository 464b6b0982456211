#include "frmtara.h"

#include "benchactivity.h"
#include "benchinstruments.h"
#include "fieldcolour.h"
#include "linearitysweep.h"

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

using bench::FieldColour;

// Display order of the range rows: channel A inputs, A outputs, channel B inputs, B outputs.
const int kRowOrder[] = {0,  1,  2,  3,  4,  5,  6,  7,  20, 8,  9,
                         12, 13, 14, 15, 16, 17, 18, 19, 21, 10, 11};

} // namespace

FrmTara::FrmTara(bench::CalibrationRun* run, bench::BenchInstruments* instruments,
                 bench::LinearitySweep* sweep, bench::BenchActivity* activity, QWidget* parent)
    : QWidget(parent), m_run(run), m_instruments(instruments), m_sweep(sweep),
      m_activity(activity) {
    setObjectName(QStringLiteral("frm_tara"));
    setWindowTitle(QStringLiteral("Taratura"));
    auto* top = new QHBoxLayout(this);

    // Model choice and options.
    auto* left = new QVBoxLayout;
    m_left = left;
    auto* models = new QGroupBox(QStringLiteral("Modello"));
    auto* modelGrid = new QGridLayout(models);
    const QList<bench::CalModel>& table = bench::CalModels();
    for (int i = 0; i < table.size(); ++i) {
        auto* b = new QRadioButton(QLatin1String(table[i].name));
        b->setObjectName(QStringLiteral("opt_modello_%1").arg(i));
        modelGrid->addWidget(b, i % 9, i / 9);
        m_models[std::size_t(i)] = b;
        connect(b, &QRadioButton::clicked, this, [this, i] { m_run->SelectModel(i); });
    }
    left->addWidget(models);
    auto* opts = new QGroupBox(QStringLiteral("Opzioni"));
    auto* optGrid = new QGridLayout(opts);
    auto option = [&](QCheckBox** box, const char* name, const char* text, int r, int c,
                      bool bench::CalOptions::*flag) {
        *box = new QCheckBox(QLatin1String(text));
        (*box)->setObjectName(QLatin1String(name));
        optGrid->addWidget(*box, r, c);
        connect(*box, &QCheckBox::toggled, this,
                [this, flag](bool on) { m_run->options.*flag = on; });
    };
    option(&m_supplyTest, "chk_Consumo", "Prova Cons.", 0, 0, &bench::CalOptions::supplyTest);
    option(&m_loadDefault, "chk_default", "Carica Default", 1, 0, &bench::CalOptions::loadDefault);
    option(&m_switchTest, "chk_switch", "Controllo switch", 2, 0, &bench::CalOptions::switchTest);
    option(&m_measureCheck, "chk_controllo", "Controllo misure", 0, 1,
           &bench::CalOptions::measureCheck);
    option(&m_finalProgramming, "chk_programma", "Progr. finale", 1, 1,
           &bench::CalOptions::finalProgramming);
    option(&m_manual, "chk_manuale", "Manuale", 2, 1, &bench::CalOptions::manual);
    for (int c : {0, 1}) {
        m_channels[std::size_t(c)] =
            new QCheckBox(c == 0 ? QStringLiteral("Canale A") : QStringLiteral("Canale B"));
        m_channels[std::size_t(c)]->setObjectName(QStringLiteral("chk_Canale_%1").arg(c));
        optGrid->addWidget(m_channels[std::size_t(c)], 3, c);
        connect(m_channels[std::size_t(c)], &QCheckBox::toggled, this,
                [this, c](bool on) { m_run->options.channels[std::size_t(c)] = on; });
    }
    left->addWidget(opts);

    // Instrument selectors.
    auto* instrumentsBox = new QGroupBox(QStringLiteral("Strumenti"));
    auto* ig = new QGridLayout(instrumentsBox);
    // Editable: a port path can be typed, and a simulated bench adds its instruments' names.
    auto selector = [&](const char* name, const char* caption, const QString& value, int row,
                        const QStringList& entries) {
        auto* combo = new QComboBox;
        combo->setObjectName(QLatin1String(name));
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(entries);
        combo->setCurrentText(value);
        ig->addWidget(new QLabel(QLatin1String(caption)), row, 0);
        ig->addWidget(combo, row, 1);
        return combo;
    };
    m_device =
        selector("txt_comDisp", "Dispositivo", QStringLiteral("Com2"), 0, bench::SelectorEntries());
    using bench::Instrument;
    const std::pair<const char*, const char*> instrumentRows[] = {{"txt_comAlim", "Alimentatore"},
                                                                  {"txt_comCal", "Calibratore"},
                                                                  {"txt_comMult", "Multimetro"},
                                                                  {"txt_comSwitch", "Switch"}};
    const Instrument order[] = {Instrument::Supply, Instrument::Calibrator, Instrument::Meter,
                                Instrument::Switch};
    for (int k = 0; k < 4; ++k) {
        const Instrument which = order[k];
        QComboBox* combo =
            selector(instrumentRows[k].first, instrumentRows[k].second,
                     instruments->selector(which), k + 1, instruments->selectorEntries());
        // A changed choice lets go of the old port at once; the next use opens the new one.
        connect(combo, &QComboBox::currentTextChanged, this, [this, which](const QString& t) {
            m_instruments->setSelector(which, t.trimmed());
        });
    }
    auto* on = new QPushButton(QStringLiteral("On"));
    auto* off = new QPushButton(QStringLiteral("Off"));
    on->setObjectName(QStringLiteral("cmd_On"));
    off->setObjectName(QStringLiteral("cmd_Off"));
    connect(on, &QPushButton::clicked, this, [this] { m_run->SupplyOn(); });
    connect(off, &QPushButton::clicked, this, [this] { m_run->SupplyOff(); });
    ig->addWidget(on, 5, 0);
    ig->addWidget(off, 5, 1);
    left->addWidget(instrumentsBox);

    // Manual PTC calibration.
    auto* ptc = new QGroupBox(QStringLiteral("Taratura PTC"));
    auto* pg = new QGridLayout(ptc);
    const char* ptcCaptions[] = {"V2000", "V1000", "K3", "K2 x 10"};
    for (int n = 0; n < 4; ++n) {
        m_ptc[std::size_t(n)] = new QLineEdit;
        m_ptc[std::size_t(n)]->setObjectName(QStringLiteral("Text%1").arg(n + 2));
        m_ptc[std::size_t(n)]->setReadOnly(n >= 2);
        pg->addWidget(new QLabel(QLatin1String(ptcCaptions[n])), n, 0);
        pg->addWidget(m_ptc[std::size_t(n)], n, 1);
    }
    connect(m_ptc[0], &QLineEdit::textEdited, this, [this](const QString& t) { m_run->ptcX = t; });
    connect(m_ptc[1], &QLineEdit::textEdited, this, [this](const QString& t) { m_run->ptcY = t; });
    for (int c : {0, 1}) {
        auto* b = new QPushButton(c == 0 ? QStringLiteral("Tara Canale A")
                                         : QStringLiteral("Tara Canale B"));
        b->setObjectName(QStringLiteral("Command1_%1").arg(c));
        pg->addWidget(b, 4, c);
        m_ptcButtons[std::size_t(c)] = b;
        connect(b, &QPushButton::clicked, this, [this, c] { ptcManual(c); });
    }
    left->addWidget(ptc);

    // Linearity aids: they log to "linear.dat" until STOP.
    auto* linearity = new QGroupBox(QString::fromUtf8("Linearità"));
    auto* lg = new QGridLayout(linearity);
    const char* sweepCaptions[] = {"lett mult", "2 ch compl."};
    const char* sweepNames[] = {"Command9", "Command3"};
    for (int n = 0; n < 2; ++n) {
        m_sweeps[std::size_t(n)] = new QPushButton(QLatin1String(sweepCaptions[n]));
        m_sweeps[std::size_t(n)]->setObjectName(QLatin1String(sweepNames[n]));
        m_sweeps[std::size_t(n)]->setEnabled(m_sweep != nullptr);
        lg->addWidget(m_sweeps[std::size_t(n)], 0, n);
        connect(m_sweeps[std::size_t(n)], &QPushButton::clicked, this,
                [this, n] { startSweep(n == 1); });
    }
    m_sweepFolder = new QLineEdit(m_sweep ? m_sweep->folder : QString());
    m_sweepFolder->setObjectName(QStringLiteral("txt_cartella"));
    m_sweepFolder->setEnabled(m_sweep != nullptr);
    lg->addWidget(new QLabel(QStringLiteral("Cartella")), 1, 0);
    lg->addWidget(m_sweepFolder, 1, 1);
    m_sweepStatus = new QLabel;
    m_sweepStatus->setObjectName(QStringLiteral("lbl_linear"));
    lg->addWidget(m_sweepStatus, 2, 0, 1, 2);
    left->addWidget(linearity);
    left->addStretch();
    top->addLayout(left);

    // Ranges and their result fields.
    auto* right = new QVBoxLayout;
    auto* rangesBox = new QGroupBox(QStringLiteral("Portate"));
    auto* rg = new QGridLayout(rangesBox);
    rg->setVerticalSpacing(2);
    const char* headers[] = {"K", "Zero", "Metà", "Span", "K2", "Span2"};
    for (int h = 0; h < 6; ++h)
        rg->addWidget(new QLabel(QString::fromUtf8(headers[h])), 0, h + 1);
    int line = 1;
    for (int index : kRowOrder) {
        Row& row = m_rows[std::size_t(index)];
        row.box = new QCheckBox(bench::RangeCaption(index));
        row.box->setObjectName(QStringLiteral("chk_tara_%1").arg(index));
        rg->addWidget(row.box, line, 0);
        connect(row.box, &QCheckBox::toggled, this,
                [this, index](bool ticked) { m_run->setRangeTicked(index, ticked); });
        const bool output = index >= 8 && index <= 11;
        for (int f = 0; f < (output ? 6 : 4); ++f) {
            auto* e = new QLineEdit;
            e->setReadOnly(true);
            e->setFixedWidth(72);
            row.fields[std::size_t(f)] = e;
            rg->addWidget(e, line, f + 1);
        }
        ++line;
    }
    right->addWidget(rangesBox);
    right->addStretch();

    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("lbl_collaudo"));
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setMinimumHeight(32);
    m_status->setMaximumHeight(48);
    right->addWidget(m_status);
    auto* buttons = new QHBoxLayout;
    m_start = new QPushButton(QStringLiteral("START"));
    m_start->setObjectName(QStringLiteral("Command2"));
    m_resume = new QPushButton(QStringLiteral("Riprendi"));
    m_resume->setObjectName(QStringLiteral("Command6"));
    m_stop = new QPushButton(QStringLiteral("STOP"));
    m_stop->setObjectName(QStringLiteral("Command5"));
    m_prog = new QPushButton(QStringLiteral("Prog"));
    m_prog->setObjectName(QStringLiteral("Command7"));
    connect(m_prog, &QPushButton::clicked, this, &FrmTara::programmingStationRequested);
    for (QPushButton* b : {m_start, m_resume, m_stop, m_prog})
        buttons->addWidget(b);
    right->addLayout(buttons);
    top->addLayout(right);

    connect(m_start, &QPushButton::clicked, this, [this] { start(false); });
    connect(m_resume, &QPushButton::clicked, this, [this] { start(true); });
    connect(m_stop, &QPushButton::clicked, this, [this] {
        m_run->StopRequested = true;
        if (m_sweep)
            m_sweep->StopRequested = true;
    });
    connect(m_run, &bench::CalibrationRun::rangeChanged, this, &FrmTara::refreshRange);
    connect(m_run, &bench::CalibrationRun::optionsChanged, this, &FrmTara::refreshOptions);
    connect(m_run, &bench::CalibrationRun::statusChanged, this, &FrmTara::refreshStatus);
    connect(m_run, &bench::CalibrationRun::ptcChanged, this, &FrmTara::refreshPtc);
    // One activity at a time on the device and the bench: a run, a sweep, or what another
    // window runs.
    connect(m_run, &bench::CalibrationRun::runningChanged, this, &FrmTara::updateButtons);
    if (m_activity) {
        m_activity->track(QStringLiteral("taratura"), m_run,
                          &bench::CalibrationRun::runningChanged);
        if (m_sweep)
            m_activity->track(QStringLiteral("linearita"), m_sweep,
                              &bench::LinearitySweep::runningChanged);
        connect(m_activity, &bench::BenchActivity::changed, this, &FrmTara::updateButtons);
    }
    if (m_sweep) {
        connect(m_sweep, &bench::LinearitySweep::runningChanged, this, &FrmTara::updateButtons);
        connect(m_sweep, &bench::LinearitySweep::lineLogged, this, [this](const QString& logged) {
            m_sweepStatus->setText(logged.section(QLatin1Char('\t'), 0, 0));
        });
    }
    refreshOptions();
    for (int i = 0; i < bench::kRangeCount; ++i)
        refreshRange(i);
    refreshStatus();
    refreshPtc();
    updateButtons();
}

QLineEdit* FrmTara::field(int index, int column) const {
    return m_rows[std::size_t(index)].fields[std::size_t(column)];
}

void FrmTara::refreshRange(int index) {
    const Row& row = m_rows[std::size_t(index)];
    const bench::RangeResult& r = m_run->ranges[std::size_t(index)];
    const QSignalBlocker block(row.box);
    row.box->setChecked(r.ticked);
    row.box->setStyleSheet(r.box == FieldColour::White ? QString() : FieldBackground(r.box));
    const std::array<const bench::ResultField*, 6> fields{&r.k1,   &r.zero, &r.half,
                                                          &r.span, &r.k2,   &r.span2};
    for (std::size_t f = 0; f < 6; ++f) {
        if (QLineEdit* e = row.fields[f]) {
            e->setText(fields[f]->text);
            e->setStyleSheet(FieldBackground(fields[f]->colour));
        }
    }
}

void FrmTara::refreshOptions() {
    const bench::CalOptions& o = m_run->options;
    const int model = bench::FindCalModel(m_run->TaraModel);
    if (model >= 0)
        m_models[std::size_t(model)]->setChecked(true);
    const std::array<std::pair<QCheckBox*, bool>, 8> boxes{
        {{m_supplyTest, o.supplyTest},
         {m_loadDefault, o.loadDefault},
         {m_switchTest, o.switchTest},
         {m_measureCheck, o.measureCheck},
         {m_finalProgramming, o.finalProgramming},
         {m_manual, o.manual},
         {m_channels[0], o.channels[0]},
         {m_channels[1], o.channels[1]}}};
    for (const auto& [box, on] : boxes) {
        const QSignalBlocker block(box);
        box->setChecked(on);
    }
    m_switchTest->setEnabled(o.switchTestEnabled);
}

void FrmTara::refreshStatus() {
    m_status->setText(m_run->status);
    m_status->setStyleSheet(FieldBackground(m_run->statusColour) +
                            QStringLiteral("font-weight:bold;"));
}

void FrmTara::refreshPtc() {
    const std::array<QString, 4> texts{m_run->ptcX, m_run->ptcY, m_run->ptcK3, m_run->ptcK2};
    for (std::size_t n = 0; n < 4; ++n) {
        if (m_ptc[n]->text() != texts[n])
            m_ptc[n]->setText(texts[n]);
    }
}

void FrmTara::addUnitField(QWidget* field) {
    m_left->insertWidget(0, field);
}

QString FrmTara::devicePort() const {
    const QString t = m_device->currentText().trimmed();
    // The unit is never worked by hand: "Manuale" leaves the link as the panel has it.
    if (t == QLatin1String("Manuale"))
        return {};
    const QStringView head = QStringView(t).left(3);
    if ((head == QLatin1String("Com") || head == QLatin1String("Usb")) &&
        bench::SelectorPortNumber(t) > 0)
        return QStringLiteral("COM%1").arg(bench::SelectorPortNumber(t));
    return t;
}

void FrmTara::addDevicePort(const QString& entry) {
    if (m_device->findText(entry) < 0)
        m_device->insertItem(0, entry);
    m_device->setCurrentText(entry);
}

QComboBox* FrmTara::selectorBox(const char* name) const {
    return findChild<QComboBox*>(QLatin1String(name));
}

bool FrmTara::busy() const {
    return m_run->running() || (m_sweep && m_sweep->running()) ||
           (m_activity && m_activity->busy());
}

void FrmTara::updateButtons() {
    const bool idle = !busy();
    for (QPushButton* b : {m_start, m_resume, m_prog, m_ptcButtons[0], m_ptcButtons[1]})
        b->setEnabled(idle);
    for (QPushButton* b : m_sweeps)
        b->setEnabled(m_sweep && idle);
    m_sweepFolder->setEnabled(m_sweep && idle);
}

void FrmTara::ptcManual(int channel) {
    if (busy())
        return;
    const bench::ActivityScope scope(m_activity, QStringLiteral("ptc"));
    updateButtons();
    m_run->PtcManual(channel);
}

void FrmTara::startSweep(bool twoChannel) {
    if (!m_sweep || busy())
        return;
    m_sweep->folder = m_sweepFolder->text().trimmed().isEmpty() ? QStringLiteral(".")
                                                                : m_sweepFolder->text().trimmed();
    m_sweepStatus->setText(m_sweep->filePath());
    const bench::SweepOutcome out = twoChannel ? m_sweep->TwoChannelSweep() : m_sweep->MeterSweep();
    const QString done = QStringLiteral("%1: %2 righe").arg(m_sweep->filePath()).arg(out.lines);
    m_sweepStatus->setText(out.error ? done + QStringLiteral(" - ") + out.message : done);
}

void FrmTara::start(bool resume) {
    if (busy())
        return;
    if (useDevicePort && !devicePort().isEmpty() && !useDevicePort(devicePort()))
        return;
    m_run->ResumeRun = resume;
    m_run->RunCalibration();
}

} // namespace vantelso::gui
