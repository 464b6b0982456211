#pragma once

#include "benchresult.h"
#include "calibrationrun.h"
#include "configeditor.h"
#include "verificationsetup.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

namespace vantelso {
class DeviceLink;
class Prompter;
} // namespace vantelso

namespace vantelso::bench {

class BenchInstruments;

// How a download ended.
enum class DownloadResult {
    Verified,   // written and read back equal: counted
    PortClosed, // the device port is not open: nothing was sent
    Failed,     // the write failed or the device does not hold what was written
    Cancelled,  // the operator cancelled a limit question: nothing was written
};

// What the operator chose in the verification set-up window. Ranges and the supply voltage
// are kept as typed and read when they are used.
struct VerificationSettings {
    enum class Mode { Unset, Automatic, Manual };
    Mode mode = Mode::Unset;
    int input = -1; // index into VerificationInputs()
    QString min;
    QString max;
    int output = -1; // 0 "mA", 1 "V"
    int device = -1; // index into VerificationDevices()
    int measureChannel = 0;
    int outputChannel = 0;                      // 0 first, 1 second
    QString supplyVolts = QStringLiteral("24"); // val_alim_ver
    bool supplyOn = false;                      // Check_alim_ver: switch the supply on
};

// The programming and verification station without its windows. Downloads the edited
// configuration into one unit after another, counting only the downloads that were read
// back equal, and keeps the running report; then applies zero, half scale and span of an
// input range to the unit with the calibrator and reports what the multimeter reads at its
// output. The instruments are the calibration bench's, so their selectors and ports are
// shared with it.
class VerificationStation : public QObject {
    Q_OBJECT
public:
    // `calibration` (may be null) supplies the model chosen on the calibration bench, which
    // decides the input wiring.
    VerificationStation(DeviceLink* link, BenchInstruments* instruments, Prompter* prompter,
                        const CalibrationRun* calibration = nullptr, QObject* parent = nullptr);

    // --- the report window ---
    int downloads = 0;
    QString report; // lines joined by CR LF
    QString status = QStringLiteral("STOP");
    FieldColour statusColour = FieldColour::Red;
    // The configuration editor's write; the station counts it only when it returns Done.
    std::function<EditorOutcome()> writeConfiguration;

    QStringList reportLines() const;
    // The window as the calibration bench's "Prog" opens it: "STOP" on red, an empty report
    // and no downloads counted.
    void Reset();
    // "Send_prog".
    DownloadResult SendProgram();
    // "prog_def" and "prog_man": false, after "Porta Com non aperta", when the device port is
    // closed.
    bool CheckDevicePort();

    // --- the set-up window ---
    VerificationSettings settings;
    VerificationRange range; // of the last set-up or run
    QString caption;         // "Selezionare Modo di taratura:", "Modo di taratura: ..."
    QString currentModel() const;
    QString unit() const; // "mA" or "V" by the output type; empty before one is chosen
    // The unit the multimeter was last set up for by this station ("mA" on "CURR", "V" on
    // "VOLT"), which is what its readings are in; empty before a set-up.
    QString meterUnit() const { return m_meterUnit; }

    // "comm_strum": min and max cleared, the mode to be chosen.
    void OpenInstruments();
    void ChooseMode(VerificationSettings::Mode mode);
    // The input-type list: min, max and half take the type's defaults.
    void ChooseInput(int input);
    // The device list: the output channel falls back to the first on a one-channel unit.
    void ChooseDevice(int device);

    // "imp_strum": every check first, then supply, multimeter and switch unit, then the
    // verification. False when a check refused (nothing was sent) or an instrument failed.
    bool SetUpAndVerify();
    // "set_al", "set_mult", "set_usw": one instrument alone.
    bool SetUpSupply();
    bool SetUpMultimeter();
    bool SetUpSwitches();
    // "set_cali": the verification with the settings as they are.
    bool Verify();
    // "stop_ver": ends a running verification after its current point and switches the
    // supply's output off, leaving its voltage as it is.
    void StopVerification();
    bool running() const { return m_running; }
    // True while the running flag stands for a download rather than a verification.
    bool downloading() const { return m_downloading; }

Q_SIGNALS:
    void reportChanged();
    void statusChanged();
    void settingsChanged();
    void runningChanged(bool running);

private:
    struct Checked {
        VerificationRange range;
        QString volts;
        OutputRouting routing;
    };
    void append(const QString& line);
    void setStatus(const QString& text, FieldColour colour);
    void refuse(const QString& message);
    static QString withReasons(const QString& message, const QStringList& ports);
    bool checkRange(VerificationRange* out);
    bool checkSupply(QString* volts);
    bool checkOutput();
    bool checkRouting(OutputRouting* out);
    bool automatic() const { return settings.mode != VerificationSettings::Mode::Manual; }
    bool sendSupply(const QString& volts);
    bool sendMultimeter();
    bool sendSwitches(const OutputRouting& routing);
    bool run();
    bool runFailed(BenchStatus why);

    DeviceLink* m_link;
    BenchInstruments* m_instruments;
    Prompter* m_prompter;
    const CalibrationRun* m_calibration;
    QString m_meterUnit;
    QStringList m_portTrouble; // the ports that did not open for the running verification
    bool m_running = false;
    bool m_downloading = false;
    bool m_stopRequested = false;
};

} // namespace vantelso::bench
