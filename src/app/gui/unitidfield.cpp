#include "unitidfield.h"

#include "benchrecorder.h"
#include "owntexts.h"
#include "texts.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace vantelso::gui {

UnitIdField::UnitIdField(records::BenchRecorder& recorder, const Texts& texts, QWidget* parent)
    : QWidget(parent), m_texts(texts) {
    setObjectName(QStringLiteral("unit_id_field"));
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    lbl_unit = new QLabel(this);
    lbl_unit->setObjectName(QStringLiteral("lbl_unit"));
    txt_unit = new QLineEdit(recorder.unitId(), this);
    txt_unit->setObjectName(QStringLiteral("txt_unit"));
    lbl_unit->setBuddy(txt_unit);
    lbl_generated = new QLabel(this);
    lbl_generated->setObjectName(QStringLiteral("lbl_generated"));
    lbl_generated->setWordWrap(true);
    layout->addWidget(lbl_unit, 0, 0);
    layout->addWidget(txt_unit, 0, 1);
    layout->addWidget(lbl_generated, 1, 0, 1, 2);
    connect(txt_unit, &QLineEdit::textEdited, this, [this, &recorder](const QString& text) {
        recorder.setUnitId(text);
        m_generated.clear();
        retranslate();
    });
    // Another window's field: shown here too, unless this one already says the same.
    connect(&recorder, &records::BenchRecorder::unitIdChanged, this, [this](const QString& id) {
        if (records::CleanUnitId(txt_unit->text()) != id) {
            txt_unit->setText(id);
            m_generated.clear();
            retranslate();
        }
    });
    connect(&recorder, &records::BenchRecorder::unitIdGenerated, this, [this](const QString& id) {
        m_generated = id;
        txt_unit->setText(id);
        txt_unit->selectAll();
        retranslate();
    });
    connect(&m_texts, &Texts::languageChanged, this, &UnitIdField::retranslate);
    retranslate();
}

void UnitIdField::retranslate() {
    lbl_unit->setText(m_texts.lang(own::RegistroUnit));
    lbl_generated->setText(
        m_generated.isEmpty() ? QString() : m_texts.lang(own::UnitIdGenerated).arg(m_generated));
    lbl_generated->setVisible(!m_generated.isEmpty());
}

} // namespace vantelso::gui
