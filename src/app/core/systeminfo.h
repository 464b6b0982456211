#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

namespace vantelso::app {

// Reads one text value of HKEY_LOCAL_MACHINE: (key path, value name) -> text.
using RegistryReader = std::function<std::optional<QString>(const QString&, const QString&)>;
using FileExists = std::function<bool(const QString&)>;

// The machine's registry where there is one (Windows); elsewhere a reader that finds nothing.
RegistryReader NativeRegistryReader();

// Where the operating system's system-information tool lives: the "PATH" value of the
// tool's own key, else the shared-tools folder + "\MSINFO32.EXE" when that file exists.
std::optional<QString> FindSystemInfoTool(const RegistryReader& registry, const FileExists& exists);

// Shown when there is no system-information tool, in every language.
QString SystemInfoUnavailableText();

// The web address as something the desktop opens in a browser ("www.x.com" -> https).
QUrl WebAddressUrl(const QString& address);
// The manual file: in the first of `folders` that holds it (the working folder, then the
// program's own); empty when none does or there is no name.
QString LocateManual(const QString& fileName, const QStringList& folders);
// Where the About box looks for the manual.
QStringList ManualFolders();

} // namespace vantelso::app
