#include "resourcealiases.h"

#include <QDir>
#include <QFile>

namespace vantelso::bench {

ResourceAliases ResourceAliases::load(const QString& folder,
                                      const QProcessEnvironment& environment) {
    ResourceAliases out;
    const QString path = QDir(folder).filePath(fileName());
    QFile file(path);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
        for (int i = 0; i < lines.size(); ++i)
            out.parseLine(lines[i], QStringLiteral("%1:%2").arg(path).arg(i + 1));
    }
    const QString variable = environment.value(environmentVariable());
    for (const QString& entry : variable.split(u';', Qt::SkipEmptyParts))
        out.parseLine(entry, environmentVariable());
    return out;
}

void ResourceAliases::parseLine(const QString& line, const QString& where) {
    QString text = line;
    const qsizetype hash = text.indexOf(u'#');
    if (hash >= 0)
        text.truncate(hash);
    text = text.trimmed();
    if (text.isEmpty())
        return;
    const qsizetype eq = text.indexOf(u'=');
    const QString alias = eq < 0 ? QString() : text.left(eq).trimmed();
    const QString resource = eq < 0 ? QString() : text.mid(eq + 1).trimmed();
    if (alias.isEmpty() || resource.isEmpty()) {
        m_problems << QStringLiteral("%1: \"%2\"").arg(where, text);
        return;
    }
    add(alias, resource);
}

void ResourceAliases::add(const QString& alias, const QString& resource) {
    m_map.insert(alias.toLower(), resource);
}

bool ResourceAliases::isResourceName(const QString& name) {
    return name.contains(QLatin1String("::")) || name.startsWith(u'/');
}

std::optional<QString> ResourceAliases::resolve(const QString& name) const {
    const QString trimmed = name.trimmed();
    if (isResourceName(trimmed))
        return trimmed;
    const auto it = m_map.constFind(trimmed.toLower());
    if (it == m_map.constEnd())
        return std::nullopt;
    return it.value();
}

} // namespace vantelso::bench
