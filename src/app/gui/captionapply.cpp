#include "captionapply.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

namespace vantelso::gui {

namespace {
bool applyTo(QObject* o, const QString& text) {
    if (auto* menu = qobject_cast<QMenu*>(o)) {
        menu->setTitle(text);
    } else if (auto* action = qobject_cast<QAction*>(o)) {
        action->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(o)) {
        button->setText(text);
    } else if (auto* box = qobject_cast<QGroupBox*>(o)) {
        box->setTitle(text);
    } else if (auto* label = qobject_cast<QLabel*>(o)) {
        label->setText(text);
    } else {
        return false;
    }
    return true;
}
} // namespace

QStringList ApplyCaptionMap(QObject* root, const app::CaptionMap& captions) {
    QStringList missing;
    for (auto it = captions.cbegin(); it != captions.cend(); ++it) {
        bool any = false;
        if (root->objectName() == it.key())
            any = applyTo(root, it.value());
        const auto found = root->findChildren<QObject*>(it.key());
        for (QObject* o : found)
            any = applyTo(o, it.value()) || any;
        if (!any)
            missing << it.key();
    }
    return missing;
}

} // namespace vantelso::gui
