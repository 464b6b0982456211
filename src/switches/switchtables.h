#pragma once

// The fixed tables of the DIP-switch guide: the wizard's model table, the zero/span value
// records the range switches select from, and the ranges of the voltage/current "D" models.
// Built once (they are plain data) and only read afterwards.
//
// Which record serves which model and input family
// ------------------------------------------------
// A list position is a switch value: position 0 ("Default") leaves the range the device keeps
// in its memory, position k selects the k-th value of the record.
//
//  record  values                                   serves
//  0       zero -200..150, span 0..1850            thermocouples (group 0 of the range texts)
//  1       zero -200..100, span 10..850            RTD, KTY and thermistor inputs (group 1)
//  2       zero 200..800,  span 500..1950          "Res2K" (group 2)
//  3       zero 20..300,   span 50..490            "Res500" (group 3)
//  4       zero 20..80,    span 5..98              potentiometers, % (group 4)
//  5       zero 2..8,      span 5..19.5            "20 mA" (group 5)
//  6       zero 2..8,      span 0.5..9.8           "10 V" (group 6)
//  7       multipliers 1000/100/10/1, span 0.5..31.5  the frequency model RSX7040 (group 7)
//  8       zero -100..400, span 5..825             mV inputs "90 mV", "200 mV", "800 mV"
//
// Record 8 is the further table: the mV inputs share group 0 with the thermocouples in the
// range texts, but thermocouple zeros and spans (down to -200, up to 1850) are mostly outside
// every mV range. The "D" models (RSX7031D, RSX7032D, RSX7131D, RSX7132D) have no zero/span
// switches: their input switches select an input type, as described in switchmeaning.h.
//
// Models and their records: RSX7030 and RSX7035 use the record of the selected input as above;
// the lettered A, B and C models (RSX7031/7032/7131 A-C) likewise; RSX7040 always record 7;
// the D models none. "Res300K" (thermistor model, hardware revision 2) has no record and its
// lists show "No range" ("Nessun campo" in Italian).

#include "catalogue.h"

#include <QList>
#include <QString>
#include <array>
#include <cstdint>

namespace vantelso::switches {

// One row of the wizard's model table.
struct ModelRow {
    int brandField = 0;  // brand-block string of the display name (10 = "RSX 7030")
    QString wizardModel; // identifier whose switch rules the wizard applies ("RSX7031A")
    int inputs = 0;      // input channels
    int outputs = 0;     // outputs
    bool flag1 = false, flag2 = false, flag3 = false;
    std::array<QString, 4> ranges; // output ranges offered in the output list; empty = none
    bool fixedOutput = false;      // outputs not selectable by switches
};

inline constexpr int ModelTableRows = 17; // row 16 stays empty
const std::array<ModelRow, ModelTableRows>& ModelTable();

struct ZeroSpanRecord {
    QList<double> zero; // values of zero switch positions 1..count, in position order
    QList<double> span; // values of span switch positions 1..count
};

inline constexpr int ZeroSpanRecordCount = 9;
inline constexpr int MillivoltRecord = 8;
inline constexpr int FrequencyRecord = 7;
const std::array<ZeroSpanRecord, ZeroSpanRecordCount>& ZeroSpanRecords();

// The record for an input code of a switch model, or -1 when the input has no range
// switches (EEPROM, "Res300K", unknown codes).
int RecordForInput(const Catalogue& catalogue, int inputCode);

// ModelByte under which the guide applies a wizard model's rules; -1 for unknown texts.
int WizardModelByte(const QString& wizardModel);
// Input channels and outputs of a switch-model identifier (D models differ); {1,1} default.
struct ChannelCounts {
    int inputs = 1;
    int outputs = 1;
};
ChannelCounts ChannelsOf(const QString& modelIdentifier);

} // namespace vantelso::switches
