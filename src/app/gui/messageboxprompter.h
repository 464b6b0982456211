#pragma once

#include "prompter.h"
#include "startfolder.h"

#include <QPointer>
#include <QWidget>
#include <functional>

namespace vantelso::gui {

// The desktop program's questions: modal message, input and file boxes over the main
// window, titled with the brand's product title of the moment.
class MessageBoxPrompter : public Prompter {
public:
    explicit MessageBoxPrompter(std::function<QString()> title, QWidget* parent = nullptr);

    void setParentWidget(QWidget* parent) { m_parent = parent; }
    // The buttons' captions, asked at each question so they follow the language; Qt's own
    // captions when unset.
    void setButtonTexts(std::function<QString(Answer)> texts) { m_buttonText = std::move(texts); }

    Answer ask(const QString& text, Buttons buttons, Icon icon) override;
    std::optional<QString> input(const QString& prompt, const QString& initial) override;
    std::optional<QString> openFile(const FileDialog& dialog) override;
    std::optional<QString> saveFile(const FileDialog& dialog) override;

private:
    std::optional<QString> fileDialog(const FileDialog& dialog, bool save);

    std::function<QString()> m_title;
    std::function<QString(Answer)> m_buttonText;
    QPointer<QWidget> m_parent;
    app::StartFolder m_startFolder;
};

} // namespace vantelso::gui
