#include "linearitysweep.h"

#include "benchinstruments.h"
#include "benchwait.h"
#include "calplan.h"
#include "codecs.h"
#include "devicelink.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <cmath>

namespace vantelso::bench {

QString SweepNumber(double v) {
    const QString digits = QStringLiteral("%1").arg(std::fabs(v), 6, 'f', 3, QLatin1Char('0'));
    return v < 0 && digits != QLatin1String("00.000") ? QLatin1Char('-') + digits : digits;
}

// "linear.dat", written line by line through a buffered stream that is flushed after every
// line.
class LinearitySweep::Log {
public:
    explicit Log(const QString& path) : m_file(path) {}
    bool open() {
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
            return false;
        m_out.setDevice(&m_file);
        return true;
    }
    QString errorString() const { return m_file.errorString(); }
    bool write(const QString& line) {
        m_out << line << '\n';
        m_out.flush();
        return m_out.status() == QTextStream::Ok && m_file.error() == QFileDevice::NoError;
    }

private:
    QFile m_file;
    QTextStream m_out;
};

namespace {

double frameValue(const QByteArray& f, int at) {
    return codecs::MeasureFloatFromBytes(std::uint8_t(f.at(at)), std::uint8_t(f.at(at + 1)),
                                         std::uint8_t(f.at(at + 2)));
}

} // namespace

LinearitySweep::LinearitySweep(DeviceLink* link, BenchInstruments* instruments, QObject* parent)
    : QObject(parent), m_link(link), m_instruments(instruments) {}

QString LinearitySweep::filePath() const {
    return QDir(folder).filePath(FileName());
}

SweepOutcome LinearitySweep::MeterSweep() {
    return run(false);
}

SweepOutcome LinearitySweep::TwoChannelSweep() {
    return run(true);
}

SweepOutcome LinearitySweep::run(bool twoChannel) {
    SweepOutcome outcome;
    if (m_running) {
        outcome.error = true;
        outcome.message = QStringLiteral("Prova di linearità già in corso");
        return outcome;
    }
    m_running = true;
    StopRequested = false;
    Q_EMIT runningChanged(true);
    // The meters go back to their own ports afterwards, so the calibration run finds them
    // where its selector put them.
    Multimeter& meters = m_instruments->meters;
    Transport* const before0 = meters.port(0);
    Transport* const before1 = meters.port(1);

    Log log(filePath());
    if (!log.open()) {
        outcome.error = true;
        outcome.message = QStringLiteral("Impossibile scrivere ") + filePath() +
                          QStringLiteral(": ") + log.errorString();
    } else {
        outcome.error = twoChannel ? !twoChannelSweep(log, &outcome.message, &outcome.lines)
                                   : !meterSweep(log, &outcome.message, &outcome.lines);
    }
    meters.setPort(0, before0);
    meters.setPort(1, before1);
    m_running = false;
    Q_EMIT runningChanged(false);
    return outcome;
}

bool LinearitySweep::meterSweep(Log& log, QString* message, int* lines) {
    Multimeter& meters = m_instruments->meters;
    const BenchTimings& t = m_instruments->context.timings;
    QString error = m_instruments->openMeterPort(0, meterSweepPort);
    if (error.isEmpty() &&
        meters.SetMultimeter(0, QStringLiteral("REM"), QStringLiteral("VOLT")) != BenchStatus::Ok)
        error = QStringLiteral("Multimetro non risponde");
    if (!error.isEmpty()) {
        *message = error;
        return false;
    }
    // A command refused because another one holds the link drives nothing: a reading taken
    // then would be logged against a count the output never had.
    const auto linkFailed = [this, message] {
        if (m_link->CommError == 0 && !m_link->lastCallRefused())
            return false;
        *message = QStringLiteral("Dispositivo non risponde");
        return true;
    };
    m_link->EnterProgramming();
    if (linkFailed())
        return false;
    bool ok = true;
    int count = 800;
    while (ok && !StopRequested) {
        count = count >= 4040 ? 800 : count + 1;
        m_link->SendValueUpperI(count);
        if (linkFailed()) {
            ok = false;
            break;
        }
        Pause(t.sweepCountPause);
        const Measurement m = meters.ReadMultimeter(0);
        if (!m.ok()) {
            *message = QStringLiteral("Multimetro non risponde");
            ok = false;
            break;
        }
        const QString line =
            QString::number(count) + QLatin1Char('\t') + SweepNumber(m.value / 1000);
        if (!log.write(line)) {
            *message = QStringLiteral("Scrittura fallita: ") + filePath();
            ok = false;
            break;
        }
        ++*lines;
        Q_EMIT lineLogged(line);
    }
    // The output goes back to what the device's configuration makes of its input.
    m_link->EndProgramming();
    return ok;
}

bool LinearitySweep::twoChannelSweep(Log& log, QString* message, int* lines) {
    Multimeter& meters = m_instruments->meters;
    const BenchTimings& t = m_instruments->context.timings;
    for (int index : {0, 1}) {
        QString error = m_instruments->openMeterPort(index, twoChannelPorts[std::size_t(index)]);
        if (error.isEmpty() && meters.SetMultimeter(index, QStringLiteral("REM"),
                                                    QStringLiteral("VOLT")) != BenchStatus::Ok)
            error = QStringLiteral("Multimetro non risponde");
        if (!error.isEmpty()) {
            *message = error;
            return false;
        }
    }
    // The frame layout follows the identified device.
    if (m_link->ReadIdentity().at(0) != 0) {
        *message = QStringLiteral("Dispositivo non identificato");
        return false;
    }
    std::array<std::pair<double, double>, 2> constants{};
    for (int c : {0, 1}) {
        const QByteArray six = m_link->ReadBlock(0, c == 0 ? 100 : 112, 6);
        if (m_link->CommError != 0 || m_link->lastCallRefused()) {
            *message = QStringLiteral("Lettura costanti di uscita fallita");
            return false;
        }
        constants[std::size_t(c)] = DecodeOutputConstants(m_link->identity, six);
    }
    m_link->StartMeasure();
    const QString header = QStringLiteral("Input\tInA\tOutA\tMultA\tInB\tOutB\tMultB");
    if (!log.write(header)) {
        *message = QStringLiteral("Scrittura fallita: ") + filePath();
        m_link->StopMeasure();
        return false;
    }
    Q_EMIT lineLogged(header);
    bool ok = true;
    int input = 0;
    while (ok && !StopRequested) {
        ++input;
        if (m_instruments->calibrator.SetCalibrator(input) != BenchStatus::Ok) {
            *message = QStringLiteral("Calibratore non risponde");
            ok = false;
            break;
        }
        Pause(t.sweepInputPause);
        const QByteArray f = m_link->ReadFrame();
        if (f.at(0) != 0) {
            *message = QStringLiteral("Lettura misure fallita");
            ok = false;
            break;
        }
        QStringList fields{QString::number(input)};
        for (int c : {0, 1}) {
            const auto [lo, hi] = constants[std::size_t(c)];
            const double count = frameValue(f, 2 + 3 * c);
            const Measurement m = meters.ReadMultimeter(c);
            if (!m.ok()) {
                *message = QStringLiteral("Multimetro non risponde");
                ok = false;
                break;
            }
            fields << SweepNumber(frameValue(f, 8 + 3 * c))
                   << SweepNumber((count - 800) / 2700 * (hi - lo) + lo)
                   << SweepNumber(m.value / 1000);
        }
        if (!ok)
            break;
        const QString line = fields.join(QLatin1Char('\t'));
        if (!log.write(line)) {
            *message = QStringLiteral("Scrittura fallita: ") + filePath();
            ok = false;
            break;
        }
        ++*lines;
        Q_EMIT lineLogged(line);
    }
    m_link->StopMeasure();
    return ok;
}

} // namespace vantelso::bench
