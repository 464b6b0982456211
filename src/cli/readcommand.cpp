// read: identify the device, read its configuration record and print it decoded.
#include "clicontext.h"
#include "configread.h"
#include "recordformat.h"

#include <QJsonDocument>

namespace vantelso {

int RunRead(CliContext& ctx) {
    if (int rc = ctx.connect())
        return rc;
    Catalogue catalogue;
    ReadFailure failure = ReadFailure::None;
    const auto read = ReadConfiguration(ctx.link, catalogue, {}, &failure);
    if (failure == ReadFailure::Incompatible) {
        ctx.error(QStringLiteral("Device not compatible with this software version (%1)")
                      .arg(IdentificationLabel(ctx.link.identity)));
        return ExitRefused;
    }
    if (!read) {
        ctx.error(QStringLiteral("reading the configuration failed (%1)")
                      .arg(ctx.link.texts().communicationError));
        return ExitCommFailure;
    }
    if (ctx.parser.isSet(QStringLiteral("json"))) {
        QJsonObject o = RecordJson(read->record, read->identity, catalogue);
        o.insert(QStringLiteral("identity"), IdentityJson(read->identity, read->model));
        ctx.out << QJsonDocument(o).toJson();
    } else {
        ctx.out << IdentificationLabel(read->identity) << '\n' << read->model << '\n';
        for (const QString& line : RecordLines(read->record, read->identity, catalogue))
            ctx.out << line << '\n';
    }
    return ExitDone;
}

} // namespace vantelso
