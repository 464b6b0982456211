#pragma once

#include "benchinstruments.h"
#include "functiongenerator.h"
#include "scriptedprompter.h"
#include "sessionfactory.h"
#include "simulatedbench.h"

// The bench drivers wired in-process to a simulated bench: every instrument on its own
// simulated port, sessions resolved to the bench's instruments, no pauses, short time-outs.
struct BenchRig {
    explicit BenchRig(std::uint8_t modelByte = 5)
        : bench(modelByte), instruments(&prompter, &sessions),
          generator(&instruments.context, &sessions), supplyPort(&bench.supply()),
          calibratorPort(&bench.calibrator()), meterPort(&bench.meter(0)),
          switchPort(&bench.switches()) {
        vantelso::bench::BenchTimings t = vantelso::bench::BenchTimings().scaled(0);
        t.supplyReplyTimeout = t.meterReplyTimeout = t.calibratorEchoTimeout = 0.3;
        instruments.context.timings = t;
        sessions.setTimeoutMs(300);
        sessions.setSimulatedConnector(
            [this](const QString& name) { return bench.connectTo(name); });
        vantelso::bench::ResourceAliases aliases;
        aliases.add(QStringLiteral("UsbDevice1"), QStringLiteral("SIM::generatore::INSTR"));
        aliases.add(QStringLiteral("UsbDevice2"), QStringLiteral("SIM::multimetro0::INSTR"));
        sessions.setAliases(aliases);
        for (vantelso::sim::SimInstrumentTransport* p :
             {&supplyPort, &calibratorPort, &meterPort, &switchPort})
            p->open();
        instruments.supply.setPort(&supplyPort);
        instruments.calibrator.setPort(&calibratorPort);
        instruments.meters.setPort(0, &meterPort);
        instruments.switches.setPort(&switchPort);
    }

    vantelso::sim::SimulatedBench bench;
    vantelso::ScriptedPrompter prompter;
    vantelso::bench::SessionFactory sessions;
    vantelso::bench::BenchInstruments instruments;
    vantelso::bench::FunctionGenerator generator;
    vantelso::sim::SimInstrumentTransport supplyPort;
    vantelso::sim::SimInstrumentTransport calibratorPort;
    vantelso::sim::SimInstrumentTransport meterPort;
    vantelso::sim::SimInstrumentTransport switchPort;
};
