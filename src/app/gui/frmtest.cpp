#include "frmtest.h"

#include "benchactivity.h"
#include "devicelink.h"
#include "numberformat.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>

namespace vantelso::gui {

using bench::ProductionTest;
using bench::TestEnd;

namespace {

template <typename T> T* named(T* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

QLineEdit* field(const QString& name, const QString& initial = {}) {
    auto* e = named(new QLineEdit(initial), name);
    e->setFixedWidth(80);
    return e;
}

QPushButton* button(const char* name, const QString& caption) {
    return named(new QPushButton(caption), QLatin1String(name));
}

double valueOf(const QLineEdit* e) {
    return Val(e->text());
}

// A field that must hold a number: NaN when it is empty or holds something else, which the
// test refuses.
double requiredValue(const QLineEdit* e) {
    const TypedNumber n = ParseTypedNumber(e->text());
    return n.ok() ? n.value : std::nan("");
}

QLabel* unitLabel(const char* unit) {
    auto* l = new QLabel(QLatin1String(unit));
    l->setObjectName(QStringLiteral("lbl_unit"));
    return l;
}

} // namespace

FrmTest::FrmTest(DeviceLink* link, const bench::FunctionGenerator& generator, Prompter* prompter,
                 bool* measuringFlag, QWidget* parent)
    : QWidget(parent), m_generator(generator), m_test(link, &m_generator, prompter, measuringFlag),
      m_link(link), m_prompter(prompter) {
    setObjectName(QStringLiteral("frm_test"));
    setWindowTitle(QStringLiteral("Test"));
    for (int i = 0; i < 3; ++i)
        Text1[std::size_t(i)] = field(QStringLiteral("Text1_%1").arg(i));
    Text1[1]->setText(QStringLiteral("800"));
    Text1[2]->setText(QStringLiteral("800"));
    Text2 = field(QStringLiteral("Text2"));
    Text3 = field(QStringLiteral("Text3"));
    Text4 = field(QStringLiteral("Text4"));
    Text5 = field(QStringLiteral("Text5"));
    Text6 = field(QStringLiteral("Text6"));
    Text9 = field(QStringLiteral("Text9"));
    Text7 = field(QStringLiteral("Text7"));
    Text8 = field(QStringLiteral("Text8"));
    Text8->setReadOnly(true);
    Text10 = field(QStringLiteral("Text10"), QStringLiteral("1000"));

    auto* top = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    top->addLayout(left);

    // Stability: reference and tolerance of the unit's reading.
    auto* stability = named(new QGroupBox(QStringLiteral("Stabilità")), QStringLiteral("Frame1"));
    auto* sGrid = new QGridLayout(stability);
    // The reading compared is channel A's input, in that input's unit.
    lbl_unitaMisura = named(new QLabel, QStringLiteral("lbl_unitaMisura"));
    sGrid->addWidget(new QLabel(QStringLiteral("Riferimento")), 0, 0);
    sGrid->addWidget(Text1[0], 0, 1);
    sGrid->addWidget(new QLabel(QStringLiteral("toll")), 0, 2);
    sGrid->addWidget(Text2, 0, 3);
    sGrid->addWidget(lbl_unitaMisura, 0, 4);
    Command1 = button("Command1", QStringLiteral("start STABILITA'"));
    Command3 = button("Command3", QStringLiteral("Stop"));
    Command2 = button("Command2", QStringLiteral("Clear"));
    sGrid->addWidget(Command1, 1, 0, 1, 2);
    sGrid->addWidget(Command3, 1, 2);
    sGrid->addWidget(Command2, 1, 3);
    left->addWidget(stability);

    // Linearity: the generator's frequency range against the unit's reading.
    auto* linearity = named(new QGroupBox(QStringLiteral("Linearità")), QStringLiteral("Frame2"));
    auto* lGrid = new QGridLayout(linearity);
    struct LinearityField {
        const char* caption;
        QLineEdit* edit;
        const char* unit;
    };
    const LinearityField lFields[] = {{"Start", Text3, "Hz"},    {"Fine", Text4, "Hz"},
                                      {"Step", Text5, "Hz"},     {"Delay step", Text6, "s"},
                                      {"Delay mis", Text9, "s"}, {"Toll", Text7, "Hz"},
                                      {"Misura", Text8, "Hz"}};
    int at = 0;
    for (const auto& [caption, edit, unit] : lFields) {
        lGrid->addWidget(new QLabel(QLatin1String(caption)), at / 2, (at % 2) * 3);
        lGrid->addWidget(edit, at / 2, (at % 2) * 3 + 1);
        lGrid->addWidget(unitLabel(unit), at / 2, (at % 2) * 3 + 2);
        ++at;
    }
    Command4 = button("Command4", QStringLiteral("start LINEARITA'"));
    lGrid->addWidget(Command4, 4, 0, 1, 3);
    progress = named(new QProgressBar, QStringLiteral("progress"));
    progress->setRange(0, 1);
    progress->setValue(0);
    lGrid->addWidget(progress, 4, 3, 1, 3);
    left->addWidget(linearity);

    // The outputs held at DAC counts.
    auto* outputs = named(new QGroupBox(QStringLiteral("Uscite")), QStringLiteral("Frame3"));
    auto* oGrid = new QGridLayout(outputs);
    Command7 = button("Command7", QStringLiteral("chA"));
    Command10 = button("Command10", QStringLiteral("chB"));
    Command11 = button("Command11", QStringLiteral("a+b"));
    Command8 = button("Command8", QStringLiteral("Stop"));
    oGrid->addWidget(new QLabel(QStringLiteral("A")), 0, 0);
    oGrid->addWidget(Text1[2], 0, 1);
    oGrid->addWidget(new QLabel(QStringLiteral("B")), 0, 2);
    oGrid->addWidget(Text1[1], 0, 3);
    oGrid->addWidget(unitLabel("punti DAC"), 0, 4);
    oGrid->addWidget(Command7, 1, 0, 1, 2);
    oGrid->addWidget(Command10, 1, 2, 1, 2);
    oGrid->addWidget(Command11, 2, 0, 1, 2);
    oGrid->addWidget(Command8, 2, 2, 1, 2);
    left->addWidget(outputs);

    // The function generator.
    auto* generatorBox =
        named(new QGroupBox(QStringLiteral("Generatore")), QStringLiteral("Frame4"));
    auto* gGrid = new QGridLayout(generatorBox);
    gGrid->addWidget(new QLabel(QStringLiteral("Frequenza")), 0, 0);
    gGrid->addWidget(Text10, 0, 1);
    gGrid->addWidget(unitLabel("Hz"), 0, 3);
    auto* shapes = new QButtonGroup(this);
    const char* shapeNames[] = {"TTL", "Rimbalzo", "Tacho"};
    for (int i = 0; i < 3; ++i) {
        auto* r = named(new QRadioButton(QLatin1String(shapeNames[i])),
                        QStringLiteral("opt_fgen_%1").arg(i));
        opt_fgen[std::size_t(i)] = r;
        shapes->addButton(r, i);
        gGrid->addWidget(r, 1, i);
    }
    opt_fgen[0]->setChecked(true);
    Command5 = button("Command5", QStringLiteral("Imposta"));
    gGrid->addWidget(Command5, 0, 2);
    const char* outputNames[] = {"ON", "OFF", ">>"};
    for (int i = 0; i < 3; ++i) {
        Command6[std::size_t(i)] = named(new QPushButton(QLatin1String(outputNames[i])),
                                         QStringLiteral("Command6_%1").arg(i));
        gGrid->addWidget(Command6[std::size_t(i)], 2, i);
    }
    left->addWidget(generatorBox);
    lbl_stato = named(new QLabel, QStringLiteral("lbl_stato"));
    lbl_stato->setWordWrap(true);
    left->addWidget(lbl_stato);
    left->addStretch();

    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("Letture fuori tolleranza")));
    List1 = named(new QListWidget, QStringLiteral("List1"));
    List1->setMinimumWidth(180);
    right->addWidget(List1);
    top->addLayout(right);

    connect(Command1, &QPushButton::clicked, this, &FrmTest::runStability);
    connect(Command3, &QPushButton::clicked, this, [this] { m_test.Stop(); });
    connect(Command2, &QPushButton::clicked, List1, &QListWidget::clear);
    connect(Command4, &QPushButton::clicked, this, &FrmTest::runLinearity);
    connect(Command7, &QPushButton::clicked, this,
            [this] { hold(ProductionTest::HoldChannels::A); });
    connect(Command10, &QPushButton::clicked, this,
            [this] { hold(ProductionTest::HoldChannels::B); });
    connect(Command11, &QPushButton::clicked, this,
            [this] { hold(ProductionTest::HoldChannels::Both); });
    connect(Command8, &QPushButton::clicked, this, [this] { m_test.StopHold(); });
    connect(Command5, &QPushButton::clicked, this, &FrmTest::setUpGenerator);
    connect(Command6[0], &QPushButton::clicked, this, [this] {
        showGenerator(m_test.GeneratorOutput(true), QStringLiteral("Generatore: uscita accesa"));
    });
    connect(Command6[1], &QPushButton::clicked, this, [this] {
        showGenerator(m_test.GeneratorOutput(false), QStringLiteral("Generatore: uscita spenta"));
    });
    connect(Command6[2], &QPushButton::clicked, this, [this] {
        showGenerator(m_test.GeneratorFrequency(Text10->text()),
                      QStringLiteral("Generatore: frequenza %1 Hz").arg(Text10->text().trimmed()));
    });

    connect(&m_test, &ProductionTest::reading, this,
            [this](double v) { Text8->setText(ProductionTest::FormatReading(v)); });
    connect(&m_test, &ProductionTest::logged, this, [this](const QString& line) {
        List1->addItem(line);
        List1->scrollToBottom();
    });
    connect(&m_test, &ProductionTest::progress, this, [this](int done, int total) {
        progress->setRange(0, total);
        progress->setValue(done);
    });
    connect(&m_test, &ProductionTest::runningChanged, this, &FrmTest::updateButtons);
    connect(&m_test, &ProductionTest::holdingChanged, this, &FrmTest::updateButtons);
    updateButtons();
}

void FrmTest::setActivity(bench::BenchActivity* activity) {
    m_activity = activity;
    if (!activity)
        return;
    activity->track(QStringLiteral("test"), &m_test, &ProductionTest::runningChanged);
    activity->track(QStringLiteral("uscite"), &m_test, &ProductionTest::holdingChanged);
    connect(activity, &bench::BenchActivity::changed, this, &FrmTest::updateButtons);
    updateButtons();
}

void FrmTest::updateButtons() {
    const bool idle = !m_test.running() && !m_test.holding() && !(m_activity && m_activity->busy());
    for (QPushButton* b : {Command1, Command4, Command7, Command10, Command11})
        b->setEnabled(idle);
    Command3->setEnabled(m_test.running());
    Command8->setEnabled(m_test.holding());
}

bool FrmTest::requireNumber(QLineEdit* field, const char* caption) {
    if (ParseTypedNumber(field->text()).ok())
        return true;
    const QString why = QStringLiteral("%1: serve un numero (separatore decimale il punto)")
                            .arg(QLatin1String(caption));
    lbl_stato->setText(why);
    if (m_prompter)
        m_prompter->ask(why, Prompter::Buttons::Ok, Prompter::Icon::Warning);
    field->setFocus();
    return false;
}

void FrmTest::runStability() {
    if (!requireNumber(Text1[0], "Riferimento") || !requireNumber(Text2, "toll"))
        return;
    lbl_stato->setText(QStringLiteral("Prova di stabilità in corso"));
    // Reference and tolerance may be changed while the test runs.
    report(m_test.RunStability([this] {
        return bench::StabilitySettings{requiredValue(Text1[0]), requiredValue(Text2)};
    }));
}

void FrmTest::runLinearity() {
    lbl_stato->setText(QStringLiteral("Prova di linearità in corso"));
    // Every field but Start is read again at each frequency point.
    report(m_test.RunLinearity([this] {
        bench::LinearitySettings s;
        s.start = valueOf(Text3);
        s.end = valueOf(Text4);
        s.step = valueOf(Text5);
        s.settleSeconds = valueOf(Text6);
        s.measureSeconds = valueOf(Text9);
        s.tolerance = valueOf(Text7);
        return s;
    }));
}

void FrmTest::hold(ProductionTest::HoldChannels channels) {
    // Only the fields of the channels held are read.
    using Hold = ProductionTest::HoldChannels;
    std::optional<int> a = 0;
    std::optional<int> b = 0;
    if (channels != Hold::B)
        a = m_test.TypedCount(Text1[2]->text());
    if (a && channels != Hold::A)
        b = m_test.TypedCount(Text1[1]->text());
    if (!a || !b)
        return;
    lbl_stato->setText(QStringLiteral("Uscite comandate"));
    report(m_test.HoldOutput(channels, *a, *b));
}

void FrmTest::setUpGenerator() {
    using Waveform = bench::FunctionGenerator::Waveform;
    const Waveform shape = opt_fgen[1]->isChecked()   ? Waveform::Bounce
                           : opt_fgen[2]->isChecked() ? Waveform::Tacho
                                                      : Waveform::Ttl;
    lbl_stato->setText(QStringLiteral("Impostazione del generatore"));
    lbl_stato->repaint();
    showGenerator(m_test.SetUpGenerator(shape, Text10->text()),
                  QStringLiteral("Generatore impostato"));
}

void FrmTest::showGenerator(bench::BenchStatus status, const QString& done) {
    if (status == bench::BenchStatus::Ok)
        lbl_stato->setText(done);
    else if (status == bench::BenchStatus::BadValue)
        lbl_stato->setText(QStringLiteral("Frequenza non valida: nulla inviato al generatore"));
    else
        lbl_stato->setText(QStringLiteral("Generatore non raggiungibile"));
}

void FrmTest::refreshUnits() {
    // The frequency model reads Hz; the others read their input in the unit it is set to.
    const bool frequency =
        m_link && m_link->identity.DeviceCode == 12 && m_link->identity.ModelByte == 7;
    lbl_unitaMisura->setText(frequency ? QStringLiteral("Hz")
                                       : QStringLiteral("unità dell'ingresso A"));
}

void FrmTest::report(TestEnd end) {
    switch (end) {
    case TestEnd::Finished:
        lbl_stato->setText(QStringLiteral("Prova terminata"));
        break;
    case TestEnd::Stopped:
        lbl_stato->setText(QStringLiteral("Prova fermata"));
        break;
    case TestEnd::FrameCancelled:
        lbl_stato->setText(QStringLiteral("Il dispositivo non trasmette: prova interrotta"));
        break;
    case TestEnd::DeviceFailed:
        lbl_stato->setText(QStringLiteral("Il dispositivo non risponde"));
        break;
    case TestEnd::GeneratorFailed:
        lbl_stato->setText(QStringLiteral("Generatore non raggiungibile: prova interrotta"));
        break;
    case TestEnd::BadSettings:
        lbl_stato->setText(QStringLiteral("Valori non validi"));
        break;
    case TestEnd::Busy:
        lbl_stato->setText(QStringLiteral("Un'altra prova è in corso"));
        break;
    case TestEnd::NoReading:
        lbl_stato->setText(
            QStringLiteral("Il modello non trasmette la misura: prova non eseguita"));
        break;
    }
}

// Closing the main window ends whatever runs here, so the program can leave its loops.
void FrmTest::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshUnits();
    if (!m_watchingMainWindow && window() != this) {
        window()->installEventFilter(this);
        m_watchingMainWindow = true;
    }
}

bool FrmTest::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close)
        m_test.StopAll();
    return QWidget::eventFilter(watched, event);
}

} // namespace vantelso::gui
