#include "portnames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vantelso {

QStringList StandardPortEntries() {
    QStringList out;
    for (int n = 1; n <= 16; ++n)
        out << QStringLiteral("COM%1").arg(n);
    return out;
}

QString SystemPortName(const QString& entry) {
    const QString e = entry.trimmed();
#ifdef Q_OS_WIN
    return e;
#else
    if (e.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
        bool ok = false;
        const int n = e.mid(3).toInt(&ok);
        if (ok && n >= 1)
            return QStringLiteral("/dev/ttyS%1").arg(n - 1);
    }
    return e;
#endif
}

QList<PortDescription> AvailablePorts(const QString& stableFolder) {
    const QHash<QString, QString> stable = StablePortNames(stableFolder);
    QList<PortDescription> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        PortDescription p;
#ifdef Q_OS_WIN
        p.name = info.portName();
#else
        p.name = info.systemLocation();
#endif
        p.description = info.description().trimmed();
        p.manufacturer = info.manufacturer().trimmed();
        p.serialNumber = info.serialNumber().trimmed();
        p.stableName = stable.value(info.systemLocation());
        out.push_back(p);
    }
    return out;
}

QString PortLabel(const PortDescription& port) {
    QString shortName = port.name;
    if (shortName.startsWith(QLatin1String("/dev/")))
        shortName = shortName.mid(5);
    QString about = port.description;
    if (!port.manufacturer.isEmpty() && !about.contains(port.manufacturer, Qt::CaseInsensitive))
        about = about.isEmpty() ? port.manufacturer
                                : about + QStringLiteral(" (%1)").arg(port.manufacturer);
    if (!port.serialNumber.isEmpty())
        about += (about.isEmpty() ? QStringLiteral("S/N ") : QStringLiteral(", S/N ")) +
                 port.serialNumber;
    return about.isEmpty() ? shortName : shortName + QStringLiteral(" \u2014 ") + about;
}

QString StablePortFolder() {
#ifdef Q_OS_LINUX
    return QStringLiteral("/dev/serial/by-id");
#else
    return {};
#endif
}

QHash<QString, QString> StablePortNames(const QString& folder) {
    QHash<QString, QString> out;
    if (folder.isEmpty())
        return out;
    const QDir dir(folder);
    const QFileInfoList links =
        dir.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& link : links) {
        const QString target = link.canonicalFilePath();
        // A link whose node is gone (adapter pulled a moment ago) names nothing.
        if (link.isSymLink() && !target.isEmpty() && !out.contains(target))
            out.insert(target, link.absoluteFilePath());
    }
    return out;
}

namespace {

#ifdef Q_OS_UNIX
// The permission bits as "ls -l" shows them.
QString modeText(mode_t m) {
    QString out;
    out += S_ISCHR(m) ? u'c' : S_ISBLK(m) ? u'b' : S_ISDIR(m) ? u'd' : S_ISLNK(m) ? u'l' : u'-';
    const mode_t bits[] = {S_IRUSR, S_IWUSR, S_IXUSR, S_IRGRP, S_IWGRP,
                           S_IXGRP, S_IROTH, S_IWOTH, S_IXOTH};
    const char16_t letters[] = {u'r', u'w', u'x'};
    for (int k = 0; k < 9; ++k)
        out += (m & bits[k]) ? QChar(letters[k % 3]) : QChar(u'-');
    return out;
}
#endif

} // namespace

PortNode InspectPortNode(const QString& systemName) {
    PortNode node;
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(systemName);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) {
        node.exists = false;
        node.accessible = false;
        return node;
    }
    node.accessible = ::access(path.constData(), R_OK | W_OK) == 0;
    if (const struct passwd* pw = ::getpwuid(st.st_uid))
        node.owner = QString::fromLocal8Bit(pw->pw_name);
    else
        node.owner = QString::number(st.st_uid);
    if (const struct group* g = ::getgrgid(st.st_gid))
        node.group = QString::fromLocal8Bit(g->gr_name);
    else
        node.group = QString::number(st.st_gid);
    node.groupMayOpen = (st.st_mode & S_IRGRP) && (st.st_mode & S_IWGRP);
    node.groupIsSuperuser = st.st_gid == 0;
    node.mode = modeText(st.st_mode);
#else
    Q_UNUSED(systemName);
#endif
    return node;
}

PortProblem ClassifyOpenFailure(const QString& systemName, OpenError error,
                                const QString& systemReason, const PortNode& node) {
    PortProblem p;
    p.port = systemName;
    if (error == OpenError::NotFound || !node.exists) {
        p.kind = PortProblem::Kind::Missing;
    } else if (error == OpenError::Other) {
        p.kind = PortProblem::Kind::CannotOpen;
        p.detail = systemReason;
    } else if (node.accessible) {
        // Allowed to use it, yet refused: another program holds the port (or its lock).
        p.kind = PortProblem::Kind::Busy;
    } else if (node.groupMayOpen && !node.groupIsSuperuser && !node.group.isEmpty()) {
        p.kind = PortProblem::Kind::NeedsGroup;
        p.group = node.group;
    } else {
        // Joining the group would not help (or would mean joining the superuser's group).
        p.kind = PortProblem::Kind::PermissionDenied;
        p.owner = node.owner + u':' + node.group;
        p.mode = node.mode;
    }
    return p;
}

} // namespace vantelso
