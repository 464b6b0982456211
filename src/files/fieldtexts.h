#pragma once

#include <QString>

namespace vantelso {

class Texts;

// The words of the configuration views (ConfigFields, the diff) in the language of `texts`,
// for the windows and the printed report: a field's name as the editor window captions it
// ("Ingresso Max", "Soglie Hi", "Burn-out") and a value's words ("Interno", "Basso",
// "Serbatoio"). Numbers, type names and anything without a translation stay as they are.
QString FieldLabel(const QString& field, const Texts& texts);
QString FieldValue(const QString& value, const Texts& texts);
// Where a field stands in the editor window's order (the views list fields by name): input,
// its range, output, its range, the options, the trips; fields of the whole device after
// them. Sort by it with a stable sort.
int FieldRank(const QString& channel, const QString& field);

} // namespace vantelso
