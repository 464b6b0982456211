#include "configread.h"

namespace vantelso {

std::optional<ConfigurationRead> ReadConfiguration(DeviceLink& link, Catalogue& catalogue,
                                                   const ConfigRecord& previous,
                                                   ReadFailure* failure) {
    ReadFailure unused;
    ReadFailure& why = failure ? *failure : unused;
    why = ReadFailure::None;
    if (link.busy()) {
        why = ReadFailure::Busy; // a command is waiting; never interleave with it
        return std::nullopt;
    }
    link.ReadIdentity();
    if (link.lastCallRefused()) {
        why = ReadFailure::Busy;
        return std::nullopt;
    }
    why = ReadFailure::Communication;
    if (link.CommError)
        return std::nullopt;
    ConfigurationRead out;
    out.identity = link.identity;
    if (out.identity.DeviceCode != 12) {
        // Another family keeps another record: reading it as ours would only mislead.
        why = ReadFailure::Incompatible;
        return std::nullopt;
    }
    out.model = link.ReadModelIdentifier();
    if (link.CommError)
        return std::nullopt;

    const QByteArray main = link.ReadBlock(0, MainBlockFirst, MainBlockSize);
    if (link.CommError)
        return std::nullopt;
    out.mainBlock = main.left(MainBlockSize);
    if (HasExtensionBlock(out.identity)) {
        const QByteArray ext = link.ReadBlock(0, ExtensionBlockFirst, ExtensionBlockSize);
        if (link.CommError)
            return std::nullopt;
        out.extensionBlock = ext.left(ExtensionBlockSize);
    }
    link.BUF = main;
    link.signedValues = UsesSignedValues(out.identity);

    Catalogue refreshed = catalogue;
    refreshed.UpdateAfterRead(out.identity);
    const auto record =
        DecodeRecord(out.mainBlock, out.extensionBlock, out.identity, refreshed, previous);
    if (!record)
        return std::nullopt;
    out.record = *record;
    catalogue = refreshed;
    why = ReadFailure::None;
    return out;
}

} // namespace vantelso
