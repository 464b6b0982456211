#pragma once

// A throwaway PostgreSQL cluster for the tests: initdb and pg_ctl in a temporary folder,
// listening only on a socket in that folder, trusting its one user. The server refuses to
// run as root, so under root (as in CI) it runs as "nobody".
#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>
#include <pwd.h>
#include <unistd.h>

class LocalPostgres {
public:
    ~LocalPostgres() { stop(); }

    // Whether the server's programs are on this machine.
    static bool installed() {
        return !find(QStringLiteral("initdb")).isEmpty() &&
               !find(QStringLiteral("pg_ctl")).isEmpty();
    }
    // False with the reason when the server is not installed or will not start.
    bool start(QString* why) {
        const QString initdb = find(QStringLiteral("initdb"));
        m_pgCtl = find(QStringLiteral("pg_ctl"));
        if (initdb.isEmpty() || m_pgCtl.isEmpty()) {
            *why = QStringLiteral("PostgreSQL server binaries (initdb, pg_ctl) not installed");
            return false;
        }
        if (!m_dir.isValid()) {
            *why = QStringLiteral("no temporary folder");
            return false;
        }
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            if (!nobody || chown(qPrintable(m_dir.path()), nobody->pw_uid, nobody->pw_gid) != 0) {
                *why = QStringLiteral("cannot hand the cluster folder to nobody");
                return false;
            }
            m_asNobody = true;
        }
        QString out;
        if (!run(initdb,
                 {QStringLiteral("-D"), data(), QStringLiteral("-A"), QStringLiteral("trust"),
                  QStringLiteral("-U"), user(), QStringLiteral("--no-sync"), QStringLiteral("-E"),
                  QStringLiteral("UTF8")},
                 &out)) {
            *why = QStringLiteral("initdb failed: ") + out;
            return false;
        }
        return startServer(why);
    }

    // Starts the server of the cluster made by start() (again, after stop()).
    bool startServer(QString* why) {
        QString out;
        if (!run(m_pgCtl,
                 {QStringLiteral("-D"), data(), QStringLiteral("-l"),
                  m_dir.filePath(QStringLiteral("log")), QStringLiteral("-w"), QStringLiteral("-o"),
                  QStringLiteral("-k %1 -c listen_addresses='' -F").arg(m_dir.path()),
                  QStringLiteral("start")},
                 &out)) {
            *why = QStringLiteral("pg_ctl start failed: ") + out;
            return false;
        }
        m_running = true;
        return true;
    }

    void stop() {
        if (!m_running)
            return;
        QString out;
        run(m_pgCtl,
            {QStringLiteral("-D"), data(), QStringLiteral("-m"), QStringLiteral("immediate"),
             QStringLiteral("-w"), QStringLiteral("stop")},
            &out);
        m_running = false;
    }
    bool running() const { return m_running; }

    static QString user() { return QStringLiteral("vantelso"); }
    QString socketFolder() const { return m_dir.path(); }
    // A new empty database, as an address for --records.
    QString newDatabase() {
        const QString name =
            QStringLiteral("r") + QUuid::createUuid().toString(QUuid::Id128).left(12);
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
            db.setHostName(m_dir.path());
            db.setUserName(user());
            db.setDatabaseName(QStringLiteral("postgres"));
            if (db.open())
                QSqlQuery(db).exec(QStringLiteral("CREATE DATABASE ") + name);
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("admin"));
        return QStringLiteral("postgresql:///%1?host=%2&user=%3").arg(name, m_dir.path(), user());
    }

private:
    QString data() const { return m_dir.filePath(QStringLiteral("data")); }
    static QString find(const QString& name) {
        QString path = QStandardPaths::findExecutable(name);
        if (path.isEmpty()) {
            const QStringList versions =
                QDir(QStringLiteral("/usr/lib/postgresql"))
                    .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
            for (const QString& v : versions) {
                const QString p = QStringLiteral("/usr/lib/postgresql/%1/bin/%2").arg(v, name);
                if (QFile::exists(p))
                    path = p;
            }
        }
        return path;
    }
    bool run(const QString& program, const QStringList& args, QString* out) const {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setWorkingDirectory(m_dir.path());
        if (m_asNobody)
            p.start(QStringLiteral("runuser"),
                    QStringList{QStringLiteral("-u"), QStringLiteral("nobody"),
                                QStringLiteral("--"), program} +
                        args);
        else
            p.start(program, args);
        const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit &&
                        p.exitCode() == 0;
        *out = QString::fromLocal8Bit(p.readAll()).trimmed();
        return ok;
    }

    QTemporaryDir m_dir;
    QString m_pgCtl;
    bool m_asNobody = false;
    bool m_running = false;
};
