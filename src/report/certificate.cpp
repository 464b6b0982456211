#include "certificate.h"

#include "identity.h"
#include "owntexts.h"
#include "texts.h"

#include <QAbstractTextDocumentLayout>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

namespace vantelso::report {

namespace {

QString part(const Texts& texts, int id, int index) {
    return texts.lang(id).split(QLatin1Char('|')).value(index);
}

QString when(const QDateTime& t) {
    return t.isValid() ? t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                       : QString();
}

// "40: 1A 80 03"
QString written(const records::StepRecord& s) {
    if (s.address < 0)
        return {};
    QString bytes;
    for (const char b : s.bytes)
        bytes += QStringLiteral(" %1").arg(quint8(b), 2, 16, QLatin1Char('0')).toUpper();
    return bytes.isEmpty() ? QString::number(s.address)
                           : QString::number(s.address) + QLatin1Char(':') + bytes;
}

QString html(const records::RunRecord& run, const Texts& texts) {
    const QString table =
        QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" "
                       "border=\"1\" style=\"border-color:#999; border-style:solid\">");
    QString h =
        QStringLiteral("<h2>%1</h2>").arg(texts.lang(own::CertificateTitle).toHtmlEscaped());
    const records::UnitInfo& u = run.unit;
    QString identity;
    if (u.deviceCode >= 0 && u.modelByte >= 0) {
        identity = IdentificationLabel(
            DeviceIdentity{std::uint8_t(u.deviceCode), std::uint8_t(u.modelByte),
                           std::uint8_t(qMax(0, u.idByte3)), std::uint8_t(qMax(0, u.idByte4))});
    }
    const QString model =
        texts.modelDisplayName(u.model).isEmpty()
            ? u.model
            : texts.modelDisplayName(u.model) + QStringLiteral(" (") + u.model + QLatin1Char(')');
    const QStringList values{u.unitId,
                             model,
                             identity,
                             when(run.started),
                             when(run.finished),
                             run.benchHost,
                             run.operatorName,
                             run.instruments,
                             OutcomeText(run.outcome, texts),
                             run.message};
    h += table;
    for (int i = 0; i < values.size(); ++i) {
        if (!values[i].isEmpty())
            h += HtmlRow({part(texts, own::CertificateFields, i), values[i]});
    }
    h += QStringLiteral("</table><p></p>") + table;
    QStringList head;
    for (int i = 0; i < 7; ++i)
        head << part(texts, own::CertificateSteps, i);
    h += HtmlRow(head, true);
    for (const records::StepRecord& s : run.steps) {
        h += HtmlRow(
            {s.range, s.k, s.zero, s.half, s.span, written(s),
             OutcomeText(s.passed ? records::Outcome::Passed : records::Outcome::Failed, texts)});
    }
    h += QStringLiteral("</table><p style=\"font-size:small\">%1 %2</p>")
             .arg(texts.productTitle().toHtmlEscaped(), run.uuid.toHtmlEscaped());
    return h;
}

} // namespace

QString KindText(records::RunKind kind, const Texts& texts) {
    return part(texts, own::RunKinds, int(kind));
}

QString OutcomeText(records::Outcome outcome, const Texts& texts) {
    return part(texts, own::RunOutcomes, int(outcome));
}

Certificate::Certificate(const records::RunRecord& run, const Texts& texts) {
    setContent(html(run, texts),
               texts.lang(own::CertificateTitle) + QStringLiteral(" ") + run.unit.unitId);
}

} // namespace vantelso::report
