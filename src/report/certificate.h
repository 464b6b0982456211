#pragma once

#include "a4document.h"
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
class Certificate : public A4Document {
public:
    Certificate(const records::RunRecord& run, const Texts& texts);
};

// The names of a run's kind and outcome in the language of `texts`.
QString KindText(records::RunKind kind, const Texts& texts);
QString OutcomeText(records::Outcome outcome, const Texts& texts);

} // namespace vantelso::report
