#pragma once

#include "runrecord.h"

#include <QWidget>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace vantelso {
class Prompter;
class Texts;
} // namespace vantelso

namespace vantelso::gui {

// Collaudo > Registro: the production records, filtered by unit and start date, one row per
// run, newest first; the rows shown exported as CSV with their steps, and the selected
// calibration run printed as its certificate. Reads the database anew at each refresh, so a
// server back after a failure is used again. Follows the language at run time.
class FrmRegistro : public QWidget {
    Q_OBJECT
public:
    // `location`: as --records takes it; empty for the setting or the default file.
    FrmRegistro(const Texts& texts, Prompter& prompter, QString location = {},
                QWidget* parent = nullptr);

    // Reads the runs the filter selects; false (the reason in the status line) when the
    // records cannot be read.
    bool refresh();
    // Asks where, then writes; false when nothing was written.
    bool exportCsv();
    bool printCertificate();
    const QList<records::RunRecord>& runs() const { return m_runs; }

    QLineEdit* txt_unit = nullptr;
    QCheckBox* chk_since = nullptr;
    QDateEdit* dat_since = nullptr;
    QPushButton* cmd_refresh = nullptr;
    QPushButton* cmd_export = nullptr;
    QPushButton* cmd_certificate = nullptr;
    QTableWidget* tbl_runs = nullptr;
    QLabel* lbl_status = nullptr;

private:
    void render();
    void updateButtons();
    bool writeFile(const QString& path, const QByteArray& bytes);

    const Texts& m_texts;
    Prompter& m_prompter;
    QString m_location;
    QList<records::RunRecord> m_runs;
    QString m_error;
};

} // namespace vantelso::gui
