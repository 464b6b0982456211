#include "configreport.h"

#include "catalogue.h"
#include "devicelink.h"
#include "dipdrawing.h"
#include "fieldtexts.h"
#include "owntexts.h"
#include "prompter.h"
#include "recordformat.h"
#include "switchguide.h"
#include "switchsummary.h"
#include "texts.h"

#include <QAbstractTextDocumentLayout>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QUrl>
#include <algorithm>

namespace vantelso::report {

namespace {

// The switch drawing is made this many times larger than it is shown, so it prints sharp.
constexpr int kDrawingScale = 4;
constexpr int kDrawingWidth = 560; // shown width at the layout's 96 dpi (page body: 680)
const QUrl kDrawingUrl(QStringLiteral("vantelso:switches"));

QString esc(const QString& s) {
    return s.toHtmlEscaped();
}

QList<ConfigField> inWindowOrder(QList<ConfigField> fields) {
    std::stable_sort(fields.begin(), fields.end(), [](const ConfigField& a, const ConfigField& b) {
        return FieldRank(a.channel, a.field) < FieldRank(b.channel, b.field);
    });
    return fields;
}

QString fieldTable(const QList<ConfigField>& fields, const Texts& texts) {
    QString html = QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\" "
                                  "border=\"1\" style=\"border-color:#999; border-style:solid\">");
    html += HtmlRow(
        {texts.lang(own::ColumnField), texts.lang(own::ColumnValue), texts.lang(own::ColumnUnit)},
        true);
    for (const ConfigField& f : inWindowOrder(fields))
        html += HtmlRow({FieldLabel(f.field, texts), FieldValue(f.value, texts), f.unit});
    return html + QStringLiteral("</table>");
}

QString modelName(const ReportSource& s, const Texts& texts) {
    if (s.modelIdentifier.isEmpty())
        return IdentificationLabel(s.identity);
    const QString display = texts.modelDisplayName(s.modelIdentifier);
    return display.isEmpty() ? s.modelIdentifier
                             : QStringLiteral("%1 (%2)").arg(display, s.modelIdentifier);
}

QString html(const ReportSource& s, const Texts& texts, QTextDocument& doc) {
    Catalogue catalogue;
    catalogue.Init(s.identity);
    const QList<ConfigField> fields = ConfigFields(s.view, catalogue);

    QString h = QStringLiteral("<html><body style=\"font-size:9pt\">");
    h += QStringLiteral("<h2>%1 &#8212; %2</h2>")
             .arg(esc(texts.productTitle()), esc(texts.lang(own::ReportTitle)));
    h += QStringLiteral("<h3>%1</h3><table cellspacing=\"0\" cellpadding=\"2\">")
             .arg(esc(texts.lang(own::ReportIdentity)));
    h += HtmlRow({texts.lang(73), modelName(s, texts)});
    h += HtmlRow({QStringLiteral("ID"), IdentificationLabel(s.identity)});
    h += HtmlRow({QString(), s.fromFile ? texts.lang(own::ReportFromFile).arg(s.origin)
                                        : texts.lang(own::ReportFromDevice).arg(s.origin)});
    h +=
        HtmlRow({texts.lang(own::ReportDate), s.when.toString(QStringLiteral("yyyy-MM-dd HH:mm"))});
    h += QStringLiteral("</table>");

    // Where the switches set a channel, its record's input, range and output are not what the
    // device works with: the channel's table says so, and the switch section tells the values.
    std::optional<switches::SwitchSummary> summary;
    if (s.switchBytes)
        summary = switches::Summarise(s.identity, *s.switchBytes, catalogue, texts,
                                      s.record ? &*s.record : nullptr);
    const QStringList summaryLines =
        summary ? switches::SummaryLines(*summary, texts) : QStringList();

    // Channel by channel, its trips apart; then what belongs to the whole device.
    QStringList channels;
    for (const ConfigField& f : fields)
        if (!f.channel.isEmpty() && !channels.contains(f.channel))
            channels << f.channel;
    for (const QString& c : channels) {
        QList<ConfigField> settings, trips;
        for (const ConfigField& f : fields) {
            if (f.channel != c)
                continue;
            (f.field.startsWith(QLatin1String("trip ")) ? trips : settings) << f;
        }
        h += QStringLiteral("<h3>%1 %2</h3>").arg(esc(texts.lang(72)), esc(c));
        const int index = c == QLatin1String("B") ? 1 : 0;
        if (summary && index < summary->channelCount &&
            summary->channels[std::size_t(index)].switched)
            h += QStringLiteral("<p><b>%1</b></p>").arg(esc(summaryLines.value(index)));
        h += fieldTable(settings, texts);
        if (!trips.isEmpty()) {
            h += QStringLiteral("<h4>%1</h4>").arg(esc(texts.lang(50)));
            h += fieldTable(trips, texts);
        }
    }
    QList<ConfigField> whole;
    for (const ConfigField& f : fields)
        if (f.channel.isEmpty())
            whole << f;
    if (!whole.isEmpty()) {
        h += QStringLiteral("<h3>%1</h3>").arg(esc(texts.lang(own::ReportWholeDevice)));
        h += fieldTable(whole, texts);
    }

    if (switches::FamilyOf(s.identity.ModelByte) != switches::Family::None) {
        h += QStringLiteral("<h3>%1</h3>").arg(esc(texts.lang(own::ReportSwitches)));
        if (s.switchBytes) {
            const QImage drawing =
                DipBanksImage(*s.switchBytes, s.banks, doc.defaultFont(), kDrawingScale);
            doc.addResource(QTextDocument::ImageResource, kDrawingUrl, drawing);
            const QSize shown = DipBanksSize().scaled(kDrawingWidth, 1000, Qt::KeepAspectRatio);
            h += QStringLiteral("<p><img src=\"%1\" width=\"%2\" height=\"%3\"></p>")
                     .arg(kDrawingUrl.toString())
                     .arg(shown.width())
                     .arg(shown.height());
            for (const QString& line : switches::DrawingRows(*s.switchBytes, s.banks))
                h += QStringLiteral("<p style=\"font-family:monospace\">%1</p>").arg(esc(line));
            for (const QString& line : summaryLines)
                h += QStringLiteral("<p>%1</p>").arg(esc(line));
        } else {
            h += QStringLiteral("<p>%1</p>").arg(esc(texts.lang(own::ReportNoSwitches)));
        }
    }
    return h + QStringLiteral("</body></html>");
}

} // namespace

std::optional<ReportSource> ReportFromDevice(DeviceLink& link, const QString& port,
                                             ReadFailure* failure) {
    Catalogue catalogue;
    const auto read = ReadConfiguration(link, catalogue, {}, failure);
    if (!read)
        return std::nullopt;
    ReportSource s;
    s.identity = read->identity;
    s.modelIdentifier = read->model;
    s.origin = port;
    s.when = QDateTime::currentDateTime();
    s.view = RecordJson(read->record, read->identity, catalogue);
    if (switches::FamilyOf(s.identity.ModelByte) != switches::Family::None) {
        const Texts texts; // the guide's lists are not printed
        switches::SwitchGuide guide(catalogue, texts, &link);
        guide.setDevice(s.identity, s.modelIdentifier);
        if (!guide.ReadSwitch()) {
            if (failure)
                *failure = ReadFailure::Communication;
            return std::nullopt;
        }
        s.switchBytes = guide.bytes();
        s.banks = guide.banks();
        s.record = read->record;
    }
    return s;
}

ReportSource ReportFromFile(const ConfigFileRecord& r, const QString& path) {
    ReportSource s;
    s.identity = DeviceIdentity{r.deviceCode, r.modelByte, r.idByte3, r.idByte4};
    // The lettered models' variant is not in the file, so neither is their identifier.
    s.modelIdentifier =
        ModelNeedsVariantByte(r.modelByte) ? QString() : ModelIdentifier(r.modelByte, 0);
    s.origin = path;
    s.fromFile = true;
    s.when = QDateTime::currentDateTime();
    Catalogue catalogue;
    catalogue.Init(DeviceIdentity{r.deviceCode, r.modelByte, 0, 0});
    s.view = FileJson(r, catalogue);
    return s;
}

ConfigReport::ConfigReport(const ReportSource& source, const Texts& texts) {
    setContent(html(source, texts, document()), texts.lang(own::ReportTitle));
}

QString PrintDeviceReport(DeviceLink& link, Prompter& prompter, const Texts& texts,
                          const QString& port) {
    Prompter::FileDialog dialog;
    dialog.title = texts.lang(own::ReportTitle);
    dialog.filter = texts.lang(own::ReportFilter);
    dialog.defaultSuffix = QStringLiteral("pdf");
    const auto path = prompter.saveFile(dialog);
    if (!path || path->isEmpty())
        return {};
    ReadFailure failure = ReadFailure::None;
    const auto source = ReportFromDevice(link, port, &failure);
    if (!source) {
        if (failure == ReadFailure::Incompatible)
            prompter.ask(texts.lang(70), Prompter::Buttons::Ok, Prompter::Icon::Critical);
        return {};
    }
    QString why;
    if (!ConfigReport(*source, texts).writePdf(*path, &why)) {
        prompter.ask(texts.lang(own::ReportNotWritten).arg(*path, why), Prompter::Buttons::Ok,
                     Prompter::Icon::Critical);
        return {};
    }
    return texts.lang(own::ReportSaved).arg(*path);
}

} // namespace vantelso::report
