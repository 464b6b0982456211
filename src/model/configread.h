#pragma once

#include "catalogue.h"
#include "devicelink.h"
#include "record.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace vantelso {

// Everything one configuration read brings back from the device.
struct ConfigurationRead {
    DeviceIdentity identity;
    QString model;             // "RSX7131B"
    QByteArray mainBlock;      // addresses 0..64
    QByteArray extensionBlock; // addresses 128..153, read only by the math model; else empty
    ConfigRecord record;
};

enum class ReadFailure {
    None,
    Busy,           // another command was waiting; nothing was sent
    Identification, // the device did not identify itself
    Communication,  // a block read failed (CommError set)
    Incompatible,   // a device of another family: its record is not read at all
    Decode,         // the record could not be decoded
};

// Identifies the device, reads its record and decodes it. The catalogue's model-dependent
// rows are refreshed only after a successful read; on any failure nothing is returned,
// `failure` (when given) says why, and nothing but the link's identity has changed.
std::optional<ConfigurationRead> ReadConfiguration(DeviceLink& link, Catalogue& catalogue,
                                                   const ConfigRecord& previous = {},
                                                   ReadFailure* failure = nullptr);

} // namespace vantelso
