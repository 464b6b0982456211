#include "linktrace.h"

#include <QTime>

namespace vantelso {

Q_LOGGING_CATEGORY(lcLink, "vantelso.link", QtInfoMsg)

QString TraceBytes(const QByteArray& bytes) {
    QString hex;
    QString text;
    hex.reserve(bytes.size() * 3);
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (!hex.isEmpty())
            hex += QLatin1Char(' ');
        hex += QStringLiteral("%1").arg(uint(u), 2, 16, QLatin1Char('0'));
        text += (u >= 0x20 && u < 0x7F) ? QLatin1Char(c) : QLatin1Char('.');
    }
    return hex + QStringLiteral("  |") + text + QLatin1Char('|');
}

QString TraceTime() {
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"));
}

} // namespace vantelso
