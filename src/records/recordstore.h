#pragma once

#include "runrecord.h"

#include <QDateTime>
#include <QString>
#include <optional>

class QSqlDatabase;
class QSqlError;

namespace vantelso::records {

// Where the records live, as the operator names it: a PostgreSQL address
// ("postgresql://user@host:port/db", a local socket folder as "?host=/run/postgresql"), a
// SQLite file path, or nothing for the SQLite file in the user's data folder.
struct StoreLocation {
    bool postgres = false;
    QString sqlitePath;
    QString host, user, password, database;
    int port = -1;

    static std::optional<StoreLocation> parse(const QString& text, QString* error);
    // For messages: the file, or the address without its password.
    QString display() const;
};

// The user's data folder's "records.sqlite" (created on first use).
QString DefaultDatabasePath();
// Where a run goes when the database refuses it: "records-pending.jsonl" beside the default
// database, whatever the database is.
QString DefaultFallbackPath();
// The database to use: `explicitLocation` (--records) when given, else the "records/database"
// setting, else the default SQLite file.
QString ResolveLocation(const QString& explicitLocation);

// The production records on Qt SQL: units, runs and steps, the same statements on SQLite and
// PostgreSQL. Each run is written in one transaction, so a run is stored whole or not at
// all, whatever happens to the program or the connection half-way. One store is one
// connection, used from the thread that made it.
class RecordStore {
public:
    static constexpr int kLatestVersion = 2;

    explicit RecordStore(StoreLocation location);
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // How long a write waits for another bench holding the SQLite file (ms).
    void setBusyTimeout(int ms) { m_busyTimeoutMs = ms; }
    // Opens (creating the SQLite file and its folder) and brings the schema to `upTo`.
    bool open(QString* error, int upTo = kLatestVersion);
    bool isOpen() const;
    void close();
    const StoreLocation& location() const { return m_location; }
    int schemaVersion() const;

    enum class Written { Stored, AlreadyPresent, Failed };
    // The unit (created or its identity brought up to date), the run and its steps in one
    // transaction. Stored: run->id set. AlreadyPresent: a run with that uuid is stored.
    Written write(RunRecord* run, QString* error);

    struct Filter {
        QString unitId;   // exact; empty for every unit
        QDateTime since;  // runs started at or after; invalid for all
        qint64 runId = 0; // one run
        int limit = 0;    // newest first when limited; 0 for all
    };
    // Oldest first. nullopt with the reason on a database error.
    std::optional<QList<RunRecord>> runs(const Filter& filter, QString* error) const;

private:
    QSqlDatabase db() const;
    QString noteError(const QSqlError& e) const;
    bool prepareFile(QString* error);
    bool exec(const QString& sql, QString* error) const;
    bool begin(QString* error) const;
    void rollback() const;
    bool migrate(int upTo, QString* error);

    StoreLocation m_location;
    QString m_connection;
    int m_busyTimeoutMs = 15000;
    mutable bool m_lastBusy = false; // the last error was another process holding the file
};

// Runs that could not be written, one JSON object a line, for `records import`. Appends are
// one write each, so a program killed while appending leaves at most one cut last line,
// which import skips and counts.
bool AppendFallback(const QString& path, const RunRecord& run, QString* error);
struct ImportCount {
    int stored = 0;
    int alreadyPresent = 0;
    int unreadable = 0; // lines that are not a run
};
// Stops at the first database error (nothing lost: the file stays as it is).
std::optional<ImportCount> ImportFallback(RecordStore& store, const QString& path, QString* error);

} // namespace vantelso::records
