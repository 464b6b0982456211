#include "stringtable.h"

#include <QFile>
#include <QtGlobal>
#include <algorithm>

namespace vantelso {

namespace {

const char* const kResourcePath = ":/vantelso/strings/stringtable.txt";

} // namespace

StringTable StringTable::parse(QByteArrayView utf8, QStringList* errors) {
    StringTable table;
    const QString all = QString::fromUtf8(utf8);
    const QStringList lines = all.split(QLatin1Char('\n'));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QString line = lines[n];
        // Tolerate a file checked out with CRLF line ends; texts never end in CR.
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;

        const auto fail = [&](const QString& why) {
            if (errors)
                errors->append(QStringLiteral("line %1: %2").arg(n + 1).arg(why));
        };
        const qsizetype open = line.indexOf(QLatin1Char('"'));
        const qsizetype close = line.lastIndexOf(QLatin1Char('"'));
        if (open < 0 || close == open) {
            fail(QStringLiteral("text is not in double quotes"));
            continue;
        }
        if (!line.mid(close + 1).trimmed().isEmpty()) {
            fail(QStringLiteral("characters after the closing quote"));
            continue;
        }
        bool ok = false;
        const int id = line.left(open).trimmed().toInt(&ok);
        if (!ok || id < 0) {
            fail(QStringLiteral("bad id"));
            continue;
        }
        if (table.m_texts.contains(id)) {
            fail(QStringLiteral("id %1 repeated").arg(id));
            continue;
        }
        table.m_texts.insert(id, line.mid(open + 1, close - open - 1));
    }
    return table;
}

const StringTable& StringTable::builtIn() {
    static const StringTable table = [] {
        QFile file(QString::fromLatin1(kResourcePath));
        if (!file.open(QIODevice::ReadOnly))
            qFatal("string table resource %s is missing", kResourcePath);
        QStringList errors;
        StringTable parsed = parse(file.readAll(), &errors);
        if (!errors.isEmpty())
            qFatal("string table resource is malformed: %s", qPrintable(errors.join(u"; ")));
        return parsed;
    }();
    return table;
}

QList<int> StringTable::ids() const {
    QList<int> all = m_texts.keys();
    std::sort(all.begin(), all.end());
    return all;
}

} // namespace vantelso
