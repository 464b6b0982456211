#pragma once

#include "captions.h"

#include <QDialog>
#include <QWidget>
#include <functional>

class QGroupBox;

namespace vantelso {
class EditorModel;
}

namespace vantelso::gui {

class EditorBinding;

// The editor window `frm_program`: one column per channel with the input, output, option and
// trip groups, the common options with the frequency settings, and the physical-scaling page
// of the math model. Every control is bound to the editor model by name and element.
class FrmProgram : public QWidget {
    Q_OBJECT
public:
    explicit FrmProgram(EditorModel& model, QWidget* parent = nullptr);

    EditorModel& model() const { return m_model; }
    // The widget of a model control ("cmb_Prog_In", 0), or null.
    QWidget* control(const QString& name, int element = 0) const;
    // Makes the groups the connected model does not use unavailable.
    void applyLayout(const app::ProgramLayout& layout);
    const app::ProgramLayout& programLayout() const { return m_layout; }

private:
    QWidget* buildChannel(int c);
    QWidget* buildCommon();
    QWidget* buildPhysicalPage();

    EditorModel& m_model;
    EditorBinding* m_binding = nullptr;
    app::ProgramLayout m_layout;
};

// The operator dialog `frm_Oper`: the algebraic function of one channel and the delay of the
// two functions that use one. Modal; shown and hidden by the editor model, so closing it only
// hides it until the program exits.
class FrmOper : public QDialog {
    Q_OBJECT
public:
    FrmOper(EditorModel& model, std::function<bool()> exiting, QWidget* parent = nullptr);

    QWidget* control(const QString& name, int element = 0) const;

protected:
    void reject() override;

private:
    EditorModel& m_model;
    EditorBinding* m_binding = nullptr;
    std::function<bool()> m_exiting;
};

} // namespace vantelso::gui
