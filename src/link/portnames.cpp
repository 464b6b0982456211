#include "portnames.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <grp.h>
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

QList<PortDescription> AvailablePorts() {
    QList<PortDescription> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        QString desc = info.description();
        if (!info.manufacturer().isEmpty() && !desc.contains(info.manufacturer()))
            desc = desc.isEmpty() ? info.manufacturer() : info.manufacturer() + u' ' + desc;
#ifdef Q_OS_WIN
        out.push_back({info.portName(), desc});
#else
        out.push_back({info.systemLocation(), desc});
#endif
    }
    return out;
}

QString DescribeOpenFailure(const QString& systemName, bool permissionOrBusy,
                            const QString& qtError) {
    if (!permissionOrBusy) {
        if (!QFileInfo::exists(systemName))
            return QStringLiteral("Serial port %1 does not exist. Check the cable or choose "
                                  "another port.")
                .arg(systemName);
        return QStringLiteral("Serial port %1 cannot be opened: %2").arg(systemName, qtError);
    }
#ifdef Q_OS_UNIX
    const QByteArray path = systemName.toLocal8Bit();
    if (::access(path.constData(), R_OK | W_OK) != 0) {
        struct stat st {};
        QString group;
        if (::stat(path.constData(), &st) == 0) {
            if (const struct group* g = ::getgrgid(st.st_gid))
                group = QString::fromLocal8Bit(g->gr_name);
        }
        if (group.isEmpty())
            group = QStringLiteral("dialout");
        return QStringLiteral("Permission denied on %1. The port belongs to group \"%2\"; "
                              "add yourself to it with: sudo usermod -aG %2 $USER "
                              "(then log out and in again).")
            .arg(systemName, group);
    }
#endif
    return QStringLiteral("Serial port %1 is already in use by another program. Close that "
                          "program or choose another port.")
        .arg(systemName);
}

} // namespace vantelso
