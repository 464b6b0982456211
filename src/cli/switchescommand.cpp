// switches: the DIP-switch banks of a switch-configured device and the selections they mean,
// read from the device or computed for a chosen configuration.
#include "clicontext.h"
#include "simdevice.h"
#include "switchbytesoption.h"
#include "switchguide.h"
#include "switchsummary.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace vantelso {

using namespace switches;

namespace {

QString optionName(const char* field) {
    return QString::fromLatin1(field).replace(u'_', u'-');
}

// Text of one selection: the value and, where the list has one, its entry.
QString selectionText(const SwitchGuide& guide, const FieldSpec& f, int value) {
    if (value < 0)
        return QStringLiteral("none");
    QString item;
    const QString name = QString::fromLatin1(f.name);
    auto find = [value](const QList<ListItem>& items) {
        for (const ListItem& i : items)
            if (i.value == value)
                return i.text;
        return QString();
    };
    if (name == QLatin1String("input"))
        item = find(guide.inputItems(0));
    else if (name == QLatin1String("input_b"))
        item = find(guide.inputItems(1));
    else if (name == QLatin1String("output"))
        item = find(guide.outputItems(0));
    else if (name == QLatin1String("output_b"))
        item = find(guide.outputItems(1));
    else if (name == QLatin1String("span"))
        item = guide.spanItems().value(value);
    else if (name == QLatin1String("zero"))
        item = guide.zeroItems().value(value);
    else if (name == QLatin1String("multiplier"))
        item = guide.multiplierItems().value(value);
    else if (name == QLatin1String("option"))
        item = value ? guide.optionFrames()[0].on : guide.optionFrames()[0].off;
    return item.isEmpty() ? QString::number(value) : QStringLiteral("%1 (%2)").arg(value).arg(item);
}

void print(CliContext& ctx, const SwitchGuide& guide, const Catalogue& catalogue,
           const Texts& texts, bool withSelections) {
    const SwitchBytes b = guide.bytes();
    const QList<FieldSpec> fields = FieldsOf(guide.family(), guide.inputs());
    // What the switches set, in the words the window shows (the same reading as the
    // measurement's).
    const SwitchSummary summary = Summarise(guide.identity(), b, catalogue, texts);
    if (ctx.parser.isSet(QStringLiteral("json"))) {
        QJsonObject o{{QStringLiteral("model"), guide.modelIdentifier()},
                      {QStringLiteral("S0"), b.S0},
                      {QStringLiteral("S1"), b.S1},
                      {QStringLiteral("S2"), b.S2}};
        if (withSelections) {
            for (const FieldSpec& f : fields) {
                const int v = guide.selections().*(f.member);
                o.insert(QString::fromLatin1(f.name), v < 0 ? QJsonValue() : QJsonValue(v));
            }
        }
        const QJsonObject meaning = SummaryJson(summary);
        for (auto it = meaning.begin(); it != meaning.end(); ++it)
            o.insert(it.key(), it.value());
        ctx.out << QJsonDocument(o).toJson(QJsonDocument::Compact) << '\n';
        return;
    }
    ctx.out << guide.modelIdentifier() << '\n'
            << QStringLiteral("S0=%1 S1=%2 S2=%3").arg(b.S0).arg(b.S1).arg(b.S2) << '\n';
    for (const QString& row : DrawingRows(b, guide.banks()))
        ctx.out << row << '\n';
    for (const FieldSpec& f : fields)
        ctx.out << f.name << ": " << selectionText(guide, f, guide.selections().*(f.member))
                << '\n';
    ctx.out << QStringLiteral("check: ") << SwitchGuide::CheckText(guide.check()) << '\n';
    for (const QString& line : SummaryLines(summary, texts))
        ctx.out << line << '\n';
    const QString limits = guide.limitsText();
    if (!limits.isEmpty())
        ctx.out << limits << '\n';
}

const char* kFlags[] = {"input", "input-b", "output",     "output-b",
                        "span",  "zero",    "multiplier", "option"};

int compute(CliContext& ctx, SwitchGuide& guide, const Catalogue& catalogue, const Texts& texts) {
    const QString text = ctx.parser.value(QStringLiteral("model"));
    DeviceIdentity id;
    std::uint8_t variant = 0;
    if (!ParseModelIdentifier(text, &id.ModelByte, &variant)) {
        ctx.error(QStringLiteral("unknown device model \"%1\"").arg(text));
        return ExitUsage;
    }
    const QString identifier = ModelIdentifier(id.ModelByte, variant);
    if (!guide.useModel(id, identifier)) {
        ctx.error(QStringLiteral("%1 has no switches").arg(identifier));
        return ExitUsage;
    }
    const QList<FieldSpec> fields = FieldsOf(guide.family(), guide.inputs());
    Selections s;
    for (const char* flag : kFlags) {
        const QString name = QString::fromLatin1(flag);
        if (!ctx.parser.isSet(name))
            continue;
        const FieldSpec* spec = nullptr;
        for (const FieldSpec& f : fields)
            if (optionName(f.name) == name)
                spec = &f;
        if (!spec) {
            ctx.error(QStringLiteral("--%1 does not apply to %2").arg(name, identifier));
            return ExitUsage;
        }
        int value = 0;
        if (name == QLatin1String("option")) {
            const QString v = ctx.parser.value(name).toLower();
            if (v != QLatin1String("on") && v != QLatin1String("off")) {
                ctx.error(QStringLiteral("--option takes on or off, not \"%1\"").arg(v));
                return ExitUsage;
            }
            value = v == QLatin1String("on") ? 1 : 0;
        } else if (!ctx.intOption(name, 0, spec->lo, spec->hi, &value)) {
            return ExitUsage;
        }
        // Inputs and outputs must be entries the model's lists offer.
        const bool isInput = name.startsWith(QLatin1String("input"));
        if (isInput || name.startsWith(QLatin1String("output"))) {
            const int channel = name.endsWith(QLatin1String("-b")) ? 1 : 0;
            const QList<ListItem> items =
                isInput ? guide.inputItems(channel) : guide.outputItems(channel);
            bool found = false;
            for (const ListItem& i : items)
                found = found || i.value == value;
            if (!found) {
                ctx.error(QStringLiteral("--%1 %2 is not offered by %3")
                              .arg(name)
                              .arg(value)
                              .arg(identifier));
                return ExitUsage;
            }
        }
        s.*(spec->member) = value;
    }
    guide.setSelections(s);
    print(ctx, guide, catalogue, texts, true);
    return ExitDone;
}

} // namespace

bool ApplySwitchesOption(const QCommandLineParser& parser, sim::SimDevice* device) {
    if (!parser.isSet(QStringLiteral("switches")))
        return true;
    QByteArray bytes;
    QString why;
    if (!sim::ParseSwitchBytes(parser.value(QStringLiteral("switches")), &bytes, &why)) {
        std::fprintf(stderr, "error: %s\n", qPrintable(why));
        return false;
    }
    device->setSwitchBytes(bytes);
    return true;
}

int RunSwitches(CliContext& ctx) {
    Catalogue catalogue;
    Texts texts;
    texts.setLanguage(Texts::English);
    if (ctx.parser.isSet(QStringLiteral("model"))) {
        SwitchGuide guide(catalogue, texts, nullptr);
        return compute(ctx, guide, catalogue, texts);
    }
    for (const char* flag : kFlags) {
        if (ctx.parser.isSet(QString::fromLatin1(flag))) {
            ctx.error(QStringLiteral("--%1 needs --model (reading takes the device's switches)")
                          .arg(QString::fromLatin1(flag)));
            return ExitUsage;
        }
    }
    if (int rc = ctx.connect())
        return rc;
    if (int rc = ctx.identify())
        return rc;
    catalogue.Init(ctx.link.identity);
    SwitchGuide guide(catalogue, texts, &ctx.link);
    guide.setDevice(ctx.link.identity, ctx.model);
    if (guide.family() == Family::None) {
        ctx.error(QStringLiteral("%1 has no switches").arg(ctx.model));
        return ExitRefused;
    }
    if (!guide.ReadSwitch()) {
        ctx.error(QStringLiteral("reading the switches failed (%1)")
                      .arg(ctx.link.texts().communicationError));
        return ExitCommFailure;
    }
    print(ctx, guide, catalogue, texts, true);
    return ExitDone;
}

} // namespace vantelso
