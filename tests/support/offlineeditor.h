#pragma once

#include "catalogue.h"
#include "editormodel.h"
#include "texts.h"

#include <QStringList>

// The configuration editor for one model byte with no device behind it, in English.
struct OfflineEditor {
    explicit OfflineEditor(int modelByte) : m(catalogue, texts) {
        texts.setLanguage(vantelso::Texts::English);
        vantelso::DeviceIdentity id;
        id.ModelByte = std::uint8_t(modelByte);
        catalogue.Init(id);
        catalogue.UpdateAfterRead(id);
        m.setIdentity(id);
    }
    void set(const char* name, int element, const char* text) { m.setText(name, element, text); }
    // Types "control[:element]=text|..." into the editor.
    void type(const QString& edits) {
        for (const QString& e : edits.split(QLatin1Char('|'))) {
            const QString control = e.section(QLatin1Char('='), 0, 0);
            m.setText(control.section(QLatin1Char(':'), 0, 0),
                      control.section(QLatin1Char(':'), 1).toInt(), e.section(QLatin1Char('='), 1));
        }
    }
    // The texts of the controls "name" or "name:element", joined by '|'.
    QString shows(const QString& controls) const {
        QStringList out;
        for (const QString& c : controls.split(QLatin1Char(' ')))
            out << m.text(c.section(QLatin1Char(':'), 0, 0),
                          c.section(QLatin1Char(':'), 1).toInt());
        return out.join(QLatin1Char('|'));
    }
    vantelso::Catalogue catalogue;
    vantelso::Texts texts;
    vantelso::EditorModel m;
};
