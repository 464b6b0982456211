// identify, dump and ports: the tool's direct views of the device and the machine.
#include "clicontext.h"
#include "portnames.h"
#include "recordformat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vantelso {

// One port a line: node, product, maker, serial number, stable name, tab-separated (empty
// where the system knows nothing), as the desktop program's port list shows them.
int RunPorts(CliContext& ctx) {
    const QList<PortDescription> ports = AvailablePorts();
    if (ctx.parser.isSet(QStringLiteral("json"))) {
        QJsonArray all;
        for (const PortDescription& p : ports)
            all.append(QJsonObject{{QStringLiteral("port"), p.name},
                                   {QStringLiteral("description"), p.description},
                                   {QStringLiteral("manufacturer"), p.manufacturer},
                                   {QStringLiteral("serialNumber"), p.serialNumber},
                                   {QStringLiteral("stableName"), p.stableName},
                                   {QStringLiteral("label"), PortLabel(p)}});
        ctx.out << QJsonDocument(all).toJson();
        return ExitDone;
    }
    for (const PortDescription& p : ports)
        ctx.out << p.name << '\t' << p.description << '\t' << p.manufacturer << '\t'
                << p.serialNumber << '\t' << p.stableName << '\n';
    return ExitDone;
}

int RunIdentify(CliContext& ctx) {
    if (int rc = ctx.connect())
        return rc;
    if (int rc = ctx.identify())
        return rc;
    if (ctx.parser.isSet(QStringLiteral("json"))) {
        ctx.out << QJsonDocument(IdentityJson(ctx.link.identity, ctx.model)).toJson();
    } else {
        ctx.out << IdentificationLabel(ctx.link.identity) << '\n' << ctx.model << '\n';
    }
    return ExitDone;
}

int RunDump(CliContext& ctx) {
    int bank = 0, from = 0, count = 0;
    if (!ctx.intOption(QStringLiteral("bank"), 0, 0, 255, &bank) ||
        !ctx.intOption(QStringLiteral("from"), 0, 0, 255, &from) ||
        !ctx.intOption(QStringLiteral("count"), 256 - from, 1, 256, &count))
        return ExitUsage;
    if (from + count > 256) {
        ctx.error(
            QStringLiteral("--from %1 --count %2 runs past address 255").arg(from).arg(count));
        return ExitUsage;
    }
    if (int rc = ctx.connect())
        return rc;
    const QByteArray bytes = ctx.link.ReadBlock(bank, from, count);
    if (ctx.link.CommError) {
        ctx.error(QStringLiteral("reading addresses %1 to %2 failed (%3)")
                      .arg(from)
                      .arg(from + count - 1)
                      .arg(ctx.link.texts().communicationError));
        return ExitCommFailure;
    }
    for (int k = 0; k < count; ++k)
        ctx.out << (from + k) << '\t' << quint8(bytes.at(k)) << '\n';
    return ExitDone;
}

} // namespace vantelso
