// Units and scaling: Celsius or Fahrenheit per channel, the math operator and the
// physical-scaling page.

#include "editormodel.h"

#include "editorcontrolnames.h"
#include "numberformat.h"

namespace vantelso {

using namespace editorcontrols;

bool EditorModel::showsFahrenheit(int channel) const {
    return m_fahrenheit[std::size_t(channel)] &&
           IsTemperatureType(m_inputCode[std::size_t(channel)]);
}

void EditorModel::unitChanged(int c, bool fahrenheit) {
    const auto uc = std::size_t(c);
    if (m_fahrenheit[uc] != fahrenheit) {
        if (IsTemperatureType(m_inputCode[uc])) {
            const auto convert = [&](const QString& name, int element, bool span) {
                const TypedNumber n = ParseTypedNumber(text(name, element));
                if (!n.ok())
                    return; // left as typed, for the write to refuse
                const double v = n.value;
                QString t;
                if (span)
                    t = fahrenheit ? CtoFSpan(v) : FtoCSpan(v);
                else
                    t = fahrenheit ? CtoF(v) : FtoC(v);
                put(name, element, t);
            };
            convert(kInMax, c, false);
            convert(kInMin, c, false);
            convert(kOffset, c, true);
            if (c == 0) {
                convert(kHigh, 0, false);
                convert(kLow, 0, false);
            }
        }
        m_fahrenheit[uc] = fahrenheit;
        applyInputLabels(c);
    }
    putChecked(kGradi, c, !fahrenheit);
    putChecked(kGradiFar, c, fahrenheit);
}

void EditorModel::operatorChosen(int k) {
    const int c = m_operatorChannel;
    putVisible(kFrmInput, 3, true);
    m_operator[std::size_t(c)] = k;
    putVisible(kOperDelayFrame, 0, k == 6 || k == 7);
    put(kOperButton, c, OperatorCaptions().value(k));
}

void EditorModel::CopiaValori() {
    for (int c = 0; c < ChannelCount; ++c) {
        for (const QString& n : {kInMin, kInMax, kOutMin, kOutMax})
            put(n, 2 + c, text(n, c));
        put(kUnitIn, 4 + c, text(kUnitIn, 2 * c));
        put(kUnitOut, 4 + c, text(kUnitOut, 2 * c));
    }
}

} // namespace vantelso
