#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace vantelso {
class Texts;
}
namespace vantelso::records {
class BenchRecorder;
}

namespace vantelso::gui {

// The unit id for the bench windows, bound to the bench's recorder: typed, or scanned (a
// barcode scanner types the label's code like a keyboard, often with Enter or Tab after it,
// which the recorder drops). When a run ends with the field empty, the id generated for the
// unit comes back into the field, selected, with the hint to write it on the unit. Every
// field bound to the same recorder shows the same id.
class UnitIdField : public QWidget {
    Q_OBJECT
public:
    UnitIdField(records::BenchRecorder& recorder, const Texts& texts, QWidget* parent = nullptr);

    QLabel* lbl_unit = nullptr;
    QLineEdit* txt_unit = nullptr;
    QLabel* lbl_generated = nullptr;

private:
    void retranslate();

    const Texts& m_texts;
    QString m_generated;
};

} // namespace vantelso::gui
