#pragma once

#include "identity.h"
#include "linktexts.h"
#include "prompter.h"
#include "reply.h"
#include "transport.h"
#include "writeitem.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <array>

namespace vantelso {

// The device link: the one port to the device, the transaction engine and the device's
// command set. Commands run one at a time on the caller's thread; while they wait they keep
// the event loop running, woken by arriving bytes or by their deadline. A command started
// while another one waits (from a click serviced during the wait) is refused, not
// interleaved: it touches nothing on the wire or in the shared state, returns a failed result
// and emits commandRefused().
class DeviceLink : public QObject {
    Q_OBJECT
public:
    static constexpr int BufSize = 257; // indices 0..256, as every result array of the device

    explicit DeviceLink(Prompter* prompter, QObject* parent = nullptr);
    ~DeviceLink() override;

    // The link does not own the transport; it must outlive the link or be reset first.
    void setTransport(Transport* transport);
    Transport* transport() const { return m_transport; }
    bool isPortOpen() const;
    void setTexts(const LinkTexts& texts) { m_texts = texts; }
    const LinkTexts& texts() const { return m_texts; }
    Prompter* prompter() const { return m_prompter; }

    // --- state shared with the rest of the program ---
    DeviceIdentity identity;
    // 1 when the last device command failed; reset at the start of each command.
    int CommError = 0;
    // The last memory block read (normally the configuration record image).
    QByteArray BUF = QByteArray(BufSize, '\0');
    // Signed 16-bit words in table reads (cleared for the frequency model by the record read).
    bool signedValues = true;
    bool busy() const { return m_busy; }
    // True right after a command call that was refused because another one was running.
    bool lastCallRefused() const { return m_lastRefused; }

    // --- primitives ---
    // Sends `command` (nothing when empty) and collects the last reply matching `tmpl`
    // within `timeoutSeconds`, measured from before the write.
    Reply WaitReply(const QByteArray& command, const ReplyTemplate& tmpl, int timeoutSeconds);
    // Pauses, keeping the user interface live.
    void Delay(double seconds);
    // Every pause of the link is multiplied by this (1 for a real device; a simulated one
    // that answers at once may shorten them).
    void setDelayScale(double factor) { m_delayScale = factor; }
    // Every reply time-out is multiplied by this (1 for a real device; tests that let a
    // simulated device stay silent shorten the waits).
    void setTimeoutScale(double factor) { m_timeoutScale = factor; }
    // Discard input, write, pause, discard input again.
    void SendOnly(const QByteArray& command, double pauseSeconds);
    // Empty the port's input buffer and discard one read of pending input.
    void FlushInput();

    // --- the device command set ---
    void StopMeasure();
    void StartMeasure();
    void EnterProgramming();
    void EndProgramming();
    // Element k holds the byte at first+k; element 0 is 1 and CommError 1 on failure.
    QByteArray ReadBlock(int bank, int first, int count);
    // One "$W" per item, 50 ms apart; nothing is read back here.
    void WriteBlock(int bank, const WriteQueue& items);
    QList<int> ReadTable(int n);
    QList<int> ReadData();
    QByteArray ReadFrame();
    QByteArray ReadIdentity();
    void SendValueUpperI(int value);
    void SendValueLowerI(int value);

    // The model identifier of the identified device ("RSX7131B"); for the lettered models
    // this reads the byte at address 4. Empty when that read fails.
    QString ReadModelIdentifier();

    // Frame template for the identified device; empty when the device code has none.
    static ReplyTemplate FrameTemplate(const DeviceIdentity& id);
    static int TableDataBytes(std::uint8_t modelByte, int* a, int* b, int prevA, int prevB);

Q_SIGNALS:
    // Lamp red and hourglass while true; green and normal pointer when false.
    void activityChanged(bool busy);
    // The connection panel is disabled during block reads.
    void panelEnabledChanged(bool enabled);
    // The frame with the port list and its switch is enabled again after short commands.
    void portPanelEnabled();
    void progressChanged(int done, int total);
    // A block write went out: windows that track "written since" clear their flag.
    void blockWritten();
    void commandRefused();
    // The port failed under a command (device unplugged).
    void portFailed(const QString& reason);

private:
    class CommandScope;
    friend class CommandScope;

    void stopMeasure();
    void startMeasure();
    void enterProgramming();
    void endProgramming();
    void sendValue(char letter, int value);
    QByteArray readBlock(int bank, int first, int count);
    QString failureText() const;
    void setActivity(bool on);
    Prompter::Answer askRetry(const QString& text);
    void waitForInput(const QDeadlineTimer& deadline);
    // Every byte to and from the port passes here, so that the wire trace sees all of it.
    bool sendBytes(const QByteArray& bytes);
    QByteArray takeInput();
    void traceRetry(const char* command, int attempt);
    void noteTurnaround(qint64 latenessNs, qint64 byteNs);
    void onTransportFailed(const QString& reason);

    Prompter* m_prompter;
    QPointer<Transport> m_transport;
    LinkTexts m_texts;
    bool m_busy = false;
    double m_delayScale = 1.0;
    double m_timeoutScale = 1.0;
    bool m_lastRefused = false;
    int m_activityDepth = 0;
    bool m_portFailed = false;
    qint64 m_turnaroundNs = 0; // see noteTurnaround()
    int m_tableA = 0;
    int m_tableB = 0;
    QMetaObject::Connection m_failedConnection;
};

} // namespace vantelso
