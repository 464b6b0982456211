#pragma once

#include "devicelink.h"
#include "scriptedprompter.h"
#include "simdevice.h"
#include "simtransport.h"

// A simulated device on an in-process port, the link talking to it and a prompter with
// scripted answers: where most device-level tests start.
struct SimBench {
    explicit SimBench(std::uint8_t modelByte, std::uint8_t variantBits = 0)
        : device(modelByte, variantBits), transport(&device), link(&prompter) {
        transport.open();
        link.setTransport(&transport);
    }
    // How many commands starting with `prefix` the device has seen.
    int count(const QByteArray& prefix) const {
        int n = 0;
        for (const QByteArray& c : device.commandLog())
            n += c.startsWith(prefix) ? 1 : 0;
        return n;
    }

    vantelso::sim::SimDevice device;
    vantelso::sim::SimTransport transport;
    vantelso::ScriptedPrompter prompter;
    vantelso::DeviceLink link;
};
