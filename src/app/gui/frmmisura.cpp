#include "frmmisura.h"

#include "lamp.h"
#include "owntexts.h"
#include "trendplot.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantelso::gui {

namespace {

constexpr int kInput = 48;
constexpr int kOutput = 49;
constexpr int kTrips = 50;
constexpr int kChannel = 72;
constexpr int kMeasure = 36;
// Repaint rate of the trend plot; the values themselves follow every frame.
constexpr int kPlotRepaintMs = 200;

QColor packed(int rgb) {
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

// The range bar: a filled part of the width of the input field above it, less 4 pixels.
class BarShape : public QWidget {
public:
    explicit BarShape(QWidget* parent) : QWidget(parent) { setFixedHeight(8); }
    void setFraction(double f) {
        if (f == m_fraction)
            return;
        m_fraction = f;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().window());
        p.fillRect(QRect(2, 0, int(m_fraction * (width() - 4)), height()), QColor(0, 128, 0));
    }

private:
    double m_fraction = 0;
};

// Restyling a widget is costly: only when the colour changes.
void setMarker(QLabel* marker, int colour) {
    const QVariant was = marker->property("colourValue");
    if (was.isValid() && was.toInt() == colour)
        return;
    marker->setProperty("colourValue", colour);
    marker->setStyleSheet(
        QStringLiteral("background: %1; color: white; padding: 0 4px;").arg(packed(colour).name()));
}

QLineEdit* valueField(QWidget* parent, const QString& name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setAlignment(Qt::AlignRight);
    QFont f = e->font();
    f.setPointSizeF(f.pointSizeF() * 1.6);
    f.setBold(true);
    e->setFont(f);
    e->setMinimumWidth(220);
    return e;
}

} // namespace

FrmMisura::FrmMisura(app::AppState& state, QWidget* parent)
    : QWidget(parent), m_state(state),
      m_measurement(state.link, state.catalogue, state.texts, &state.flags.measuring) {
    setObjectName(QStringLiteral("frm_misura"));
    auto* top = new QVBoxLayout(this);

    auto* commands = new QHBoxLayout;
    Cmd_StartRead = new QPushButton(QStringLiteral("Start"), this);
    Cmd_StartRead->setObjectName(QStringLiteral("Cmd_StartRead"));
    Cmd_StopRead = new QPushButton(QStringLiteral("Stop"), this);
    Cmd_StopRead->setObjectName(QStringLiteral("Cmd_StopRead"));
    Cmd_StopRead->setEnabled(false);
    chk_log = new QCheckBox(this);
    chk_log->setObjectName(QStringLiteral("chk_log"));
    commands->addWidget(Cmd_StartRead);
    commands->addWidget(Cmd_StopRead);
    commands->addSpacing(12);
    commands->addWidget(chk_log);
    commands->addStretch(1);
    lbl_state = new QLabel(this);
    lbl_state->setObjectName(QStringLiteral("lbl_state"));
    commands->addWidget(lbl_state);
    m_statusCaption = new QLabel(this);
    commands->addWidget(m_statusCaption);
    for (int i = 0; i < 3; ++i) {
        Led[std::size_t(i)] = new Lamp(this);
        Led[std::size_t(i)]->setObjectName(QStringLiteral("Led_%1").arg(i));
        Led[std::size_t(i)]->setColourValue(measure::colour::Grey);
        commands->addWidget(Led[std::size_t(i)]);
    }
    top->addLayout(commands);
    lbl_log = new QLabel(this);
    lbl_log->setObjectName(QStringLiteral("lbl_log"));
    lbl_log->setTextInteractionFlags(Qt::TextSelectableByMouse);
    top->addWidget(lbl_log);

    auto* channels = new QHBoxLayout;
    for (int c = 0; c < 2; ++c) {
        const auto uc = std::size_t(c);
        auto* box = new QGroupBox(this);
        box->setObjectName(QStringLiteral("frm_channel_%1").arg(c));
        m_channelBox[uc] = box;
        auto* g = new QGridLayout(box);
        m_inCaption[uc] = new QLabel(box);
        txt_misura_in[uc] = valueField(box, QStringLiteral("txt_misura_in_%1").arg(c));
        lbl_Break_L[uc] = new QLabel(QStringLiteral("L"), box);
        lbl_Break_L[uc]->setObjectName(QStringLiteral("lbl_Break_L_%1").arg(c));
        lbl_Break_H[uc] = new QLabel(QStringLiteral("H"), box);
        lbl_Break_H[uc]->setObjectName(QStringLiteral("lbl_Break_H_%1").arg(c));
        setMarker(lbl_Break_L[uc], measure::colour::Grey);
        setMarker(lbl_Break_H[uc], measure::colour::Grey);
        bar[uc] = new BarShape(box);
        bar[uc]->setObjectName(QStringLiteral("bar_%1").arg(c));
        lbl_progIn[uc] = new QLabel(box);
        lbl_progIn[uc]->setObjectName(QStringLiteral("lbl_progIn_%1").arg(c));
        m_outCaption[uc] = new QLabel(box);
        txt_misura_out[uc] = valueField(box, QStringLiteral("txt_misura_out_%1").arg(c));
        lbl_progOut[uc] = new QLabel(box);
        lbl_progOut[uc]->setObjectName(QStringLiteral("lbl_progOut_%1").arg(c));
        g->addWidget(m_inCaption[uc], 0, 0);
        g->addWidget(lbl_Break_L[uc], 0, 1);
        g->addWidget(txt_misura_in[uc], 0, 2);
        g->addWidget(lbl_Break_H[uc], 0, 3);
        g->addWidget(bar[uc], 1, 2);
        g->addWidget(lbl_progIn[uc], 2, 2);
        g->addWidget(m_outCaption[uc], 3, 0);
        g->addWidget(txt_misura_out[uc], 3, 2);
        g->addWidget(lbl_progOut[uc], 4, 2);
        g->setColumnStretch(2, 1);
        channels->addWidget(box, 1);
    }
    top->addLayout(channels);

    m_tripBox = new QGroupBox(this);
    m_tripBox->setObjectName(QStringLiteral("frm_soglie"));
    auto* trips = new QGridLayout(m_tripBox);
    for (int k = 0; k < 12; ++k) {
        auto* l = new QLabel(m_tripBox);
        l->setObjectName(QStringLiteral("lbl_progTrip_%1").arg(k));
        lbl_progTrip[std::size_t(k)] = l;
        trips->addWidget(l, k / 6, k % 6);
    }
    m_tripBox->hide();
    top->addWidget(m_tripBox);

    plot = new TrendPlot(m_history, this);
    top->addWidget(plot, 1);

    m_plotTimer.setSingleShot(true);
    m_plotTimer.setInterval(kPlotRepaintMs);
    connect(&m_plotTimer, &QTimer::timeout, plot, qOverload<>(&QWidget::update));

    connect(Cmd_StartRead, &QPushButton::clicked, this, &FrmMisura::startMeasure);
    connect(Cmd_StopRead, &QPushButton::clicked, this, &FrmMisura::stopMeasure);
    connect(chk_log, &QCheckBox::clicked, this, &FrmMisura::onLogToggled);
    connect(&m_measurement, &measure::Measurement::rangesReady, this, &FrmMisura::onRanges);
    connect(&m_measurement, &measure::Measurement::frameShown, this, &FrmMisura::onFrame);
    connect(&m_measurement, &measure::Measurement::ended, this, &FrmMisura::onEnded);
    connect(&m_state.texts, &Texts::languageChanged, this, &FrmMisura::applyCaptions);
    applyCaptions();
}

FrmMisura::~FrmMisura() {
    m_measurement.Stop();
}

void FrmMisura::applyCaptions() {
    const Texts& t = m_state.texts;
    setWindowTitle(t.lang(kMeasure));
    for (int c = 0; c < 2; ++c) {
        const auto uc = std::size_t(c);
        m_channelBox[uc]->setTitle(t.lang(kChannel) +
                                   (c == 0 ? QStringLiteral(" A") : QStringLiteral(" B")));
        m_inCaption[uc]->setText(t.lang(kInput));
        m_outCaption[uc]->setText(t.lang(kOutput));
    }
    m_tripBox->setTitle(t.lang(kTrips));
    chk_log->setText(t.lang(own::LogCsv));
    m_statusCaption->setText(t.lang(own::MeasureStatus));
    Cmd_StartRead->setText(t.lang(own::Start));
    Cmd_StopRead->setText(t.lang(own::Stop));
    Led[0]->setToolTip(t.lang(own::TripLamp).arg(1));
    Led[1]->setToolTip(t.lang(own::TripLamp).arg(2));
    Led[2]->setToolTip(t.lang(own::AlarmLamp));
    plot->setCaptions(t.lang(own::TrendTitle), t.lang(own::TimeAxis));
    showState();
    showLogState();
}

void FrmMisura::showState() {
    const Texts& t = m_state.texts;
    lbl_state->setText(running() ? t.lang(own::MeasureRunning)
                       : m_stale ? t.lang(own::MeasureStale)
                                 : t.lang(own::MeasureStopped));
    lbl_state->setStyleSheet(running() ? QStringLiteral("color: #006400; font-weight: bold;")
                             : m_stale ? QStringLiteral("color: #b00020; font-weight: bold;")
                                       : QStringLiteral("font-weight: bold;"));
    // Values that are not live are shown greyed.
    const QString valueStyle = running() ? QString() : QStringLiteral("color: gray;");
    for (std::size_t c = 0; c < 2; ++c) {
        txt_misura_in[c]->setStyleSheet(valueStyle);
        txt_misura_out[c]->setStyleSheet(valueStyle);
    }
}

void FrmMisura::showLogState() {
    const Texts& t = m_state.texts;
    lbl_log->setText(m_log.isOpen() ? t.lang(own::LogLines)
                                          .arg(QDir::toNativeSeparators(m_log.path()))
                                          .arg(m_log.lineCount())
                                    : t.lang(own::NotLogging));
}

void FrmMisura::clearValues() {
    for (std::size_t c = 0; c < 2; ++c) {
        txt_misura_in[c]->clear();
        txt_misura_out[c]->clear();
        setMarker(lbl_Break_L[c], measure::colour::Grey);
        setMarker(lbl_Break_H[c], measure::colour::Grey);
        static_cast<BarShape*>(bar[c])->setFraction(0);
    }
    for (Lamp* led : Led)
        led->setColourValue(measure::colour::Grey);
    m_stale = false;
    showState();
}

void FrmMisura::deviceIdentified(const QString& model) {
    if (!running() && model != m_measuredModel)
        clearValues();
}

void FrmMisura::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_log.isOpen() || m_askedToGoOn)
        return;
    m_askedToGoOn = true;
    const QString question = m_state.texts.lang(own::LogGoOn)
                                 .arg(QDir::toNativeSeparators(m_log.path()))
                                 .arg(m_log.lineCount());
    if (m_state.prompter()->ask(question, Prompter::Buttons::YesNo, Prompter::Icon::Question) !=
        Prompter::Answer::Yes)
        closeLog();
}

void FrmMisura::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Only a window that is shown again asks; hiding it while it records changes nothing.
    m_askedToGoOn = false;
}

void FrmMisura::toggle() {
    if (running())
        stopMeasure();
    else
        startMeasure();
}

void FrmMisura::startMeasure() {
    if (running())
        return; // a second start while one runs is ignored
    Cmd_StartRead->setEnabled(false);
    Cmd_StopRead->setEnabled(true);
    clearValues();
    m_measuredModel = m_state.device.modelIdentifier;
    Q_EMIT measuringChanged(true);
    m_measurement.Start(measure::SetupFromEditor(m_state.editor, m_state.flags.LastChannel));
    // Refused before it began (another command was waiting): nothing ended it, so the window
    // goes back to idle here.
    if (!Cmd_StartRead->isEnabled() && !running())
        onEnded(measure::MeasureEnd::Busy);
}

void FrmMisura::stopMeasure() {
    m_measurement.Stop();
}

void FrmMisura::onRanges(const measure::RangeLabels& labels) {
    for (int c = 0; c < 2; ++c) {
        const auto uc = std::size_t(c);
        m_channelBox[uc]->setVisible(c < labels.channelCount);
        lbl_progIn[uc]->setText(labels.progIn[uc]);
        lbl_progOut[uc]->setText(labels.progOut[uc]);
    }
    bool anyTrip = false;
    for (std::size_t k = 0; k < 12; ++k) {
        lbl_progTrip[k]->setText(labels.progTrip[k]);
        lbl_progTrip[k]->setVisible(labels.tripVisible[k]);
        anyTrip = anyTrip || labels.tripVisible[k];
    }
    m_tripBox->setVisible(anyTrip);
    showState();
    m_history.reset(m_measurement.converter());
    m_clock.start();
    plot->update();
}

void FrmMisura::onFrame(const measure::FrameReading& r) {
    for (int c = 0; c < r.channelCount; ++c) {
        const auto uc = std::size_t(c);
        const measure::ChannelReading& ch = r.channels[uc];
        // A step that cannot be computed leaves its field as it was.
        if (ch.outputValid)
            txt_misura_out[uc]->setText(ch.outputText + QLatin1Char(' ') + ch.outputUnit);
        if (!ch.inputValid)
            continue;
        txt_misura_in[uc]->setText(ch.inputText + QLatin1Char(' ') + ch.inputUnit);
        if (ch.bar.valid) {
            setMarker(lbl_Break_L[uc], ch.bar.lowMarker);
            setMarker(lbl_Break_H[uc], ch.bar.highMarker);
            static_cast<BarShape*>(bar[uc])->setFraction(ch.bar.fraction);
        }
    }
    for (std::size_t i = 0; i < 3; ++i)
        Led[i]->setColourValue(r.lamps[i]);
    if (m_log.isOpen() && !m_log.append(QDateTime::currentDateTime(), r)) {
        const QString path = m_log.path();
        closeLog();
        m_state.prompter()->inform(m_state.texts.lang(own::LogWriteFailed).arg(path),
                                   Prompter::Icon::Warning);
    }
    showLogState();
    m_history.add(m_clock.elapsed() / 1000.0, r);
    if (!m_plotTimer.isActive())
        m_plotTimer.start();
}

void FrmMisura::onEnded(measure::MeasureEnd why) {
    Cmd_StartRead->setEnabled(true);
    Cmd_StopRead->setEnabled(false);
    // The lamps no longer show the device's state; after a failure the values on show are
    // the last ones that arrived, and say so.
    for (Lamp* led : Led)
        led->setColourValue(measure::colour::Grey);
    // A start refused as busy sent nothing and showed nothing: there is nothing to be stale.
    m_stale = why != measure::MeasureEnd::Stopped && why != measure::MeasureEnd::Busy;
    showState();
    plot->update();
    Q_EMIT measuringChanged(false);
}

void FrmMisura::onLogToggled(bool on) {
    if (!on) {
        closeLog();
        return;
    }
    Prompter::FileDialog dialog;
    dialog.title = m_state.texts.lang(own::LogDialogTitle);
    dialog.filter = m_state.texts.lang(own::LogFilter);
    dialog.defaultSuffix = QStringLiteral("csv");
    dialog.fileName = QStringLiteral("misure.csv");
    const auto path = m_state.prompter()->saveFile(dialog);
    QString error;
    if (!path) {
        chk_log->setChecked(false);
    } else if (!m_log.open(*path, &error)) {
        chk_log->setChecked(false);
        m_state.prompter()->inform(m_state.texts.lang(own::LogOpenFailed).arg(*path, error),
                                   Prompter::Icon::Warning);
    }
    m_askedToGoOn = true;
    showLogState();
}

void FrmMisura::closeLog() {
    m_log.close();
    chk_log->setChecked(false);
    showLogState();
}

} // namespace vantelso::gui
