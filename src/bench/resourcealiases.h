#pragma once

#include <QHash>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>

namespace vantelso::bench {

// Names such as "UsbDevice1" stand for instrument resources. They are given as
// `alias = resource` lines in the file "instruments.txt" of the working folder ('#' starts a
// comment), and in the environment variable VANTELSO_INSTRUMENTS as `alias=resource` pairs
// separated by ';', which take precedence over the file. Aliases ignore letter case.
class ResourceAliases {
public:
    static QString fileName() { return QStringLiteral("instruments.txt"); }
    static QString environmentVariable() { return QStringLiteral("VANTELSO_INSTRUMENTS"); }

    // Reads the file in `folder` (a missing file is no error) and then the environment.
    static ResourceAliases load(const QString& folder, const QProcessEnvironment& environment);

    void add(const QString& alias, const QString& resource);
    // Lines of the file or the variable that are not `alias = resource`, for the user to fix.
    QStringList problems() const { return m_problems; }

    // A resource name ("TCPIP::...", "ASRL...", "/dev/usbtmc0", "SIM::...") is returned as
    // it is; an alias is looked up. nullopt for an unknown alias.
    std::optional<QString> resolve(const QString& name) const;
    static bool isResourceName(const QString& name);

private:
    void parseLine(const QString& line, const QString& where);

    QHash<QString, QString> m_map; // lower-case alias -> resource
    QStringList m_problems;
};

} // namespace vantelso::bench
