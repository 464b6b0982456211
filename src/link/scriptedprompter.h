#pragma once

#include "prompter.h"

#include <QList>
#include <deque>

namespace vantelso {

// A prompter for tests: answers come from a queue, every question is recorded.
// When the queue runs dry it gives the fallback answer (Cancel unless changed).
class ScriptedPrompter : public Prompter {
public:
    struct Question {
        QString text;
        Buttons buttons;
        Icon icon;
    };

    void push(Answer a) { m_answers.push_back(a); }
    // A null QString stands for Cancel.
    void pushInput(const QString& text) { m_inputs.push_back(text); }
    void pushFile(const QString& path) { m_files.push_back(path); }
    void setFallback(Answer a) { m_fallback = a; }

    const QList<Question>& questions() const { return m_questions; }
    QStringList texts() const;
    void clear() { m_questions.clear(); }

    Answer ask(const QString& text, Buttons buttons, Icon icon) override;
    std::optional<QString> input(const QString& prompt, const QString& initial) override;
    std::optional<QString> openFile(const FileDialog& dialog) override;
    std::optional<QString> saveFile(const FileDialog& dialog) override;

    QList<FileDialog> fileDialogs;

private:
    std::deque<Answer> m_answers;
    std::deque<QString> m_inputs;
    std::deque<QString> m_files;
    Answer m_fallback = Answer::Cancel;
    QList<Question> m_questions;
};

} // namespace vantelso
