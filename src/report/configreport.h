#pragma once

#include "a4document.h"
#include "configfilerecord.h"
#include "configread.h"
#include "identity.h"
#include "switchcodec.h"

#include <QDateTime>
#include <QImage>
#include <QJsonObject>
#include <QString>
#include <memory>
#include <optional>

class QTextDocument;

namespace vantelso {

class DeviceLink;
class Prompter;
class Texts;

namespace report {

// What a configuration report prints: the identity, where the configuration came from and
// when, the configuration as a view (RecordJson of a device, FileJson of a file) and, for a
// device with switches, its banks as read.
struct ReportSource {
    DeviceIdentity identity;
    QString modelIdentifier; // empty for a lettered model's file, which does not name its letter
    QString origin;          // the port, or the file's path
    bool fromFile = false;
    QDateTime when;
    QJsonObject view;
    std::optional<switches::SwitchBytes> switchBytes;
    int banks = 0;
    // The record read with the banks: its ranges fill the switches' "Default" positions.
    std::optional<ConfigRecord> record;
};

// Identifies the device, reads its configuration and, on a model with switches, its banks
// ("$D"). Nothing on any failure, with `failure` saying why (the link has told the user of a
// communication failure).
std::optional<ReportSource> ReportFromDevice(DeviceLink& link, const QString& port,
                                             ReadFailure* failure = nullptr);
ReportSource ReportFromFile(const ConfigFileRecord& record, const QString& path);

// The report laid out on A4 pages (15 mm margins) in the language of `texts`: identity and
// date, one table per channel with its trips, the fields of the whole device, the switch
// drawing. A one-channel device fits one page.
class ConfigReport : public A4Document {
public:
    ConfigReport(const ReportSource& source, const Texts& texts);
};

// "Print report...": asks where to save the PDF, reads the device on `port` and writes its
// report in the language of `texts`. Failures are told through the prompter (a communication
// failure by the link); the status line for a report written, else empty.
QString PrintDeviceReport(DeviceLink& link, Prompter& prompter, const Texts& texts,
                          const QString& port);

} // namespace report
} // namespace vantelso
