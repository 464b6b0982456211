#pragma once

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace vantelso::bench {
class BenchActivity;
class VerificationStation;
} // namespace vantelso::bench

namespace vantelso::gui {

// The programming station's report window: downloads the edited configuration into one unit
// after another and shows the running report. A thin layer over VerificationStation, with
// the bench's fixed Italian texts.
class FrmVerifica : public QWidget {
    Q_OBJECT
public:
    // `activity` (may be null): while another bench activity runs nothing starts here.
    explicit FrmVerifica(bench::VerificationStation* station,
                         bench::BenchActivity* activity = nullptr, QWidget* parent = nullptr);

    // Puts the unit-id field (the production records' one) above the download status.
    void addUnitField(QWidget* field);

    QLabel* statusLabel() const { return m_status; }
    QPlainTextEdit* report() const { return m_report; }
    QPushButton* sendButton() const { return m_send; }
    QPushButton* defaultButton() const { return m_default; }
    QPushButton* editorButton() const { return m_editor; }
    QPushButton* instrumentsButton() const { return m_instruments; }

Q_SIGNALS:
    // "prog_man" with the device port open: the configuration editor comes up.
    void editorRequested();
    // "comm_strum": the set-up window comes up (the station has been made ready for it).
    void instrumentsRequested();

private:
    QVBoxLayout* m_top = nullptr;
    void refreshStatus();
    void refreshReport();
    void updateButtons();

    bench::VerificationStation* m_station;
    bench::BenchActivity* m_activity;
    QLabel* m_status = nullptr;
    QPlainTextEdit* m_report = nullptr;
    QPushButton* m_send = nullptr;
    QPushButton* m_default = nullptr;
    QPushButton* m_editor = nullptr;
    QPushButton* m_instruments = nullptr;
};

} // namespace vantelso::gui
