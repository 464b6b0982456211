#include "messageboxprompter.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <utility>

namespace vantelso::gui {

MessageBoxPrompter::MessageBoxPrompter(std::function<QString()> title, QWidget* parent)
    : m_title(std::move(title)), m_parent(parent) {}

Prompter::Answer MessageBoxPrompter::ask(const QString& text, Buttons buttons, Icon icon) {
    QMessageBox box(m_parent);
    box.setObjectName(QStringLiteral("vantelso_message"));
    box.setWindowTitle(m_title());
    box.setText(text);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    QMessageBox::StandardButtons set;
    QMessageBox::StandardButton defaultButton = QMessageBox::Ok;
    switch (buttons) {
    case Buttons::Ok:
        set = QMessageBox::Ok;
        break;
    case Buttons::OkCancel:
        set = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case Buttons::RetryCancel:
        set = QMessageBox::Retry | QMessageBox::Cancel;
        defaultButton = QMessageBox::Retry;
        break;
    case Buttons::AbortRetryIgnore:
        set = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        defaultButton = QMessageBox::Abort;
        break;
    case Buttons::YesNo:
        set = QMessageBox::Yes | QMessageBox::No;
        defaultButton = QMessageBox::Yes;
        break;
    case Buttons::SaveDiscardCancel:
        set = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
        defaultButton = QMessageBox::Save;
        break;
    }
    box.setStandardButtons(set);
    box.setDefaultButton(defaultButton);
    if (m_buttonText) {
        // The box speaks the program's language whatever Qt's translations on the machine.
        const std::pair<QMessageBox::StandardButton, Answer> captions[] = {
            {QMessageBox::Ok, Answer::Ok},          {QMessageBox::Cancel, Answer::Cancel},
            {QMessageBox::Retry, Answer::Retry},    {QMessageBox::Abort, Answer::Abort},
            {QMessageBox::Ignore, Answer::Ignore},  {QMessageBox::Yes, Answer::Yes},
            {QMessageBox::No, Answer::No},          {QMessageBox::Save, Answer::Save},
            {QMessageBox::Discard, Answer::Discard}};
        for (const auto& [standard, answer] : captions)
            if (QAbstractButton* b = box.button(standard))
                b->setText(m_buttonText(answer));
    }
    // Closing the box with Escape or its close button counts as the negative answer.
    if (buttons == Buttons::AbortRetryIgnore)
        box.setEscapeButton(QMessageBox::Abort);

    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Retry:
        return Answer::Retry;
    case QMessageBox::Abort:
        return Answer::Abort;
    case QMessageBox::Ignore:
        return Answer::Ignore;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Save:
        return Answer::Save;
    case QMessageBox::Discard:
        return Answer::Discard;
    default:
        break;
    }
    return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
}

std::optional<QString> MessageBoxPrompter::input(const QString& prompt, const QString& initial) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(m_parent, m_title(), prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QString> MessageBoxPrompter::fileDialog(const FileDialog& dialog, bool save) {
    // A dialog without a folder of its own starts where the last one ended.
    QFileDialog box(m_parent, dialog.title.isEmpty() ? m_title() : dialog.title,
                    dialog.directory.isEmpty() ? m_startFolder.folder() : dialog.directory,
                    dialog.filter);
    box.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    box.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!dialog.defaultSuffix.isEmpty())
        box.setDefaultSuffix(dialog.defaultSuffix);
    if (!dialog.fileName.isEmpty())
        box.selectFile(dialog.fileName);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = box.selectedFiles().constFirst();
    m_startFolder.remember(chosen);
    return chosen;
}

std::optional<QString> MessageBoxPrompter::openFile(const FileDialog& dialog) {
    return fileDialog(dialog, false);
}

std::optional<QString> MessageBoxPrompter::saveFile(const FileDialog& dialog) {
    return fileDialog(dialog, true);
}

} // namespace vantelso::gui
