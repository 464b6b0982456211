#include "frmverifica.h"

#include "benchactivity.h"
#include "fieldcolour.h"
#include "verificationstation.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantelso::gui {

FrmVerifica::FrmVerifica(bench::VerificationStation* station, bench::BenchActivity* activity,
                         QWidget* parent)
    : QWidget(parent), m_station(station), m_activity(activity) {
    setObjectName(QStringLiteral("frm_verifica"));
    setWindowTitle(QStringLiteral("Programmazione e verifica"));
    auto* top = new QVBoxLayout(this);
    m_top = top;

    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("lbl_download"));
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setMinimumHeight(32);
    top->addWidget(m_status);

    m_report = new QPlainTextEdit;
    m_report->setObjectName(QStringLiteral("report_ver"));
    m_report->setReadOnly(true);
    m_report->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_report->setMinimumSize(520, 260);
    top->addWidget(m_report);

    auto* buttons = new QGridLayout;
    auto button = [&](QPushButton** b, const char* name, const char* text, int r, int c) {
        *b = new QPushButton(QString::fromUtf8(text));
        (*b)->setObjectName(QLatin1String(name));
        buttons->addWidget(*b, r, c);
    };
    button(&m_send, "Send_prog", "Programma", 0, 0);
    button(&m_instruments, "comm_strum", "Strumentazione", 0, 1);
    button(&m_default, "prog_def", "Programmazione default", 1, 0);
    button(&m_editor, "prog_man", "Programmazione manuale", 1, 1);
    top->addLayout(buttons);

    connect(m_send, &QPushButton::clicked, this, [this] { m_station->SendProgram(); });
    // With the port open there is nothing more to do for the default programming.
    connect(m_default, &QPushButton::clicked, this, [this] { m_station->CheckDevicePort(); });
    connect(m_editor, &QPushButton::clicked, this, [this] {
        if (m_station->CheckDevicePort())
            Q_EMIT editorRequested();
    });
    connect(m_instruments, &QPushButton::clicked, this, [this] {
        m_station->OpenInstruments();
        Q_EMIT instrumentsRequested();
    });
    connect(m_station, &bench::VerificationStation::statusChanged, this,
            &FrmVerifica::refreshStatus);
    connect(m_station, &bench::VerificationStation::reportChanged, this,
            &FrmVerifica::refreshReport);
    connect(m_station, &bench::VerificationStation::runningChanged, this,
            &FrmVerifica::updateButtons);
    if (m_activity) {
        m_activity->track(QStringLiteral("stazione"), m_station,
                          &bench::VerificationStation::runningChanged);
        connect(m_activity, &bench::BenchActivity::changed, this, &FrmVerifica::updateButtons);
    }
    refreshStatus();
    refreshReport();
    updateButtons();
}

void FrmVerifica::addUnitField(QWidget* field) {
    m_top->insertWidget(0, field);
}

void FrmVerifica::refreshStatus() {
    m_status->setText(m_station->status);
    m_status->setStyleSheet(FieldBackground(m_station->statusColour) +
                            QStringLiteral("font-weight:bold;"));
}

void FrmVerifica::refreshReport() {
    // The report keeps its CR LF line ends; the view shows one line each.
    m_report->setPlainText(m_station->reportLines().join(QLatin1Char('\n')));
    m_report->moveCursor(QTextCursor::End);
}

void FrmVerifica::updateButtons() {
    const bool busy = m_station->running() || (m_activity && m_activity->busy());
    for (QPushButton* b : {m_send, m_default, m_editor, m_instruments})
        b->setEnabled(!busy);
}

} // namespace vantelso::gui
