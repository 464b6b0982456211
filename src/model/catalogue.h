#pragma once

#include "identity.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

namespace vantelso {

// One input sensor or signal type. The row index is the code the device stores in the low
// five bits of the channel's input byte.
struct InputType {
    QString name;
    // Power of ten by which the record's 16-bit range values are scaled.
    std::uint8_t Decimals = 0;
    QString unit;
    QString unitFahrenheit;
    // Limits in the Celsius-form unit; Fahrenheit figures are always derived, never stored.
    double min = 0;
    double max = 0;
    double minSpan = 0;
    // Model class that offers the type: "0" every model, "255" never.
    QString TypeClass;
};

// Sensor of the frequency model, coded in the low three bits of address 0.
struct FreqType {
    QString name;
    std::uint8_t defaultTrigger = 0;
    QString triggerUnit;
};

struct OutputType {
    QString name;
    QString unit;
    double min = 0;
    double max = 0;
    double minSpan = 0;
};

struct OverRangeStep {
    QString name;
    double percentage = 0;
};

// Range texts of the switch-configured models; quoted as the switch guide shows them.
struct SwitchRangeText {
    QString name;
    std::uint8_t group = 0;
    bool hasCjc = false;
    bool hasWires = false;
    QString max, min, minSpan;
    QString maxFahrenheit, minFahrenheit, minSpanFahrenheit;
};

// Entries of the selection lists for the connected model, in insertion order. The list
// position of an entry is not its code: texts travel back to codes by name.
struct TypeLists {
    QStringList input;
    QStringList freq;
    QStringList output;
    QStringList overRange;
    // The switch guide's input list. For the voltage/current models 4 and 5 it holds only
    // "EEPROM"; the switch guide appends the ranges the device reports.
    QStringList switchInput;
    bool switchInputNeedsDeviceRanges = false;
};

// Codes of the catalogue rows the record rules refer to.
namespace input_code {
inline constexpr int Eeprom = 0;
inline constexpr int Volt10 = 4;
inline constexpr int Milliamp20 = 5;
inline constexpr int PT100 = 18;
inline constexpr int Res300K = 32;
inline constexpr int Freq = 33;
} // namespace input_code

// Types shown in °C (converted when the channel shows Fahrenheit): thermocouples, RTDs,
// KTY sensors and thermistors.
bool IsTemperatureType(int code);
bool IsThermocoupleType(int code);

// The fixed tables naming every signal the devices can be configured for. One instance
// lives for the whole process and is passed to whoever reads it.
class Catalogue {
public:
    static constexpr int InputTypeCount = 52;
    static constexpr int FreqTypeCount = 11;
    static constexpr int OutputTypeCount = 4;
    static constexpr int ReadoutOutputTypeCount = 17;
    static constexpr int OverRangeStepCount = 4;
    static constexpr int SwitchRangeTextCount = 32;

    // Builds every table for the start-up identity (DeviceCode 12, ModelByte 0).
    Catalogue();

    // Refills the device tables; the "10 V" minimum follows the model. Idempotent; rows
    // 34 to 51 are never touched. The switch range texts are built once by the constructor.
    void Init(const DeviceIdentity& identity);
    // After each configuration read: -10 for models 0 and 8, 0 for 2 to 6, otherwise unchanged.
    void UpdateAfterRead(const DeviceIdentity& identity);

    const std::array<InputType, InputTypeCount>& InputTypes() const { return inputTypes_; }
    const std::array<FreqType, FreqTypeCount>& FreqTypes() const { return freqTypes_; }
    const std::array<OutputType, OutputTypeCount>& OutputTypes() const { return outputTypes_; }
    const std::array<OutputType, ReadoutOutputTypeCount>& ReadoutOutputTypes() const {
        return readoutOutputTypes_;
    }
    const std::array<OverRangeStep, OverRangeStepCount>& OverRangeSteps() const {
        return overRangeSteps_;
    }
    const std::array<SwitchRangeText, SwitchRangeTextCount>& SwitchRangeTexts() const {
        return switchRangeTexts_;
    }

    // Row access that tolerates any code: outside the table an empty row is returned.
    const InputType& Input(int code) const;
    const FreqType& Freq(int code) const;
    const OutputType& Output(int code) const;
    const OverRangeStep& OverRange(int code) const;

    // Whether the connected model offers input type code (0..51; anything else is false).
    bool IsInputAvailable(int code, const DeviceIdentity& identity) const;

    // What the model offers, the one answer for its lists, the record decode, opening a file
    // and the checks before a write. An input is offered when the model's input list holds it
    // (IsInputAvailable, a name, "EEPROM" not on the voltage/current models 4 and 5,
    // "Res300K" only on the thermistor model of revision 2) or when it is "Freq" on the
    // frequency model, whose one input it is. An output is offered when the model's output
    // stage has it (model 8 only "4-20 mA", model 9 only "0-10 V").
    bool OffersInput(int code, const DeviceIdentity& identity) const;
    bool OffersOutput(int code, const DeviceIdentity& identity) const;

    TypeLists FillTypeLists(const DeviceIdentity& identity) const;

    // Text-to-code lookups, first matching row wins. An empty or unknown text gives no
    // result, so the caller keeps its previous value.
    std::optional<int> FindInputType(const QString& name) const;
    std::optional<int> FindOutputType(const QString& name) const;
    std::optional<int> FindFreqType(const QString& name) const;
    // Over-range percentage for a list text.
    std::optional<double> FindOverRange(const QString& name) const;
    std::optional<int> FindOverRangeCode(const QString& name) const;
    // First over-range row whose percentage equals exactly.
    std::optional<int> OverRangeFromPercent(double percentage) const;

private:
    void buildSwitchRangeTexts();

    std::array<InputType, InputTypeCount> inputTypes_;
    std::array<FreqType, FreqTypeCount> freqTypes_;
    std::array<OutputType, OutputTypeCount> outputTypes_;
    std::array<OutputType, ReadoutOutputTypeCount> readoutOutputTypes_;
    std::array<OverRangeStep, OverRangeStepCount> overRangeSteps_;
    std::array<SwitchRangeText, SwitchRangeTextCount> switchRangeTexts_;
};

} // namespace vantelso
