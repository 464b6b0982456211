#pragma once

#include <array>

namespace vantelso::bench {

// The two device positions of the two-position model, which share one thermocouple input
// connection: which are enabled for calibration and for programming after calibration, and
// which one is wired now.
struct SingleModelTool {
    std::array<bool, 2> calibrate{false, false};
    std::array<bool, 2> program{false, false};
    int wired = 0; // 1 or 2; 0 none

    // "Abilita dispositivo n" / "Disabilita dispositivo n" (n = 1, 2) of either frame.
    void setCalibrate(int position, bool on) { calibrate[index(position)] = on; }
    void setProgram(int position, bool on) { program[index(position)] = on; }

    // At START: the position the thermocouple was moved to at the last hand-over stays wired
    // while it is enabled for calibration; otherwise the first enabled position is.
    void markWired() {
        if (wired != 0 && calibrate[index(wired)])
            return;
        wired = calibrate[0] ? 1 : calibrate[1] ? 2 : 0;
    }

    // At the end of a run that calibrated the wired position (not one that took the error
    // ending, was stopped or aborted): when its programming is enabled, the thermocouple
    // moves to the other position. Returns the position whose
    // programming is then started (0 for none).
    int handOver() {
        if (wired == 0 || !program[index(wired)])
            return 0;
        const int done = wired;
        wired = done == 1 ? 2 : 1;
        return done;
    }

private:
    static std::size_t index(int position) { return position == 2 ? 1 : 0; }
};

} // namespace vantelso::bench
