#pragma once

#include "configfilerecord.h"
#include "identity.h"

#include <QObject>
#include <QString>

namespace vantelso {

class EditorModel;
class Prompter;
class Texts;

// Opening and saving ".VNT" files: the editor's fields to and from the one configuration
// file record the program keeps for its whole run. Neither operation talks to the device;
// writing an opened configuration into a device is the editor's own write.
class ConfigFiles : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Done, Cancelled, Failed };

    // `current` is the identity of the last identified device (start values until one
    // answers); it is read at each save and open.
    ConfigFiles(EditorModel& editor, const DeviceIdentity& current, const Texts& texts,
                Prompter& prompter, QObject* parent = nullptr);

    // Save: to the current file; with saveAs, or when the current file was forgotten, after
    // the save dialog. Before any file was chosen, Save without "as" writes nothing.
    Outcome SaveConfigFile(bool saveAs);
    // Open: after the open dialog.
    Outcome OpenConfigFile();
    // The same without the dialogs, for scripts.
    Outcome saveTo(const QString& path);
    Outcome openFrom(const QString& path);

    QString currentFile() const { return m_fileName; }
    // The editor now shows another device's configuration: the current file was not this
    // one's, so the next Save asks for a name instead of overwriting it.
    void forgetFile();
    bool saveEnabled() const { return m_saveEnabled; }
    const ConfigFileRecord& record() const { return m_record; }
    // The editor's settings as a save would store them, without the version and identity:
    // two equal snapshots mean nothing was edited in between.
    QByteArray snapshot() const;
    // The program's version as files store it: the leading number of its version text.
    double programVersion() const;

    // The editor's fields as a record (what a save would write), and a record put into the
    // editor field by field (what an open does after its checks).
    void fillRecord(ConfigFileRecord& r) const;
    void applyRecord(const ConfigFileRecord& r);

Q_SIGNALS:
    // The connection panel's caption: product title, " - " and the file's full name.
    void captionChanged(const QString& caption);
    void saveEnabledChanged(bool enabled);
    // A save or an open completed: the editor's fields are those of the file at `path`.
    void saved(const QString& path);
    void opened(const QString& path);

private:
    Outcome write(const QString& path);
    void setSaveEnabled();
    void announce(const QString& path);

    EditorModel& m_editor;
    const DeviceIdentity& m_current;
    const Texts& m_texts;
    Prompter& m_prompter;
    ConfigFileRecord m_record;
    QString m_fileName;
    bool m_fileForgotten = false;
    bool m_saveEnabled = false;
};

} // namespace vantelso
