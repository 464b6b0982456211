#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>

class QTextDocument;

namespace vantelso::report {

// A printed page set of ours: an HTML text document laid out on A4 with 15 mm margins for a
// fixed 96 dpi device, whatever the screen, so the PDF (which scales it to its resolution as a
// whole) and the page images look the same everywhere.
class A4Document {
public:
    A4Document();
    ~A4Document();
    A4Document(const A4Document&) = delete;
    A4Document& operator=(const A4Document&) = delete;

    QTextDocument& document() { return *m_doc; }
    int pageCount() const;
    QString text() const;
    // Writes the PDF as a whole or not at all; false with the system's reason.
    bool writePdf(const QString& path, QString* error) const;
    // Page `index` as it prints, on white, at `dpi`.
    QImage page(int index, int dpi = 96) const;

protected:
    void setContent(const QString& html, const QString& title);

private:
    QImage m_layoutDevice;
    std::unique_ptr<QTextDocument> m_doc;
};

// One table row of a page's HTML, the cells escaped; header cells with `header`.
QString HtmlRow(const QStringList& cells, bool header = false);

} // namespace vantelso::report
