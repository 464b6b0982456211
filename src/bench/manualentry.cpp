#include "manualentry.h"

#include "numberformat.h"

#include <QRegularExpression>

namespace vantelso::bench {

std::optional<double> AskNumber(Prompter* prompter, const QString& prompt) {
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([Ee][+-]?\\d+)?\\s*$"));
    for (;;) {
        const std::optional<QString> typed = prompter->input(prompt, QString());
        if (!typed)
            return std::nullopt;
        if (number.match(*typed).hasMatch())
            return Val(*typed);
    }
}

} // namespace vantelso::bench
