#pragma once

#include "identity.h"
#include "record.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

namespace vantelso {

class Catalogue;
class DeviceLink;
class EditorModel;
class Texts;

// How a configuration read or write ended.
enum class EditorOutcome {
    Done,
    Busy,          // another device command was waiting; nothing was sent
    CommFailed,    // identification or a block read/write failed (the link has told the user)
    Incompatible,  // a device of another family: language string 70
    DeviceChanged, // another device answers than the one the editor shows: string 69
    WrongCjc,      // the shared cold-junction rule: string 62
    Cancelled,     // the user cancelled a limit question
    DataError,     // a value that cannot be stored (string 71), or a field with no number
    VerifyFailed,  // the device does not hold what was written: string 68
};

// Addresses as a short list with runs joined: "12-13, 20".
QString AddressRanges(QList<int> addresses);

// Moves a configuration between the device and the editor model: `ReadEprom` fills the editor
// from the device, `WriteEprom` checks the editor and writes it to the device, then reads the
// written bytes back. Questions and messages go through the link's prompter.
class ConfigEditor : public QObject {
    Q_OBJECT
public:
    ConfigEditor(EditorModel& model, DeviceLink& link, Catalogue& catalogue, const Texts& texts,
                 QObject* parent = nullptr);

    // Ends a running live measurement; returns true when one was running (the device is then
    // given 0.2 s to stop streaming).
    void setMeasurementStopper(std::function<bool()> stopper) { m_stopper = std::move(stopper); }

    // A failed identification or read leaves the editor exactly as it was.
    EditorOutcome ReadEprom();
    // Writes nothing unless every check passes or is accepted; Done only when the device was
    // read back holding every byte written.
    EditorOutcome WriteEprom();

    // The model identifier of the device last read ("RSX7131B").
    QString modelIdentifier() const { return m_modelIdentifier; }
    // The queue of the last write that went out.
    const WriteQueue& lastWrite() const { return m_lastWrite; }
    // Whether a device identified itself to the last read, whatever happened after.
    bool lastReadIdentified() const { return m_identified; }
    // The addresses whose read-back differed from what the last write sent.
    const QList<int>& verifyDifferences() const { return m_differences; }

Q_SIGNALS:
    // A device answered the identification: the captions follow the connected model.
    void deviceIdentified(const vantelso::DeviceIdentity& identity);
    void readFinished(vantelso::EditorOutcome outcome);
    void writeFinished(vantelso::EditorOutcome outcome);

private:
    EditorOutcome read();
    EditorOutcome write();
    void stopMeasurement();
    void critical(const QString& text);
    // Reads back every address of the queue; false on a read failure or a difference.
    bool verify(const WriteQueue& queue, EditorOutcome* outcome);

    EditorModel& m_model;
    DeviceLink& m_link;
    Catalogue& m_catalogue;
    const Texts& m_texts;
    std::function<bool()> m_stopper;
    QString m_modelIdentifier;
    WriteQueue m_lastWrite;
    bool m_identified = false;
    QList<int> m_differences;
};

} // namespace vantelso
