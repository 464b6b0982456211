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

} // namespace vantelso
