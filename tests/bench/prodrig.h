#pragma once

#include "benchrig.h"
#include "devicelink.h"
#include "simtransport.h"

// The production test's bench: a simulated frequency-input unit (model byte 7 unless told)
// streaming every 2 ms on an in-process port, identified, and the simulated function generator
// behind "UsbDevice1". The link's pauses are shortened.
struct ProdRig {
    explicit ProdRig(std::uint8_t modelByte = 7)
        : rig(modelByte), link(&rig.prompter), port(&rig.bench.device()) {
        rig.bench.device().setStreamInterval(2);
        port.open();
        link.setTransport(&port);
        link.setDelayScale(0.05);
        link.ReadIdentity();
        rig.bench.device().clearCommandLog();
    }
    vantelso::sim::SimDevice& device() { return rig.bench.device(); }
    vantelso::sim::SimFunctionGenerator& generator() { return rig.bench.generator(); }
    // The device commands received that start with `prefix`.
    QList<QByteArray> commands(const QByteArray& prefix) {
        QList<QByteArray> out;
        for (const QByteArray& c : device().commandLog())
            if (c.startsWith(prefix))
                out << c;
        return out;
    }

    BenchRig rig;
    vantelso::DeviceLink link;
    vantelso::sim::SimTransport port;
};
