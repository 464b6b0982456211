#pragma once

// A throwaway PostgreSQL cluster for the tests: initdb and pg_ctl in a temporary folder,
// listening only on a socket in that folder, trusting its one user; createdb makes each
// database. The server refuses to run as root, so under root (as in CI) it runs as "nobody".
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>
#include <pwd.h>
#include <unistd.h>

class LocalPostgres {
public:
    ~LocalPostgres() { stop(); }

    // Whether the server's programs are on this machine.
    static bool installed() { return !find("initdb").isEmpty() && !find("pg_ctl").isEmpty(); }
    // False with the reason when the server is not installed or will not start.
    bool start(QString* why) {
        if (!installed())
            return fail(why, "PostgreSQL server binaries (initdb, pg_ctl) not installed");
        if (!m_dir.isValid())
            return fail(why, "no temporary folder");
        const passwd* nobody = getpwnam("nobody");
        if (geteuid() == 0 &&
            (!nobody || chown(qPrintable(m_dir.path()), nobody->pw_uid, nobody->pw_gid) != 0))
            return fail(why, "cannot hand the cluster folder to nobody");
        const QString failed = run(
            find("initdb"), {"-D", data(), "-A", "trust", "-U", user(), "--no-sync", "-E", "UTF8"});
        return failed.isEmpty() ? startServer(why) : fail(why, "initdb failed: " + failed);
    }

    // Starts the server of the cluster made by start() (again, after stop()).
    bool startServer(QString* why) {
        const QString options = QString("-k %1 -c listen_addresses='' -F").arg(m_dir.path());
        const QString failed = run(find("pg_ctl"), {"-D", data(), "-l", m_dir.filePath("log"), "-w",
                                                    "-o", options, "start"});
        return failed.isEmpty() ? (m_running = true) : fail(why, "pg_ctl start failed: " + failed);
    }

    void stop() {
        if (m_running)
            run(find("pg_ctl"), {"-D", data(), "-m", "immediate", "-w", "stop"});
        m_running = false;
    }
    bool running() const { return m_running; }

    static QString user() { return QStringLiteral("vantelso"); }
    // A new empty database, as an address for --records.
    QString newDatabase() {
        const QString name = "r" + QUuid::createUuid().toString(QUuid::Id128).left(12);
        const QString failed = run(find("createdb"), {"-h", m_dir.path(), "-U", user(), name});
        if (!failed.isEmpty())
            qWarning("createdb: %s", qPrintable(failed));
        return QString("postgresql:///%1?host=%2&user=%3").arg(name, m_dir.path(), user());
    }

private:
    static bool fail(QString* why, const QString& reason) {
        *why = reason;
        return false;
    }
    QString data() const { return m_dir.filePath("data"); }
    static QString find(const QString& name) {
        QString path = QStandardPaths::findExecutable(name);
        const QDir versions("/usr/lib/postgresql");
        for (const QString& v : versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
            if (path.isEmpty() || path.startsWith(versions.path()))
                if (QFile::exists(versions.filePath(v + "/bin/" + name)))
                    path = versions.filePath(v + "/bin/" + name);
        return path;
    }
    // Empty when the program ran to a clean end, else what it printed.
    QString run(const QString& program, const QStringList& args) const {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setWorkingDirectory(m_dir.path());
        // Under root, as nobody: runuser -u nobody -- program args.
        const QStringList asNobody = QStringList{"-u", "nobody", "--", program} + args;
        p.start(geteuid() == 0 ? "runuser" : program, geteuid() == 0 ? asNobody : args);
        if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && !p.exitCode())
            return QString();
        return "(exit " + QString::number(p.exitCode()) + ") " +
               QString::fromLocal8Bit(p.readAll());
    }

    QTemporaryDir m_dir;
    bool m_running = false;
};
