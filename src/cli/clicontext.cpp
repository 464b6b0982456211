#include "clicontext.h"

#include "serialtransport.h"
#include "simdevice.h"
#include "simtransport.h"

#include <cstdio>

namespace vantelso {

CliContext::CliContext(const QCommandLineParser& p, bool assumeYes)
    : parser(p), prompter(assumeYes), link(&prompter), out(stdout) {}

CliContext::~CliContext() {
    link.setTransport(nullptr);
    if (m_transport)
        m_transport->close();
}

void CliContext::error(const QString& text) const {
    std::fprintf(stderr, "error: %s\n", qPrintable(text));
}

bool CliContext::intOption(const QString& name, int fallback, int lo, int hi, int* value) const {
    *value = fallback;
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const QString text = parser.value(name);
    const int v = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                      ? text.mid(2).toInt(&ok, 16)
                      : text.toInt(&ok, 10);
    if (!ok || v < lo || v > hi) {
        error(QStringLiteral("--%1 must be a number from %2 to %3, not \"%4\"")
                  .arg(name)
                  .arg(lo)
                  .arg(hi)
                  .arg(text));
        return false;
    }
    *value = v;
    return true;
}

int CliContext::connect() {
    if (parser.isSet(QStringLiteral("demo"))) {
        QString why;
        m_demo.reset(
            sim::SimDevice::fromModelText(parser.value(QStringLiteral("demo")), nullptr, &why));
        if (!m_demo) {
            error(why);
            return ExitUsage;
        }
        if (!ApplySwitchesOption(parser, m_demo.get()))
            return ExitUsage;
        m_transport = std::make_unique<sim::SimTransport>(m_demo.get());
    } else if (parser.isSet(QStringLiteral("port"))) {
        m_transport = std::make_unique<SerialTransport>(parser.value(QStringLiteral("port")));
    } else {
        error(QStringLiteral("no device: give -p PORT (or --demo MODEL)"));
        return ExitUsage;
    }
    if (!m_transport->open()) {
        error(m_transport->errorString());
        return ExitCommFailure;
    }
    link.setTransport(m_transport.get());
    return ExitDone;
}

int CliContext::identify() {
    link.ReadIdentity();
    if (link.CommError) {
        error(QStringLiteral("the device on %1 did not identify itself (%2)")
                  .arg(m_transport->portName(), link.texts().communicationError));
        return ExitCommFailure;
    }
    model = link.ReadModelIdentifier();
    if (link.CommError) {
        error(QStringLiteral("could not read the model variant (%1)")
                  .arg(link.texts().communicationError));
        return ExitCommFailure;
    }
    return ExitDone;
}

} // namespace vantelso
