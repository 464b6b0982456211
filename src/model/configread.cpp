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
    // A block read refused in favour of a waiting command would hand back a failed array
    // with CommError untouched: both count as failures.
    auto failed = [&link] { return link.CommError != 0 || link.lastCallRefused(); };
    link.ReadIdentity();
    if (link.lastCallRefused()) {
        why = ReadFailure::Busy;
        return std::nullopt;
    }
    if (link.CommError) {
        why = ReadFailure::Identification;
        return std::nullopt;
    }
    ConfigurationRead out;
    out.identity = link.identity;
    if (out.identity.DeviceCode != 12) {
        // Another family keeps another record: reading it as ours would only mislead.
        why = ReadFailure::Incompatible;
        return std::nullopt;
    }

    why = ReadFailure::Communication;
    const QByteArray main = link.ReadBlock(0, MainBlockFirst, MainBlockSize);
    if (failed())
        return std::nullopt;
    out.mainBlock = main.left(MainBlockSize);
    // The record holds the variant bits at address 4: no separate read for the identifier.
    out.model = ModelIdentifier(out.identity.ModelByte, std::uint8_t(out.mainBlock.at(4)));
    if (HasExtensionBlock(out.identity)) {
        const QByteArray ext = link.ReadBlock(0, ExtensionBlockFirst, ExtensionBlockSize);
        if (failed())
            return std::nullopt;
        out.extensionBlock = ext.left(ExtensionBlockSize);
    }
    link.BUF = main;
    link.signedValues = UsesSignedValues(out.identity);

    Catalogue refreshed = catalogue;
    refreshed.UpdateAfterRead(out.identity);
    const auto record =
        DecodeRecord(out.mainBlock, out.extensionBlock, out.identity, refreshed, previous);
    if (!record) {
        why = ReadFailure::Decode;
        return std::nullopt;
    }
    out.record = *record;
    catalogue = refreshed;
    why = ReadFailure::None;
    return out;
}

} // namespace vantelso
