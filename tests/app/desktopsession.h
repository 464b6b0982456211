#pragma once

#include "appstate.h"
#include "communication.h"
#include "demodevice.h"
#include "frmlang.h"
#include "frmprogram.h"
#include "principale.h"
#include "scriptedprompter.h"
#include "simdevice.h"

#include <QTest>
#include <QtWidgets>

// One desktop session: state, windows and an optional demo device, in process unless `pty`.
struct Session {
    explicit Session(const QString& demoModel = {}, bool pty = false) {
        QString why;
        if (!demoModel.isEmpty() &&
            !(demo = vantelso::app::DemoDevice::create(demoModel, &why, pty)))
            qFatal("%s", qPrintable(why));
        window = std::make_unique<vantelso::gui::Principale>(state, demo.get());
        window->startUp();
        window->show();
    }

    vantelso::gui::Communication* panel() const { return window->panel(); }
    vantelso::gui::FrmProgram* program() const { return window->programWindow(); }
    template <class W> W* widget(const char* name, int element = 0) const {
        auto* w = qobject_cast<W*>(program()->control(QLatin1String(name), element));
        if (!w)
            qFatal("no widget %s %d", name, element);
        return w;
    }
    void type(const char* name, const QString& text) const {
        auto* edit = widget<QLineEdit>(name);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    void pick(const char* name, const QString& text) const {
        auto* box = widget<QComboBox>(name);
        const int i = box->findText(text);
        QVERIFY2(i >= 0, qPrintable(text));
        box->setCurrentIndex(i);
        Q_EMIT box->activated(i);
    }
    // Through the flag dialog, as the user does.
    void chooseLanguage(int index) const {
        panel()->cmd_Lang->click();
        window->languageDialog()->opt_lang[std::size_t(index)]->click();
    }
    bool open() const {
        panel()->Check1->click();
        return window->shell().portOpen();
    }
    // A menu command whose file dialog is answered with `file`, the questions before forgotten.
    void answerFile(QAction* command, const QString& file) {
        prompter.clear();
        prompter.pushFile(file);
        command->trigger();
    }
    int count(const char* command) const {
        const QList<QByteArray> log = demo->device()->commandLog();
        return int(std::count_if(log.begin(), log.end(),
                                 [&](const QByteArray& c) { return c.startsWith(command); }));
    }

    std::unique_ptr<vantelso::app::DemoDevice> demo;
    vantelso::ScriptedPrompter prompter;
    vantelso::app::AppState state{&prompter};
    std::unique_ptr<vantelso::gui::Principale> window;
};
