#include "editorbinding.h"

#include "editormodel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace vantelso::gui {

namespace {

// Labels whose text the model computes; the others keep their captions.
bool labelShowsModelText(const QString& name) {
    return name.startsWith(QLatin1String("lbl_uMis")) ||
           name.startsWith(QLatin1String("lbl_limite")) ||
           name.startsWith(QLatin1String("lbl_spanmin")) ||
           name == QLatin1String("lbl_switch_note");
}

void showList(QComboBox* box, const ControlState& state) {
    // A text the list does not offer (the doubler text, a code this model has no entry for)
    // is shown as an extra entry so that the list never pretends another choice.
    QStringList entries = state.items;
    if (!state.text.isEmpty() && !entries.contains(state.text))
        entries.append(state.text);
    QStringList shown;
    for (int i = 0; i < box->count(); ++i)
        shown << box->itemText(i);
    const QSignalBlocker block(box);
    if (shown != entries) {
        box->clear();
        box->addItems(entries);
    }
    box->setCurrentIndex(int(entries.indexOf(state.text)));
}

} // namespace

EditorBinding::EditorBinding(EditorModel& model, QObject* parent)
    : QObject(parent), m_model(model) {
    connect(&m_model, &EditorModel::controlChanged, this, &EditorBinding::sync);
}

QString EditorBinding::objectName(const QString& name, int element) {
    return name + u'_' + QString::number(element);
}

QString EditorBinding::key(const QString& name, int element) {
    return name + u'/' + QString::number(element);
}

QWidget* EditorBinding::widget(const QString& name, int element) const {
    return m_widgets.value(key(name, element));
}

void EditorBinding::bind(QWidget* w, const QString& name, int element) {
    Q_ASSERT(m_model.hasControl(name, element));
    w->setObjectName(objectName(name, element));
    m_widgets.insert(key(name, element), w);
    EditorModel* model = &m_model;
    // After each action the widget shows the model again: an unavailable control or an
    // option button clicked twice must not keep a state the model did not take.
    const auto resync = [this, name, element] { sync(name, element); };

    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        connect(edit, &QLineEdit::textEdited, this,
                [model, name, element, resync](const QString& t) {
                    model->setText(name, element, t);
                    resync();
                });
    } else if (auto* box = qobject_cast<QComboBox*>(w)) {
        connect(box, &QComboBox::activated, this, [box, model, name, element, resync](int i) {
            model->setText(name, element, box->itemText(i));
            resync();
        });
    } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
        connect(check, &QCheckBox::clicked, this, [model, name, element, resync](bool on) {
            model->setChecked(name, element, on);
            resync();
        });
    } else if (auto* option = qobject_cast<QRadioButton*>(w)) {
        // The model keeps the groups exclusive.
        option->setAutoExclusive(false);
        connect(option, &QRadioButton::clicked, this, [model, name, element, resync] {
            model->click(name, element);
            resync();
        });
    } else if (auto* button = qobject_cast<QPushButton*>(w)) {
        connect(button, &QPushButton::clicked, this,
                [model, name, element] { model->click(name, element); });
    }
    sync(name, element);
}

void EditorBinding::syncAll() {
    for (auto it = m_widgets.cbegin(); it != m_widgets.cend(); ++it) {
        const QString& k = it.key();
        const qsizetype slash = k.lastIndexOf(u'/');
        sync(k.left(slash), k.mid(slash + 1).toInt());
    }
}

void EditorBinding::sync(const QString& name, int element) {
    QWidget* w = m_widgets.value(key(name, element));
    if (!w)
        return;
    const ControlState state = m_model.control(name, element);

    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != state.text)
            edit->setText(state.text);
    } else if (auto* box = qobject_cast<QComboBox*>(w)) {
        showList(box, state);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (button->isCheckable()) {
            const QSignalBlocker block(button);
            button->setChecked(state.checked);
        } else if (!state.text.isEmpty()) {
            button->setText(state.text);
        }
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        if (labelShowsModelText(name))
            label->setText(state.text);
    }

    w->setEnabled(state.enabled);
    if (w->isWindow()) {
        // A dialog bound to a control is shown and hidden by the model.
        if (state.visible && !w->isVisible()) {
            w->show();
            w->raise();
            w->activateWindow();
        } else if (!state.visible && w->isVisible()) {
            w->hide();
        }
    } else {
        w->setVisible(state.visible);
    }
}

} // namespace vantelso::gui
