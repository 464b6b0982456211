#pragma once

#include "catalogue.h"
#include "devicelink.h"
#include "switchcodec.h"
#include "switchtables.h"
#include "texts.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

namespace vantelso::switches {

// One entry of a selection list: the text shown and the value the encoder takes.
struct ListItem {
    QString text;
    int value = -1;
    bool operator==(const ListItem&) const = default;
};

struct OptionFrame {
    bool visible = false;
    QString caption;
    QString off, on;     // items 0 and 1 of the frame
    bool enabled = true; // false: the frame only shows the device's switch (or nothing)
};

enum class CheckResult { None, Ok, Error }; // "---", "OK", "ERR"

// The DIP-switch guide without its window: the connected device's (or the wizard's) model,
// the selections, the three bank bytes and everything the window shows from them. A change
// of a selection recomputes the bytes with the model's encoder; reading the device recovers
// the selections with the model's reader. Emits changed() after every change.
class SwitchGuide : public QObject {
    Q_OBJECT
public:
    // `link` may be null (no device: only the wizard works).
    SwitchGuide(const Catalogue& catalogue, const Texts& texts, DeviceLink* link,
                QObject* parent = nullptr);

    // --- the connected device ---
    // The identified device and its model identifier ("RSX7131D"); leaves the wizard.
    void setDevice(const DeviceIdentity& identity, const QString& modelIdentifier);
    // Works on `identifier` without a device, as the wizard does (command line); false for a
    // model without switches.
    bool useModel(const DeviceIdentity& identity, const QString& identifier);
    // "$D": stores S0..S2, shows them and the selections they mean. On failure (CommError)
    // the selections and the drawing stay as they were; false then, and for models without
    // switches.
    bool ReadSwitch();

    // --- the wizard ---
    void enterWizard();
    // "Select Device" followed by the display names of model-table rows 0 to 15.
    QStringList wizardModelList() const;
    // Index in that list (0 "Select Device" changes nothing).
    void chooseWizardModel(int listIndex);
    void leaveWizard();
    bool wizardMode() const { return m_wizard; }
    QString wizardModel() const { return m_wizard ? m_wizardModel : QString(); }
    int wizardListIndex() const { return m_wizard ? m_wizardRow + 1 : 0; }

    // --- selections, by list position (-1 none) ---
    void selectInput(int channel, int listIndex);
    void selectOutput(int channel, int listIndex);
    void selectSpan(int listIndex);
    void selectZero(int listIndex);
    void selectMultiplier(int listIndex);
    void setOption(int option); // 0 or 1
    void setFahrenheit(bool on);
    // All selections at once (command line); fields the model lacks are ignored.
    void setSelections(const Selections& s);

    // --- zero and span defaults stored in the device ---
    enum class DefaultKind { Span, Zero };
    // Busy: another device command was waiting, nothing was sent (the user is told).
    enum class DefaultOutcome { Written, Cancelled, Refused, Failed, Busy };
    // Asks for the value of list position k, checks it and writes it ("$W"), then rereads
    // the input's table ("$S"). lastChannel 1 moves the address by 20.
    DefaultOutcome enterDefault(DefaultKind kind, int k, int lastChannel);
    // First address of the two bytes a default of list position k goes to.
    static int DefaultAddress(DefaultKind kind, int k, int lastChannel);
    // The words of the last table reread ("$S"); empty before.
    const QList<int>& deviceTable() const { return m_table; }

    // --- what the window shows ---
    const DeviceIdentity& identity() const { return m_identity; }
    QString modelIdentifier() const { return m_model; }
    Family family() const { return FamilyOf(m_identity.ModelByte); }
    int inputs() const { return m_channels.inputs; }
    // A device's short "$D" reply has no third bank: it is drawn empty.
    int banks() const { return std::min(BankCount(family()), BanksInReply(m_identity)); }
    // The device's short "$D" reply carries no third bank, though the model has one: its zero
    // position is unknown and the record's start applies.
    bool thirdBankMissing() const {
        return !m_wizard && BankCount(family()) == 3 && BanksInReply(m_identity) < 3;
    }
    // A device was identified (setDevice): its switches can be read.
    bool hasDevice() const { return m_hasDevice; }
    // The banks of a measurement's switch read, shown as if read here (ignored in the wizard).
    void showDeviceBytes(SwitchBytes bytes);
    SwitchBytes bytes() const { return m_bytes; }
    const Selections& selections() const { return m_sel; }
    // The input-type code selected on channel A (-1 none); the sensor index on RSX7040.
    int inputCode() const { return m_sel.input; }

    QList<ListItem> inputItems(int channel) const;
    QList<ListItem> outputItems(int channel) const;
    QStringList zeroItems() const;
    QStringList spanItems() const;
    QStringList multiplierItems() const;
    // List positions of the current selections (-1 none).
    int inputIndex(int channel) const;
    int outputIndex(int channel) const;
    int spanIndex() const { return listIndex(m_sel.span, spanItems()); }
    int zeroIndex() const { return listIndex(m_sel.zero, zeroItems()); }
    int multiplierIndex() const { return listIndex(m_sel.multiplier, multiplierItems()); }

    bool showsInputB() const;
    bool showsOutputB() const;
    bool showsOutput() const;
    bool showsMultiplier() const { return family() == Family::Rsx7040; }
    bool showsZero() const;
    bool showsSpan() const { return family() != Family::DModels && family() != Family::None; }
    // The zero and span lists take clicks (not on the D models).
    bool listsEnabled() const { return family() != Family::DModels; }
    // The °C/°F choice: only for temperature inputs.
    bool showsTemperatureChoice() const;
    bool fahrenheit() const { return m_fahrenheit; }
    std::array<OptionFrame, 2> optionFrames() const;
    QString limitsText() const;
    CheckResult check() const;
    static QString CheckText(CheckResult r);
    // Lamp colour, red in the low byte: red 255, green 65280, grey for "---".
    static int CheckColour(CheckResult r);

Q_SIGNALS:
    void changed();

private:
    static int listIndex(int value, const QStringList& items);
    void encode();
    void resetRanges();
    int record() const;
    int tableNumber() const;
    // The zero and span values of the lists: the switch-setting tables, or the table the
    // device gave back after a default was written.
    RangeValues listValues() const;
    double inputMin(int code) const;

    const Catalogue& m_catalogue;
    const Texts& m_texts;
    DeviceLink* m_link;

    DeviceIdentity m_identity;
    QString m_model = QStringLiteral("RSX7030");
    ChannelCounts m_channels{1, 2};
    SwitchBytes m_bytes;
    Selections m_sel;
    bool m_fahrenheit = false;
    QList<int> m_table;
    int m_tableNumber = -1;

    bool m_wizard = false;
    bool m_hasDevice = false;
    int m_wizardRow = -1;
    QString m_wizardModel;
    struct Saved {
        DeviceIdentity identity;
        QString model;
        ChannelCounts channels;
        SwitchBytes bytes;
        Selections sel;
    } m_device;
};

} // namespace vantelso::switches
