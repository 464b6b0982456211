#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

// What the bench windows' tests do as the operator would: type into a field, replacing what
// it held; and, with VANTELSO_SCREENSHOTS naming a folder, save a picture of a window there.
inline void typeInto(QLineEdit* e, const QString& text) {
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
}

inline void screenshot(QWidget* w, const char* file) {
    const QString dir = qEnvironmentVariable("VANTELSO_SCREENSHOTS");
    if (dir.isEmpty())
        return;
    if (QWidget* focused = QApplication::focusWidget())
        focused->clearFocus();
    QCoreApplication::processEvents();
    QVERIFY(w->grab().save(dir + u'/' + QLatin1String(file)));
}
