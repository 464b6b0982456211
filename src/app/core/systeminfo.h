#pragma once

#include "texts.h"

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

// Shown when there is no system-information tool, in the user's language.
QString SystemInfoUnavailableText(const Texts& texts);

// The web address as something the desktop opens in a browser ("www.x.com" -> https).
QUrl WebAddressUrl(const QString& address);
// The manual file: in the first of `folders` that holds it (the working folder, then the
// program's own); empty when none does or there is no name.
QString LocateManual(const QString& fileName, const QStringList& folders);
// Where the About box looks for the manual, in this order: where the program is installed
// (its own folder, then the documentation folders of an installation beside it), then the
// working folder. Without arguments, for the running program.
QStringList ManualFolders(const QString& programFolder, const QString& workingFolder);
QStringList ManualFolders();

} // namespace vantelso::app
