// The device's switches beside the record: on the switch-configured models a switch that selects
// an input overrides the record's input, range and output, so each channel notes what the
// switches set. The fields keep the record's values: they are what a write stores.

#include "editormodel.h"

#include "editorcontrolnames.h"
#include "owntexts.h"
#include "texts.h"

namespace vantelso {

using namespace editorcontrols;

void EditorModel::setSwitchDescriber(SwitchDescriber describe) {
    m_describeSwitches = std::move(describe);
    showSwitchNotes();
}

void EditorModel::setSwitchBytes(std::optional<switches::SwitchBytes> bytes) {
    m_switchBytes = bytes;
    showSwitchNotes();
}

void EditorModel::showSwitchNotes() {
    std::array<QString, 2> values;
    if (m_describeSwitches && m_switchBytes)
        values = m_describeSwitches(m_identity, *m_switchBytes, m_base, m_texts);
    for (int c = 0; c < ChannelCount; ++c) {
        const QString& value = values[std::size_t(c)];
        put(kSwitchNote, c, value.isEmpty() ? QString() : m_texts.lang(own::SwitchNote).arg(value));
        putVisible(kSwitchNote, c, !value.isEmpty());
    }
}

} // namespace vantelso
