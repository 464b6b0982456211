#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QWidget;

namespace vantelso {
class EditorModel;
}

namespace vantelso::gui {

// Ties widgets to the editor model's controls of the same name and element. The widgets only
// show what the model holds and hand every user action to it; the rules stay in the model.
// Line edits, lists, option buttons, check boxes, buttons, labels, frames and a dialog (whose
// visibility then shows or hides it) are understood.
class EditorBinding : public QObject {
    Q_OBJECT
public:
    explicit EditorBinding(EditorModel& model, QObject* parent = nullptr);

    // "cmb_Prog_In_0": the object name a bound widget carries.
    static QString objectName(const QString& name, int element);

    // Names the widget, shows the control's state and forwards the user's actions.
    void bind(QWidget* widget, const QString& name, int element);
    // The widget bound to a control, or null.
    QWidget* widget(const QString& name, int element) const;
    // Shows the model's state of every bound control again.
    void syncAll();

private:
    void sync(const QString& name, int element);
    static QString key(const QString& name, int element);

    EditorModel& m_model;
    QHash<QString, QWidget*> m_widgets;
};

} // namespace vantelso::gui
