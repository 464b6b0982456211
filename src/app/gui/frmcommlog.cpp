#include "frmcommlog.h"

#include "owntexts.h"
#include "prompter.h"
#include "texts.h"
#include "tracelog.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantelso::gui {

FrmCommLog::FrmCommLog(app::TraceLog& log, const Texts& texts, Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_log(log), m_texts(texts), m_prompter(prompter) {
    setObjectName(QStringLiteral("frm_commlog"));
    auto* top = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    chk_record = new QCheckBox(this);
    chk_record->setObjectName(QStringLiteral("chk_record"));
    chk_record->setChecked(m_log.recording());
    row->addWidget(chk_record);
    row->addStretch(1);
    cmd_clear = new QPushButton(this);
    cmd_clear->setObjectName(QStringLiteral("cmd_clear"));
    row->addWidget(cmd_clear);
    cmd_save = new QPushButton(this);
    cmd_save->setObjectName(QStringLiteral("cmd_save"));
    row->addWidget(cmd_save);
    top->addLayout(row);

    txt_log = new QPlainTextEdit(this);
    txt_log->setObjectName(QStringLiteral("txt_log"));
    txt_log->setReadOnly(true);
    txt_log->setLineWrapMode(QPlainTextEdit::NoWrap);
    txt_log->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txt_log->setMaximumBlockCount(m_log.capacity());
    txt_log->setMinimumSize(640, 360);
    for (const QString& line : m_log.lines())
        txt_log->appendPlainText(app::CommLogLine(line, m_texts));
    top->addWidget(txt_log, 1);

    connect(chk_record, &QCheckBox::toggled, &m_log, &app::TraceLog::setRecording);
    connect(&m_log, &app::TraceLog::recordingChanged, chk_record, &QCheckBox::setChecked);
    connect(&m_log, &app::TraceLog::lineAdded, txt_log, [this](const QString& line) {
        txt_log->appendPlainText(app::CommLogLine(line, m_texts));
    });
    connect(cmd_clear, &QPushButton::clicked, this, [this] {
        m_log.clear();
        txt_log->clear();
    });
    connect(cmd_save, &QPushButton::clicked, this, &FrmCommLog::save);
    connect(&m_texts, &Texts::languageChanged, this, &FrmCommLog::applyCaptions);
    applyCaptions();
}

void FrmCommLog::applyCaptions() {
    setWindowTitle(m_texts.lang(own::CommLogTitle));
    chk_record->setText(m_texts.lang(own::CommLogRecord));
    cmd_save->setText(m_texts.lang(own::CommLogSave));
    cmd_clear->setText(m_texts.lang(own::CommLogClear));
}

void FrmCommLog::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        m_log.setRecording(true);
    }
}

bool FrmCommLog::save() {
    Prompter::FileDialog dialog;
    dialog.title = m_texts.lang(own::CommLogTitle);
    dialog.filter = m_texts.lang(own::CommLogFilter);
    dialog.defaultSuffix = QStringLiteral("txt");
    dialog.fileName = QStringLiteral("vantelso-log.txt");
    const std::optional<QString> path = m_prompter.saveFile(dialog);
    if (!path || path->isEmpty())
        return false;
    QString why;
    if (m_log.saveTo(*path, &why))
        return true;
    m_prompter.ask(m_texts.lang(own::CommLogSaveFailed).arg(*path, why), Prompter::Buttons::Ok,
                   Prompter::Icon::Critical);
    return false;
}

} // namespace vantelso::gui
