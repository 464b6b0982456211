#include "switchbytesoption.h"

#include <QStringList>

namespace vantelso::sim {

bool ParseSwitchBytes(const QString& text, QByteArray* bytes, QString* error) {
    const QStringList parts = text.split(u',');
    QByteArray out;
    for (const QString& p : parts) {
        bool ok = false;
        const QString t = p.trimmed();
        const int v = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                          ? t.mid(2).toInt(&ok, 16)
                          : t.toInt(&ok, 10);
        if (!ok || v < 0 || v > 255) {
            *error = QStringLiteral("--switches takes S0,S1,S2 as numbers 0 to 255, not \"%1\"")
                         .arg(text);
            return false;
        }
        out.append(char(v));
    }
    if (out.size() < 1 || out.size() > 4) {
        *error = QStringLiteral("--switches takes one to four bytes, S0,S1,S2");
        return false;
    }
    *bytes = out;
    return true;
}

} // namespace vantelso::sim
