#pragma once

#include <QObject>
#include <QString>
#include <array>

namespace vantelso {
class DeviceLink;
}

namespace vantelso::bench {

class BenchInstruments;

struct SweepOutcome {
    bool error = false;
    QString message; // why the sweep could not go on
    int lines = 0;   // data lines logged (the header not counted)
};

// The bench's two linearity aids, which log to "linear.dat" until STOP:
//  - "lett mult" steps the device's channel-A output through the DAC counts 801..4040 (then
//    800 and round again) and logs each count with meter 0's reading in volts;
//  - "2 ch compl." raises the calibrator by one unit a step and logs the input, both
//    channels' device input and output, and both meters' readings in volts.
// Each line is flushed as it is written, so a log cut short keeps every line taken. The
// sweeps have no end of their own: StopRequested (the window's STOP) ends them after the
// current line, and so does any failure of the device, an instrument or the file.
class LinearitySweep : public QObject {
    Q_OBJECT
public:
    LinearitySweep(DeviceLink* link, BenchInstruments* instruments, QObject* parent = nullptr);

    static QString FileName() { return QStringLiteral("linear.dat"); }

    // Folder of "linear.dat": the working folder unless chosen.
    QString folder = QStringLiteral(".");
    // Meter 0's port for "lett mult"; meters 0 and 1 for "2 ch compl.".
    int meterSweepPort = 8;
    std::array<int, 2> twoChannelPorts{1, 2};
    bool StopRequested = false;

    QString filePath() const;
    bool running() const { return m_running; }

    SweepOutcome MeterSweep();      // "lett mult"
    SweepOutcome TwoChannelSweep(); // "2 ch compl."

Q_SIGNALS:
    void lineLogged(const QString& line);
    void runningChanged(bool running);

private:
    class Log;
    SweepOutcome run(bool twoChannel);
    bool meterSweep(Log& log, QString* message, int* lines);
    bool twoChannelSweep(Log& log, QString* message, int* lines);

    DeviceLink* m_link;
    BenchInstruments* m_instruments;
    bool m_running = false;
};

// A reading as the log shows it: at least two integer digits and three decimals ("05.012",
// "-00.250").
QString SweepNumber(double v);

} // namespace vantelso::bench
