#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <optional>

namespace vantelso::records {

// What the bench did to a unit. The numbers are stored in the database: never renumber.
enum class RunKind {
    Calibration = 0,
    Verification = 1,
    Download = 2,
    ProductionTest = 3,
    Eeprom = 4
};
enum class Outcome { Passed = 0, Failed = 1, Error = 2, Stopped = 3 };

// A unit as the bench met it. The device carries no serial number, so `unitId` is what the
// operator typed or scanned from the unit's label (or one generated for it).
struct UnitInfo {
    QString unitId;
    QString model; // model identifier, "RSX7030"
    int deviceCode = -1;
    int modelByte = -1;
    int idByte3 = -1;
    int idByte4 = -1;
};

// One step of a run: a calibrated range, a verification point set, a downloaded
// configuration, a missed linearity point. Readings are kept as the bench showed them.
struct StepRecord {
    QString range; // "90 mV A", "0 ÷ 20 mA", "1000 Hz"
    QString k;     // the constant computed, as shown
    QString zero;
    QString half;
    QString span;
    bool passed = true;
    int address = -1; // where the bytes below were written, -1 for none
    QByteArray bytes; // constant bytes written at `address`, or the ".VNT" bytes downloaded
    QString note;
};

// One run on one unit, written to the records as a whole or not at all. `uuid` is made when
// the run is recorded, so a run loaded twice (from the fallback file) is stored once.
struct RunRecord {
    qint64 id = 0; // the database's number, 0 until stored
    QString uuid;
    UnitInfo unit;
    RunKind kind = RunKind::Calibration;
    QDateTime started;
    QDateTime finished;
    QString benchHost;
    QString operatorName;
    QString instruments; // the instrument ports and addresses, "supply=COM1; meter=COM2"
    Outcome outcome = Outcome::Passed;
    QString message; // why an error or stop ended it
    QList<StepRecord> steps;
};

QString KindName(RunKind kind); // "calibration", ...: the words of the JSON and CSV
QString OutcomeName(Outcome outcome);
std::optional<RunKind> KindFromName(const QString& name);
std::optional<Outcome> OutcomeFromName(const QString& name);

// Timestamps travel as ISO 8601 UTC with milliseconds, which sort as text on every database.
QString TimeText(const QDateTime& t);
QDateTime TimeFromText(const QString& text);

QJsonObject RunToJson(const RunRecord& run);
// nullopt when the object is not a run (a kind or outcome unknown, no uuid or unit id).
std::optional<RunRecord> RunFromJson(const QJsonObject& object);

// One line per step (a run without steps gets one line), header first:
// run,uuid,unit,model,kind,started,finished,bench,operator,outcome,range,k,zero,half,span,
// step_passed,address,bytes. Fields with a comma, quote or line break are quoted.
QString RunsCsv(const QList<RunRecord>& runs);

// A unit id for a unit whose label was not scanned: date and time to the second and four
// random hex digits, "V261207-045012-3F9A", unique enough across the benches of a factory and
// short enough to write on the unit.
QString GenerateUnitId(const QDateTime& now = QDateTime::currentDateTimeUtc());
// The id as the operator typed or scanned it: blanks around it dropped (a scanner may end
// with a tab or line feed). Empty when nothing was given.
QString CleanUnitId(const QString& typed);

} // namespace vantelso::records
