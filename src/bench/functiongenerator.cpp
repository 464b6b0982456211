#include "functiongenerator.h"

#include "instrumentselector.h"
#include "instrumentsession.h"
#include "sessionfactory.h"

namespace vantelso::bench {

FunctionGenerator::FunctionGenerator(const BenchContext* context, const SessionFactory* sessions,
                                     QString resource)
    : m_context(context), m_sessions(sessions), m_resource(std::move(resource)) {}

QStringList FunctionGenerator::BouncePoints() {
    // Runs of equal points, from point 1: closed, bouncing, open for 1200 points, bouncing
    // again, closed to the end.
    static const int runEnds[] = {80,   160,  240,  320,  400,  480,  560, 1760,
                                  1840, 1920, 2000, 2080, 2160, 2240, 4000};
    QStringList points;
    points.reserve(4000);
    bool high = true;
    for (int end : runEnds) {
        while (points.size() < end)
            points << (high ? QStringLiteral("1") : QStringLiteral("0"));
        high = !high;
    }
    return points;
}

QByteArrayList FunctionGenerator::SetUpLines(Waveform waveform, const QString& frequency) {
    QByteArrayList lines{"*RST", "", "FREQuency " + frequency.toLatin1()};
    switch (waveform) {
    case Waveform::Ttl:
        lines << "FUNCtion SQUARE"
              << "VOLTage 5"
              << "VOLTage:OFFSet 2.5";
        break;
    case Waveform::Tacho:
        lines << "FUNCtion SIN"
              << "VOLTage 0.05"
              << "VOLTage:OFFSet 0";
        break;
    case Waveform::Bounce:
        lines << "DATA VOLATILE, " + BouncePoints().join(u',').toLatin1()
              << "DATA:COPY PULSE, VOLATILE"
              << "FUNCtion:USER PULSE"
              << "FUNCtion:SHAPe USER"
              << "OUTPut:LOAD 50"
              << "FREQuency 5000;VOLTage 5";
        break;
    }
    lines << "OUTPut ON";
    return lines;
}

BenchStatus FunctionGenerator::sendGroup(const QByteArrayList& lines, int timeoutMs) {
    QString error;
    std::unique_ptr<InstrumentSession> session =
        m_sessions ? m_sessions->open(m_resource, &error) : nullptr;
    if (!session) {
        m_context->prompter->ask(error, Prompter::Buttons::Ok, Prompter::Icon::Critical);
        return BenchStatus::PortError;
    }
    if (timeoutMs > 0)
        session->setTimeoutMs(timeoutMs);
    for (const QByteArray& line : lines) {
        const bool sent = line.isEmpty() ? session->clear() : session->writeLine(line);
        if (!sent)
            return BenchStatus::PortError;
    }
    return BenchStatus::Ok;
}

BenchStatus FunctionGenerator::SetUp(Waveform waveform, const QString& frequency) {
    return sendGroup(SetUpLines(waveform, frequency),
                     waveform == Waveform::Bounce ? BounceTimeoutMs : 0);
}

BenchStatus FunctionGenerator::Output(bool on) {
    return sendGroup({on ? QByteArrayLiteral("OUTPut ON") : QByteArrayLiteral("OUTPut OFF")});
}

BenchStatus FunctionGenerator::SetFrequency(const QString& frequency) {
    return sendGroup({"FREQuency " + frequency.toLatin1()});
}

BenchStatus FunctionGenerator::StartSweep() {
    return sendGroup({"*RST", "FUNCtion SQUARE", "VOLTage 5", "VOLTage:OFFSet 0", "OUTPut ON"});
}

BenchStatus FunctionGenerator::SweepFrequency(double hertz) {
    return sendGroup({"FREQuency " + NumberText(hertz).toLatin1()});
}

BenchStatus FunctionGenerator::EndSweep() {
    return sendGroup({"FREQuency 0.001"});
}

} // namespace vantelso::bench
