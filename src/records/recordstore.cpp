#include "recordstore.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>

namespace vantelso::records {

namespace {

QString sqlError(const QSqlError& e) {
    const QString text = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    return text.trimmed().isEmpty() ? QStringLiteral("unknown database error") : text.trimmed();
}

// The schema, one list of statements per version; a database is brought from its version to
// the latest by running the lists after it, each version in the same transaction as the
// version number it sets. Only the id and byte-string column types differ between the two
// databases.
QStringList migration(int version, bool postgres) {
    const QString id =
        postgres ? QStringLiteral("BIGSERIAL PRIMARY KEY") : QStringLiteral("INTEGER PRIMARY KEY");
    const QString ref = postgres ? QStringLiteral("BIGINT") : QStringLiteral("INTEGER");
    const QString blob = postgres ? QStringLiteral("BYTEA") : QStringLiteral("BLOB");
    switch (version) {
    case 1:
        return {
            QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
            QStringLiteral("INSERT INTO schema_version (version) VALUES (0)"),
            QStringLiteral("CREATE TABLE units (unit_id TEXT PRIMARY KEY, model TEXT NOT NULL, "
                           "device_code INTEGER, model_byte INTEGER, id_byte3 INTEGER, "
                           "id_byte4 INTEGER, first_seen TEXT NOT NULL, last_seen TEXT NOT NULL)"),
            QStringLiteral("CREATE TABLE runs (id %1, uuid TEXT NOT NULL UNIQUE, "
                           "unit_id TEXT NOT NULL REFERENCES units (unit_id), "
                           "kind INTEGER NOT NULL, started TEXT NOT NULL, finished TEXT NOT NULL, "
                           "bench_host TEXT NOT NULL, operator TEXT NOT NULL, "
                           "instruments TEXT NOT NULL, outcome INTEGER NOT NULL, "
                           "message TEXT NOT NULL)")
                .arg(id),
            QStringLiteral("CREATE TABLE steps (run_id %1 NOT NULL REFERENCES runs (id) "
                           "ON DELETE CASCADE, seq INTEGER NOT NULL, range_name TEXT NOT NULL, "
                           "k TEXT NOT NULL, zero_reading TEXT NOT NULL, "
                           "half_reading TEXT NOT NULL, span_reading TEXT NOT NULL, "
                           "passed INTEGER NOT NULL, address INTEGER, bytes %2, "
                           "note TEXT NOT NULL, PRIMARY KEY (run_id, seq))")
                .arg(ref, blob),
        };
    case 2:
        // The questions asked of the records: one unit's history, and everything since a day.
        return {QStringLiteral("CREATE INDEX runs_by_unit ON runs (unit_id, started)"),
                QStringLiteral("CREATE INDEX runs_by_start ON runs (started)")};
    default:
        return {};
    }
}

// Texts are never NULL in the records: a null QString would bind as NULL.
QVariant text(const QString& s) {
    return s.isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(s);
}

QString settingsLocation() {
    const QSettings settings(QStringLiteral("vantelso"), QStringLiteral("vantelso"));
    return settings.value(QStringLiteral("records/database")).toString();
}

QString dataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/vantelso");
}

} // namespace

std::optional<StoreLocation> StoreLocation::parse(const QString& text, QString* error) {
    StoreLocation l;
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        l.sqlitePath = DefaultDatabasePath();
        return l;
    }
    const bool pg =
        t.startsWith(QLatin1String("postgresql://")) || t.startsWith(QLatin1String("postgres://"));
    if (!pg) {
        if (t.contains(QLatin1String("://"))) {
            if (error)
                *error =
                    QStringLiteral("\"%1\" is neither a postgresql:// address nor a file").arg(t);
            return std::nullopt;
        }
        l.sqlitePath = t;
        return l;
    }
    const QUrl url(t);
    if (!url.isValid()) {
        if (error)
            *error = QStringLiteral("\"%1\" is not a valid address: %2").arg(t, url.errorString());
        return std::nullopt;
    }
    l.postgres = true;
    const QUrlQuery query(url);
    l.host = query.hasQueryItem(QStringLiteral("host"))
                 ? query.queryItemValue(QStringLiteral("host"))
                 : url.host();
    l.user = query.hasQueryItem(QStringLiteral("user"))
                 ? query.queryItemValue(QStringLiteral("user"))
                 : url.userName();
    l.password = url.password();
    l.port = url.port(-1);
    if (query.hasQueryItem(QStringLiteral("port")))
        l.port = query.queryItemValue(QStringLiteral("port")).toInt();
    l.database = url.path().mid(1);
    if (l.database.isEmpty()) {
        if (error)
            *error = QStringLiteral("\"%1\" names no database (postgresql://host/DATABASE)").arg(t);
        return std::nullopt;
    }
    return l;
}

QString StoreLocation::display() const {
    if (!postgres)
        return QDir::toNativeSeparators(sqlitePath);
    QString s = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        s += user + QLatin1Char('@');
    if (!host.startsWith(QLatin1Char('/')))
        s += host;
    if (port > 0)
        s += QLatin1Char(':') + QString::number(port);
    s += QLatin1Char('/') + database;
    if (host.startsWith(QLatin1Char('/')))
        s += QStringLiteral("?host=") + host;
    return s;
}

QString DefaultDatabasePath() {
    return dataFolder() + QStringLiteral("/records.sqlite");
}

QString DefaultFallbackPath() {
    return dataFolder() + QStringLiteral("/records-pending.jsonl");
}

QString ResolveLocation(const QString& explicitLocation) {
    return explicitLocation.isEmpty() ? settingsLocation() : explicitLocation;
}

RecordStore::RecordStore(StoreLocation location)
    : m_location(std::move(location)),
      m_connection(QStringLiteral("records-") +
                   QUuid::createUuid().toString(QUuid::WithoutBraces)) {}

RecordStore::~RecordStore() {
    close();
}

QSqlDatabase RecordStore::db() const {
    return QSqlDatabase::database(m_connection, false);
}

bool RecordStore::isOpen() const {
    return QSqlDatabase::contains(m_connection) && db().isOpen();
}

void RecordStore::close() {
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase d = db();
        d.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

QString RecordStore::noteError(const QSqlError& e) const {
    // SQLITE_BUSY and SQLITE_LOCKED: another process holds the file for now.
    m_lastBusy = !m_location.postgres && (e.nativeErrorCode() == QLatin1String("5") ||
                                          e.nativeErrorCode() == QLatin1String("6"));
    return sqlError(e);
}

bool RecordStore::exec(const QString& sql, QString* error) const {
    QSqlQuery q(db());
    if (q.exec(sql))
        return true;
    if (error)
        *error = noteError(q.lastError());
    return false;
}

// SQLite takes the write lock at once, so two benches never both read a version and then
// both try to write; PostgreSQL's row locks and unique keys do the same for runs.
bool RecordStore::begin(QString* error) const {
    return exec(m_location.postgres ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"),
                error);
}

void RecordStore::rollback() const {
    exec(QStringLiteral("ROLLBACK"), nullptr);
}

bool RecordStore::open(QString* error, int upTo) {
    close();
    const QString driver =
        m_location.postgres ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
    if (!QSqlDatabase::isDriverAvailable(driver)) {
        if (error)
            *error = QStringLiteral("the Qt %1 driver is not installed (Debian: %2)")
                         .arg(driver, m_location.postgres ? QStringLiteral("libqt6sql6-psql")
                                                          : QStringLiteral("libqt6sql6-sqlite"));
        return false;
    }
    if (!m_location.postgres) {
        const QFileInfo file(m_location.sqlitePath);
        if (!QDir().mkpath(file.absolutePath())) {
            if (error)
                *error = QStringLiteral("cannot create the folder %1")
                             .arg(QDir::toNativeSeparators(file.absolutePath()));
            return false;
        }
    }
    bool opened = false;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(driver, m_connection);
        if (m_location.postgres) {
            d.setHostName(m_location.host);
            d.setDatabaseName(m_location.database);
            d.setUserName(m_location.user);
            d.setPassword(m_location.password);
            if (m_location.port > 0)
                d.setPort(m_location.port);
            d.setConnectOptions(QStringLiteral("connect_timeout=10"));
        } else {
            d.setDatabaseName(m_location.sqlitePath);
            d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_busyTimeoutMs));
        }
        opened = d.open();
        if (!opened && error)
            *error = noteError(d.lastError());
    }
    if (!opened) {
        close();
        return false;
    }
    QString why;
    bool ok = true;
    // Two benches opening a new file at once: the one that loses the race to switch it to
    // the write-ahead log is told "busy" at once rather than after waiting, so the first
    // steps are tried again, events pumped in between, for as long as a write would wait.
    QDeadlineTimer deadline(m_busyTimeoutMs);
    for (;;) {
        why.clear();
        m_lastBusy = false;
        ok = prepareFile(&why) && migrate(upTo, &why);
        if (ok || !m_lastBusy || deadline.hasExpired())
            break;
        QEventLoop pause;
        QTimer::singleShot(20, &pause, &QEventLoop::quit);
        pause.exec();
    }
    if (!ok) {
        if (error)
            *error = why;
        close();
    }
    return ok;
}

bool RecordStore::prepareFile(QString* error) {
    if (m_location.postgres)
        return true;
    // Write-ahead log: readers (the Registro window) never block a bench that writes.
    QSqlQuery q(db());
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !q.next()) {
        if (error)
            *error = noteError(q.lastError());
        return false;
    }
    if (q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
        qWarning("records: SQLite kept journal mode %s", qPrintable(q.value(0).toString()));
    return exec(QStringLiteral("PRAGMA foreign_keys=ON"), error);
}

int RecordStore::schemaVersion() const {
    QSqlQuery q(db());
    if (!q.exec(QStringLiteral("SELECT version FROM schema_version")) || !q.next())
        return 0;
    return q.value(0).toInt();
}

bool RecordStore::migrate(int upTo, QString* error) {
    if (!begin(error))
        return false;
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        rollback();
        return false;
    };
    QSqlQuery q(db());
    if (m_location.postgres &&
        !q.exec(QStringLiteral("SELECT pg_advisory_xact_lock(7260725)"))) // one migrating bench
        return fail(noteError(q.lastError()));
    const QString exists =
        m_location.postgres
            ? QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE table_name = "
                             "'schema_version' AND table_schema = current_schema()")
            : QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                             "name = 'schema_version'");
    if (!q.exec(exists) || !q.next())
        return fail(noteError(q.lastError()));
    int version = q.value(0).toInt() > 0 ? -1 : 0;
    if (version < 0) {
        if (!q.exec(QStringLiteral("SELECT version FROM schema_version")) || !q.next())
            return fail(noteError(q.lastError()));
        version = q.value(0).toInt();
    }
    if (version > kLatestVersion)
        return fail(QStringLiteral("the records are at schema version %1, newer than this "
                                   "program's %2: update the program")
                        .arg(version)
                        .arg(kLatestVersion));
    for (int v = version + 1; v <= upTo; ++v) {
        for (const QString& sql : migration(v, m_location.postgres)) {
            QString why;
            if (!exec(sql, &why))
                return fail(QStringLiteral("schema version %1: %2").arg(v).arg(why));
        }
        QString why;
        if (!exec(QStringLiteral("UPDATE schema_version SET version = %1").arg(v), &why))
            return fail(why);
    }
    return exec(QStringLiteral("COMMIT"), error) || fail(error ? *error : QString());
}

RecordStore::Written RecordStore::write(RunRecord* run, QString* error) {
    if (!isOpen()) {
        if (error)
            *error = QStringLiteral("the records are not open");
        return Written::Failed;
    }
    if (run->uuid.isEmpty())
        run->uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!begin(error))
        return Written::Failed;
    QSqlQuery q(db());
    auto fail = [&] {
        if (error)
            *error = noteError(q.lastError());
        q.finish();
        rollback();
        return Written::Failed;
    };
    auto orNull = [](int v) { return v >= 0 ? QVariant(v) : QVariant(QMetaType(QMetaType::Int)); };
    const UnitInfo& u = run->unit;
    const QString seen = TimeText(run->started.isValid() ? run->started : run->finished);
    // A run that did not identify the unit (or did not know its model) keeps what an earlier
    // run learnt.
    q.prepare(QStringLiteral(
        "INSERT INTO units (unit_id, model, device_code, model_byte, id_byte3, id_byte4, "
        "first_seen, last_seen) VALUES (?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (unit_id) DO UPDATE "
        "SET model = CASE WHEN excluded.model <> '' THEN excluded.model ELSE units.model END, "
        "device_code = COALESCE(excluded.device_code, units.device_code), "
        "model_byte = COALESCE(excluded.model_byte, units.model_byte), "
        "id_byte3 = COALESCE(excluded.id_byte3, units.id_byte3), "
        "id_byte4 = COALESCE(excluded.id_byte4, units.id_byte4), "
        "last_seen = CASE WHEN excluded.last_seen > units.last_seen THEN excluded.last_seen "
        "ELSE units.last_seen END"));
    for (const QVariant& v :
         {text(u.unitId), text(u.model), orNull(u.deviceCode), orNull(u.modelByte),
          orNull(u.idByte3), orNull(u.idByte4), text(seen), text(seen)})
        q.addBindValue(v);
    if (!q.exec())
        return fail();
    q.prepare(QStringLiteral(
        "INSERT INTO runs (uuid, unit_id, kind, started, finished, bench_host, operator, "
        "instruments, outcome, message) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
        "ON CONFLICT (uuid) DO NOTHING RETURNING id"));
    for (const QVariant& v :
         {text(run->uuid), text(u.unitId), QVariant(int(run->kind)), text(TimeText(run->started)),
          text(TimeText(run->finished)), text(run->benchHost), text(run->operatorName),
          text(run->instruments), QVariant(int(run->outcome)), text(run->message)})
        q.addBindValue(v);
    if (!q.exec())
        return fail();
    if (!q.next()) {
        q.finish();
        rollback();
        return Written::AlreadyPresent;
    }
    const qint64 id = q.value(0).toLongLong();
    q.finish();
    q.prepare(QStringLiteral(
        "INSERT INTO steps (run_id, seq, range_name, k, zero_reading, half_reading, span_reading, "
        "passed, address, bytes, note) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    int seq = 0;
    for (const StepRecord& s : run->steps) {
        for (const QVariant& v :
             {QVariant(id), QVariant(seq++), text(s.range), text(s.k), text(s.zero), text(s.half),
              text(s.span), QVariant(s.passed ? 1 : 0), orNull(s.address),
              s.bytes.isEmpty() ? QVariant(QMetaType(QMetaType::QByteArray)) : QVariant(s.bytes),
              text(s.note)})
            q.addBindValue(v);
        if (!q.exec())
            return fail();
    }
    if (!exec(QStringLiteral("COMMIT"), error)) {
        rollback();
        return Written::Failed;
    }
    run->id = id;
    return Written::Stored;
}

std::optional<QList<RunRecord>> RecordStore::runs(const Filter& filter, QString* error) const {
    if (!isOpen()) {
        if (error)
            *error = QStringLiteral("the records are not open");
        return std::nullopt;
    }
    QString sql = QStringLiteral(
        "SELECT r.id, r.uuid, r.unit_id, u.model, u.device_code, u.model_byte, u.id_byte3, "
        "u.id_byte4, r.kind, r.started, r.finished, r.bench_host, r.operator, r.instruments, "
        "r.outcome, r.message FROM runs r JOIN units u ON u.unit_id = r.unit_id WHERE 1 = 1");
    QVariantList binds;
    if (!filter.unitId.isEmpty()) {
        sql += QStringLiteral(" AND r.unit_id = ?");
        binds << filter.unitId;
    }
    if (filter.since.isValid()) {
        sql += QStringLiteral(" AND r.started >= ?");
        binds << TimeText(filter.since);
    }
    if (filter.runId > 0) {
        sql += QStringLiteral(" AND r.id = ?");
        binds << filter.runId;
    }
    sql += QStringLiteral(" ORDER BY r.started DESC, r.id DESC");
    if (filter.limit > 0)
        sql += QStringLiteral(" LIMIT %1").arg(filter.limit);
    QSqlQuery q(db());
    q.setForwardOnly(true);
    q.prepare(sql);
    for (const QVariant& v : binds)
        q.addBindValue(v);
    if (!q.exec()) {
        if (error)
            *error = noteError(q.lastError());
        return std::nullopt;
    }
    auto intOr = [](const QVariant& v) { return v.isNull() ? -1 : v.toInt(); };
    QList<RunRecord> out;
    while (q.next()) {
        RunRecord r;
        r.id = q.value(0).toLongLong();
        r.uuid = q.value(1).toString();
        r.unit.unitId = q.value(2).toString();
        r.unit.model = q.value(3).toString();
        r.unit.deviceCode = intOr(q.value(4));
        r.unit.modelByte = intOr(q.value(5));
        r.unit.idByte3 = intOr(q.value(6));
        r.unit.idByte4 = intOr(q.value(7));
        r.kind = RunKind(q.value(8).toInt());
        r.started = TimeFromText(q.value(9).toString());
        r.finished = TimeFromText(q.value(10).toString());
        r.benchHost = q.value(11).toString();
        r.operatorName = q.value(12).toString();
        r.instruments = q.value(13).toString();
        r.outcome = Outcome(q.value(14).toInt());
        r.message = q.value(15).toString();
        out.prepend(r);
    }
    QSqlQuery s(db());
    s.setForwardOnly(true);
    s.prepare(QStringLiteral("SELECT range_name, k, zero_reading, half_reading, span_reading, "
                             "passed, address, bytes, note FROM steps WHERE run_id = ? "
                             "ORDER BY seq"));
    for (RunRecord& r : out) {
        s.addBindValue(r.id);
        if (!s.exec()) {
            if (error)
                *error = noteError(s.lastError());
            return std::nullopt;
        }
        while (s.next()) {
            StepRecord step;
            step.range = s.value(0).toString();
            step.k = s.value(1).toString();
            step.zero = s.value(2).toString();
            step.half = s.value(3).toString();
            step.span = s.value(4).toString();
            step.passed = s.value(5).toInt() != 0;
            step.address = intOr(s.value(6));
            step.bytes = s.value(7).toByteArray();
            step.note = s.value(8).toString();
            r.steps << step;
        }
    }
    return out;
}

bool AppendFallback(const QString& path, const RunRecord& run, QString* error) {
    const QFileInfo info(path);
    QFile file(path);
    const QByteArray line = QJsonDocument(RunToJson(run)).toJson(QJsonDocument::Compact) + '\n';
    if (!QDir().mkpath(info.absolutePath()) ||
        !file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error)
            *error = file.errorString().isEmpty() ? QStringLiteral("cannot create its folder")
                                                  : file.errorString();
        return false;
    }
    // A line cut by an earlier kill must not swallow this one.
    if (file.size() > 0) {
        QFile tail(path);
        if (tail.open(QIODevice::ReadOnly) && tail.seek(file.size() - 1) && tail.read(1) != "\n")
            file.write("\n");
    }
    const bool ok = file.write(line) == line.size() && file.flush();
    if (!ok && error)
        *error = file.errorString();
    file.close();
    return ok && file.error() == QFileDevice::NoError;
}

std::optional<ImportCount> ImportFallback(RecordStore& store, const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    ImportCount count;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty())
            continue;
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        std::optional<RunRecord> run = doc.isObject() ? RunFromJson(doc.object()) : std::nullopt;
        if (!run) {
            ++count.unreadable;
            continue;
        }
        run->id = 0;
        switch (store.write(&*run, error)) {
        case RecordStore::Written::Stored:
            ++count.stored;
            break;
        case RecordStore::Written::AlreadyPresent:
            ++count.alreadyPresent;
            break;
        case RecordStore::Written::Failed:
            return std::nullopt;
        }
    }
    return count;
}

} // namespace vantelso::records
