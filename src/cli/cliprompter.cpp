#include "cliprompter.h"

#include <cstdio>

namespace vantelso {

static void printErr(const QString& line) {
    std::fputs(qPrintable(line), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

Prompter::Answer CliPrompter::ask(const QString& text, Buttons buttons, Icon icon) {
    const char* kind = icon == Icon::Critical  ? "error"
                       : icon == Icon::Warning ? "warning"
                                               : "note";
    Answer answer = Answer::Ok;
    QString said;
    switch (buttons) {
    case Buttons::Ok:
        break;
    case Buttons::OkCancel:
        answer = m_yes ? Answer::Ok : Answer::Cancel;
        said = m_yes ? QStringLiteral(" [OK: --yes]") : QStringLiteral(" [Cancel; --yes to go on]");
        break;
    case Buttons::YesNo:
        answer = m_yes ? Answer::Yes : Answer::No;
        said = m_yes ? QStringLiteral(" [Yes: --yes]") : QStringLiteral(" [No; --yes to go on]");
        break;
    case Buttons::RetryCancel:
        answer = Answer::Cancel;
        said = QStringLiteral(" [Cancel]");
        break;
    case Buttons::AbortRetryIgnore:
        answer = Answer::Abort;
        said = QStringLiteral(" [Abort]");
        break;
    case Buttons::SaveDiscardCancel:
        answer = Answer::Cancel;
        said = QStringLiteral(" [Cancel]");
        break;
    }
    if (answer == Answer::Cancel || answer == Answer::Abort || answer == Answer::No)
        m_cancelled = true;
    printErr(QStringLiteral("%1: %2%3").arg(QLatin1String(kind), text, said));
    return answer;
}

std::optional<QString> CliPrompter::input(const QString& prompt, const QString& initial) {
    printErr(QStringLiteral("note: %1 [%2]").arg(prompt, initial));
    return initial;
}

} // namespace vantelso
