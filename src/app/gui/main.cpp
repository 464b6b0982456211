// The desktop program: the main window with the connection panel.
#include "appstate.h"
#include "communication.h"
#include "demodevice.h"
#include "editormodel.h"
#include "frmabout.h"
#include "frmmisura.h"
#include "messageboxprompter.h"
#include "principale.h"
#include "shellmessages.h"
#include "simdevice.h"
#include "simoperator.h"
#include "switchbytesoption.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDialog>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <memory>

namespace {

using namespace vantelso;

// Hidden options that drive the window for documentation pictures, then quit.
struct ScreenshotPlan {
    QString file;
    int delayMs = 800;
    QString port; // typed into the port list first
    bool openPort = false;
    bool english = false;
    bool physicalPage = false;
    bool write = false;
    // "panel", "program", "measure", "about", "dialog" (the open-file dialog), "box" (the
    // message box the steps raise) or empty for the whole main window.
    QString target;
    int measureMs = 20000;
};

QWidget* screenshotTarget(gui::Principale& window, const QString& target) {
    if (target == QLatin1String("panel"))
        return window.panelWindow();
    if (target == QLatin1String("program"))
        return window.programSubWindow();
    if (target == QLatin1String("measure"))
        return window.measureSubWindow();
    if (target == QLatin1String("about"))
        return window.aboutBox();
    if (target == QLatin1String("dialog") || target == QLatin1String("box"))
        return QApplication::activeModalWidget();
    return &window;
}

void runScreenshot(gui::Principale& window, const ScreenshotPlan& plan) {
    QTimer::singleShot(plan.delayMs, &window, [&window, plan] {
        // The picture is taken once the steps are done, or while a step waits in the modal
        // dialog to be pictured.
        const bool modal =
            plan.target == QLatin1String("dialog") || plan.target == QLatin1String("box");
        const auto picture = [&window, plan] {
            if (plan.target == QLatin1String("program") && !window.programSubWindow()->isVisible())
                window.toggleProgramWindow();
            if (plan.target == QLatin1String("about")) {
                window.showAbout();
                window.aboutBox()->adjustSize();
            }
            QWidget* target = screenshotTarget(window, plan.target);
            const bool saved = target && target->grab().save(plan.file);
            std::fprintf(stderr, "%s %s\n", saved ? "saved" : "could not save",
                         qPrintable(plan.file));
            if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                box->reject();
            window.close();
        };
        if (modal)
            QTimer::singleShot(2 * plan.delayMs, &window, picture);
        if (plan.english)
            window.shell().chooseLanguage(1);
        if (!plan.port.isEmpty())
            window.panel()->cmb_Porta->setEditText(plan.port);
        if (plan.openPort)
            window.panel()->Check1->click();
        if (plan.physicalPage)
            window.state().editor.click(QStringLiteral("cmd_math"));
        if (plan.write) {
            window.state().editor.setText(QStringLiteral("txt_Input_max"), 0,
                                          QStringLiteral("400"));
            window.panel()->cmd_write->click();
        }
        if (plan.target == QLatin1String("dialog"))
            window.mainMenu().open->trigger();
        if (plan.target == QLatin1String("measure")) {
            // A measurement runs until the picture is taken; the plot needs a while.
            window.toggleMeasureWindow();
            QTimer::singleShot(plan.measureMs, &window, [&window, plan] {
                const bool saved = window.measureSubWindow()->grab().save(plan.file);
                std::fprintf(stderr, "%s %s\n", saved ? "saved" : "could not save",
                             qPrintable(plan.file));
                window.measureWindow()->stopMeasure();
                QTimer::singleShot(300, &window, &QWidget::close);
            });
            window.measureWindow()->startMeasure();
            return;
        }
        if (!modal)
            QTimer::singleShot(plan.delayMs, &window, picture);
    });
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vantelso"));
    QApplication::setApplicationVersion(QStringLiteral(VANTELSO_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configuration tool for programmable DIN-rail signal conditioners."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption demoOption(
        QStringLiteral("demo"),
        QStringLiteral("Start a simulated device of MODEL (RSX7030, RSX7131B, ...) inside the "
                       "program and offer its port first."),
        QStringLiteral("MODEL"));
    const QCommandLineOption demoBenchOption(
        QStringLiteral("demo-bench"),
        QStringLiteral("Start a simulated factory bench around a unit of MODEL to calibrate from "
                       "Collaudo > Taratura (RSX7030, RSX7032A, ...): its instruments are in the "
                       "bench selectors, its device is offered as \"Dispositivo\"."),
        QStringLiteral("MODEL"));
    const QCommandLineOption switchesOption(
        QStringLiteral("switches"),
        QStringLiteral("With --demo: the simulated device's DIP-switch banks, S0,S1,S2."),
        QStringLiteral("S0,S1,S2"));
    const QCommandLineOption brandOption(QStringLiteral("brand"),
                                         QStringLiteral("Brand block 0 to 3 (default 0)."),
                                         QStringLiteral("N"), QStringLiteral("0"));
    QCommandLineOption shotOption(QStringLiteral("screenshot"),
                                  QStringLiteral("Save a picture of the main window and quit."),
                                  QStringLiteral("FILE"));
    QCommandLineOption shotOpenOption(QStringLiteral("screenshot-open"),
                                      QStringLiteral("Open the port before the picture."));
    QCommandLineOption shotEnglishOption(QStringLiteral("screenshot-english"),
                                         QStringLiteral("Switch to English before the picture."));
    QCommandLineOption shotTargetOption(
        QStringLiteral("screenshot-target"),
        QStringLiteral(
            "Picture of one window only: panel, program, measure, about, dialog or box."),
        QStringLiteral("WINDOW"));
    QCommandLineOption shotPortOption(QStringLiteral("screenshot-port"),
                                      QStringLiteral("Type this port before opening."),
                                      QStringLiteral("PORT"));
    QCommandLineOption shotWriteOption(QStringLiteral("screenshot-write"),
                                       QStringLiteral("Change a value and write it first."));
    QCommandLineOption shotPhysicalOption(
        QStringLiteral("screenshot-physical"),
        QStringLiteral("Show the physical-scaling page before the picture."));
    QCommandLineOption shotSizeOption(QStringLiteral("screenshot-size"),
                                      QStringLiteral("Main window size for the picture."),
                                      QStringLiteral("WxH"));
    for (QCommandLineOption* o :
         {&shotOption, &shotOpenOption, &shotEnglishOption, &shotTargetOption, &shotPhysicalOption,
          &shotSizeOption, &shotPortOption, &shotWriteOption})
        o->setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({demoOption, demoBenchOption, switchesOption, brandOption, shotOption,
                       shotOpenOption, shotEnglishOption, shotTargetOption, shotPhysicalOption,
                       shotSizeOption, shotPortOption, shotWriteOption});
    parser.process(app);

    bool brandOk = false;
    const int brand = parser.value(brandOption).toInt(&brandOk);
    if (!brandOk || brand < 0 || brand >= Texts::BrandCount) {
        std::fprintf(stderr, "error: --brand must be a number from 0 to %d\n",
                     Texts::BrandCount - 1);
        return 2;
    }

    std::unique_ptr<app::DemoDevice> demo;
    std::unique_ptr<app::DemoBench> demoBench;
    if (parser.isSet(demoOption) && parser.isSet(demoBenchOption)) {
        std::fprintf(stderr, "error: --demo and --demo-bench exclude each other\n");
        return 2;
    }
    if (parser.isSet(demoBenchOption)) {
        QString why;
        demoBench = app::DemoBench::create(parser.value(demoBenchOption), &why);
        if (!demoBench) {
            std::fprintf(stderr, "error: %s\n", qPrintable(why));
            return 2;
        }
    }
    if (parser.isSet(demoOption)) {
        QString why;
        demo = app::DemoDevice::create(parser.value(demoOption), &why);
        if (!demo) {
            std::fprintf(stderr, "error: %s\n", qPrintable(why));
            return 2;
        }
        if (parser.isSet(switchesOption)) {
            QByteArray banks;
            if (!sim::ParseSwitchBytes(parser.value(switchesOption), &banks, &why)) {
                std::fprintf(stderr, "error: %s\n", qPrintable(why));
                return 2;
            }
            demo->device()->setSwitchBytes(banks);
        }
    } else if (parser.isSet(switchesOption)) {
        std::fprintf(stderr, "error: --switches needs --demo\n");
        return 2;
    }

    // The title is asked at each question: the brand is fixed but the texts object is not
    // there before the state is.
    app::AppState* statePtr = nullptr;
    gui::MessageBoxPrompter prompter(
        [&statePtr] { return statePtr ? statePtr->texts.productTitle() : QString(); });
    // On the simulated bench the operator's answer to the DIP-switch request sets the
    // simulated unit's switches, which no hand can flip.
    std::unique_ptr<sim::SimSwitchHands> hands;
    if (demoBench)
        hands = std::make_unique<sim::SimSwitchHands>(&prompter, demoBench->device()->device());
    app::AppState state(hands ? static_cast<Prompter*>(hands.get()) : &prompter);
    statePtr = &state;
    prompter.setButtonTexts(
        [&state](Prompter::Answer button) { return app::ButtonText(button, state.texts); });

    gui::Principale window(state, demoBench ? demoBench->device() : demo.get());
    window.setDemoBench(demoBench.get());
    prompter.setParentWidget(&window);
    app::StartOptions options;
    options.brandIndex = brand;
    window.startUp(options);
    if (const QStringList size = parser.value(shotSizeOption).split(u'x'); size.size() == 2)
        window.resize(size[0].toInt(), size[1].toInt());
    window.show();

    if (parser.isSet(shotOption)) {
        ScreenshotPlan plan;
        plan.file = parser.value(shotOption);
        plan.openPort = parser.isSet(shotOpenOption);
        plan.english = parser.isSet(shotEnglishOption);
        plan.target = parser.value(shotTargetOption);
        plan.physicalPage = parser.isSet(shotPhysicalOption);
        plan.port = parser.value(shotPortOption);
        plan.write = parser.isSet(shotWriteOption);
        runScreenshot(window, plan);
    }
    return app.exec();
}
