#include "a4document.h"

#include <QAbstractTextDocumentLayout>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

namespace vantelso::report {

namespace {

constexpr int kLayoutDpi = 96;

QPageLayout a4() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       QPageLayout::Millimeter);
}

} // namespace

A4Document::A4Document()
    : m_layoutDevice(1, 1, QImage::Format_ARGB32_Premultiplied),
      m_doc(std::make_unique<QTextDocument>()) {
    const int dotsPerMeter = qRound(kLayoutDpi / 0.0254);
    m_layoutDevice.setDotsPerMeterX(dotsPerMeter);
    m_layoutDevice.setDotsPerMeterY(dotsPerMeter);
    m_doc->documentLayout()->setPaintDevice(&m_layoutDevice);
    m_doc->setPageSize(a4().paintRectPixels(kLayoutDpi).size());
}

A4Document::~A4Document() = default;

void A4Document::setContent(const QString& html, const QString& title) {
    m_doc->setHtml(html);
    m_doc->setMetaInformation(QTextDocument::DocumentTitle, title);
}

int A4Document::pageCount() const {
    return m_doc->pageCount();
}

QString A4Document::text() const {
    return m_doc->toPlainText();
}

bool A4Document::writePdf(const QString& path, QString* error) const {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(300);
        writer.setPageLayout(a4());
        writer.setTitle(m_doc->metaInformation(QTextDocument::DocumentTitle));
        writer.setCreator(QStringLiteral("VANTELSO"));
        m_doc->print(&writer);
    }
    if (file.pos() == 0 || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

QImage A4Document::page(int index, int dpi) const {
    const QPageLayout layout = a4();
    QImage image(layout.fullRectPixels(dpi).size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(layout.paintRectPixels(dpi).topLeft());
    p.scale(double(dpi) / kLayoutDpi, double(dpi) / kLayoutDpi);
    const QSizeF size = m_doc->pageSize();
    p.translate(0, -index * size.height());
    m_doc->drawContents(&p, QRectF(QPointF(0, index * size.height()), size));
    return image;
}

QString HtmlRow(const QStringList& cells, bool header) {
    const QString tag = header ? QStringLiteral("th") : QStringLiteral("td");
    QString out = QStringLiteral("<tr>");
    for (const QString& c : cells)
        out += QStringLiteral("<%1>%2</%1>").arg(tag, c.toHtmlEscaped());
    return out + QStringLiteral("</tr>");
}

} // namespace vantelso::report
