#pragma once

#include "catalogue.h"
#include "identity.h"
#include "record.h"
#include "switchmeaning.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

namespace vantelso {

class Texts;

// One element of a control: the field a message is about.
struct FieldRef {
    QString name;
    int element = 0;
    bool operator==(const FieldRef&) const = default;
};

// What one control of the editor window shows. A thin window binds each widget to the entry
// of the same name and element and follows controlChanged().
struct ControlState {
    QString text;      // edit text, list text, label text or button caption
    QStringList items; // list entries
    bool checked = false;
    bool grey = false;   // a check box in its third state (neither clear nor checked)
    bool enabled = true; // "available": the editor switches this for groups and buttons
    bool visible = true; // the frequency fields, pages and the operator delay box hide instead

    bool operator==(const ControlState&) const = default;
};

// Limits of a channel's input type, copied from the catalogue at each input selection;
// Celsius form, the "10 V" minimum already following the model.
struct CurrentLimits {
    QString unit;
    QString unitFahrenheit;
    double min = 0;
    double max = 0;
    double minSpan = 0;
};

// The configuration editor without its widgets: every control of the window for two channels
// (channel 0 shown "A", 1 "B"), kept by name and element the way the window's control arrays
// number them (pairs 2c and 2c+1, triples 3c..3c+2), the rules that tie them together, and
// the conversion between the controls and a decoded configuration record.
//
// Lists travel by text: a list text is turned into a code by name, and a text that names no
// row leaves the previous code. Numeric fields hold what the user typed; they are parsed only
// when the record is built, and a field still showing what the last read put there gives back
// exactly the value read (the display rounds, the device bytes must not change).
class EditorModel : public QObject {
    Q_OBJECT
public:
    // What each channel's switches set in place of the record ("Tc K 0 ÷ 190 °C -> 4-20 mA"),
    // empty where the record decides; the record fills the switches' "Default" positions. The
    // switch summary that words it sits above the editor, so the application supplies it.
    using SwitchDescriber = std::function<std::array<QString, 2>(
        const DeviceIdentity&, switches::SwitchBytes, const ConfigRecord&, const Texts&)>;

    // Caption of operator k in the operator dialog.
    static const QStringList& OperatorCaptions();

    EditorModel(const Catalogue& catalogue, const Texts& texts, QObject* parent = nullptr);

    const Catalogue& catalogue() const { return m_catalogue; }

    // --- controls ---
    QStringList controlNames() const;
    int elementCount(const QString& name) const;
    bool hasControl(const QString& name, int element = 0) const;
    ControlState control(const QString& name, int element = 0) const;
    QString text(const QString& name, int element = 0) const;
    QStringList items(const QString& name, int element = 0) const;
    bool checked(const QString& name, int element = 0) const;
    bool enabled(const QString& name, int element = 0) const;
    bool visible(const QString& name, int element = 0) const;
    // Chosen entry of a channel's option group (opt_CJC, opt_Fili, opt_Break, opt_funz, optTrip,
    // optRele; opt_Oper has one group), counted from 0 within the group; -1 when none.
    int choice(const QString& group, int channel) const;
    static int groupSize(const QString& group);

    // --- what the user does; each runs the control's handler. Unavailable controls ignore it.
    // Typing in a field or picking a list entry.
    void setText(const QString& name, int element, const QString& text);
    // Option buttons are selected, check boxes toggled, command buttons pressed.
    void click(const QString& name, int element = 0);
    void setChecked(const QString& name, int element, bool on);
    void choose(const QString& group, int channel, int index) {
        click(group, groupSize(group) * channel + index);
    }

    // Check box state as configuration files keep it: 0 clear, 1 checked, 2 grey. Restoring
    // runs the box's rules as a click would; other values leave the box as it is.
    int checkBoxState(const QString& name) const;
    void restoreCheckBoxState(const QString& name, int state);
    // A channel's math operator as a file restores it, without opening the dialog; codes
    // outside 0..7 leave it as it is.
    void restoreOperator(int channel, int code);

    // --- the connected model ---
    const DeviceIdentity& identity() const { return m_identity; }
    // The identity the controls are composed for; refills the lists and re-applies the rules.
    void setIdentity(const DeviceIdentity& identity);
    // Single-channel models keep channel B for the doubler only: its input side stays empty,
    // its output side shows only while the doubler is on.
    bool isSingleChannel() const { return IsSingleChannel(m_identity); }
    bool hasDoubler() const { return HasDoubler(m_identity); }
    // Channel B is in use: its own input, or the doubler's output on a single-channel model.
    bool usesChannelB() const;

    // --- decoded state ---
    int inputCode(int channel) const { return m_inputCode.at(std::size_t(channel)); }
    int outputCode(int channel) const { return m_outputCode.at(std::size_t(channel)); }
    int freqCode() const { return m_freqCode; }
    int overRangeCode(int end) const { return m_overRange.at(std::size_t(end)); }
    // The channel's Celsius/Fahrenheit choice.
    bool isFahrenheit(int channel) const { return m_fahrenheit.at(std::size_t(channel)); }
    // True when the channel's figures are shown in °F (Fahrenheit chosen and a temperature type).
    bool showsFahrenheit(int channel) const;
    const CurrentLimits& limits(int channel) const { return m_limits.at(std::size_t(channel)); }
    // "10 V" starts at -10 on models 0 and 8 and at 0 on the lettered models.
    double inputMin(int code) const;
    int operatorCode(int channel) const { return m_operator.at(std::size_t(channel)); }
    // The channel whose operator dialog was opened last.
    int operatorChannel() const { return m_operatorChannel; }
    // Channel B's list shows the doubler text and repeats channel A's input.
    bool channel1Doubled() const { return m_channel1Doubled; }

    // --- rules ---
    void EnableSections(int channel);
    // Copies the channels' ranges and units to the physical-scaling page.
    void CopiaValori();

    // --- record ---
    // Shows a decoded record the way a configuration read does and remembers it with the
    // texts shown, so that unedited fields are written back exactly.
    void showRecord(const ConfigRecord& record, const QByteArray& mainBlock);
    // The record the controls describe, in Celsius. Fields without a number count as 0;
    // badNumbers (when given) receives the controls whose text overflows a double.
    ConfigRecord toRecord(QStringList* badNumbers = nullptr) const;
    // A numeric field's value as typed ("," or "." as the decimal mark); 0 when it holds no
    // number.
    double number(const QString& name, int element = 0) const;
    // Whether a field holds something else than the last read or write left in it.
    bool edited(const QString& name, int element) const;
    // The numeric fields, typed into since the last read or write, that are empty or hold
    // something that is not a number: a write must refuse them.
    QList<FieldRef> fieldsWithoutNumbers() const;
    // After a verified write: what the device now holds becomes the new reference.
    void acceptWritten(const ConfigRecord& record, const QByteArray& mainBlock);
    // The main block of the last read (after written changes); empty before any read.
    const QByteArray& lastMainBlock() const { return m_mainBlock; }
    // The record last read or written; the base for fields the controls do not show.
    const ConfigRecord& baseRecord() const { return m_base; }

    // --- the device's switches ---
    // On a switch-configured model the switches override the record: each channel's note
    // "lbl_switch_note" says what they set, and hides where they set nothing. The range fields
    // keep the record's values, which are what a write stores.
    void setSwitchDescriber(SwitchDescriber describe);
    // The bank bytes the last read found; none for a model without switches.
    void setSwitchBytes(std::optional<switches::SwitchBytes> bytes);
    const std::optional<switches::SwitchBytes>& switchBytes() const { return m_switchBytes; }

Q_SIGNALS:
    void controlChanged(const QString& name, int element);
    // The operator button of a channel asks the window to show the operator dialog.
    void operatorDialogRequested(int channel);

private:
    ControlState* find(const QString& name, int element);
    const ControlState* find(const QString& name, int element) const;
    void define(const QString& name, int count);
    // Programmatic changes: no handler runs.
    void put(const QString& name, int element, const QString& text);
    void putItems(const QString& name, int element, const QStringList& items);
    void putChecked(const QString& name, int element, bool on);
    void putEnabled(const QString& name, int element, bool on);
    void putVisible(const QString& name, int element, bool on);
    void select(const QString& group, int element);
    void changed(const QString& name, int element);

    void fillLists();
    void onTextChanged(const QString& name, int element);
    void onClicked(const QString& name, int element);
    void inputChanged(int channel);
    void setInputCode(int channel, int code);
    void outputChanged(int channel);
    void freqChanged();
    void overRangeChanged(int end);
    void doublerChanged();
    void unitChanged(int channel, bool fahrenheit);
    void operatorChosen(int k);
    void applyInputLabels(int channel);
    void onLanguageChanged();
    void takeBaseline();
    // Empties channel B's fields and labels: its input side, and its output side too.
    void clearChannelB(bool outputSide);
    // The doubler turned on: channel B's output shows what the last read found there.
    void showChannelBOutput();
    QString doublerText() const;
    void showSwitchNotes();

    const Catalogue& m_catalogue;
    const Texts& m_texts;
    DeviceIdentity m_identity;
    QHash<QString, QList<ControlState>> m_controls;
    QStringList m_order;

    std::array<int, ChannelCount> m_inputCode{};
    std::array<int, ChannelCount> m_outputCode{};
    std::array<int, 2> m_overRange{};
    int m_freqCode = 0;
    std::array<bool, ChannelCount> m_fahrenheit{};
    std::array<CurrentLimits, ChannelCount> m_limits{};
    std::array<int, ChannelCount> m_operator{};
    int m_operatorChannel = 0;
    bool m_channel1Doubled = false;
    QString m_shownDoublerText;

    ConfigRecord m_base;
    QByteArray m_mainBlock;
    // Texts of the numeric fields as the last read or write left them, by "name/element".
    QHash<QString, QString> m_baseline;

    SwitchDescriber m_describeSwitches;
    std::optional<switches::SwitchBytes> m_switchBytes;
};

} // namespace vantelso
