#pragma once

#include "benchrig.h"
#include "calibrationrun.h"
#include "codecs.h"
#include "devicelink.h"
#include "simoperator.h"
#include "simtransport.h"

#include <QTemporaryDir>

// A calibration bench around a simulated unit fresh from production: the instruments of a
// BenchRig, the device on an in-process port, an operator who sets the DIP switches when
// asked, and the model's default image in a scratch folder.
struct CalRig {
    // The model byte and variant of an identifier; a thermistor-input unit (model byte 6)
    // stands in for the OEM board.
    static std::pair<std::uint8_t, std::uint8_t> parse(const QString& model) {
        std::uint8_t m = 0, v = 0;
        vantelso::ParseModelIdentifier(model, &m, &v);
        return {model == QLatin1String("5010OEM") ? std::uint8_t(6) : m, v};
    }

    // `unitModelByte`: the model byte of the unit when it is not the identifier's first
    // (a model byte 1 unit also answers as "RSX7030").
    explicit CalRig(const QString& model, bool writeImage = true, int unitModelByte = -1)
        : rig(unitModelByte >= 0 ? std::uint8_t(unitModelByte) : parse(model).first),
          op(&rig.bench), link(&op), port(&rig.bench.device()), run(&link, &rig.instruments, &op) {
        if (const auto [m, v] = parse(model); v != 0)
            rig.bench.device().loadDefaultImage(m, v);
        rig.bench.device().setStreamInterval(2);
        rig.bench.prepareForCalibration(model);
        port.open();
        link.setTransport(&port);
        link.setDelayScale(0.1);
        // The unit writes its EEPROM at the same tenth of its real pace.
        rig.bench.device().setWriteTimeMs(vantelso::sim::SimDevice::kDefaultWriteTimeMs * 0.1);
        if (writeImage)
            rig.bench.writeDefaultImageFile(folder.path());
        run.dataFolder = folder.path();
        run.SelectModel(vantelso::bench::FindCalModel(model));
    }
    vantelso::sim::SimDevice& device() { return rig.bench.device(); }
    // The supply switched on and the unit identified, as a run does before its steps.
    bool identify() {
        rig.bench.supply().receive("KOE\r");
        return link.ReadIdentity().at(0) == 0;
    }
    double constantAt(int a) {
        return vantelso::codecs::FloatFromBytes(device().memory(0, a + 1), device().memory(0, a),
                                                device().memory(0, a + 2));
    }

    BenchRig rig;
    vantelso::sim::SimOperator op;
    vantelso::DeviceLink link;
    vantelso::sim::SimTransport port;
    vantelso::bench::CalibrationRun run;
    QTemporaryDir folder;
};
