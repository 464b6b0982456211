#pragma once

#include "recordstore.h"
#include "runrecord.h"

#include <memory>

namespace vantelso {
class Prompter;
class Texts;
} // namespace vantelso

namespace vantelso::records {

// Where the bench's runs go: the records database, or, when it cannot be opened or refuses
// a run, the local fallback file, with the operator told which and why. A run is never
// dropped without the operator being told. The database is opened on the first run and
// again after a failure, so a server that comes back is used again.
class Recorder {
public:
    struct Config {
        QString location;     // as for StoreLocation::parse; empty for the default file
        QString fallbackPath; // empty: DefaultFallbackPath()
        int busyTimeoutMs = 15000;
    };
    // `prompter` (may be null) is told of every run not stored in the database, in the
    // language of `texts`.
    Recorder(Config config, Prompter* prompter, const Texts& texts);
    ~Recorder();

    enum class Where { Database, Fallback, Nowhere };
    struct Result {
        Where where = Where::Nowhere;
        qint64 runId = 0;
        QString unitId;
        QString message; // what the operator was told; empty when stored
    };
    // Fills what the run leaves empty (uuid, bench host, unit id, times) and stores it.
    Result record(RunRecord run);

    QString locationText() const;
    QString fallbackPath() const { return m_fallback; }
    // The store, opened when needed; null (with `error`) when it cannot be opened.
    RecordStore* store(QString* error);

private:
    Result fallback(const RunRecord& run, int messageId, const QString& why);

    Config m_config;
    QString m_fallback;
    Prompter* m_prompter;
    const Texts& m_texts;
    std::unique_ptr<RecordStore> m_store;
};

} // namespace vantelso::records
