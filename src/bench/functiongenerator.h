#pragma once

#include "benchcontext.h"
#include "benchresult.h"

#include <QByteArrayList>
#include <QStringList>
#include <memory>

namespace vantelso::bench {

class InstrumentSession;
class SessionFactory;

// The production test's function generator, an SCPI instrument reached through an
// instrument session on "UsbDevice1". A session is opened for each group of commands.
class FunctionGenerator {
public:
    enum class Waveform { Ttl, Bounce, Tacho }; // the "TTL", "Rimbalzo", "Tacho" options

    FunctionGenerator(const BenchContext* context, const SessionFactory* sessions,
                      QString resource = QStringLiteral("UsbDevice1"));

    // The set-up button: reset, clear, frequency (text as typed, in Hz), the waveform's
    // lines, output on.
    BenchStatus SetUp(Waveform waveform, const QString& frequency);
    BenchStatus Output(bool on);
    BenchStatus SetFrequency(const QString& frequency);
    // The linearity test: square 5 V output before the sweep, one frequency per point, and
    // the generator parked at 1 mHz after it.
    BenchStatus StartSweep();
    BenchStatus SweepFrequency(double hertz);
    BenchStatus EndSweep();

    // The lines of each group, for the simulated generator and for checks.
    static QByteArrayList SetUpLines(Waveform waveform, const QString& frequency);
    // The contact-bounce pattern: 4000 points of "1" and "0".
    static QStringList BouncePoints();

    // The session time-out of the bounce set-up, which sends 4000 points in one line.
    static constexpr int BounceTimeoutMs = 40000;

private:
    // Opens a session, sends `lines` ("" stands for a device clear), closes it.
    BenchStatus sendGroup(const QByteArrayList& lines, int timeoutMs = 0);

    const BenchContext* m_context;
    const SessionFactory* m_sessions;
    QString m_resource;
};

} // namespace vantelso::bench
