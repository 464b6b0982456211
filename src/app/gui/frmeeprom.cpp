#include "frmeeprom.h"

#include "benchactivity.h"

#include <QButtonGroup>
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
#include <algorithm>

namespace vantelso::gui {

using bench::EepromOutcome;
using bench::EepromTool;
using bench::MemoryValue;
using bench::ValueFormat;

namespace {

template <typename T> T* named(T* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

QString indexed(const char* name, int i) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i);
}

QLineEdit* field(const char* name, const QString& initial, int width) {
    auto* e = named(new QLineEdit(initial), QLatin1String(name));
    e->setFixedWidth(width);
    return e;
}

// The file dialogs of the image: "(*.dat)" first, then everything.
Prompter::FileDialog imageDialog(const QString& title) {
    Prompter::FileDialog d;
    d.title = title;
    d.filter = QStringLiteral("(*.dat) (*.dat);;(*.*) (*)");
    d.defaultSuffix = QStringLiteral("dat");
    d.fileName = QStringLiteral("EEprom.dat");
    return d;
}

// A whole number 0..255 typed in a field; nullopt otherwise.
std::optional<int> byteIn(const QLineEdit* e) {
    bool ok = false;
    const int v = e->text().trimmed().toInt(&ok, 10);
    if (!ok || v < 0 || v > 255)
        return std::nullopt;
    return v;
}

} // namespace

FrmEeprom::FrmEeprom(DeviceLink& link, QWidget* parent) : QWidget(parent), m_tool(link, 0) {
    setObjectName(QStringLiteral("frm_eeprom"));
    setWindowTitle(QStringLiteral("EEPROM"));
    auto* top = new QHBoxLayout(this);

    // The image and the last verification's differences.
    auto* lists = new QVBoxLayout;
    lists->addWidget(new QLabel(QStringLiteral("Memoria (indirizzo, valore)")));
    List1 = named(new QListWidget, QStringLiteral("List1"));
    List1->setMinimumWidth(150);
    List1->setToolTip(QStringLiteral("Doppio clic per cambiare un valore"));
    lists->addWidget(List1, 3);
    lists->addWidget(new QLabel(QStringLiteral("Differenze (indirizzo, dispositivo, file)")));
    lst_errori = named(new QListWidget, QStringLiteral("lst_errori"));
    lists->addWidget(lst_errori, 1);
    top->addLayout(lists);

    auto* right = new QVBoxLayout;
    auto* whole = named(new QGroupBox(QStringLiteral("EEprom")), QStringLiteral("fra_eeprom"));
    auto* wholeLayout = new QVBoxLayout(whole);
    Command3 = named(new QPushButton(QStringLiteral("Leggi EEprom")), QStringLiteral("Command3"));
    Command5 = named(new QPushButton(QStringLiteral("Scrivi EEprom")), QStringLiteral("Command5"));
    Command2 = named(new QPushButton(QStringLiteral("Carica da file EEprom.dat")),
                     QStringLiteral("Command2"));
    Command6 = named(new QPushButton(QStringLiteral("Salva su file EEprom.dat")),
                     QStringLiteral("Command6"));
    Command7 = named(new QPushButton(QStringLiteral("Verifica")), QStringLiteral("Command7"));
    for (QPushButton* b : {Command3, Command5, Command2, Command6, Command7})
        wholeLayout->addWidget(b);
    right->addWidget(whole);

    // One value at bank and address.
    auto* single = named(new QGroupBox(QStringLiteral("Valore")), QStringLiteral("fra_valore"));
    auto* grid = new QGridLayout(single);
    txt_banco = field("txt_banco", QStringLiteral("0"), 60);
    txt_start = field("txt_start", QStringLiteral("0"), 60);
    txt_valore = field("txt_valore", QString(), 110);
    txt_valoreA = field("txt_valoreA", QString(), 45);
    txt_valoreB = field("txt_valoreB", QString(), 45);
    txt_valoreC = field("txt_valoreC", QString(), 45);
    grid->addWidget(new QLabel(QStringLiteral("Banco")), 0, 0);
    grid->addWidget(txt_banco, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Registro")), 1, 0);
    grid->addWidget(txt_start, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Valore")), 2, 0);
    grid->addWidget(txt_valore, 2, 1, 1, 3);
    auto* raw = new QHBoxLayout;
    raw->addWidget(new QLabel(QStringLiteral("L")));
    raw->addWidget(txt_valoreA);
    raw->addWidget(new QLabel(QStringLiteral("H")));
    raw->addWidget(txt_valoreB);
    raw->addWidget(new QLabel(QStringLiteral("Exp")));
    raw->addWidget(txt_valoreC);
    raw->addStretch();
    grid->addLayout(raw, 3, 0, 1, 4);

    auto* formatFrame = named(new QGroupBox(QStringLiteral("Formato")), QStringLiteral("Frame1"));
    auto* formatLayout = new QVBoxLayout(formatFrame);
    auto* formats = new QButtonGroup(this);
    const char* formatNames[] = {"Byte", "Int", "Float"};
    for (int i = 0; i < 3; ++i) {
        Option2[std::size_t(i)] =
            named(new QRadioButton(QLatin1String(formatNames[i])), indexed("Option2", i));
        formats->addButton(Option2[std::size_t(i)], i);
        formatLayout->addWidget(Option2[std::size_t(i)]);
    }
    Option2[0]->setChecked(true);
    auto* modeFrame = named(new QGroupBox(QStringLiteral("Scrivi")), QStringLiteral("Frame2"));
    auto* modeLayout = new QVBoxLayout(modeFrame);
    auto* modes = new QButtonGroup(this);
    Option1[0] = named(new QRadioButton(QStringLiteral("Valore")), indexed("Option1", 0));
    Option1[1] = named(new QRadioButton(QStringLiteral("L H Exp")), indexed("Option1", 1));
    for (int i = 0; i < 2; ++i) {
        modes->addButton(Option1[std::size_t(i)], i);
        modeLayout->addWidget(Option1[std::size_t(i)]);
    }
    Option1[0]->setChecked(true);
    auto* options = new QHBoxLayout;
    options->addWidget(formatFrame);
    options->addWidget(modeFrame);
    grid->addLayout(options, 4, 0, 1, 4);
    Command1 = named(new QPushButton(QStringLiteral("Leggi")), QStringLiteral("Command1"));
    Command4 = named(new QPushButton(QStringLiteral("Scrivi")), QStringLiteral("Command4"));
    auto* valueButtons = new QHBoxLayout;
    valueButtons->addWidget(Command1);
    valueButtons->addWidget(Command4);
    grid->addLayout(valueButtons, 5, 0, 1, 4);
    right->addWidget(single);

    progress = named(new QProgressBar, QStringLiteral("progress"));
    progress->setTextVisible(false);
    progress->setRange(0, 1);
    progress->setValue(0);
    right->addWidget(progress);
    lbl_stato = named(new QLabel, QStringLiteral("lbl_stato"));
    lbl_stato->setWordWrap(true);
    lbl_stato->setMinimumHeight(3 * lbl_stato->fontMetrics().height());
    lbl_stato->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    right->addWidget(lbl_stato);
    right->addStretch();
    top->addLayout(right);

    m_commands = {Command3, Command5, Command2, Command6, Command7, Command1, Command4, List1};
    connect(Command3, &QPushButton::clicked, this, &FrmEeprom::readAll);
    connect(Command5, &QPushButton::clicked, this, &FrmEeprom::writeAll);
    connect(Command2, &QPushButton::clicked, this, &FrmEeprom::loadFile);
    connect(Command6, &QPushButton::clicked, this, &FrmEeprom::saveFile);
    connect(Command7, &QPushButton::clicked, this, &FrmEeprom::verify);
    connect(Command1, &QPushButton::clicked, this, &FrmEeprom::readValue);
    connect(Command4, &QPushButton::clicked, this, &FrmEeprom::writeValue);
    connect(List1, &QListWidget::itemDoubleClicked, this, &FrmEeprom::editLine);
    connect(&m_tool, &EepromTool::imageChanged, this, &FrmEeprom::fillList);
    // No second command while one runs, from here or from another window.
    connect(&link, &DeviceLink::activityChanged, this, &FrmEeprom::setBusy);
    connect(&link, &DeviceLink::progressChanged, progress, [this](int done, int total) {
        progress->setRange(0, std::max(total, 1));
        progress->setValue(done);
    });
}

// ---- whole memory ----

void FrmEeprom::readAll() {
    if (!takeBank())
        return;
    report(m_tool.readDevice(), QStringLiteral("Letti 256 byte dal banco %1.").arg(m_tool.bank()));
}

void FrmEeprom::writeAll() {
    if (!takeBank())
        return;
    const EepromOutcome outcome = writeDevice ? writeDevice(m_tool) : m_tool.writeDevice();
    showDifferences(outcome);
    report(outcome, QStringLiteral("Scritti 256 byte nel banco %1 e verificati: %2.")
                        .arg(m_tool.bank())
                        .arg(outcome.message));
}

void FrmEeprom::verify() {
    if (!takeBank())
        return;
    const EepromOutcome outcome = m_tool.verify();
    showDifferences(outcome);
    report(outcome,
           QStringLiteral("Verifica del banco %1: %2.").arg(m_tool.bank()).arg(outcome.message));
    if (outcome.ok()) // the count is always shown, "0 errori" included, in the same box
        m_tool.link().prompter()->inform(outcome.message, Prompter::Icon::Critical);
}

void FrmEeprom::loadFile() {
    Prompter* p = m_tool.link().prompter();
    const auto path = p->openFile(imageDialog(Command2->text()));
    if (!path || path->isEmpty())
        return;
    const bench::ImageStatus status = m_tool.loadFile(*path);
    if (!status.ok()) {
        setStatus(status.message, true);
        p->inform(status.message, Prompter::Icon::Critical);
        return;
    }
    lst_errori->clear();
    setStatus(QStringLiteral("Caricato %1.").arg(*path), false);
}

void FrmEeprom::saveFile() {
    Prompter* p = m_tool.link().prompter();
    if (!m_tool.hasImage()) {
        const QString why = m_tool.saveFile(QString()).message;
        setStatus(why, true);
        p->inform(why, Prompter::Icon::Warning);
        return;
    }
    const auto path = p->saveFile(imageDialog(Command6->text()));
    if (!path || path->isEmpty())
        return;
    const bench::ImageStatus status = m_tool.saveFile(*path);
    if (!status.ok()) {
        setStatus(status.message, true);
        p->inform(status.message, Prompter::Icon::Critical);
        return;
    }
    setStatus(QStringLiteral("Salvato %1.").arg(*path), false);
}

void FrmEeprom::editLine(QListWidgetItem* item) {
    const int address = List1->row(item);
    if (address < 0 || !m_tool.hasImage())
        return;
    Prompter* p = m_tool.link().prompter();
    const QString current = QString::number(m_tool.image().bytes[std::size_t(address)]);
    const auto typed =
        p->input(QStringLiteral("Valore all'indirizzo %1 (da 0 a 255)").arg(address), current);
    if (!typed)
        return;
    bool ok = false;
    const int v = typed->trimmed().toInt(&ok, 10);
    if (!ok || v < 0 || v > 255) {
        const QString why =
            QStringLiteral("Valore \"%1\" non valido: serve un numero intero da 0 a 255.")
                .arg(*typed);
        setStatus(why, true);
        p->inform(why, Prompter::Icon::Warning);
        return;
    }
    m_tool.setImageByte(address, std::uint8_t(v));
    List1->setCurrentRow(address);
}

void FrmEeprom::fillList() {
    const int row = List1->currentRow();
    QStringList lines;
    for (int a = 0; a < bench::EepromImage::Size; ++a)
        lines << QStringLiteral("%1\t%2").arg(a).arg(m_tool.image().bytes[std::size_t(a)]);
    List1->clear();
    List1->addItems(lines);
    if (row >= 0)
        List1->setCurrentRow(row);
}

void FrmEeprom::showDifferences(const EepromOutcome& outcome) {
    if (outcome.kind != EepromOutcome::Kind::Done && outcome.kind != EepromOutcome::Kind::Differs)
        return; // nothing was compared: the last comparison's list stays
    lst_errori->clear();
    for (const bench::Difference& d : outcome.differences)
        lst_errori->addItem(
            QStringLiteral("%1\t%2\t%3").arg(d.address).arg(d.device).arg(d.expected));
}

// ---- one value ----

ValueFormat FrmEeprom::format() const {
    if (Option2[2]->isChecked())
        return ValueFormat::Float;
    return Option2[1]->isChecked() ? ValueFormat::Int : ValueFormat::Byte;
}

bool FrmEeprom::takeBank() {
    const auto bank = byteIn(txt_banco);
    if (bank && m_tool.setBank(*bank))
        return true;
    const QString why =
        QStringLiteral("Banco \"%1\" non valido: serve un numero intero da 0 a 255.")
            .arg(txt_banco->text());
    setStatus(why, true);
    m_tool.link().prompter()->inform(why, Prompter::Icon::Warning);
    return false;
}

std::optional<int> FrmEeprom::address() {
    const int n = EepromTool::ByteCount(format());
    bool ok = false;
    const int a = txt_start->text().trimmed().toInt(&ok, 10);
    if (ok && a >= 0 && a + n <= bench::EepromImage::Size)
        return a;
    const QString why = QStringLiteral("Registro \"%1\" non valido: serve un numero intero da 0 "
                                       "a %2 per il formato %3.")
                            .arg(txt_start->text())
                            .arg(bench::EepromImage::Size - n)
                            .arg(Option2[std::size_t(format())]->text());
    setStatus(why, true);
    m_tool.link().prompter()->inform(why, Prompter::Icon::Warning);
    return std::nullopt;
}

std::optional<MemoryValue> FrmEeprom::typedValue() {
    const ValueFormat f = format();
    QString why;
    std::optional<MemoryValue> value;
    if (Option1[1]->isChecked()) {
        // Raw entry: the bytes as typed, the value follows from them.
        const int n = EepromTool::ByteCount(f);
        const std::array<QLineEdit*, 3> fields = {txt_valoreA, txt_valoreB, txt_valoreC};
        std::array<std::uint8_t, 3> b{};
        for (int k = 0; k < n; ++k) {
            const auto v = byteIn(fields[std::size_t(k)]);
            if (!v) {
                why = QStringLiteral("Byte %1 \"%2\" non valido: serve un numero intero da 0 a "
                                     "255.")
                          .arg(k == 0   ? "L"
                               : k == 1 ? "H"
                                        : "Exp")
                          .arg(fields[std::size_t(k)]->text());
                break;
            }
            b[std::size_t(k)] = std::uint8_t(*v);
        }
        if (why.isEmpty())
            value = EepromTool::FromRaw(f, b[0], b[1], b[2]);
    } else {
        value = m_tool.encode(f, txt_valore->text(), &why);
    }
    if (!value) {
        setStatus(why, true);
        m_tool.link().prompter()->inform(why, Prompter::Icon::Warning);
    }
    return value;
}

void FrmEeprom::showValue(const MemoryValue& value) {
    const int n = EepromTool::ByteCount(value.format);
    txt_valore->setText(EepromTool::FormatValue(value));
    txt_valoreA->setText(QString::number(value.l));
    txt_valoreB->setText(n >= 2 ? QString::number(value.h) : QString());
    txt_valoreC->setText(n >= 3 ? QString::number(value.exp) : QString());
}

void FrmEeprom::readValue() {
    if (!takeBank())
        return;
    const auto a = address();
    if (!a)
        return;
    MemoryValue value;
    const EepromOutcome outcome = m_tool.readValue(format(), *a, &value);
    if (outcome.ok())
        showValue(value);
    report(outcome,
           QStringLiteral("Letto il registro %1 del banco %2.").arg(*a).arg(m_tool.bank()));
}

void FrmEeprom::writeValue() {
    if (!takeBank())
        return;
    const auto a = address();
    if (!a)
        return;
    const auto value = typedValue();
    if (!value)
        return;
    showValue(*value);
    report(m_tool.writeValue(*a, *value),
           QStringLiteral("Scritto il registro %1 del banco %2 e verificato.")
               .arg(*a)
               .arg(m_tool.bank()));
}

// ---- messages ----

void FrmEeprom::report(const EepromOutcome& outcome, const QString& doneText) {
    if (outcome.ok()) {
        setStatus(doneText, false);
        return;
    }
    QString text = outcome.message;
    if (outcome.kind == EepromOutcome::Kind::Differs) {
        // "N errori", then where: the list beside the image holds every address.
        QStringList where;
        for (const bench::Difference& d :
             outcome.differences.first(std::min<qsizetype>(outcome.differences.size(), 8)))
            where << QStringLiteral("%1: %2 invece di %3")
                         .arg(d.address)
                         .arg(d.device)
                         .arg(d.expected);
        if (outcome.differences.size() > 8)
            where << QStringLiteral("...");
        setStatus(text + QStringLiteral(" (") + where.join(QStringLiteral(", ")) + u')', true);
        m_tool.link().prompter()->inform(text, Prompter::Icon::Critical);
        return;
    }
    setStatus(text, true);
    m_tool.link().prompter()->inform(text, outcome.kind == EepromOutcome::Kind::CommFailed
                                               ? Prompter::Icon::Critical
                                               : Prompter::Icon::Warning);
}

void FrmEeprom::setStatus(const QString& text, bool problem) {
    lbl_stato->setText(text);
    lbl_stato->setStyleSheet(problem ? QStringLiteral("color: #b00020;") : QString());
}

void FrmEeprom::setBusy(bool busy) {
    busy = busy || (m_activity && m_activity->busy());
    for (QWidget* w : m_commands)
        w->setEnabled(!busy);
}

void FrmEeprom::setActivity(bench::BenchActivity* activity) {
    m_activity = activity;
    if (activity)
        connect(activity, &bench::BenchActivity::changed, this, [this] { setBusy(false); });
}

} // namespace vantelso::gui
