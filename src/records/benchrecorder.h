#pragma once

#include "recorder.h"
#include "runrecord.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

namespace vantelso {
class DeviceLink;
}
namespace vantelso::bench {
class BenchInstruments;
class CalibrationRun;
class EepromTool;
class ProductionTest;
class VerificationStation;
struct EepromOutcome;
struct RunOutcome;
} // namespace vantelso::bench

namespace vantelso::records {

// The runs of one calibration as the bench left them: a step per range that ran, with the
// constant as shown and the address it was written at; the outcome from `outcome` when the
// caller has it, else from the status field (red: the error ending) and STOP.
RunRecord CalibrationRecord(const bench::CalibrationRun& run, const bench::RunOutcome* outcome);
// "supply=Com4; meter=Com3; switches=Com5; calibrator=Com6".
QString InstrumentsText(const bench::BenchInstruments& instruments);

// Records what the bench objects do, from the outside: it follows their signals and reads
// their results when a run ends, so the bench code needs no change. The unit id is what the
// window's field holds (setUnitId); when it is empty one is generated, reported through
// unitIdGenerated so the window shows it, and used until the field changes.
class BenchRecorder : public QObject {
    Q_OBJECT
public:
    BenchRecorder(Recorder& recorder, const DeviceLink* link, QObject* parent = nullptr);

    QString unitId() const { return m_unitId; }
    void setUnitId(const QString& typed);
    void setOperatorName(const QString& name) { m_operator = name; }
    void setInstruments(const bench::BenchInstruments* instruments) { m_instruments = instruments; }

    // A calibration run is recorded when its running flag drops.
    void watch(bench::CalibrationRun* run);
    // Downloads (counted or failed) and verifications. `configuration` gives the ".VNT"
    // bytes of what was downloaded (may be empty).
    void watch(bench::VerificationStation* station, std::function<QByteArray()> configuration);
    // The stability and linearity tests, with the readings they logged out of tolerance.
    void watch(bench::ProductionTest* test);
    // The EEPROM tool has no signal for a finished write: its window calls this in place of
    // tool.writeDevice(). Writes that sent nothing (no image, bad input) are not recorded.
    bench::EepromOutcome writeEeprom(bench::EepromTool& tool);

    // Stores a run made elsewhere with this bench's unit id, operator and instruments.
    Recorder::Result record(RunRecord run);

Q_SIGNALS:
    void unitIdGenerated(const QString& unitId);
    // The id changed, typed in one window or generated: every unit field shows it.
    void unitIdChanged(const QString& unitId);
    void recorded(const vantelso::records::Recorder::Result& result);

private:
    void calibrationEnded(bench::CalibrationRun* run);
    void stationReport(bench::VerificationStation* station);
    void verificationEnded(bench::VerificationStation* station);
    void productionEnded();
    UnitInfo unit(const QString& model) const;

    Recorder& m_recorder;
    const DeviceLink* m_link;
    const bench::BenchInstruments* m_instruments = nullptr;
    QString m_unitId;
    QString m_operator;
    QDateTime m_calStart;
    // Verification station: report lines already looked at, and where a verification began.
    int m_seenLines = 0;
    int m_verifyFirstLine = -1;
    QDateTime m_verifyStart;
    QDateTime m_downloadStart;
    std::function<QByteArray()> m_configuration;
    // Production test.
    QDateTime m_testStart;
    QStringList m_misses;
    int m_done = 0;
    int m_total = 0;
};

} // namespace vantelso::records
