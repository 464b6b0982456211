#include "scriptedprompter.h"

namespace vantelso {

QStringList ScriptedPrompter::texts() const {
    QStringList out;
    for (const auto& q : m_questions)
        out << q.text;
    return out;
}

static std::optional<QString> take(std::deque<QString>& queue) {
    if (queue.empty())
        return std::nullopt;
    const QString v = queue.front();
    queue.pop_front();
    if (v.isNull())
        return std::nullopt;
    return v;
}

Prompter::Answer ScriptedPrompter::ask(const QString& text, Buttons buttons, Icon icon) {
    m_questions.push_back({text, buttons, icon});
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    if (m_answers.empty())
        return m_fallback;
    const Answer a = m_answers.front();
    m_answers.pop_front();
    return a;
}

std::optional<QString> ScriptedPrompter::input(const QString& prompt, const QString&) {
    m_questions.push_back({prompt, Buttons::OkCancel, Icon::Question});
    return take(m_inputs);
}

std::optional<QString> ScriptedPrompter::openFile(const FileDialog& dialog) {
    fileDialogs.push_back(dialog);
    return take(m_files);
}

std::optional<QString> ScriptedPrompter::saveFile(const FileDialog& dialog) {
    return openFile(dialog);
}

} // namespace vantelso
