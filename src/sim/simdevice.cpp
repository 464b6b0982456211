#include "simdevice.h"

#include "codecs.h"
#include "defaultimages.h"
#include "simanalog.h"
#include "simswitches.h"

#include <QByteArrayView>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <optional>
#include <thread>

namespace vantelso::sim {

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';

// Inverse of the measurement-float decoder: exponent X biased by 127, A bit 7 the sign,
// A bits 6..0 and B a 15-bit fraction under an implied leading 1.
std::array<std::uint8_t, 3> encodeMeasureFloat(double v) {
    if (v == 0.0 || !std::isfinite(v))
        return {0, 0, 0};
    const bool negative = v < 0;
    int e = 0;
    const double f = 2 * std::frexp(std::fabs(v), &e); // 1 <= f < 2
    int x = e - 1 + 127;
    long fraction = std::lround((f - 1) * 32768);
    if (fraction == 32768) {
        fraction = 0;
        ++x;
    }
    if (x < 0)
        return {0, 0, 0};
    x = std::min(x, 255);
    const int word = int(fraction) | (negative ? 0x8000 : 0);
    return {std::uint8_t(word >> 8), std::uint8_t(word & 0xFF), std::uint8_t(x)};
}

// Junk a noisy line might deliver ahead of a reply: stray markers and terminator fragments.
const QByteArray kJunk = QByteArrayLiteral("\r\n*\x07*\r\x0A\x00");

bool isQuery(const QByteArray& cmd) {
    return cmd.size() == 6 && cmd[0] == '$' && QByteArrayView("RSDV").contains(cmd[1]);
}

} // namespace

SimDevice::SimDevice(std::uint8_t modelByte, std::uint8_t variantBits, QObject* parent)
    : QObject(parent) {
    clock_.start();
    deliveryTimer_.setSingleShot(true);
    deliveryTimer_.setTimerType(Qt::PreciseTimer);
    connect(&deliveryTimer_, &QTimer::timeout, this, &SimDevice::deliverDue);
    streamTimer_.setTimerType(Qt::PreciseTimer);
    streamTimer_.setInterval(100);
    connect(&streamTimer_, &QTimer::timeout, this, &SimDevice::emitFrame);
    identity_ = DefaultIdentity(modelByte);
    switchBytes_ = DefaultSwitchBytes(modelByte);
    loadDefaultImage(modelByte, variantBits);
}

SimDevice* SimDevice::fromModelText(const QString& text, QObject* parent, QString* error) {
    std::uint8_t model = 0;
    std::uint8_t variant = 0;
    if (!ParseModelIdentifier(text, &model, &variant)) {
        if (error)
            *error = QStringLiteral("unknown device model \"%1\"").arg(text);
        return nullptr;
    }
    return new SimDevice(model, variant, parent);
}

QString SimDevice::modelIdentifier() const {
    return ModelIdentifier(identity_.ModelByte, memory(0, 4));
}

std::uint8_t SimDevice::memory(int bankIndex, int address) const {
    if (bankIndex < 0 || bankIndex >= banks_.size() || address < 0 || address >= kBankSize)
        return 0xFF;
    return std::uint8_t(banks_[bankIndex][address]);
}

void SimDevice::setMemory(int bankIndex, int address, std::uint8_t value) {
    if (bankIndex < 0 || bankIndex >= banks_.size() || address < 0 || address >= kBankSize)
        return;
    banks_[bankIndex][address] = char(value);
}

QByteArray SimDevice::bank(int bankIndex) const {
    if (bankIndex < 0 || bankIndex >= banks_.size())
        return QByteArray(kBankSize, char(0xFF));
    return banks_[bankIndex];
}

void SimDevice::loadDefaultImage(std::uint8_t modelByte, std::uint8_t variantBits) {
    banks_.clear();
    banks_.append(DefaultImage(modelByte, variantBits));
    for (int b = 1; b < kBankCount; ++b)
        banks_.append(QByteArray(kBankSize, char(0xFF)));
}

qint64 SimDevice::wireTimeNs(qsizetype bytes) {
    // 10 bits per byte (start, 8 data, stop) at 9600 baud, rounded up to whole ns.
    return (qint64(bytes) * 10'000'000'000LL + 9599) / 9600;
}

void SimDevice::setStreamInterval(int ms) {
    streamTimer_.setInterval(std::max(1, ms));
}

void SimDevice::injectFault(const Fault& f) {
    if (f.kind == Fault::Kind::None || f.count == 0)
        return;
    faults_.append(f);
}

void SimDevice::swapTo(std::uint8_t modelByte, std::uint8_t variantBits) {
    identity_ = DefaultIdentity(modelByte);
    switchBytes_ = DefaultSwitchBytes(modelByte);
    loadDefaultImage(modelByte, variantBits);
    resetLinkState();
    gone_ = false;
}

void SimDevice::revive() {
    resetLinkState();
    gone_ = false;
}

void SimDevice::resetLinkState() {
    programming_ = false;
    streaming_ = false;
    streamTimer_.stop();
    rx_.clear();
    rxTimeNs_.clear();
    outbox_.clear();
    deliveryTimer_.stop();
    rxFreeNs_ = 0;
    txFreeNs_ = 0;
    busyUntilNs_ = 0;
}

int SimDevice::switchDataLength(const DeviceIdentity& id) {
    const bool longForm = id.ModelByte == 7 || id.ModelByte == 8 || id.ModelByte == 9 ||
                          (id.ModelByte == 0 && id.DeviceCode == 12);
    return longForm ? 4 : 2;
}

int SimDevice::frameLength(const DeviceIdentity& id) {
    if (id.DeviceCode == 11)
        return 7;
    switch (id.ModelByte) {
    case 5:
        return 15;
    case 0:
    case 7:
    case 8:
    case 9:
        return 16;
    default:
        return 9;
    }
}

// ---- inbound: framing --------------------------------------------------------------------

void SimDevice::setPowered(bool on) {
    powered_ = on;
    if (!on) {
        resetLinkState();
        directDriven_[0] = directDriven_[1] = false;
    }
}

void SimDevice::receive(const QByteArray& bytes) {
    if (gone_ || !powered_ || bytes.isEmpty())
        return;
    const qint64 now = clock_.nsecsElapsed();
    // Bytes queue behind those still on the wire; each lands one character time later.
    const qint64 start = wireTiming_ ? std::max(now, rxFreeNs_) : now;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        rx_.append(bytes[i]);
        rxTimeNs_.append(wireTiming_ ? start + wireTimeNs(i + 1) : now);
    }
    if (wireTiming_)
        rxFreeNs_ = start + wireTimeNs(bytes.size());

    while (!rx_.isEmpty() && !gone_) {
        int length = 0;
        const Parse p = classify(&length);
        if (p == Parse::NeedMore)
            return;
        if (p == Parse::Drop) {
            rx_.remove(0, 1);
            rxTimeNs_.removeFirst();
            continue;
        }
        const QByteArray cmd = rx_.left(length);
        const qint64 doneNs = rxTimeNs_[length - 1];
        rx_.remove(0, length);
        rxTimeNs_.remove(0, length);
        execute(cmd, doneNs);
    }
    if (gone_) {
        rx_.clear();
        rxTimeNs_.clear();
    }
}

// Commands are recognised by length, never by looking for CR: the three binary bytes of a
// "$" command may themselves be 13. A byte that cannot start a command is dropped, which
// resynchronises after line noise.
SimDevice::Parse SimDevice::classify(int* length) const {
    const char first = rx_[0];
    if (first == '$') {
        if (rx_.size() >= 2 && !QByteArrayView("RWSDVIiF").contains(rx_[1]))
            return Parse::Drop;
        if (rx_.size() < 6)
            return Parse::NeedMore;
        if (rx_[5] != CR)
            return Parse::Drop;
        *length = 6;
        return Parse::Command;
    }
    char second = 0;
    if (first == 'S')
        second = 'M';
    else if (first == 'M')
        second = 'I';
    else if (first == 'P')
        second = 'R';
    else
        return Parse::Drop;
    if (rx_.size() >= 2 && rx_[1] != second)
        return Parse::Drop;
    if (rx_.size() < 3)
        return Parse::NeedMore;
    if (rx_[2] != CR)
        return Parse::Drop;
    *length = 3;
    return Parse::Command;
}

// ---- command execution -------------------------------------------------------------------

namespace {

// Streamed frames are matched as "A"; only faults naming "A" touch them.
std::optional<Fault> takeMatching(QList<Fault>& faults, const QByteArray& cmd, bool producesReply) {
    const bool frame = cmd == "A";
    for (qsizetype i = 0; i < faults.size(); ++i) {
        Fault& f = faults[i];
        if (!cmd.startsWith(f.match) || (frame && f.match != "A"))
            continue;
        bool counts = false;
        switch (f.kind) {
        case Fault::Kind::NoReply:
        case Fault::Kind::Vanish:
            counts = true;
            break;
        case Fault::Kind::DelayedReply:
        case Fault::Kind::CorruptReply:
        case Fault::Kind::TruncatedReply:
        case Fault::Kind::JunkBefore:
        case Fault::Kind::SplitReply:
        case Fault::Kind::ExtraReply:
            counts = producesReply;
            break;
        case Fault::Kind::DropWrites:
            counts = cmd.startsWith("$W");
            break;
        case Fault::Kind::WrongHandshake:
            counts = cmd.startsWith("PR");
            break;
        case Fault::Kind::None:
            break;
        }
        if (!counts)
            continue;
        if (f.skip > 0) {
            --f.skip;
            continue;
        }
        const Fault hit = f;
        if (f.count > 0 && --f.count == 0)
            faults.removeAt(i);
        return hit;
    }
    return std::nullopt;
}

} // namespace

void SimDevice::execute(const QByteArray& cmd, qint64 doneNs) {
    log_.append(cmd);
    if (doneNs < busyUntilNs_) {
        ++ignoredBusy_; // still writing the last byte: the command is lost
        return;
    }
    const bool producesReply = cmd.startsWith("PR") || (isQuery(cmd) && programming_);
    const std::optional<Fault> fault = takeMatching(faults_, cmd, producesReply);
    const Fault::Kind kind = fault ? fault->kind : Fault::Kind::None;

    switch (kind) {
    case Fault::Kind::NoReply:
    case Fault::Kind::DropWrites:
        return;
    case Fault::Kind::Vanish:
        gone_ = true;
        streaming_ = false;
        streamTimer_.stop();
        scheduleVanish(doneNs);
        return;
    case Fault::Kind::WrongHandshake:
        // A device in the wrong state echoes an error instead of accepting the session.
        schedule(QByteArrayLiteral("ERR\r\n"), doneNs, 0);
        return;
    default:
        break;
    }

    const int writesBefore = writesApplied_;
    send(reply(cmd), doneNs, fault);
    if (writesApplied_ != writesBefore)
        busyUntilNs_ = doneNs + writeTimeNs_;
}

// Hands a reply (or frame) to the outbound wire, bent by the fault that hit its command.
void SimDevice::send(QByteArray r, qint64 readyNs, const std::optional<Fault>& fault) {
    if (r.isEmpty())
        return;
    const Fault::Kind kind = fault ? fault->kind : Fault::Kind::None;
    const qint64 laterNs = fault ? qint64(std::max(0, fault->delayMs)) * 1'000'000 : 0;
    switch (kind) {
    case Fault::Kind::CorruptReply:
        r[r.size() - 1] = '?';
        if (r.size() >= 2)
            r[r.size() - 2] = '?';
        break;
    case Fault::Kind::TruncatedReply:
        r.truncate(std::max<qsizetype>(1, r.size() / 2));
        break;
    case Fault::Kind::JunkBefore:
        r.prepend(kJunk);
        break;
    case Fault::Kind::DelayedReply:
        schedule(r, readyNs, laterNs);
        return;
    case Fault::Kind::SplitReply: {
        const qsizetype half = r.size() / 2;
        schedule(r.left(half), readyNs, 0);
        schedule(r.mid(half), txFreeNs_, laterNs);
        return;
    }
    case Fault::Kind::ExtraReply:
        schedule(r, readyNs, 0);
        schedule(r, txFreeNs_, laterNs);
        return;
    default:
        break;
    }
    schedule(r, readyNs, 0);
}

// Applies one command and returns its reply (empty when the device stays silent).
QByteArray SimDevice::reply(const QByteArray& cmd) {
    switch (cmd[0]) {
    case 'S':
        streaming_ = false;
        streamTimer_.stop();
        return {};
    case 'M':
        streaming_ = true;
        if (!streamTimer_.isActive())
            streamTimer_.start();
        return {};
    case 'P':
        programming_ = true;
        directDriven_[0] = directDriven_[1] = false;
        return QByteArrayLiteral("OK\r\n");
    default:
        break;
    }

    const char op = cmd[1];
    if (op == 'F') { // "$FPxx": the device only looks at the letter
        programming_ = false;
        directDriven_[0] = directDriven_[1] = false;
        return {};
    }
    // Memory, table, switch, identity and direct-value commands need a programming session.
    if (!programming_)
        return {};

    const auto p1 = std::uint8_t(cmd[2]);
    const auto p2 = std::uint8_t(cmd[3]);
    QByteArray r(1, '*');
    switch (op) {
    case 'R':
        r.append(char(p1)).append(char(p2)).append(char(memory(p1, p2)));
        break;
    case 'W':
        if (p1 < banks_.size()) {
            setMemory(p1, p2, std::uint8_t(cmd[4]));
            ++writesApplied_;
        }
        return {};
    case 'S': {
        const auto [a, b] = TableSizes(identity_.ModelByte);
        int sum = 0;
        for (int segment = 0; segment < 2; ++segment) {
            const int count = segment == 0 ? a : b;
            // A switch model's tables are the switch-setting tables its positions select.
            const auto words = SwitchTableWords(identity_, p1, segment, count);
            for (int k = 0; k < count; ++k) {
                const auto hl = codecs::Split16(words ? (*words)[k] : TableWord(p1, segment, k));
                r.append(char(hl.high)).append(char(hl.low));
                sum += hl.high + hl.low;
            }
        }
        r.append(char(sum & 0xFF)); // check byte, ignored by the host
        break;
    }
    case 'D': {
        QByteArray data = switchBytes_.left(switchDataLength(identity_));
        data.append(QByteArray(switchDataLength(identity_) - data.size(), '\0'));
        r.append(data);
        break;
    }
    case 'V':
        r.append(char(identity_.ModelByte))
            .append(char(identity_.IdByte3))
            .append(char(identity_.IdByte4))
            .append(char(identity_.DeviceCode));
        break;
    case 'I':
        directUpper_ = codecs::Make16(p1, p2, true);
        directDriven_[0] = true;
        return {};
    case 'i':
        directLower_ = codecs::Make16(p1, p2, true);
        directDriven_[1] = true;
        return {};
    default:
        return {};
    }
    r.append(CR).append(LF);
    return r;
}

// ---- outbound: scheduling ----------------------------------------------------------------

// A reply is ready when its command has fully arrived; it then occupies the outbound wire
// for its own length, behind anything still being sent. Without wire timing it is handed
// over on the next event-loop pass, still in order.
void SimDevice::schedule(QByteArray bytes, qint64 readyNs, qint64 extraNs) {
    const qint64 start = std::max(readyNs + extraNs, txFreeNs_);
    const qint64 due = start + (wireTiming_ ? wireTimeNs(bytes.size()) : 0);
    txFreeNs_ = due;
    Outgoing o{due, false, std::move(bytes)};
    auto pos = std::upper_bound(outbox_.begin(), outbox_.end(), due,
                                [](qint64 d, const Outgoing& x) { return d < x.dueNs; });
    outbox_.insert(pos, std::move(o));
    armTimer();
}

void SimDevice::scheduleVanish(qint64 atNs) {
    auto pos = std::upper_bound(outbox_.begin(), outbox_.end(), atNs,
                                [](qint64 d, const Outgoing& x) { return d < x.dueNs; });
    outbox_.insert(pos, Outgoing{atNs, true, {}});
    armTimer();
}

// Qt timers have whole-millisecond intervals, and rounding a 12.5 ms round trip up to
// 13 ms would add 4 %. So the timer is armed for the whole milliseconds and the last
// fraction is slept (never spun) just before delivery; nothing ever goes out early.
void SimDevice::armTimer() {
    if (outbox_.empty()) {
        deliveryTimer_.stop();
        return;
    }
    const qint64 wait = outbox_.front().dueNs - clock_.nsecsElapsed();
    deliveryTimer_.start(wait <= 0 ? 0 : int(wait / 1'000'000));
}

void SimDevice::deliverDue() {
    constexpr qint64 kMaxSleepNs = 1'000'000;
    while (!outbox_.empty()) {
        const qint64 early = outbox_.front().dueNs - clock_.nsecsElapsed();
        if (early > kMaxSleepNs)
            break;
        if (early > 0)
            std::this_thread::sleep_for(std::chrono::nanoseconds(early));
        Outgoing o = std::move(outbox_.front());
        outbox_.pop_front();
        if (o.vanish) {
            outbox_.clear(); // whatever was still to be sent is lost with the device
            emit vanished();
            break;
        }
        emit transmit(o.bytes); // may re-enter receive(); the outbox stays consistent
    }
    armTimer();
}

// ---- streamed measurement frames ---------------------------------------------------------

void SimDevice::emitFrame() {
    if (!streaming_ || gone_)
        return;
    const qint64 now = clock_.nsecsElapsed();
    const QByteArray frame = buildFrame();
    ++frameCount_;
    const std::optional<Fault> fault = takeMatching(faults_, QByteArrayLiteral("A"), true);
    if (fault && fault->kind == Fault::Kind::NoReply)
        return;
    if (fault && fault->kind == Fault::Kind::Vanish) {
        gone_ = true;
        streaming_ = false;
        streamTimer_.stop();
        scheduleVanish(now);
        return;
    }
    send(frame, now, fault);
}

// "A", then F(1).. and CR. F(1) is a sequence byte; four measurement floats follow at
// F(2..4), F(5..7), F(8..10), F(11..13) as far as the frame reaches: the raw output
// readings of channels A and B (800 and 3500 are the calibration points) and the two
// input readings. The 16-byte frames end with a status byte F(14): bit 0/1 trip 1/2 on.
QByteArray SimDevice::buildFrame() {
    const int len = frameLength(identity_);
    QByteArray frame(len, '\0');
    frame[0] = 'A';
    frame[len - 1] = CR;
    frame[1] = char(frameCount_ & 0x3F);

    const bool frequencyModel = identity_.ModelByte == 7;
    double values[4] = {};
    double inputs[2] = {};
    for (int c = 0; c < 2; ++c) {
        const int type = working(c).type;
        const ChannelState state = channelState(c);
        values[c] = state.raw;
        inputs[c] = state.input;
        // V and mA inputs are reported in thousandths.
        values[c + 2] = (type == 4 || type == 5) && !frequencyModel ? inputs[c] * 1000 : inputs[c];
    }
    if (frequencyModel)
        values[3] = inputs[0];

    for (int k = 0; k < 4; ++k) {
        if (3 * k + 4 > len - 2)
            break;
        const auto m = encodeMeasureFloat(values[k]);
        for (int i = 0; i < 3; ++i)
            frame[3 * k + 2 + i] = char(m[i]);
    }
    if (len == 16) {
        auto threshold = [&](int b) {
            return codecs::FloatFromBytes(memory(0, b + 1), memory(0, b), memory(0, b + 2));
        };
        int status = 0;
        if (identity_.ModelByte == 0 && inputs[0] >= threshold(10))
            status |= 1;
        if (frequencyModel) {
            if (inputs[0] >= threshold(28))
                status |= 1;
            if (inputs[0] >= threshold(34))
                status |= 2;
        }
        frame[14] = char(status);
    }
    return frame;
}

// ---- the analog side ---------------------------------------------------------------------

void SimDevice::setAnalogInput(int channel, std::optional<double> value) {
    if (channel == 0 || channel == 1)
        analogInput_[channel] = value;
}

std::optional<double> SimDevice::analogInput(int channel) const {
    return channel == 0 || channel == 1 ? analogInput_[channel] : std::nullopt;
}

bool SimDevice::outputIsCurrent(int channel) const {
    return working(channel).outputCode <= 1;
}

// The channel as the unit works it: its record, and on a switch-configured unit what its
// switches select. The bench drives units through their records (switches at "EEPROM").
WorkingChannel SimDevice::working(int c) const {
    const bool frequencyModel = identity_.ModelByte == 7;
    std::array<WorkingChannel, 2> w;
    for (int k = 0; k < 2; ++k) {
        WorkingChannel& x = w[std::size_t(k)];
        x.type = memory(0, k) & 31;
        x.decimals = frequencyModel ? (memory(0, 4) & 12) / 4 : InputDecimals(x.type);
        const double scale = std::pow(10.0, x.decimals);
        const int base = k == 0 ? 20 : 12;
        auto word = [&](int a) {
            return codecs::Make16(memory(0, a + 1), memory(0, a), !frequencyModel);
        };
        x.inEnd = word(base) / scale;
        x.inStart = word(base + 2) / scale;
        x.outEnd = word(base + 4) / 1000.0;
        x.outStart = word(base + 6) / 1000.0;
        x.outputCode = memory(0, 2 * k + 4) & 3;
    }
    if (!calibration_)
        ApplyUnitSwitches(identity_, switchBytes_.left(switchDataLength(identity_)), w[0], w[1]);
    return w[std::size_t(c == 1 ? 1 : 0)];
}

double SimDevice::analogOutput(int channel) const {
    return channel == 0 || channel == 1 ? channelState(channel).output : 0.0;
}

// Input, output and raw output count of a channel: the applied input or the simulated sweep,
// mapped through the configured input and output ranges; a DAC count sent while programming
// overrides the output.
SimDevice::ChannelState SimDevice::channelState(int c) const {
    const bool frequencyModel = identity_.ModelByte == 7;
    const WorkingChannel w = working(c);
    const int type = w.type;
    const double inEnd = w.inEnd;
    const double inStart = w.inStart;
    const double outEnd = w.outEnd;
    const double outStart = w.outStart;
    const bool current = w.outputCode <= 1;
    const double lo = OutputAtRawLow(current);
    const double hi = OutputAtRawHigh(current);

    ChannelState st;
    if (calibration_ && analogInput_[c] && !frequencyModel)
        return calibratedState(c, type, *analogInput_[c], inStart, inEnd, outStart, outEnd);
    // A one-input unit's second output follows the same input as its first.
    const int phase = identity_.ModelByte == 0 || identity_.ModelByte == 1 ? 0 : c;
    double f = 0.5 + 0.4 * std::sin(frameCount_ * 0.02 + phase);
    if (analogInput_[c]) {
        st.input = *analogInput_[c];
        f = inEnd != inStart ? (st.input - inStart) / (inEnd - inStart) : 0.0;
    } else {
        st.input = inStart + f * (inEnd - inStart);
    }
    st.output = outStart + f * (outEnd - outStart);
    st.raw = kRawLow + (st.output - lo) / (hi - lo) * (kRawHigh - kRawLow);
    if (programming_ && directDriven_[c]) {
        st.raw = c == 0 ? directUpper_ : directLower_;
        st.output = calibration_ ? calibration_->terminalOutput(c, current, st.raw)
                                 : lo + (st.raw - kRawLow) / (kRawHigh - kRawLow) * (hi - lo);
    }
    return st;
}

} // namespace vantelso::sim

namespace vantelso::sim {

// A unit with analog errors: the reading goes through its input constants, the output is
// the DAC count its output constants give for the wanted value, and the terminals carry
// what that count really drives.
SimDevice::ChannelState SimDevice::calibratedState(int c, int type, double input, double inStart,
                                                   double inEnd, double outStart,
                                                   double outEnd) const {
    ChannelState st;
    const bool current = outputIsCurrent(c);
    if (const auto raw = calibration_->rawPtcCount(*this, c, type, input)) {
        st.input = *raw;
        st.raw = *raw;
        // A count driven while programming reaches the output whatever the input is.
        const bool driven = programming_ && directDriven_[c];
        st.output = calibration_->terminalOutput(
            c, current, driven ? (c == 0 ? directUpper_ : directLower_) : kRawLow);
        return st;
    }
    st.input = calibration_->reading(*this, c, type, input);
    const double f = inEnd != inStart ? (st.input - inStart) / (inEnd - inStart) : 0.0;
    const double wanted = outStart + f * (outEnd - outStart);
    const auto [lo, hi] = calibration_->outputConstants(*this, c);
    st.raw =
        hi != lo ? std::round(kRawLow + (wanted - lo) / (hi - lo) * (kRawHigh - kRawLow)) : kRawLow;
    if (programming_ && directDriven_[c])
        st.raw = c == 0 ? directUpper_ : directLower_;
    st.output = calibration_->terminalOutput(c, current, st.raw);
    return st;
}

} // namespace vantelso::sim
