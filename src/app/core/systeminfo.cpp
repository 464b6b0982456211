#include "systeminfo.h"

#include "owntexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <QSettings>
#endif

namespace vantelso::app {

namespace {
const QString kToolKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
} // namespace

RegistryReader NativeRegistryReader() {
#ifdef Q_OS_WIN
    return [](const QString& key, const QString& value) -> std::optional<QString> {
        QSettings reg(QStringLiteral("HKEY_LOCAL_MACHINE\\") + key, QSettings::NativeFormat);
        const QVariant v = reg.value(value);
        if (!v.isValid())
            return std::nullopt;
        // Numbers are shown the way the registry editor's old tools did.
        bool isNumber = false;
        const qulonglong n = v.toULongLong(&isNumber);
        if (v.typeId() != QMetaType::QString && isNumber)
            return QStringLiteral("&h") + QString::number(n, 16).toUpper();
        return v.toString();
    };
#else
    return [](const QString&, const QString&) -> std::optional<QString> { return std::nullopt; };
#endif
}

std::optional<QString> FindSystemInfoTool(const RegistryReader& registry,
                                          const FileExists& exists) {
    if (const auto path = registry(kToolKey, QStringLiteral("PATH")); path && !path->isEmpty())
        return path;
    if (const auto folder = registry(kLocationKey, QStringLiteral("MSINFO"));
        folder && !folder->isEmpty()) {
        const QString candidate = *folder + QStringLiteral("\\MSINFO32.EXE");
        if (exists(candidate))
            return candidate;
    }
    return std::nullopt;
}

QString SystemInfoUnavailableText(const Texts& texts) {
    return texts.lang(own::SystemInfoMissing);
}

QUrl WebAddressUrl(const QString& address) {
    const QString a = address.trimmed();
    if (a.isEmpty())
        return {};
    const QUrl url = QUrl::fromUserInput(a);
    return url.isValid() ? url : QUrl();
}

QString LocateManual(const QString& fileName, const QStringList& folders) {
    const QString f = fileName.trimmed();
    if (f.isEmpty())
        return {};
    for (const QString& folder : folders) {
        const QFileInfo candidate(QDir(folder), f);
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return {};
}

QStringList ManualFolders(const QString& programFolder, const QString& workingFolder) {
    QStringList out;
    const auto add = [&out](const QString& folder) {
        const QString clean = QDir::cleanPath(folder);
        if (!folder.isEmpty() && !out.contains(clean))
            out << clean;
    };
    if (!programFolder.isEmpty()) {
        const QDir program(programFolder);
        add(program.path());
        add(program.filePath(QStringLiteral("doc")));
        add(program.filePath(QStringLiteral("../share/doc/vantelso")));
        add(program.filePath(QStringLiteral("../share/vantelso")));
    }
    add(workingFolder);
    return out;
}

QStringList ManualFolders() {
    return ManualFolders(QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                      : QString(),
                         QDir::currentPath());
}

} // namespace vantelso::app
