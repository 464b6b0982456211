#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace vantelso {

// Every question the program puts to the user goes through here: message boxes in the
// desktop program, scripted answers in tests, flags or the terminal in the command-line
// tool. The box title (the brand's product title) is the prompter's business.
class Prompter {
public:
    enum class Buttons { Ok, OkCancel, RetryCancel, AbortRetryIgnore, YesNo, SaveDiscardCancel };
    enum class Icon { None, Information, Question, Warning, Critical };
    enum class Answer { Ok, Cancel, Retry, Abort, Ignore, Yes, No, Save, Discard };

    struct FileDialog {
        QString title;
        QString filter;        // "Configuration (*.VNT)"
        QString defaultSuffix; // "VNT"
        QString directory;     // where it starts; empty: the prompter's choice
        QString fileName;
    };

    virtual ~Prompter() = default;

    virtual Answer ask(const QString& text, Buttons buttons, Icon icon) = 0;
    // Input box; nullopt on Cancel.
    virtual std::optional<QString> input(const QString& prompt, const QString& initial) = 0;
    virtual std::optional<QString> openFile(const FileDialog& dialog) = 0;
    virtual std::optional<QString> saveFile(const FileDialog& dialog) = 0;

    void inform(const QString& text, Icon icon = Icon::Information) {
        ask(text, Buttons::Ok, icon);
    }
};

} // namespace vantelso
