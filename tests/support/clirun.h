#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The command-line tool run as a child process, as a user or a script would run it. The test
// target defines VANTELSO_CLI as the tool's path.

struct CliRun {
    int exitCode = -1; // -1: crashed or still running at the deadline
    QString out;
    QString err;

    // Standard output as lines, without the empty one after the last newline.
    QStringList lines() const {
        QStringList l = out.split(QLatin1Char('\n'));
        if (!l.isEmpty() && l.last().isEmpty())
            l.removeLast();
        return l;
    }
};

// The children's data folder (production records and their fallback file): one scratch
// folder per test program, never the user's own.
inline QProcessEnvironment cliEnvironment() {
    static QTemporaryDir data;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    return env;
}

// Any program run to its end (or killed at the deadline), with its output.
inline CliRun runProgram(const QString& program, const QStringList& args,
                         const QProcessEnvironment& env, const QString& workDir = {},
                         int deadlineMs = 90000) {
    QProcess p;
    p.setProcessEnvironment(env);
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(program, args);
    CliRun r;
    if (!p.waitForFinished(deadlineMs)) {
        p.kill();
        p.waitForFinished(2000);
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

inline CliRun cli(const QStringList& args, int deadlineMs = 90000) {
    return runProgram(QStringLiteral(VANTELSO_CLI), args, cliEnvironment(), {}, deadlineMs);
}

// A simulated device served on a pseudo-terminal by "vantelso-cli sim" for as long as the
// object lives; `port` is empty when the simulator did not start.
struct CliSim {
    explicit CliSim(const QString& model, const QStringList& extra = {}) {
        process.setProcessEnvironment(cliEnvironment());
        process.start(QStringLiteral(VANTELSO_CLI),
                      QStringList{QStringLiteral("sim"), model} + extra);
        if (process.waitForStarted(5000) && process.waitForReadyRead(5000))
            port = QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    ~CliSim() {
        process.kill();
        process.waitForFinished(2000);
    }
    CliSim(const CliSim&) = delete;
    CliSim& operator=(const CliSim&) = delete;
    QProcess process;
    QString port;
};
