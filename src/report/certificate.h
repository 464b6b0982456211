#pragma once

#include "runrecord.h"

#include <QImage>
#include <QString>
#include <memory>

class QTextDocument;

namespace vantelso {
class Texts;
}

namespace vantelso::report {

// The calibration certificate of one unit from one recorded run, on A4 in the language of
// `texts`: the unit and its identity, when, where and by whom, the instruments, the outcome,
// then a row per range with the constant, the zero, half-scale and span readings, where the
// constant was written and whether the range passed.
class Certificate {
public:
    Certificate(const records::RunRecord& run, const Texts& texts);
    ~Certificate();

    int pageCount() const;
    QString text() const;
    // Written whole or not at all; false with the system's reason.
    bool writePdf(const QString& path, QString* error) const;
    QImage page(int index, int dpi = 96) const;

private:
    QImage m_layoutDevice;
    std::unique_ptr<QTextDocument> m_doc;
};

// The names of a run's kind and outcome in the language of `texts`.
QString KindText(records::RunKind kind, const Texts& texts);
QString OutcomeText(records::Outcome outcome, const Texts& texts);

} // namespace vantelso::report
