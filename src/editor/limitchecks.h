#pragma once

#include <QList>
#include <QString>

namespace vantelso {

class EditorModel;
class Texts;

// One limit violation found before a write; the user may still write the values as typed.
struct LimitFinding {
    enum class Kind { Input, Output, Offset, Trips };
    Kind kind;
    int channel;
    QString message; // "Channel A: input value (MAX) (SPAN) exceeds limits"
};

// The checks a write runs on what the editor shows, against the catalogue limits of each
// channel's types (converted to °F when the channel shows Fahrenheit). Messages are built in
// the current language ("Canale A: " in Italian); the markers are the same in every language. A
// type the connected model does not offer (Catalogue::OffersInput/OffersOutput) is a finding too,
// marked " (TYPE)".
class LimitChecks {
public:
    LimitChecks(const EditorModel& model, const Texts& texts) : m_model(model), m_texts(texts) {}

    // Channel B's own input is checked only on two-channel models; its output also when the
    // doubler gives the single-channel model a second output.
    bool checksInput(int channel) const;
    bool checksOutput(int channel) const;
    // Channel B's offset byte is the trip delay on the trip models.
    bool checksOffset(int channel) const;
    bool checksTrips(int channel) const;

    // Empty when the channel passes.
    QString inputMessage(int channel) const;
    QString outputMessage(int channel) const;
    QString offsetMessage(int channel) const;
    QString tripMessage(int channel) const;

    // On the two-channel mV/thermocouple model the channels share one cold-junction sensor:
    // channel B on a thermocouple with internal compensation needs channel A the same way.
    bool cjcRuleViolated() const;
    // Language string 62.
    QString cjcRuleMessage() const;

    // Every finding in the order a write asks about them: inputs, outputs, offsets, trips.
    QList<LimitFinding> findings() const;

    // The fields typed into that hold no number, one line each, then how to type numbers;
    // empty when every such field holds one. A write stops here.
    QString numbersMessage() const;
    // A numeric field as the window labels it: "Canale A, Ingresso Max".
    QString fieldName(const QString& name, int element) const;

private:
    QString channelPrefix(int channel) const;
    QString box(int channel, int stringId, const QString& markers) const;

    const EditorModel& m_model;
    const Texts& m_texts;
};

} // namespace vantelso
