#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace vantelso {
class Prompter;
class Texts;
} // namespace vantelso

namespace vantelso::app {
class TraceLog;
}

namespace vantelso::gui {

// The communication log: the last lines of the traffic with the device, as the trace log
// keeps them, with a switch to record and a way to save them for support.
class FrmCommLog : public QWidget {
    Q_OBJECT
public:
    FrmCommLog(app::TraceLog& log, const Texts& texts, Prompter& prompter,
               QWidget* parent = nullptr);

    QCheckBox* chk_record = nullptr;
    QPushButton* cmd_save = nullptr;
    QPushButton* cmd_clear = nullptr;
    QPlainTextEdit* txt_log = nullptr;

    // Asks for a file through the prompter and writes the lines into it; false when
    // cancelled or the file could not be written (the user was told why).
    bool save();
    void applyCaptions();

protected:
    // The first showing starts the recording: the user opened the log to see the traffic.
    void showEvent(QShowEvent* event) override;

private:
    bool m_shownOnce = false;
    app::TraceLog& m_log;
    const Texts& m_texts;
    Prompter& m_prompter;
};

} // namespace vantelso::gui
