#pragma once

#include "benchrig.h"
#include "catalogue.h"
#include "configeditor.h"
#include "devicelink.h"
#include "editormodel.h"
#include "simtransport.h"
#include "texts.h"
#include "verificationstation.h"

// The programming and verification station around a simulated unit: the instruments of a
// BenchRig, the unit on an in-process port, and the configuration editor whose write is the
// station's download. The default unit (model byte 4) takes 4..20 mA on channel A and gives
// 0..10 V for it.
struct StationRig {
    explicit StationRig(std::uint8_t modelByte = 4)
        : rig(modelByte), link(&rig.prompter), port(&rig.bench.device()), model(catalogue, texts),
          editor(model, link, catalogue, texts), station(&link, &rig.instruments, &rig.prompter) {
        port.open();
        link.setTransport(&port);
        link.setDelayScale(0);
        // No pauses at all, so the unit writes its EEPROM in no time either; the pace of the
        // writes is the link's and the EEPROM tool's tests' concern, not the station's.
        rig.bench.device().setWriteTimeMs(0);
        station.writeConfiguration = [this] { return editor.WriteEprom(); };
    }
    // Where a model stands in the station's device list.
    static int deviceIndex(const QString& model) {
        return int(vantelso::bench::VerificationDevices().indexOf(model));
    }
    vantelso::sim::SimDevice& device() { return rig.bench.device(); }
    // Nothing reached any instrument.
    bool instrumentsQuiet() {
        return rig.bench.supply().heard().isEmpty() && rig.bench.meter(0).heard().isEmpty() &&
               rig.bench.switches().heard().isEmpty() && rig.bench.calibrator().heard().isEmpty();
    }
    // A complete set-up for channel A of the default unit: automatic, "mA" 4..20, read in
    // volts, on the bench's "RSX7032D" position, supply at 24 V.
    void setUpChannelA() {
        using namespace vantelso::bench;
        station.OpenInstruments();
        station.ChooseMode(VerificationSettings::Mode::Automatic);
        station.ChooseInput(FindVerificationInput(u"mA"));
        station.settings.min = QStringLiteral("4");
        station.settings.output = 1;
        station.ChooseDevice(deviceIndex(QStringLiteral("RSX7032D")));
        station.settings.supplyOn = true;
    }

    BenchRig rig;
    vantelso::DeviceLink link;
    vantelso::sim::SimTransport port;
    vantelso::Catalogue catalogue;
    vantelso::Texts texts;
    vantelso::EditorModel model;
    vantelso::ConfigEditor editor;
    vantelso::bench::VerificationStation station;
};
