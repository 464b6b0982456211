#include "frmregistro.h"

#include "certificate.h"
#include "owntexts.h"
#include "prompter.h"
#include "recordstore.h"
#include "texts.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vantelso::gui {

namespace {
const QColor kFailed(255, 214, 214);
} // namespace

FrmRegistro::FrmRegistro(const Texts& texts, Prompter& prompter, QString location, QWidget* parent)
    : QWidget(parent), m_texts(texts), m_prompter(prompter), m_location(std::move(location)) {
    setObjectName(QStringLiteral("frm_registro"));
    auto* layout = new QVBoxLayout(this);
    auto* filter = new QHBoxLayout;
    auto named = [this](auto* w, const char* name) {
        w->setObjectName(QLatin1String(name));
        return w;
    };
    auto* unitLabel = named(new QLabel(this), "lbl_unit");
    txt_unit = named(new QLineEdit(this), "txt_unit");
    unitLabel->setBuddy(txt_unit);
    chk_since = named(new QCheckBox(this), "chk_since");
    dat_since = named(new QDateEdit(QDate::currentDate().addMonths(-1), this), "dat_since");
    dat_since->setCalendarPopup(true);
    dat_since->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    dat_since->setEnabled(false);
    cmd_refresh = named(new QPushButton(this), "cmd_refresh");
    filter->addWidget(unitLabel);
    filter->addWidget(txt_unit, 1);
    filter->addWidget(chk_since);
    filter->addWidget(dat_since);
    filter->addWidget(cmd_refresh);
    layout->addLayout(filter);
    tbl_runs = named(new QTableWidget(0, 8, this), "tbl_runs");
    tbl_runs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tbl_runs->setSelectionBehavior(QAbstractItemView::SelectRows);
    tbl_runs->setSelectionMode(QAbstractItemView::SingleSelection);
    tbl_runs->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tbl_runs->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(tbl_runs, 1);
    auto* bottom = new QHBoxLayout;
    lbl_status = named(new QLabel(this), "lbl_status");
    lbl_status->setWordWrap(true);
    cmd_export = named(new QPushButton(this), "cmd_export");
    cmd_certificate = named(new QPushButton(this), "cmd_certificate");
    bottom->addWidget(lbl_status, 1);
    bottom->addWidget(cmd_export);
    bottom->addWidget(cmd_certificate);
    layout->addLayout(bottom);

    connect(chk_since, &QCheckBox::toggled, dat_since, &QWidget::setEnabled);
    connect(cmd_refresh, &QPushButton::clicked, this, &FrmRegistro::refresh);
    // A scanner ends the id with Enter: the unit's runs come up at once.
    connect(txt_unit, &QLineEdit::returnPressed, this, &FrmRegistro::refresh);
    connect(cmd_export, &QPushButton::clicked, this, &FrmRegistro::exportCsv);
    connect(cmd_certificate, &QPushButton::clicked, this, &FrmRegistro::printCertificate);
    connect(tbl_runs, &QTableWidget::itemSelectionChanged, this, &FrmRegistro::updateButtons);
    connect(&m_texts, &Texts::languageChanged, this, &FrmRegistro::render);
    render();
}

bool FrmRegistro::refresh() {
    m_runs.clear();
    m_error.clear();
    QString why;
    const auto location = records::StoreLocation::parse(records::ResolveLocation(m_location), &why);
    if (location) {
        records::RecordStore store(*location);
        records::RecordStore::Filter filter;
        filter.unitId = records::CleanUnitId(txt_unit->text());
        if (chk_since->isChecked())
            filter.since = dat_since->date().startOfDay();
        std::optional<QList<records::RunRecord>> runs;
        if (store.open(&why))
            runs = store.runs(filter, &why);
        if (runs) {
            m_runs = *runs;
            std::reverse(m_runs.begin(), m_runs.end()); // newest first
        } else {
            m_error = location->display() + QStringLiteral(": ") + why;
        }
    } else {
        m_error = why;
    }
    render();
    return m_error.isEmpty();
}

void FrmRegistro::render() {
    setWindowTitle(m_texts.lang(own::RegistroTitle));
    findChild<QLabel*>(QStringLiteral("lbl_unit"))->setText(m_texts.lang(own::RegistroUnit));
    txt_unit->setPlaceholderText(m_texts.lang(own::RegistroAllUnits));
    chk_since->setText(m_texts.lang(own::RegistroSince));
    cmd_refresh->setText(m_texts.lang(own::RegistroRefresh));
    cmd_export->setText(m_texts.lang(own::RegistroExport));
    cmd_certificate->setText(m_texts.lang(own::RegistroCertificate));
    tbl_runs->setHorizontalHeaderLabels(m_texts.lang(own::RegistroColumns).split(QLatin1Char('|')));
    const int selected = tbl_runs->currentRow();
    tbl_runs->setRowCount(int(m_runs.size()));
    for (int r = 0; r < m_runs.size(); ++r) {
        const records::RunRecord& run = m_runs[r];
        const QString when = QStringLiteral("yyyy-MM-dd HH:mm");
        const QStringList cells{run.unit.unitId,
                                run.unit.model,
                                report::KindText(run.kind, m_texts),
                                run.started.toLocalTime().toString(when),
                                run.finished.toLocalTime().toString(when),
                                run.benchHost,
                                run.operatorName,
                                report::OutcomeText(run.outcome, m_texts)};
        const bool bad =
            run.outcome == records::Outcome::Failed || run.outcome == records::Outcome::Error;
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (bad)
                item->setBackground(kFailed);
            if (c == cells.size() - 1 && !run.message.isEmpty())
                item->setToolTip(run.message);
            tbl_runs->setItem(r, c, item);
        }
    }
    if (selected >= 0 && selected < tbl_runs->rowCount())
        tbl_runs->selectRow(selected);
    lbl_status->setText(m_error.isEmpty() ? m_texts.lang(own::RegistroCount).arg(m_runs.size())
                                          : m_error);
    updateButtons();
}

void FrmRegistro::updateButtons() {
    cmd_export->setEnabled(!m_runs.isEmpty());
    const int row = tbl_runs->currentRow();
    cmd_certificate->setEnabled(row >= 0 && row < m_runs.size() &&
                                !tbl_runs->selectedItems().isEmpty() &&
                                m_runs[row].kind == records::RunKind::Calibration);
}

bool FrmRegistro::writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    m_prompter.ask(m_texts.lang(own::FileNotWritten).arg(path, file.errorString()),
                   Prompter::Buttons::Ok, Prompter::Icon::Critical);
    return false;
}

bool FrmRegistro::exportCsv() {
    Prompter::FileDialog dialog;
    dialog.title = m_texts.lang(own::RegistroExport);
    dialog.filter = m_texts.lang(own::CsvFilter);
    dialog.defaultSuffix = QStringLiteral("csv");
    const auto path = m_prompter.saveFile(dialog);
    if (!path || path->isEmpty())
        return false;
    // Oldest first, as the records and the command-line tool list them.
    QList<records::RunRecord> runs = m_runs;
    std::reverse(runs.begin(), runs.end());
    return writeFile(*path, records::RunsCsv(runs).toUtf8());
}

bool FrmRegistro::printCertificate() {
    const int row = tbl_runs->currentRow();
    if (row < 0 || row >= m_runs.size())
        return false;
    const records::RunRecord& run = m_runs[row];
    Prompter::FileDialog dialog;
    dialog.title = m_texts.lang(own::CertificateTitle);
    dialog.filter = m_texts.lang(own::ReportFilter);
    dialog.defaultSuffix = QStringLiteral("pdf");
    dialog.fileName = run.unit.unitId + QStringLiteral(".pdf");
    const auto path = m_prompter.saveFile(dialog);
    if (!path || path->isEmpty())
        return false;
    QString why;
    if (report::Certificate(run, m_texts).writePdf(*path, &why))
        return true;
    m_prompter.ask(m_texts.lang(own::FileNotWritten).arg(*path, why), Prompter::Buttons::Ok,
                   Prompter::Icon::Critical);
    return false;
}

} // namespace vantelso::gui
