#pragma once

#include "configeditor.h"
#include "configfilerecord.h"

#include <QJsonObject>
#include <QList>
#include <QStringList>
#include <optional>

namespace vantelso {

class DeviceLink;
class Prompter;
class Texts;

// What the device holds, as a save would write it: read through the editor the desktop
// program shows, without its window, so a comparison sets two file records side by side and
// a field means the same on both. Nothing of the caller's editor is touched. The editor's
// messages speak the language of `texts`, English without.
std::optional<ConfigFileRecord> ReadDeviceAsFile(DeviceLink& link, Prompter& prompter,
                                                 EditorOutcome* outcome = nullptr,
                                                 const Texts* texts = nullptr);

// One field both sides have, in the words and number format `show` uses.
struct DiffRow {
    QString channel; // "A", "B", or empty for the fields of the whole device
    QString field;   // "input_start", "trip high", "physical output_end_a"...
    QString deviceValue;
    QString fileValue;
    QString unit;
    bool differs = false;
};

struct ConfigDiff {
    QString deviceModel; // "RSX7030", or "ID=12/3" when the file cannot name the variant
    QString fileModel;
    bool sameModel = true;
    double fileVersion = 0;   // the program version the file was saved with
    bool sameVersion = true;  // ... and whether it is this program's
    QList<DiffRow> rows;      // the fields both sides have
    QStringList onlyOnDevice; // "B output_end": fields of one side only (another model)
    QStringList onlyInFile;

    int differences() const;
    bool equal() const { return differences() == 0; }
};

// Values are compared as they are shown (three decimals at most), so a float that came back
// from the device a last bit off is not a difference nobody could see.
ConfigDiff CompareConfigurations(const ConfigFileRecord& device, const ConfigFileRecord& file);

// "Compare with file": the file is read with its usual checks, but none is put to the user as
// a question (another model or version is what the comparison shows); a file that cannot be
// read is told and the device is not touched. Then the device is read as a save would write
// it. Nothing when either fails.
struct FileComparison {
    ConfigDiff diff;
    QString fileName; // without its folder
};
std::optional<FileComparison> CompareDeviceWithFile(DeviceLink& link, Prompter& prompter,
                                                    const Texts& texts, const QString& path);

QJsonObject DiffJson(const ConfigDiff& diff);
// What the compare window says above its table, in the language of `texts`: equal or how
// many fields differ, that only the common fields of another model were compared, and a file
// of another program version. `fileName` as it should be shown.
QStringList DiffSummary(const ConfigDiff& diff, const QString& fileName, const Texts& texts);
// A line for the models (and, for another model, that only the common fields were
// compared), then one tab-separated line per field: channel, field, device, file, unit, and
// "*" where the two differ.
QStringList DiffLines(const ConfigDiff& diff);

} // namespace vantelso
