#pragma once

#include <initializer_list>

namespace vantelso::bench {

// Every pause and time-out of the instrument drivers, in seconds. The defaults are what
// the real instruments need; a simulated bench answers at once and may shorten them all.
struct BenchTimings {
    // Power supply: after "SV", after "KOE"/"KOD", after "A" before the reply is read, and
    // how long the 8-character reply may take after that.
    double supplyVoltsPause = 0.5;
    double supplyOutputPause = 1.0;
    double supplyReplyPause = 0.5;
    double supplyReplyTimeout = 1.0;
    // Multimeter: after each configuration line, after ":READ?" (serial) or "READ?" (USB),
    // and how long a serial reading may take after the pause.
    double meterConfigPause = 0.5;
    double meterReadPause = 1.0;
    double meterUsbReadPause = 0.5;
    double meterReplyTimeout = 3.0;
    // Calibrator: the echo of each frame byte, and the sensor settling before the
    // temperature is read.
    double calibratorEchoTimeout = 1.0;
    double ambientSettle = 1.0;
    // Calibration run: before the supply goes on, after the identification and switch test,
    // after routing an input step, the cold-junction settling, the streamed frame a device
    // reading waits for, before and after driving an output count, and one unit of the
    // window's settle time (the calibrator's setting before the device is read).
    double runStartPause = 0.5;
    double runPreparedPause = 3.0;
    double stepRoutePause = 1.0;
    double cjcSettle = 3.0;
    double framePause = 0.5;
    double outputPause = 3.0;
    double outputReadPause = 1.0;
    double settleUnit = 1.0;
    // Linearity aids: after each DAC count ("lett mult"), after each calibrator step
    // ("2 ch compl.").
    double sweepCountPause = 0.5;
    double sweepInputPause = 1.0;
    // Verification station: after the calibrator is set before the meter is read, and
    // between zero, half scale and span.
    double verifyReadPause = 1.0;
    double verifyPointPause = 3.0;

    // All pauses multiplied by `factor`; the time-outs stay as they are unless
    // `timeoutsToo` (a silent instrument is then given up on sooner as well).
    BenchTimings scaled(double factor, bool timeoutsToo = false) const {
        BenchTimings t = *this;
        for (double* p :
             {&t.supplyVoltsPause, &t.supplyOutputPause, &t.supplyReplyPause, &t.meterConfigPause,
              &t.meterReadPause, &t.meterUsbReadPause, &t.ambientSettle, &t.runStartPause,
              &t.runPreparedPause, &t.stepRoutePause, &t.cjcSettle, &t.framePause, &t.outputPause,
              &t.outputReadPause, &t.settleUnit, &t.sweepCountPause, &t.sweepInputPause,
              &t.verifyReadPause, &t.verifyPointPause})
            *p *= factor;
        if (timeoutsToo) {
            for (double* p :
                 {&t.supplyReplyTimeout, &t.meterReplyTimeout, &t.calibratorEchoTimeout})
                *p *= factor;
        }
        return t;
    }
};

} // namespace vantelso::bench
