// The device's command set. Every parsed command stops streaming, enters programming mode
// with the "PR"/"OK" handshake, asks one byte at a time and leaves with "$FPxx".
#include "devicelink.h"

#include "codecs.h"
#include "linktrace.h"

namespace vantelso {

namespace {

const QByteArray kStop = QByteArrayLiteral("SM\r");
const QByteArray kStart = QByteArrayLiteral("MI\r");
const QByteArray kProgram = QByteArrayLiteral("PR\r");
const QByteArray kProgramOk = QByteArrayLiteral("OK\r\n");
const QByteArray kEndProgram = QByteArrayLiteral("$FPxx\r");

// "$" + letter + three bytes + CR: the fixed six-byte request of the parsed commands.
QByteArray request(char letter, int b1, int b2, int b3) {
    QByteArray r;
    r.reserve(6);
    r.append('$').append(letter).append(char(b1 & 0xFF)).append(char(b2 & 0xFF));
    r.append(char(b3 & 0xFF)).append('\r');
    return r;
}

ReplyTemplate replyTemplate(int placeholders, bool crOnly = false, char marker = '*') {
    ReplyTemplate t;
    t.pattern = QByteArray(1, marker) + QByteArray(placeholders, '#');
    t.crOnly = crOnly;
    return t;
}

QByteArray failedBlock() {
    QByteArray r(DeviceLink::BufSize, '\0');
    r[0] = 1;
    return r;
}

} // namespace

// Marks a command as running; a second command started from an event serviced while the
// first one waits is refused instead of interleaving its bytes with the first one's.
class DeviceLink::CommandScope {
public:
    explicit CommandScope(DeviceLink* link) : m_link(link) {
        if (link->m_busy) {
            // The running command owns CommError; the refused caller learns of the refusal
            // from its failed result and lastCallRefused().
            m_refused = true;
            link->m_lastRefused = true;
            Q_EMIT link->commandRefused();
            return;
        }
        link->m_busy = true;
        link->m_lastRefused = false;
    }
    ~CommandScope() {
        if (!m_refused)
            m_link->m_busy = false;
    }
    bool refused() const { return m_refused; }

private:
    DeviceLink* m_link;
    bool m_refused = false;
};

QString DeviceLink::failureText() const {
    return isPortOpen() ? m_texts.communicationError : m_texts.portNotOpen;
}

Prompter::Answer DeviceLink::askRetry(const QString& text) {
    if (!m_prompter)
        return Prompter::Answer::Cancel;
    return m_prompter->ask(text, Prompter::Buttons::RetryCancel, Prompter::Icon::Warning);
}

// ---- short commands ----

void DeviceLink::stopMeasure() {
    SendOnly(kStop, 0.2);
    Q_EMIT portPanelEnabled();
}

void DeviceLink::startMeasure() {
    SendOnly(kStart, 0.2);
    Q_EMIT portPanelEnabled();
}

void DeviceLink::endProgramming() {
    SendOnly(kEndProgram, 0.1);
    Q_EMIT portPanelEnabled();
}

void DeviceLink::enterProgramming() {
    CommError = 0;
    for (int attempts = 0; attempts < 3; ++attempts) {
        if (isPortOpen()) {
            takeInput();
            sendBytes(kProgram);
        }
        Delay(0.1);
        const QByteArray answer = isPortOpen() ? takeInput() : QByteArray();
        if (answer == kProgramOk) {
            Q_EMIT portPanelEnabled();
            return;
        }
        qCDebug(lcLink).noquote() << TraceTime() << "no OK to PR";
    }
    CommError = 1;
}

void DeviceLink::StopMeasure() {
    CommandScope scope(this);
    if (!scope.refused())
        stopMeasure();
}

void DeviceLink::StartMeasure() {
    CommandScope scope(this);
    if (!scope.refused())
        startMeasure();
}

void DeviceLink::EnterProgramming() {
    CommandScope scope(this);
    if (!scope.refused())
        enterProgramming();
}

void DeviceLink::EndProgramming() {
    CommandScope scope(this);
    if (!scope.refused())
        endProgramming();
}

void DeviceLink::sendValue(char letter, int value) {
    CommandScope scope(this);
    if (scope.refused())
        return;
    const auto hl = codecs::Split16(value);
    SendOnly(request(letter, hl.high, hl.low, 0), 0.2);
    Q_EMIT portPanelEnabled();
}

void DeviceLink::SendValueUpperI(int value) {
    sendValue('I', value);
}

void DeviceLink::SendValueLowerI(int value) {
    sendValue('i', value);
}

// ---- block read and write ----

QByteArray DeviceLink::ReadBlock(int bank, int first, int count) {
    CommandScope scope(this);
    if (scope.refused())
        return failedBlock();
    return readBlock(bank, first, count);
}

QByteArray DeviceLink::readBlock(int bank, int first, int count) {
    QByteArray result(BufSize, '\0');
    setActivity(true);
    Q_EMIT panelEnabledChanged(false);
    CommError = 0;
    // One address byte per request: a block that would run past 255 is a caller's mistake,
    // refused rather than silently wrapped to address 0.
    bool failed = count < 0 || count > 256 || first < 0 || first + count > 256;
    int attempts = 0;
    while (!failed) {
        ++attempts;
        stopMeasure();
        enterProgramming();
        CommError = 0; // a missed handshake does not stop a read: the replies decide
        FlushInput();
        bool restart = false;
        for (int a = first; a < first + count; ++a) {
            if (isPortOpen())
                m_transport->clearInput();
            const Reply reply = WaitReply(request('R', bank, a, 0), replyTemplate(5), 1);
            if (reply.status == Reply::Status::Timeout) {
                const QString text = failureText();
                if (attempts < 3 || askRetry(text) == Prompter::Answer::Retry) {
                    traceRetry("$R", attempts + 1);
                    endProgramming();
                    restart = true;
                } else {
                    failed = true;
                }
                break;
            }
            if (reply.status == Reply::Status::PortError) {
                failed = true;
                break;
            }
            result[a - first] = char(reply.at(4));
            Q_EMIT progressChanged(a - first + 1, count);
        }
        if (restart)
            continue;
        if (!failed)
            endProgramming();
        break;
    }
    if (failed) {
        result[0] = 1;
        CommError = 1;
    }
    Q_EMIT panelEnabledChanged(true);
    setActivity(false);
    return result;
}

void DeviceLink::WriteBlock(int bank, const WriteQueue& items) {
    CommandScope scope(this);
    if (scope.refused())
        return;
    setActivity(true);
    stopMeasure();
    enterProgramming();
    if (CommError == 1) {
        // The handshake failed: nothing is written. CommError stays set so that no caller
        // mistakes this for a write that went out.
        if (m_prompter)
            m_prompter->ask(m_texts.communicationError, Prompter::Buttons::Ok,
                            Prompter::Icon::Critical);
    } else {
        for (int i = 0; i < items.size(); ++i) {
            QByteArray cmd = request('W', bank, items[i].address, items[i].value);
            if (!isPortOpen() || !sendBytes(cmd)) {
                CommError = 1; // the port went away: stop rather than pretend
                break;
            }
            Delay(0.05);
            Q_EMIT progressChanged(i + 1, int(items.size()));
        }
    }
    endProgramming();
    setActivity(false);
    Q_EMIT blockWritten();
}

// ---- tables, switch state, frames, identity ----

int DeviceLink::TableDataBytes(std::uint8_t modelByte, int* a, int* b, int prevA, int prevB) {
    switch (modelByte) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 6:
    case 8:
    case 9:
        *a = 63, *b = 15;
        break;
    case 4:
    case 5:
        *a = 16, *b = 16;
        break;
    case 7:
        *a = 63, *b = 1;
        break;
    default: // an unknown model keeps the sizes of the previous table read
        *a = prevA, *b = prevB;
        break;
    }
    return 2 * (*a + *b);
}

QList<int> DeviceLink::ReadTable(int n) {
    CommandScope scope(this);
    if (scope.refused())
        return {};
    setActivity(true);
    CommError = 0;
    int a = 0, b = 0;
    const int dataBytes = TableDataBytes(identity.ModelByte, &a, &b, m_tableA, m_tableB);
    m_tableA = a;
    m_tableB = b;
    QList<int> result(a + b + 2, 0);
    const ReplyTemplate tmpl = replyTemplate(dataBytes + 3);
    bool failed = false;
    Reply reply;
    for (int attempts = 1;; ++attempts) {
        stopMeasure();
        enterProgramming();
        FlushInput();
        reply = WaitReply(request('S', n, n, 0), tmpl, 1);
        if (reply.status == Reply::Status::Timeout) {
            if (attempts < 2 || askRetry(m_texts.communicationError) == Prompter::Answer::Retry) {
                traceRetry("$S", attempts + 1);
                endProgramming();
                continue;
            }
            failed = true;
        } else if (reply.status == Reply::Status::PortError) {
            failed = true;
        }
        break;
    }
    if (!failed) {
        endProgramming();
        Delay(0.2);
        // The table's two scale words sit in the record, four bytes per table.
        BUF = readBlock(0, 132 + 4 * (n - 1), 4);
        failed = CommError == 1;
        Delay(0.1);
    }
    if (!failed) {
        auto word = [&](int pos) { // 1-based reply position of a big-endian word
            return codecs::Make16(reply.at(pos), reply.at(pos + 1), signedValues);
        };
        result[0] = codecs::Make16(quint8(BUF[0]), quint8(BUF[1]), signedValues);
        for (int k = 1; k <= a; ++k)
            result[k] = word(2 * k);
        result[a + 1] = codecs::Make16(quint8(BUF[2]), quint8(BUF[3]), signedValues);
        for (int k = 1; k <= b; ++k)
            result[a + 1 + k] = word(2 * a + 2 * k);
    } else {
        CommError = 1;
    }
    setActivity(false);
    return result;
}

QList<int> DeviceLink::ReadData() {
    CommandScope scope(this);
    if (scope.refused())
        return QList<int>(BufSize, 0);
    QList<int> result(BufSize, 0);
    setActivity(true);
    CommError = 0;
    // Models with two switch banks and trip options answer with four bytes.
    const std::uint8_t m = identity.ModelByte;
    const bool longReply = m == 7 || m == 8 || m == 9 || (m == 0 && identity.DeviceCode == 12);
    const ReplyTemplate tmpl = replyTemplate(longReply ? 6 : 4);
    for (int attempts = 1;; ++attempts) {
        stopMeasure();
        enterProgramming();
        if (CommError == 1) {
            setActivity(false);
            return result;
        }
        if (isPortOpen())
            m_transport->clearInput();
        const Reply reply = WaitReply(request('D', 0, 0, 0), tmpl, 1);
        if (reply.status == Reply::Status::Timeout) {
            if (attempts < 3) {
                traceRetry("$D", attempts + 1);
                endProgramming();
                endProgramming();
                continue;
            }
            if (askRetry(m_texts.communicationError) == Prompter::Answer::Retry) {
                traceRetry("$D", attempts + 1);
                endProgramming();
                continue;
            }
        } else if (reply.ok()) {
            for (int k = 0; k < 4; ++k)
                result[k] = reply.at(k + 2);
            break;
        }
        // Cancelled or a port error: no switch bytes arrived, and the zeros must not pass
        // for real ones.
        CommError = 1;
        break;
    }
    endProgramming();
    setActivity(false);
    return result;
}

ReplyTemplate DeviceLink::FrameTemplate(const DeviceIdentity& id) {
    if (id.DeviceCode == 11)
        return replyTemplate(6, true, 'A');
    if (id.DeviceCode != 12)
        return {};
    switch (id.ModelByte) {
    case 5:
        return replyTemplate(14, true, 'A');
    case 0:
    case 7:
    case 8:
    case 9:
        return replyTemplate(15, true, 'A');
    default:
        return replyTemplate(8, true, 'A');
    }
}

QByteArray DeviceLink::ReadFrame() {
    CommandScope scope(this);
    QByteArray result(256, '\0');
    if (scope.refused()) {
        result[0] = 1;
        return result;
    }
    const ReplyTemplate tmpl = FrameTemplate(identity);
    for (;;) {
        Reply reply;
        if (tmpl.pattern.isEmpty()) {
            // No frame layout for this device: listen out the time-out and report it.
            Delay(1.0);
            reply.status = Reply::Status::Timeout;
        } else {
            reply = WaitReply(QByteArray(), tmpl, 1);
        }
        if (!reply.ok()) {
            if (askRetry(m_texts.communicationError) == Prompter::Answer::Retry) {
                traceRetry("frame", 0);
                stopMeasure();
                Delay(0.5);
                startMeasure();
                continue;
            }
            result[0] = 1;
            return result;
        }
        const std::uint8_t m = identity.ModelByte;
        const int base = identity.DeviceCode == 11 ? 5 : 7;
        for (int k = 1; k <= base; ++k)
            result[k] = char(reply.at(k + 1));
        if (identity.DeviceCode == 12) {
            if (m == 0 || m == 5 || m == 7 || m == 8 || m == 9)
                for (int k = 8; k <= 13; ++k)
                    result[k] = char(reply.at(k + 1));
            if (m == 0 || m == 7)
                result[14] = char(reply.at(15));
        }
        return result;
    }
}

QByteArray DeviceLink::ReadIdentity() {
    CommandScope scope(this);
    QByteArray result(256, '\0');
    if (scope.refused()) {
        result[0] = 1;
        return result;
    }
    setActivity(true);
    CommError = 0;
    for (;;) {
        stopMeasure();
        enterProgramming();
        if (isPortOpen())
            m_transport->clearInput();
        const Reply reply = WaitReply(request('V', 0, 0, 0), replyTemplate(6), 1);
        if (!reply.ok()) {
            if (askRetry(failureText()) == Prompter::Answer::Retry) {
                traceRetry("$V", 0);
                continue;
            }
            result[0] = 1;
            CommError = 1;
            setActivity(false);
            return result;
        }
        result[1] = char(reply.at(4));
        result[2] = char(reply.at(5));
        result[3] = char(reply.at(2));
        result[4] = char(reply.at(3));
        endProgramming();
        identity.IdByte4 = reply.at(4);
        identity.ModelByte = reply.at(2);
        identity.IdByte3 = reply.at(3);
        identity.DeviceCode = reply.at(5);
        setActivity(false);
        endProgramming();
        return result;
    }
}

QString DeviceLink::ReadModelIdentifier() {
    if (!ModelNeedsVariantByte(identity.ModelByte))
        return ModelIdentifier(identity.ModelByte, 0);
    const QByteArray b = ReadBlock(0, 4, 1);
    if (CommError)
        return {};
    return ModelIdentifier(identity.ModelByte, std::uint8_t(b[0]));
}

void DeviceLink::setActivity(bool on) {
    if (on) {
        if (m_activityDepth++ == 0)
            Q_EMIT activityChanged(true);
    } else if (m_activityDepth > 0 && --m_activityDepth == 0) {
        Q_EMIT activityChanged(false);
    }
}

} // namespace vantelso
