#include "configread.h"

namespace vantelso {

std::optional<ConfigurationRead> ReadConfiguration(DeviceLink& link, Catalogue& catalogue,
                                                   const ConfigRecord& previous) {
    if (link.busy())
        return std::nullopt; // a command is waiting; never interleave with it
    link.ReadIdentity();
    if (link.CommError || link.lastCallRefused())
        return std::nullopt;
    ConfigurationRead out;
    out.identity = link.identity;
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
    return out;
}

} // namespace vantelso
