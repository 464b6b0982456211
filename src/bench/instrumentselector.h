#pragma once

#include <QString>
#include <QStringList>

namespace vantelso::bench {

// How an instrument is driven, decided from the text of its selector.
enum class InstrumentMode {
    Manual, // the operator works the instrument; the driver asks or tells through the prompter
    Serial, // over the instrument's serial port
    Usb,    // over an instrument session (multimeter only)
    None,   // a multimeter selector that names nothing known: the drivers do nothing
};

// The entries every selector offers: "Com1".."Com8", "Usb1".."Usb4", "Manuale".
QStringList SelectorEntries();

// Supply, calibrator and switch unit: "Manuale" is manual, anything else serial.
InstrumentMode SourceSelectorMode(const QString& selector);
// Multimeters: the first three characters decide, "Man", "Com" or "Usb"; anything else None.
InstrumentMode MeterSelectorMode(const QString& selector);
// The port number is the selector's last character read as a digit ("Com3" gives 3, "Usb2"
// gives 2); 0 when that character is no digit.
int SelectorPortNumber(const QString& selector);
// The serial port entry for a selector, "COM3" for "Com3" (see SystemPortName).
QString SelectorPortEntry(const QString& selector);
// The instrument-session alias of a USB selector: "Usb2" names "UsbDevice2".
QString SelectorSessionAlias(const QString& selector);

// A number as the bench shows and sends it: up to 15 significant digits, no trailing zeros
// ("258", "-1", "12.5", "0.001").
QString NumberText(double v);

} // namespace vantelso::bench
