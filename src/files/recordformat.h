#pragma once

#include "catalogue.h"
#include "configfilerecord.h"
#include "record.h"

#include <QJsonObject>
#include <QStringList>

namespace vantelso {

QJsonObject IdentityJson(const DeviceIdentity& id, const QString& model);
// The decoded record as JSON: "channels" holds one object per channel (B too on
// single-channel models, as the record has it), then the fields shared by both.
QJsonObject RecordJson(const ConfigRecord& record, const DeviceIdentity& id,
                       const Catalogue& catalogue);
// One "name: value" line per field, channel A then B.
QStringList RecordLines(const ConfigRecord& record, const DeviceIdentity& id,
                        const Catalogue& catalogue);

// One value as every view prints it: text as it is, on/off, numbers with up to three
// decimals and no trailing zeros.
QString FieldText(const QJsonValue& value);

// A configuration file's record as JSON, as `show` prints it; the catalogue is set up for the
// file's model.
QJsonObject FileJson(const ConfigFileRecord& record, const Catalogue& catalogue);
// The same as "name: value" lines.
QStringList FileLines(const QJsonObject& fileJson);

// One field of a configuration, flattened: its channel ("A", "B", or empty for the whole
// device), its name as the JSON views spell it ("input_end", "trip high", "physical
// output_end_a"), its value as FieldText prints it and the unit the number is in.
struct ConfigField {
    QString channel;
    QString field;
    QString value;
    QString unit;
    QString key() const { return channel.isEmpty() ? field : channel + u' ' + field; }
};

// The fields of a view built by RecordJson (a device) or FileJson (a file), channel A, then
// B, then the fields of the whole device. Type codes are left out (their names stand for
// them) and so are the units, which go with the numbers they belong to; `catalogue` is set up
// for the view's model.
QList<ConfigField> ConfigFields(const QJsonObject& view, const Catalogue& catalogue);

} // namespace vantelso
