#pragma once

#include "configdiff.h"

#include <QWidget>
#include <optional>

class QCheckBox;
class QLabel;
class QTableWidget;

namespace vantelso {
class Texts;
}

namespace vantelso::gui {

// "Compare with file": the device and a file field by field, one row per field both have
// (channel, field, device value, file value, unit), the rows that differ marked "≠" and
// tinted. Above the table what the comparison found. Follows the language at run time.
class FrmCompare : public QWidget {
    Q_OBJECT
public:
    explicit FrmCompare(const Texts& texts, QWidget* parent = nullptr);

    void showComparison(const FileComparison& comparison);

    QLabel* lbl_summary = nullptr;
    QTableWidget* tbl_fields = nullptr;
    // Shows only the rows that differ.
    QCheckBox* chk_onlyDiff = nullptr;
    // Whether table row r is marked as differing.
    bool rowDiffers(int r) const;

private:
    void render();

    const Texts& m_texts;
    std::optional<FileComparison> m_comparison;
};

} // namespace vantelso::gui
