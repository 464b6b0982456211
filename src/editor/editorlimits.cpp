// Limits of the selected types: the input's range and minimum span, the output's range, and the
// labels that show them.

#include "editormodel.h"

#include "editorcontrolnames.h"
#include "numberformat.h"

namespace vantelso {

using namespace editorcontrols;

double EditorModel::inputMin(int code) const {
    if (code == input_code::Volt10) {
        const int m = m_identity.ModelByte;
        if (m == 0 || m == 8)
            return -10;
        if (m >= 2 && m <= 6)
            return 0;
    }
    return m_catalogue.Input(code).min;
}

void EditorModel::setInputCode(int c, int code) {
    m_inputCode[std::size_t(c)] = code;
    const InputType& row = m_catalogue.Input(code);
    m_limits[std::size_t(c)] = {row.unit, row.unitFahrenheit, inputMin(code), row.max, row.minSpan};
}

// Unit, limit and span labels of a channel's input, in the unit the channel shows.
void EditorModel::applyInputLabels(int c) {
    const int code = m_inputCode[std::size_t(c)];
    if (code == input_code::Eeprom)
        return; // "keep the device's programming" has no unit or limits to show
    const InputType& row = m_catalogue.Input(code);
    QString unit = row.unit;
    double min = inputMin(code);
    double max = row.max;
    double span = row.minSpan;
    if (showsFahrenheit(c)) {
        unit = row.unitFahrenheit;
        min = Val(CtoF(min));
        max = Val(CtoF(max));
        span = Val(CtoF(span)) - 32;
    }
    put(kUnitIn, 2 * c, unit);
    put(kUnitIn, 2 * c + 1, unit);
    // The threshold labels follow the channels that have trips; channel B of the single-trip
    // model must not take them over.
    if (!(HasTrips(m_identity) && c >= TripChannelCount(m_identity))) {
        for (int e = 0; e < 4; ++e)
            put(kUnitTrip, e, unit);
    }
    put(QStringLiteral("lbl_limite_in"), c,
        ShortNumber(min) + QStringLiteral(" ÷ ") + ShortNumber(max) + u' ' + unit);
    put(QStringLiteral("lbl_spanmin_in"), c,
        QStringLiteral("Span min.: ") + ShortNumber(span) + u' ' + unit);
}

void EditorModel::outputChanged(int c) {
    const std::optional<int> found = m_catalogue.FindOutputType(text(kOut, c));
    if (!found)
        return;
    m_outputCode[std::size_t(c)] = *found;
    const OutputType& row = m_catalogue.Output(*found);
    put(kUnitOut, 2 * c, row.unit);
    put(kUnitOut, 2 * c + 1, row.unit);
    put(kOutMin, c, FormatRange(row.min));
    put(kOutMax, c, FormatRange(row.max));
    put(QStringLiteral("lbl_limite_out"), c,
        ShortNumber(row.min) + QStringLiteral(" ÷ ") + ShortNumber(row.max) + u' ' + row.unit);
    put(QStringLiteral("lbl_spanmin_out"), c,
        QStringLiteral("Span min.: ") + ShortNumber(row.minSpan) + u' ' + row.unit);
}

} // namespace vantelso
