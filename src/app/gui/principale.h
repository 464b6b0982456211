#pragma once

#include "appstate.h"
#include "icons.h"
#include "shell.h"
#include "shellmenu.h"
#include "shellview.h"
#include "tracelog.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QMdiArea;
class QMdiSubWindow;

namespace vantelso::bench {
class BenchActivity;
class BenchInstruments;
class CalibrationRun;
class LinearitySweep;
class SessionFactory;
class VerificationStation;
} // namespace vantelso::bench

namespace vantelso::records {
class BenchRecorder;
class Recorder;
} // namespace vantelso::records

namespace vantelso::gui {

class Communication;
class Frm5035;
class FrmAbout;
class FrmCommLog;
class FrmCompare;
class FrmEeprom;
class FrmLang;
class FrmMisura;
class FrmOper;
class FrmProgram;
class FrmSwitch;
class FrmStrumVer;
class FrmTara;
class FrmTest;
class FrmVerifica;

// The main frame window: a work area holding the program's windows, with the full menu.
// It is the shell's view: the connection panel lives in its work area, the language dialog
// and the About box belong to it.
class Principale : public QMainWindow, public app::ShellView {
    Q_OBJECT
public:
    // `demo` (may be null) must outlive the window.
    explicit Principale(app::AppState& state, app::DemoDevice* demo = nullptr,
                        QWidget* parent = nullptr);
    ~Principale() override;

    void startUp(const app::StartOptions& options = {});
    // The simulated factory bench of the demonstration (may be null; set before startUp, and
    // it must outlive the window): its instruments join the bench selectors and are chosen.
    void setDemoBench(app::DemoBench* bench) { m_demoBench = bench; }
    // One activity on the device and the bench at a time (bench windows, measurement, editor).
    bench::BenchActivity* benchActivity() const { return m_activity.get(); }
    FrmTest* testWindow() const { return m_test; }

    app::Shell& shell() { return *m_shell; }
    app::AppState& state() { return m_state; }
    Communication* panel() const { return m_panel; }
    QMdiSubWindow* panelWindow() const { return m_panelWindow; }
    QMdiArea* workArea() const { return m_workArea; }
    FrmLang* languageDialog() const { return m_lang; }
    FrmAbout* aboutBox() const { return m_about; }
    FrmProgram* programWindow() const { return m_program; }
    QMdiSubWindow* programSubWindow() const { return m_programWindow; }
    FrmOper* operatorDialog() const { return m_oper; }
    FrmMisura* measureWindow() const { return m_misura; }
    QMdiSubWindow* measureSubWindow() const { return m_misuraWindow; }
    void toggleMeasureWindow();
    const ShellMenu& mainMenu() const { return m_menu; }
    FrmSwitch* switchWindow() const { return m_switch; }
    QMdiSubWindow* switchSubWindow() const { return m_switchWindow; }
    // The switch view button: show or hide the switch guide.
    void toggleSwitchWindow();
    FrmEeprom* eepromWindow() const { return m_eeprom; }
    QMdiSubWindow* eepromSubWindow() const { return m_eepromWindow; }
    // Collaudo > EEprom: bring up the EEPROM tool.
    void showEepromWindow();
    // The calibration bench (Collaudo > Taratura) and the two-position model's tool, which
    // comes up with it when that model is chosen.
    FrmTara* taraWindow() const { return m_tara; }
    QMdiSubWindow* taraSubWindow() const { return m_taraWindow; }
    Frm5035* tool5035() const { return m_tool5035; }
    QMdiSubWindow* tool5035SubWindow() const { return m_tool5035Window; }
    bench::CalibrationRun* calibrationRun() const { return m_calRun.get(); }
    bench::BenchInstruments* benchInstruments() const { return m_instruments.get(); }
    void showTaraWindow();
    // The programming and verification station (the bench's "Prog") and its set-up window.
    bench::VerificationStation* verificationStation() const { return m_station.get(); }
    FrmVerifica* verificaWindow() const { return m_verifica; }
    QMdiSubWindow* verificaSubWindow() const { return m_verificaWindow; }
    FrmStrumVer* strumVerWindow() const { return m_strumVer; }
    QMdiSubWindow* strumVerSubWindow() const { return m_strumVerWindow; }

    void showLanguageDialog();
    void showAbout();
    // View, Communication log: shown in front, recording from its first showing.
    void showCommLog();
    FrmCommLog* commLogWindow() const { return m_commLog; }
    QMdiSubWindow* commLogSubWindow() const { return m_commLogWindow; }
    // File > Compare with file... and File > Print report...
    void compareWithFile();
    void printReport();
    FrmCompare* compareWindow() const { return m_compare; }
    QMdiSubWindow* compareSubWindow() const { return m_compareWindow; }
    QMdiSubWindow* registroSubWindow() const { return m_registroWindow; }

    // --- app::ShellView ---
    void disableFactoryMenu() override;
    void setPortList(const QList<app::PortEntry>& entries, int selected) override;
    void loadWindowsHidden() override;
    void applyCaptions(const app::ShellCaptions& captions) override;
    void setButtonImages(bool measuring) override;
    void setProgress(int done, int total) override;
    void placeWindows() override;
    void showPanel() override;
    QString portText() const override;
    void setPortSwitch(bool ticked) override;
    void showStatus(const QString& text, bool problem) override;
    void showReconnect(app::ReconnectOffer offer) override;
    void toggleProgramWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void wireMenu(const ShellMenu& menu);
    void onActivity(bool busy);
    // The editor window at its standard place: beside the panel, tops level.
    void placeProgramWindow();
    void fitProgramWindow();
    // Runs a device action now, or once a running measurement has ended (it is stopped).
    void whenNotMeasuring(const std::function<void()>& action);
    // The factory bench windows and their wiring (benchwindows.cpp).
    void loadBenchWindows();
    void wireBenchActivity();
    void wireDemoBench();
    void wireRecords();
    bool useDevicePort(const QString& port);
    // Read, Write, Start and the commands that need a device follow the port.
    void showDeviceActions();
    // Shows a factory or tool window at its natural size, in front.
    void showSubWindow(QMdiSubWindow* frame);
    QMdiSubWindow* addHiddenSubWindow(QWidget* widget, const char* name,
                                      Picture icon = Picture::App);

    app::AppState& m_state;
    std::unique_ptr<app::TraceLog> m_traceLog;
    FrmCommLog* m_commLog = nullptr;
    QMdiSubWindow* m_commLogWindow = nullptr;
    QMdiArea* m_workArea = nullptr;
    Communication* m_panel = nullptr;
    QMdiSubWindow* m_panelWindow = nullptr;
    FrmLang* m_lang = nullptr;
    FrmAbout* m_about = nullptr;
    FrmProgram* m_program = nullptr;
    QMdiSubWindow* m_programWindow = nullptr;
    FrmOper* m_oper = nullptr;
    FrmSwitch* m_switch = nullptr;
    QMdiSubWindow* m_switchWindow = nullptr;
    FrmMisura* m_misura = nullptr;
    QMdiSubWindow* m_misuraWindow = nullptr;
    FrmEeprom* m_eeprom = nullptr;
    QMdiSubWindow* m_eepromWindow = nullptr;
    // The bench: its instruments live as long as the window, so their ports stay open while
    // the calibration window is hidden.
    app::DemoBench* m_demoBench = nullptr;
    std::unique_ptr<bench::BenchActivity> m_activity;
    FrmTest* m_test = nullptr;
    std::unique_ptr<bench::SessionFactory> m_sessions;
    std::unique_ptr<bench::BenchInstruments> m_instruments;
    std::unique_ptr<bench::CalibrationRun> m_calRun;
    std::unique_ptr<bench::LinearitySweep> m_sweep;
    FrmTara* m_tara = nullptr;
    QMdiSubWindow* m_taraWindow = nullptr;
    Frm5035* m_tool5035 = nullptr;
    QMdiSubWindow* m_tool5035Window = nullptr;
    std::unique_ptr<bench::VerificationStation> m_station;
    FrmVerifica* m_verifica = nullptr;
    QMdiSubWindow* m_verificaWindow = nullptr;
    FrmStrumVer* m_strumVer = nullptr;
    QMdiSubWindow* m_strumVerWindow = nullptr;
    FrmCompare* m_compare = nullptr;
    QMdiSubWindow* m_compareWindow = nullptr;
    QWidget* m_registro = nullptr; // Collaudo > Registro
#ifdef VANTELSO_HAS_RECORDS
    // The production records: every calibration, download, verification, production test
    // and EEPROM write of the bench windows, under the unit id their fields show.
    std::unique_ptr<records::Recorder> m_recorder;
    std::unique_ptr<records::BenchRecorder> m_benchRecorder;
#endif
    QMdiSubWindow* m_registroWindow = nullptr;
    ShellMenu m_menu;
    std::unique_ptr<app::Shell> m_shell;
    bool m_cursorOverridden = false;
    bool m_deviceActions = true;
    bool m_measuring = false;
};

} // namespace vantelso::gui
