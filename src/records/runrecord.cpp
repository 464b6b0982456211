#include "runrecord.h"

#include <QJsonArray>
#include <QRandomGenerator>
#include <QStringList>
#include <array>

namespace vantelso::records {

namespace {

constexpr std::array<const char*, 5> kKinds{"calibration", "verification", "download",
                                            "production-test", "eeprom-write"};
constexpr std::array<const char*, 4> kOutcomes{"passed", "failed", "error", "stopped"};

QString csvField(const QString& s) {
    if (!s.contains(QLatin1Char(',')) && !s.contains(QLatin1Char('"')) &&
        !s.contains(QLatin1Char('\n')) && !s.contains(QLatin1Char('\r')))
        return s;
    QString q = s;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

} // namespace

QString KindName(RunKind kind) {
    return QString::fromLatin1(kKinds[std::size_t(kind)]);
}

QString OutcomeName(Outcome outcome) {
    return QString::fromLatin1(kOutcomes[std::size_t(outcome)]);
}

std::optional<RunKind> KindFromName(const QString& name) {
    for (std::size_t i = 0; i < kKinds.size(); ++i)
        if (name == QLatin1String(kKinds[i]))
            return RunKind(i);
    return std::nullopt;
}

std::optional<Outcome> OutcomeFromName(const QString& name) {
    for (std::size_t i = 0; i < kOutcomes.size(); ++i)
        if (name == QLatin1String(kOutcomes[i]))
            return Outcome(i);
    return std::nullopt;
}

QString TimeText(const QDateTime& t) {
    return t.isValid() ? t.toUTC().toString(Qt::ISODateWithMs) : QString();
}

QDateTime TimeFromText(const QString& text) {
    QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!t.isValid())
        t = QDateTime::fromString(text, Qt::ISODate);
    return t.toUTC();
}

QJsonObject RunToJson(const RunRecord& run) {
    QJsonArray steps;
    for (const StepRecord& s : run.steps) {
        QJsonObject o{{QStringLiteral("range"), s.range}, {QStringLiteral("k"), s.k},
                      {QStringLiteral("zero"), s.zero},   {QStringLiteral("half"), s.half},
                      {QStringLiteral("span"), s.span},   {QStringLiteral("passed"), s.passed},
                      {QStringLiteral("note"), s.note}};
        if (s.address >= 0)
            o.insert(QStringLiteral("address"), s.address);
        if (!s.bytes.isEmpty())
            o.insert(QStringLiteral("bytes"), QString::fromLatin1(s.bytes.toHex()));
        steps.append(o);
    }
    const UnitInfo& u = run.unit;
    QJsonObject out{
        {QStringLiteral("uuid"), run.uuid},
        {QStringLiteral("unit"), u.unitId},
        {QStringLiteral("model"), u.model},
        {QStringLiteral("identity"), QJsonArray{u.deviceCode, u.modelByte, u.idByte3, u.idByte4}},
        {QStringLiteral("kind"), KindName(run.kind)},
        {QStringLiteral("started"), TimeText(run.started)},
        {QStringLiteral("finished"), TimeText(run.finished)},
        {QStringLiteral("bench"), run.benchHost},
        {QStringLiteral("operator"), run.operatorName},
        {QStringLiteral("instruments"), run.instruments},
        {QStringLiteral("outcome"), OutcomeName(run.outcome)},
        {QStringLiteral("message"), run.message},
        {QStringLiteral("steps"), steps}};
    if (run.id > 0)
        out.insert(QStringLiteral("id"), run.id);
    return out;
}

std::optional<RunRecord> RunFromJson(const QJsonObject& o) {
    RunRecord r;
    const auto kind = KindFromName(o.value(QStringLiteral("kind")).toString());
    const auto outcome = OutcomeFromName(o.value(QStringLiteral("outcome")).toString());
    r.uuid = o.value(QStringLiteral("uuid")).toString();
    r.unit.unitId = o.value(QStringLiteral("unit")).toString();
    if (!kind || !outcome || r.uuid.isEmpty() || r.unit.unitId.isEmpty())
        return std::nullopt;
    r.kind = *kind;
    r.outcome = *outcome;
    r.unit.model = o.value(QStringLiteral("model")).toString();
    const QJsonArray id = o.value(QStringLiteral("identity")).toArray();
    if (id.size() == 4) {
        r.unit.deviceCode = id[0].toInt(-1);
        r.unit.modelByte = id[1].toInt(-1);
        r.unit.idByte3 = id[2].toInt(-1);
        r.unit.idByte4 = id[3].toInt(-1);
    }
    r.started = TimeFromText(o.value(QStringLiteral("started")).toString());
    r.finished = TimeFromText(o.value(QStringLiteral("finished")).toString());
    r.benchHost = o.value(QStringLiteral("bench")).toString();
    r.operatorName = o.value(QStringLiteral("operator")).toString();
    r.instruments = o.value(QStringLiteral("instruments")).toString();
    r.message = o.value(QStringLiteral("message")).toString();
    for (const QJsonValue& v : o.value(QStringLiteral("steps")).toArray()) {
        const QJsonObject s = v.toObject();
        StepRecord step;
        step.range = s.value(QStringLiteral("range")).toString();
        step.k = s.value(QStringLiteral("k")).toString();
        step.zero = s.value(QStringLiteral("zero")).toString();
        step.half = s.value(QStringLiteral("half")).toString();
        step.span = s.value(QStringLiteral("span")).toString();
        step.passed = s.value(QStringLiteral("passed")).toBool(true);
        step.address = s.value(QStringLiteral("address")).toInt(-1);
        step.bytes = QByteArray::fromHex(s.value(QStringLiteral("bytes")).toString().toLatin1());
        step.note = s.value(QStringLiteral("note")).toString();
        r.steps << step;
    }
    return r;
}

QString RunsCsv(const QList<RunRecord>& runs) {
    QString out = QStringLiteral("run,uuid,unit,model,kind,started,finished,bench,operator,outcome,"
                                 "range,k,zero,half,span,step_passed,address,bytes\r\n");
    for (const RunRecord& r : runs) {
        const QStringList head{QString::number(r.id), r.uuid,           r.unit.unitId,
                               r.unit.model,          KindName(r.kind), TimeText(r.started),
                               TimeText(r.finished),  r.benchHost,      r.operatorName,
                               OutcomeName(r.outcome)};
        QList<StepRecord> steps = r.steps;
        if (steps.isEmpty())
            steps << StepRecord{};
        for (const StepRecord& s : steps) {
            QStringList fields = head;
            const bool none = r.steps.isEmpty();
            fields << s.range << s.k << s.zero << s.half << s.span
                   << (none       ? QString()
                       : s.passed ? QStringLiteral("1")
                                  : QStringLiteral("0"))
                   << (s.address >= 0 ? QString::number(s.address) : QString())
                   << QString::fromLatin1(s.bytes.toHex());
            for (QString& f : fields)
                f = csvField(f);
            out += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
        }
    }
    return out;
}

QString GenerateUnitId(const QDateTime& now) {
    const quint32 random = QRandomGenerator::global()->bounded(0x10000u);
    return now.toUTC().toString(QStringLiteral("'V'yyMMdd-HHmmss-")) +
           QStringLiteral("%1").arg(random, 4, 16, QLatin1Char('0')).toUpper();
}

QString CleanUnitId(const QString& typed) {
    return typed.trimmed();
}

} // namespace vantelso::records
