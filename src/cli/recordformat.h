#pragma once

#include "catalogue.h"
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

} // namespace vantelso
