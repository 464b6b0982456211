#include "frmcompare.h"

#include "fieldtexts.h"
#include "owntexts.h"
#include "texts.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace vantelso::gui {

namespace {
const QColor kDiffers(255, 214, 214);
const QString kMark = QStringLiteral("\u2260");
} // namespace

FrmCompare::FrmCompare(const Texts& texts, QWidget* parent) : QWidget(parent), m_texts(texts) {
    setObjectName(QStringLiteral("frm_compare"));
    auto* layout = new QVBoxLayout(this);
    lbl_summary = new QLabel(this);
    lbl_summary->setObjectName(QStringLiteral("lbl_summary"));
    lbl_summary->setWordWrap(true);
    layout->addWidget(lbl_summary);
    chk_onlyDiff = new QCheckBox(this);
    chk_onlyDiff->setObjectName(QStringLiteral("chk_onlyDiff"));
    layout->addWidget(chk_onlyDiff);
    connect(chk_onlyDiff, &QCheckBox::toggled, this, &FrmCompare::render);
    tbl_fields = new QTableWidget(0, 5, this);
    tbl_fields->setObjectName(QStringLiteral("tbl_fields"));
    tbl_fields->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tbl_fields->setSelectionBehavior(QAbstractItemView::SelectRows);
    tbl_fields->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tbl_fields->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(tbl_fields);
    connect(&m_texts, &Texts::languageChanged, this, &FrmCompare::render);
    render();
}

void FrmCompare::showComparison(const FileComparison& comparison) {
    m_comparison = comparison;
    render();
}

bool FrmCompare::rowDiffers(int r) const {
    const QTableWidgetItem* head = tbl_fields->verticalHeaderItem(r);
    return head && head->text() == kMark;
}

void FrmCompare::render() {
    setWindowTitle(m_texts.lang(own::CompareTitle));
    chk_onlyDiff->setText(m_texts.lang(own::OnlyDifferences));
    tbl_fields->setHorizontalHeaderLabels({m_texts.lang(72), m_texts.lang(own::ColumnField),
                                           m_texts.lang(73), m_texts.lang(own::ColumnFile),
                                           m_texts.lang(own::ColumnUnit)});
    if (!m_comparison) {
        lbl_summary->clear();
        tbl_fields->setRowCount(0);
        return;
    }
    const ConfigDiff& d = m_comparison->diff;
    lbl_summary->setText(DiffSummary(d, m_comparison->fileName, m_texts).join(u'\n'));
    // In the editor window's order, as the user knows the fields.
    QList<DiffRow> rows = d.rows;
    if (chk_onlyDiff->isChecked())
        rows.removeIf([](const DiffRow& r) { return !r.differs; });
    std::stable_sort(rows.begin(), rows.end(), [](const DiffRow& a, const DiffRow& b) {
        return FieldRank(a.channel, a.field) < FieldRank(b.channel, b.field);
    });
    tbl_fields->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const DiffRow& row = rows[r];
        const QStringList cells{row.channel, FieldLabel(row.field, m_texts),
                                FieldValue(row.deviceValue, m_texts),
                                FieldValue(row.fileValue, m_texts), row.unit};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (row.differs) {
                item->setBackground(kDiffers);
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            tbl_fields->setItem(r, c, item);
        }
        tbl_fields->setVerticalHeaderItem(r, new QTableWidgetItem(row.differs ? kMark : QString()));
    }
}

} // namespace vantelso::gui
