#pragma once

#include "identity.h"
#include "simswitches.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <deque>
#include <optional>

namespace vantelso::sim {

// A misbehaviour injected into the simulated device, used to exercise the host's retries.
//
// Which commands a fault counts ("matching" for skip/count):
//  - NoReply, Vanish: every command starting with `match`;
//  - DelayedReply, CorruptReply, TruncatedReply, JunkBefore, SplitReply, ExtraReply: only
//    matching commands that
//    produce a reply (a "$R" outside programming mode does not count);
//  - DropWrites: only "$W" commands; WrongHandshake: only "PR".
// Streamed frames count as "A": NoReply drops a frame, Vanish takes the device away at one,
// the reply faults bend it; only faults whose match is exactly "A" apply to frames.
// Faults are checked in injection order; the first one that applies wins.
struct Fault {
    enum class Kind {
        None,
        NoReply,        // the command is swallowed: no effect, no reply
        DelayedReply,   // the reply comes delayMs later than it would
        CorruptReply,   // the terminator is broken, so no reply template matches
        TruncatedReply, // only the first half of the reply is sent
        JunkBefore,     // junk with '*' and CR LF fragments precedes the real reply
        Vanish,         // the device disappears at this command
        DropWrites,     // "$W" silently ignored
        WrongHandshake, // "PR" is answered with something other than "OK" CR LF
        SplitReply,     // the reply comes in two pieces, the second delayMs after the first
        ExtraReply,     // the reply is sent again delayMs after it went out
    };
    Kind kind = Kind::None;
    QByteArray match; // command prefix this applies to ("$R", "$V", "PR", ...); empty = any
    int skip = 0;     // matching commands let through untouched first
    int count = 1;    // how many matching commands it hits; -1 = forever
    int delayMs = 0;  // DelayedReply, SplitReply, ExtraReply: how much later
};

// In-process model of one signal conditioner on its serial link.
//
// Replies are always delivered asynchronously: receive() parses and executes commands at
// once, and the reply is emitted by transmit() from a precise timer (zero-time when wire
// timing is off), so a host's write() returns before its reply arrives. Each reply is
// emitted in one piece.
class SimDevice : public QObject {
    Q_OBJECT
public:
    static constexpr int kBankCount = 4;
    static constexpr int kBankSize = 256;

    // Loads the identity, switch banks and default image of that model byte; variantBits
    // (0x00/0x20/0x40/0x60) select the identifier base of the lettered models 2..6.
    explicit SimDevice(std::uint8_t modelByte, std::uint8_t variantBits = 0,
                       QObject* parent = nullptr);
    // "RSX7030", "RSX7131B", "3". Returns nullptr with a message for unknown texts.
    static SimDevice* fromModelText(const QString& text, QObject* parent, QString* error);

    DeviceIdentity identity() const { return identity_; }
    void setIdentity(const DeviceIdentity& id) { identity_ = id; }
    // The identifier the host would derive ("RSX7131B"), using the byte at address 4.
    QString modelIdentifier() const;

    // Out-of-range banks/addresses read 0xFF (unpopulated) and ignore writes.
    std::uint8_t memory(int bank, int address) const;
    void setMemory(int bank, int address, std::uint8_t value);
    QByteArray bank(int bank) const; // 256 bytes
    // Bank 0 gets the model's default image, banks 1.. are erased (0xFF).
    void loadDefaultImage(std::uint8_t modelByte, std::uint8_t variantBits);

    // "$D" reply data; padded with zeros or cut to the model's 2 or 4 bytes when sent.
    void setSwitchBytes(const QByteArray& bytes) { switchBytes_ = bytes; }
    QByteArray switchBytes() const { return switchBytes_; }

    // Each byte then takes 10 bits at 9600 baud (~1.0417 ms) in both directions.
    void setWireTiming(bool on) { wireTiming_ = on; }
    bool wireTiming() const { return wireTiming_; }
    static qint64 wireTimeNs(qsizetype bytes);

    // After each "$W" it stores, the device is busy writing its EEPROM for this long, and a
    // command arriving meanwhile is ignored, as the real device ignores it. The default stays
    // well below the host's 50 ms pause after each "$W", so that a correctly paced write
    // survives a scheduling hiccup; tests that shorten the host's pauses shorten this alike,
    // and 0 makes writes take no time.
    static constexpr double kDefaultWriteTimeMs = 35.0;
    void setWriteTimeMs(double ms) { writeTimeNs_ = qint64(std::max(0.0, ms) * 1e6); }
    double writeTimeMs() const { return writeTimeNs_ / 1e6; }
    // Commands that arrived while the device was busy writing, and were ignored.
    int commandsIgnoredBusy() const { return ignoredBusy_; }

    // Period of the streamed "A" frames while measuring (default 100 ms).
    void setStreamInterval(int ms);

    void injectFault(const Fault& f);
    void clearFaults() { faults_.clear(); }
    QList<Fault> faults() const { return faults_; }

    // Another device now answers: new identity, image and switches; idle state.
    void swapTo(std::uint8_t modelByte, std::uint8_t variantBits);
    // After a Vanish: the device is plugged back in (idle, same memory).
    void revive();
    bool isGone() const { return gone_; }

    bool inProgramming() const { return programming_; }
    bool streaming() const { return streaming_; }
    // Last values received with "$I" / "$i" (signed 16-bit).
    int directValueUpper() const { return directUpper_; }
    int directValueLower() const { return directLower_; }

    // The analog side, for a simulated bench. A value applied to a channel's input terminals
    // (in the units of its input range: mV, V, mA, ohm, degrees C) replaces the simulated
    // sweep of that channel; nullopt brings the sweep back.
    void setAnalogInput(int channel, std::optional<double> value);
    std::optional<double> analogInput(int channel) const;
    // What the channel's output terminals carry, mA on a current output and V on a voltage
    // output: while programming, the DAC count last sent with "$I" (channel A) or "$i"
    // (channel B) through the output's calibration points; otherwise the input mapped onto
    // the output range.
    double analogOutput(int channel) const;
    bool outputIsCurrent(int channel) const;
    // The unit's analog errors and how its calibration constants correct them (not owned;
    // nullptr for an ideal unit).
    void setCalibrationModel(const class SimCalibrationModel* model) { calibration_ = model; }
    // An unpowered device hears nothing and says nothing (and stops streaming).
    void setPowered(bool on);
    bool powered() const { return powered_; }

    QList<QByteArray> commandLog() const { return log_; } // every complete command, raw
    void clearCommandLog() { log_.clear(); }
    int writesApplied() const { return writesApplied_; }
    // True while replies (or a disappearance) are scheduled but not yet delivered.
    bool hasPendingOutput() const { return !outbox_.empty(); }

    // Reply shapes, by identity.
    static int switchDataLength(const DeviceIdentity& id);
    static int frameLength(const DeviceIdentity& id);

public Q_SLOTS:
    void receive(const QByteArray& bytes); // bytes from the host

Q_SIGNALS:
    void transmit(const QByteArray& bytes); // bytes to the host
    void vanished();                        // the device/port disappeared (Vanish fault)

private:
    struct Outgoing {
        qint64 dueNs = 0;
        bool vanish = false;
        QByteArray bytes;
    };
    enum class Parse { NeedMore, Drop, Command };

    Parse classify(int* length) const;
    void execute(const QByteArray& cmd, qint64 doneNs);
    QByteArray reply(const QByteArray& cmd);
    void send(QByteArray r, qint64 readyNs, const std::optional<Fault>& fault);
    void schedule(QByteArray bytes, qint64 readyNs, qint64 extraNs);
    void scheduleVanish(qint64 atNs);
    void armTimer();
    void deliverDue();
    void emitFrame();
    QByteArray buildFrame();
    void resetLinkState();
    struct ChannelState {
        double input = 0;  // in the units of the input range
        double output = 0; // mA or V
        double raw = 0;    // the output as the DAC count the frame reports
    };
    ChannelState channelState(int channel) const;
    WorkingChannel working(int channel) const;
    ChannelState calibratedState(int channel, int type, double input, double inStart, double inEnd,
                                 double outStart, double outEnd) const;

    DeviceIdentity identity_;
    QList<QByteArray> banks_;
    QByteArray switchBytes_;
    QList<Fault> faults_;
    QList<QByteArray> log_;

    QByteArray rx_;          // bytes not yet forming a command
    QList<qint64> rxTimeNs_; // arrival time of each byte in rx_
    qint64 rxFreeNs_ = 0;    // when the inbound wire is next idle
    qint64 txFreeNs_ = 0;    // when the outbound wire is next idle
    qint64 busyUntilNs_ = 0; // until then the last "$W" is still being written
    qint64 writeTimeNs_ = qint64(kDefaultWriteTimeMs * 1e6);
    int ignoredBusy_ = 0;
    std::deque<Outgoing> outbox_;
    QElapsedTimer clock_;
    QTimer deliveryTimer_;
    QTimer streamTimer_;

    bool wireTiming_ = false;
    bool programming_ = false;
    bool streaming_ = false;
    bool gone_ = false;
    int directUpper_ = 0;
    int directLower_ = 0;
    bool directDriven_[2] = {false, false};
    std::optional<double> analogInput_[2];
    const SimCalibrationModel* calibration_ = nullptr;
    bool powered_ = true;
    int writesApplied_ = 0;
    std::uint32_t frameCount_ = 0;
};

} // namespace vantelso::sim
