#pragma once

#include "cliprompter.h"
#include "devicelink.h"

#include <QCommandLineParser>
#include <QTextStream>
#include <memory>

namespace vantelso {

namespace sim {
class SimDevice;
}

// What scripts can tell apart. ExitFile: a configuration file that cannot be read (missing,
// unreadable, not a configuration file) or written.
enum ExitCode { ExitDone = 0, ExitCommFailure = 1, ExitUsage = 2, ExitRefused = 3, ExitFile = 4 };

// What every device command of the tool shares: the parsed options, the link and the
// transport it talks through (a serial port, or a simulated device with --demo).
class CliContext {
public:
    CliContext(const QCommandLineParser& parser, bool assumeYes);
    ~CliContext();

    // Opens -p PORT or the --demo device; on failure prints why and returns an exit code.
    int connect();
    // Identifies the device; prints the error and returns an exit code on failure, else 0.
    int identify();

    const QCommandLineParser& parser;
    CliPrompter prompter;
    DeviceLink link;
    QString model; // model identifier once identified
    QTextStream out;

    void error(const QString& text) const;
    // Reads an integer option within [lo, hi]; reports a usage error otherwise.
    bool intOption(const QString& name, int fallback, int lo, int hi, int* value) const;

private:
    std::unique_ptr<Transport> m_transport;
    std::unique_ptr<sim::SimDevice> m_demo;
};

int RunPorts(CliContext& ctx);
int RunIdentify(CliContext& ctx);
int RunDump(CliContext& ctx);
int RunRead(CliContext& ctx);
int RunSave(CliContext& ctx);
int RunLoad(CliContext& ctx);
int RunShow(CliContext& ctx);
int RunDiff(CliContext& ctx);
int RunMonitor(CliContext& ctx);
int RunSim(const QCommandLineParser& parser);
int RunSwitches(CliContext& ctx);
int RunReport(CliContext& ctx);
// Whether a file can be written at path; says why not (nothing was read from the device).
bool WritablePath(CliContext& ctx, const QString& path);
// --switches S0,S1,S2 for a simulated device; false (message printed) on a bad value.
bool ApplySwitchesOption(const QCommandLineParser& parser, sim::SimDevice* device);

} // namespace vantelso
