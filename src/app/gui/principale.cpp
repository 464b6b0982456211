#include "principale.h"

#include "benchactivity.h"
#include "benchinstruments.h"
#include "calibrationrun.h"
#include "captionapply.h"
#include "communication.h"
#include "configreport.h"
#include "frm5035.h"
#include "frmabout.h"
#include "frmcommlog.h"
#include "frmcompare.h"
#ifdef VANTELSO_HAS_RECORDS
#include "benchrecorder.h"
#include "frmregistro.h"
#include "recorder.h"
#endif
#include "frmeeprom.h"
#include "frmlang.h"
#include "frmmisura.h"
#include "frmprogram.h"
#include "frmstrumver.h"
#include "frmswitch.h"
#include "frmtara.h"
#include "frmtest.h"
#include "frmverifica.h"
#include "hideuntilexit.h"
#include "icons.h"
#include "lamp.h"
#include "linearitysweep.h"
#include "owntexts.h"
#include "resourcealiases.h"
#include "sessionfactory.h"
#include "verificationstation.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace vantelso::gui {

namespace {

// The connection panel's frame: closing it ends the program.
class PanelSubWindow : public QMdiSubWindow {
public:
    PanelSubWindow(QWidget* parent, std::function<void()> onClose)
        : QMdiSubWindow(parent), m_onClose(std::move(onClose)) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        // Leave the close event before the frame itself goes away with the main window.
        QMetaObject::invokeMethod(this, m_onClose, Qt::QueuedConnection);
    }

private:
    std::function<void()> m_onClose;
};

// The items of a frame's system menu, in their order, as Qt names them for translation.
constexpr const char* kSystemMenuItems[] = {"&Restore",  "&Move",        "&Size", "Mi&nimize",
                                            "Ma&ximize", "Stay on &Top", "&Close"};

void RetranslateSystemMenu(QMdiSubWindow* frame) {
    QMenu* menu = frame->systemMenu();
    if (!menu)
        return;
    std::size_t k = 0;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator() || k >= std::size(kSystemMenuItems))
            continue;
        a->setText(QCoreApplication::translate("QMdiSubWindow", kSystemMenuItems[k++]));
    }
}

// Gap between the connection panel and the editor window beside it.
constexpr int kWindowGap = 3;

} // namespace

Principale::Principale(app::AppState& state, app::DemoDevice* demo, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_traceLog(std::make_unique<app::TraceLog>()) {
    setObjectName(QStringLiteral("Principale"));
    setWindowIcon(Icon(Picture::App));
    m_workArea = new QMdiArea(this);
    m_workArea->setObjectName(QStringLiteral("workArea"));
    m_workArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_workArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_workArea);
    m_menu = BuildShellMenu(menuBar(), ShellMenu::Kind::Principale);
    resize(1380, 860);

    m_shell = std::make_unique<app::Shell>(m_state, *this, demo);
    connect(&m_state.link, &DeviceLink::activityChanged, this, &Principale::onActivity);
}

Principale::~Principale() {
    if (m_cursorOverridden)
        QApplication::restoreOverrideCursor();
    m_shell->shutDown();
}

void Principale::startUp(const app::StartOptions& options) {
    // The panel must exist before start-up fills its list; it stays hidden until the end.
    if (!m_panel) {
        m_panel = new Communication;
        m_panelWindow = new PanelSubWindow(m_workArea, [this] {
            m_state.flags.exiting = true;
            close();
        });
        m_panelWindow->setObjectName(QStringLiteral("communication_window"));
        m_panelWindow->setWidget(m_panel);
        m_panelWindow->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint |
                                      Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
        m_panelWindow->setWindowIcon(Icon(Picture::App));
        m_workArea->addSubWindow(m_panelWindow);
        m_panelWindow->hide();

        wireMenu(m_menu);
        wireMenu(m_panel->menu);
        app::Shell* shell = m_shell.get();
        // "Close Com" during a measurement ends the measurement first, then closes the port.
        connect(m_panel->Check1, &QCheckBox::clicked, this, [this, shell](bool ticked) {
            if (!ticked && m_misura && m_misura->running())
                whenNotMeasuring([shell] { shell->portSwitchClicked(false); });
            else
                shell->portSwitchClicked(ticked);
        });
        connect(m_panel->cmd_read, &QToolButton::clicked, this,
                [this, shell] { whenNotMeasuring([shell] { shell->read(); }); });
        connect(m_panel->cmd_write, &QToolButton::clicked, this,
                [this, shell] { whenNotMeasuring([shell] { shell->write(); }); });
        connect(m_panel->cmd_start, &QToolButton::clicked, this, [this] { m_misura->toggle(); });
        connect(m_panel->cmd_modo[1], &QToolButton::clicked, this,
                &Principale::toggleMeasureWindow);
        connect(m_panel->cmd_modo[0], &QToolButton::clicked, this,
                &Principale::toggleProgramWindow);
        connect(m_panel->cmd_modo[2], &QToolButton::clicked, this, &Principale::toggleSwitchWindow);
        // A measurement window shown again must not offer the previous read's values.
        connect(m_shell.get(), &app::Shell::configurationRead, this, [this] {
            if (m_misura)
                m_misura->deviceIdentified(m_state.device.modelIdentifier);
        });
        // The editor's Read has just read the banks of a switch-configured model: the guide
        // shows those, without asking the device again.
        connect(m_shell.get(), &app::Shell::configurationRead, this, [this] {
            const auto& bytes = m_state.editor.switchBytes();
            if (m_switch && bytes && app::SwitchViewAvailable(m_state.link.identity.ModelByte))
                m_switch->showMeasuredSwitches(m_state.link.identity,
                                               m_state.device.modelIdentifier, *bytes);
        });
        connect(m_panel->cmd_Lang, &QToolButton::clicked, this, &Principale::showLanguageDialog);
        connect(m_panel->cmd_reconnect, &QPushButton::clicked, shell, &app::Shell::reconnect);
        connect(m_panel->chk_autoreconnect, &QCheckBox::toggled, shell,
                &app::Shell::setAutoReconnect);
        connect(&m_state.link, &DeviceLink::panelEnabledChanged, m_panel, &QWidget::setEnabled);
        connect(&m_state.link, &DeviceLink::portPanelEnabled, m_panel, [this] {
            m_panel->findChild<QWidget*>(QStringLiteral("fra_port"))->setEnabled(true);
        });
    }
    m_shell->startUp(options);
}

void Principale::wireMenu(const ShellMenu& menu) {
    app::Shell* shell = m_shell.get();
    connect(menu.read, &QAction::triggered, this,
            [this, shell] { whenNotMeasuring([shell] { shell->read(); }); });
    connect(menu.write, &QAction::triggered, this,
            [this, shell] { whenNotMeasuring([shell] { shell->write(); }); });
    connect(menu.viewMeasure, &QAction::triggered, this, &Principale::toggleMeasureWindow);
    // Start does nothing while a measurement runs; Stop toggles like the panel's button.
    connect(menu.start, &QAction::triggered, this, [this] {
        if (!m_misura->running())
            m_misura->startMeasure();
    });
    connect(menu.stop, &QAction::triggered, this, [this] { m_misura->toggle(); });
    connect(menu.viewProgram, &QAction::triggered, this, &Principale::toggleProgramWindow);
    if (menu.viewSwitch) {
        menu.viewSwitch->setEnabled(true);
        connect(menu.viewSwitch, &QAction::triggered, this, &Principale::toggleSwitchWindow);
    }
    ConfigFiles* files = &m_state.files;
    connect(menu.open, &QAction::triggered, files, [files] { files->OpenConfigFile(); });
    connect(menu.save, &QAction::triggered, files, [files] { files->SaveConfigFile(false); });
    connect(menu.saveAs, &QAction::triggered, files, [files] { files->SaveConfigFile(true); });
    connect(files, &ConfigFiles::saveEnabledChanged, menu.save, &QAction::setEnabled);
    connect(menu.compare, &QAction::triggered, this, &Principale::compareWithFile);
    connect(menu.report, &QAction::triggered, this, &Principale::printReport);
    connect(menu.about, &QAction::triggered, this, &Principale::showAbout);
    if (menu.eeprom) {
        menu.eeprom->setEnabled(true);
        connect(menu.eeprom, &QAction::triggered, this, &Principale::showEepromWindow);
    }
    if (menu.taratura) {
        menu.taratura->setEnabled(true);
        connect(menu.taratura, &QAction::triggered, this, &Principale::showTaraWindow);
    }
#ifdef VANTELSO_HAS_RECORDS
    connect(menu.registro, &QAction::triggered, this, [this] {
        if (!m_registro) {
            m_registro = new FrmRegistro(m_state.texts, *m_state.prompter());
            m_registroWindow = addHiddenSubWindow(m_registro, "frm_registro_window");
            connect(m_registro, &QWidget::windowTitleChanged, m_registroWindow,
                    &QWidget::setWindowTitle);
        }
        static_cast<FrmRegistro*>(m_registro)->refresh();
        showSubWindow(m_registroWindow);
        m_registroWindow->resize(m_registroWindow->sizeHint().expandedTo({820, 480}));
    });
#else
    menu.registro->setEnabled(false);
#endif
    if (menu.language)
        connect(menu.language, &QAction::triggered, this, &Principale::showLanguageDialog);
    connect(menu.commLog, &QAction::triggered, this, &Principale::showCommLog);
    connect(menu.exit, &QAction::triggered, this, [this] {
        m_state.flags.exiting = true;
        close();
    });
}

void Principale::disableFactoryMenu() {
    // Both menu bars show one state: the panel's factory menu offers what the main window's
    // does, so it is left available here.
}

void Principale::setPortList(const QList<app::PortEntry>& entries, int selected) {
    m_panel->setPortEntries(entries, selected);
}

void Principale::loadWindowsHidden() {
    auto exiting = [this] { return m_state.flags.exiting; };
    if (!m_lang)
        m_lang = new FrmLang(exiting, this);
    if (!m_about)
        m_about = new FrmAbout(*m_state.prompter(), m_state.texts, exiting, this);
    connect(m_lang, &FrmLang::languageChosen, m_shell.get(), &app::Shell::chooseLanguage,
            Qt::UniqueConnection);
    if (!m_program) {
        m_program = new FrmProgram(m_state.editor);
        m_programWindow = addHiddenSubWindow(m_program, "frm_program_window", Picture::ViewProgram);
    }
    if (!m_oper)
        m_oper = new FrmOper(m_state.editor, exiting, this);
    if (!m_switch) {
        m_switch = new FrmSwitch(m_state.catalogue, m_state.texts, m_state.link,
                                 [this] { return m_state.flags.LastChannel; });
        m_switchWindow = addHiddenSubWindow(m_switch, "frm_switch_window", Picture::ViewSwitch);
        connect(m_switch, &QWidget::windowTitleChanged, m_switchWindow, &QWidget::setWindowTitle);
    }
    if (!m_misura) {
        m_misura = new FrmMisura(m_state);
        m_misuraWindow = addHiddenSubWindow(m_misura, "frm_misura_window", Picture::ViewMeasure);
        connect(m_misura, &FrmMisura::measuringChanged, this, &Principale::setButtonImages);
        connect(&m_misura->measurement(), &measure::Measurement::activityLamp, this,
                [this](int colour) { m_panel->Spia->setColourValue(colour); });
        connect(&m_misura->measurement(), &measure::Measurement::switchesRead, m_switch,
                [this](const switches::SwitchBytes& b) {
                    m_switch->showMeasuredSwitches(m_state.link.identity,
                                                   m_state.device.modelIdentifier, b);
                });
    }
    if (!m_eeprom) {
        m_eeprom = new FrmEeprom(m_state.link);
        m_eepromWindow = addHiddenSubWindow(m_eeprom, "frm_eeprom_window");
    }
    if (!m_commLog) {
        m_commLog = new FrmCommLog(*m_traceLog, m_state.texts, *m_state.prompter());
        m_commLogWindow = addHiddenSubWindow(m_commLog, "frm_commlog_window");
        connect(m_commLog, &QWidget::windowTitleChanged, m_commLogWindow, &QWidget::setWindowTitle);
    }
    if (!m_compare) {
        m_compare = new FrmCompare(m_state.texts);
        m_compareWindow = addHiddenSubWindow(m_compare, "frm_compare_window");
        connect(m_compare, &QWidget::windowTitleChanged, m_compareWindow, &QWidget::setWindowTitle);
    }
    loadBenchWindows();
}

QMdiSubWindow* Principale::addHiddenSubWindow(QWidget* widget, const char* name, Picture icon) {
    auto* frame = new QMdiSubWindow(m_workArea);
    HideUntilExit(frame, [this] { return m_state.flags.exiting; });
    frame->setObjectName(QLatin1String(name));
    frame->setWidget(widget);
    frame->setWindowTitle(widget->windowTitle());
    frame->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint);
    frame->setWindowIcon(Icon(icon));
    m_workArea->addSubWindow(frame);
    frame->hide();
    return frame;
}

void Principale::showSubWindow(QMdiSubWindow* frame) {
    frame->show();
    frame->adjustSize();
    frame->raise();
    m_workArea->setActiveSubWindow(frame);
}

void Principale::showTaraWindow() {
    showSubWindow(m_taraWindow);
}

void Principale::showEepromWindow() {
    showSubWindow(m_eepromWindow);
}

void Principale::applyCaptions(const app::ShellCaptions& captions) {
    using app::Window;
    setWindowTitle(captions.titles.value(Window::Principale));
    ApplyCaptionMap(menuBar(), captions.controls.value(Window::Principale));

    m_panelWindow->setWindowTitle(captions.titles.value(Window::Communication));
    ApplyCaptionMap(m_panel, captions.controls.value(Window::Communication));
    m_panel->cmd_start->setText(m_state.texts.lang(m_measuring ? own::Stop : own::Start));
    m_panel->lbl_device->setText(captions.device.idLabel);
    m_panel->lbl_device_1->setText(captions.device.displayName);
    m_panel->setLanguageFlag(m_state.texts.langIndex());
    m_deviceActions = captions.deviceActions;
    showDeviceActions();
    AddMnemonics(menuBar(), true);
    // The panel lives in this window: Alt+letter on its bar would clash with the main bar's.
    AddMnemonics(m_panel->menuBar(), false);
    // The switch view button follows the model once the switch window exists; model byte 9
    // has no switches at all.
    m_panel->cmd_modo[2]->setToolTip(captions.switchViewAvailable ? QString()
                                                                  : QStringLiteral("-"));

    m_lang->setWindowTitle(captions.titles.value(Window::Language));
    ApplyCaptionMap(m_lang, captions.controls.value(Window::Language));
    m_lang->showLanguage(m_state.texts.langIndex());

    m_about->setWindowTitle(captions.titles.value(Window::About));
    ApplyCaptionMap(m_about, captions.controls.value(Window::About));
    m_about->applyDetails(captions);

    m_programWindow->setWindowTitle(captions.titles.value(Window::Program));
    ApplyCaptionMap(m_program, captions.controls.value(Window::Program));
    m_program->applyLayout(captions.program);
    m_misura->applyCaptions();
    m_misuraWindow->setWindowTitle(m_misura->windowTitle());
    m_oper->setWindowTitle(captions.titles.value(Window::Operator));
    ApplyCaptionMap(m_oper, captions.controls.value(Window::Operator));
    // The frames' system menus got Qt's texts when they were made: they follow the language.
    for (QMdiSubWindow* frame : m_workArea->subWindowList())
        RetranslateSystemMenu(frame);
    // Sizes follow the texts of the new language.
    m_panelWindow->adjustSize();
    fitProgramWindow();
    m_oper->adjustSize();
}

void Principale::setButtonImages(bool measuring) {
    m_panel->cmd_read->setIcon(Icon(Picture::Read));
    m_panel->cmd_write->setIcon(Icon(Picture::Write));
    m_panel->cmd_start->setIcon(Icon(measuring ? Picture::Stop : Picture::Start));
    // The button says what a click does now.
    m_measuring = measuring;
    m_panel->cmd_start->setText(m_state.texts.lang(measuring ? own::Stop : own::Start));
    if (m_misura)
        showDeviceActions();
    m_panel->cmd_modo[0]->setIcon(Icon(Picture::ViewProgram));
    m_panel->cmd_modo[1]->setIcon(Icon(Picture::ViewMeasure));
    m_panel->cmd_modo[2]->setIcon(Icon(Picture::ViewSwitch));
}

void Principale::setProgress(int done, int total) {
    m_panel->setProgress(done, total);
}

void Principale::placeWindows() {
    m_panelWindow->adjustSize();
    m_panelWindow->move(0, 0);
    placeProgramWindow();
}

void Principale::fitProgramWindow() {
    // Its full size whatever room the work area has now: the work area scrolls instead.
    m_program->layout()->activate();
    m_programWindow->resize(m_programWindow->sizeHint());
}

void Principale::placeProgramWindow() {
    m_programWindow->move(m_panelWindow->geometry().right() + 1 + kWindowGap,
                          m_panelWindow->geometry().top());
}

void Principale::toggleProgramWindow() {
    if (m_programWindow->isVisible()) {
        m_programWindow->hide();
        return;
    }
    m_programWindow->show();
    // Sized once shown: the work area adjusts a hidden window's size as it comes up.
    fitProgramWindow();
    placeProgramWindow();
    m_programWindow->raise();
    m_workArea->setActiveSubWindow(m_programWindow);
}

void Principale::showDeviceActions() {
    const bool measuring = m_measuring;
    const bool on = m_deviceActions;
    m_panel->cmd_read->setEnabled(on);
    m_panel->cmd_write->setEnabled(on);
    // Stop stays available while a measurement runs.
    m_panel->cmd_start->setEnabled(on || measuring);
    if (m_misura)
        m_misura->Cmd_StartRead->setEnabled(on && !measuring);
    for (const ShellMenu* menu : {&std::as_const(m_menu), &std::as_const(m_panel->menu)}) {
        for (QAction* a : {menu->read, menu->write, menu->compare, menu->report})
            a->setEnabled(on);
        menu->start->setEnabled(on && !measuring);
        menu->stop->setEnabled(on || measuring);
    }
}

void Principale::toggleSwitchWindow() {
    if (m_switchWindow->isVisible()) {
        m_switchWindow->hide();
        return;
    }
    m_switchWindow->show();
    m_switchWindow->resize(m_switchWindow->sizeHint());
    // Beside the panel like the other windows, and inside the visible work area.
    const QRect area = m_workArea->viewport()->rect();
    const QSize size = m_switchWindow->size();
    const int x = m_panelWindow->geometry().right() + 1 + kWindowGap;
    m_switchWindow->move(
        std::max(0, std::min(x, area.width() - size.width())),
        std::max(0, std::min(m_panelWindow->geometry().top(), area.height() - size.height())));
    m_switchWindow->raise();
    m_workArea->setActiveSubWindow(m_switchWindow);
}

void Principale::toggleMeasureWindow() {
    if (m_misuraWindow->isVisible()) {
        m_misuraWindow->hide();
        return;
    }
    m_misuraWindow->show();
    m_misuraWindow->resize(m_misuraWindow->sizeHint().expandedTo({760, 620}));
    m_misuraWindow->move(m_panelWindow->geometry().right() + 1 + kWindowGap,
                         m_panelWindow->geometry().top());
    m_misuraWindow->raise();
    m_workArea->setActiveSubWindow(m_misuraWindow);
}

void Principale::whenNotMeasuring(const std::function<void()>& action) {
    if (!m_misura || !m_misura->running()) {
        action();
        return;
    }
    // The measurement loop waits inside this click's caller: let it end first.
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = connect(m_misura, &FrmMisura::measuringChanged, this, [once, action](bool on) {
        if (on)
            return;
        QObject::disconnect(*once);
        QTimer::singleShot(0, action);
    });
    m_misura->stopMeasure();
}

void Principale::showPanel() {
    m_panelWindow->show();
}

QString Principale::portText() const {
    return m_panel->cmb_Porta->currentText();
}

void Principale::setPortSwitch(bool ticked) {
    const QSignalBlocker block(m_panel->Check1);
    m_panel->Check1->setChecked(ticked);
}

void Principale::showStatus(const QString& text, bool problem) {
    m_panel->setStatus(text, problem);
}

void Principale::showLanguageDialog() {
    m_lang->showLanguage(m_state.texts.langIndex());
    m_lang->show();
    m_lang->raise();
    m_lang->activateWindow();
}

void Principale::showCommLog() {
    m_commLogWindow->show();
    m_commLogWindow->adjustSize();
    m_commLogWindow->raise();
    m_workArea->setActiveSubWindow(m_commLogWindow);
}

void Principale::showReconnect(app::ReconnectOffer offer) {
    m_panel->showReconnect(offer);
}

void Principale::showAbout() {
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void Principale::compareWithFile() {
    Prompter::FileDialog dialog;
    dialog.title = m_state.texts.lang(own::CompareTitle);
    dialog.filter = m_state.texts.lang(own::ConfigFilter) + QStringLiteral(";;  (*.*)");
    dialog.defaultSuffix = QStringLiteral("VNT");
    const auto path = m_state.prompter()->openFile(dialog);
    if (!path || path->isEmpty())
        return;
    whenNotMeasuring([this, file = *path] {
        auto result = CompareDeviceWithFile(m_state.link, *m_state.prompter(), m_state.texts, file);
        if (!result)
            return;
        // The read has identified the device with its letter: name it by its model.
        if (!m_state.device.modelIdentifier.isEmpty())
            result->diff.deviceModel = m_state.device.modelIdentifier;
        m_compare->showComparison(*result);
        m_compareWindow->show();
        m_compareWindow->resize(m_compareWindow->sizeHint().expandedTo({720, 560}));
        m_compareWindow->raise();
        m_workArea->setActiveSubWindow(m_compareWindow);
    });
}

void Principale::printReport() {
    whenNotMeasuring([this] {
        const QString done =
            report::PrintDeviceReport(m_state.link, *m_state.prompter(), m_state.texts, portText());
        if (!done.isEmpty())
            showStatus(done, false);
    });
}

void Principale::onActivity(bool busy) {
    if (m_panel)
        m_panel->Spia->setColourValue(busy ? app::lamp::Red : app::lamp::Green);
    if (busy && !m_cursorOverridden) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_cursorOverridden = true;
    } else if (!busy && m_cursorOverridden) {
        QApplication::restoreOverrideCursor();
        m_cursorOverridden = false;
    }
}

void Principale::closeEvent(QCloseEvent* event) {
    // Edits neither written nor saved are not dropped without asking.
    if (!m_shell->confirmExit()) {
        m_state.flags.exiting = false;
        event->ignore();
        return;
    }
    // Unload order: the panel (and the port with it), then the dialogs, then this window.
    m_state.flags.exiting = true;
    m_shell->shutDown();
    if (m_panelWindow)
        m_panelWindow->hide();
    if (m_about)
        m_about->close();
    if (m_lang)
        m_lang->close();
    if (m_oper)
        m_oper->close();
    if (m_programWindow)
        m_programWindow->hide();
    if (m_misura)
        m_misura->stopMeasure();
    if (m_misuraWindow)
        m_misuraWindow->hide();
    if (m_instruments) // the bench instruments' ports close with the program
        m_instruments->closePorts();
    event->accept();
}

} // namespace vantelso::gui
