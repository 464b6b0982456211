#include "recorder.h"

#include "owntexts.h"
#include "prompter.h"
#include "texts.h"

#include <QDir>
#include <QSysInfo>
#include <QUuid>

namespace vantelso::records {

Recorder::Recorder(Config config, Prompter* prompter, const Texts& texts)
    : m_config(std::move(config)),
      m_fallback(m_config.fallbackPath.isEmpty() ? DefaultFallbackPath() : m_config.fallbackPath),
      m_prompter(prompter), m_texts(texts) {}

Recorder::~Recorder() = default;

QString Recorder::locationText() const {
    QString why;
    const auto l = StoreLocation::parse(m_config.location, &why);
    return l ? l->display() : m_config.location;
}

RecordStore* Recorder::store(QString* error) {
    if (m_store && m_store->isOpen())
        return m_store.get();
    const auto location = StoreLocation::parse(m_config.location, error);
    if (!location)
        return nullptr;
    m_store = std::make_unique<RecordStore>(*location);
    m_store->setBusyTimeout(m_config.busyTimeoutMs);
    if (!m_store->open(error)) {
        m_store.reset();
        return nullptr;
    }
    return m_store.get();
}

Recorder::Result Recorder::record(RunRecord run) {
    if (run.uuid.isEmpty())
        run.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    run.unit.unitId = CleanUnitId(run.unit.unitId);
    if (run.unit.unitId.isEmpty())
        run.unit.unitId = GenerateUnitId();
    if (run.benchHost.isEmpty())
        run.benchHost = QSysInfo::machineHostName();
    if (!run.finished.isValid())
        run.finished = QDateTime::currentDateTimeUtc();
    if (!run.started.isValid())
        run.started = run.finished;

    QString why;
    RecordStore* s = store(&why);
    if (!s)
        return fallback(run, own::RecordsCannotOpen, why);
    // A connection left idle may have been dropped by the server since the last run: one
    // fresh connection is tried before giving up. The uuid keeps a run whose first write did
    // commit from being stored twice.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (attempt > 0) {
            m_store.reset();
            QString reopen;
            if (!(s = store(&reopen)))
                break;
        }
        switch (s->write(&run, &why)) {
        case RecordStore::Written::Stored:
        case RecordStore::Written::AlreadyPresent:
            return Result{Where::Database, run.id, run.unit.unitId, {}};
        case RecordStore::Written::Failed:
            break;
        }
    }
    // Reconnect at the next run: a server that went away may be back by then.
    m_store.reset();
    return fallback(run, own::RecordsCannotWrite, why);
}

Recorder::Result Recorder::fallback(const RunRecord& run, int messageId, const QString& why) {
    Result r;
    r.unitId = run.unit.unitId;
    const QString where = QDir::toNativeSeparators(m_fallback);
    QString fileWhy;
    if (AppendFallback(m_fallback, run, &fileWhy)) {
        r.where = Where::Fallback;
        r.message = m_texts.lang(messageId).arg(locationText(), why, where);
    } else {
        r.where = Where::Nowhere;
        r.message = m_texts.lang(own::RecordsLost)
                        .arg(run.unit.unitId, locationText(), why, where, fileWhy);
    }
    if (m_prompter) {
        m_prompter->ask(r.message, Prompter::Buttons::Ok,
                        r.where == Where::Nowhere ? Prompter::Icon::Critical
                                                  : Prompter::Icon::Warning);
    }
    return r;
}

} // namespace vantelso::records
