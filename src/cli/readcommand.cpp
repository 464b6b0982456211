// read: identify the device, read its configuration record and print it decoded.
#include "clicontext.h"
#include "configread.h"
#include "recordformat.h"
#include "switchsummary.h"
#include "texts.h"

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
    // On a switch-configured model the switches override the record where they select an
    // input: what they set is told beside the record, marked as set by them.
    Texts texts;
    texts.setLanguage(Texts::English);
    std::optional<switches::SwitchSummary> summary;
    if (switches::FamilyOf(read->identity.ModelByte) != switches::Family::None) {
        const QList<int> data = ctx.link.ReadData();
        if (ctx.link.CommError || ctx.link.lastCallRefused()) {
            ctx.error(QStringLiteral("reading the switches failed (%1)")
                          .arg(ctx.link.texts().communicationError));
            return ExitCommFailure;
        }
        summary = switches::Summarise(read->identity,
                                      switches::SwitchBytesFromReply(data, read->identity),
                                      catalogue, texts, &read->record);
    }
    if (ctx.parser.isSet(QStringLiteral("json"))) {
        QJsonObject o = RecordJson(read->record, read->identity, catalogue);
        o.insert(QStringLiteral("identity"), IdentityJson(read->identity, read->model));
        if (summary)
            o.insert(QStringLiteral("switches"), switches::SummaryJson(*summary));
        ctx.out << QJsonDocument(o).toJson();
    } else {
        ctx.out << IdentificationLabel(read->identity) << '\n' << read->model << '\n';
        for (const QString& line : RecordLines(read->record, read->identity, catalogue))
            ctx.out << line << '\n';
        if (summary)
            for (const QString& line : switches::SummaryLines(*summary, texts))
                ctx.out << QStringLiteral("switches ") << line << '\n';
    }
    return ExitDone;
}

} // namespace vantelso
