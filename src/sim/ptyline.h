#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace vantelso::sim {

// The master side of a raw pseudo-terminal: what a client writes to the slave path comes out
// of received(), what is passed to send() reaches the client. Serves any simulated device or
// instrument to a real serial-port client. Unix only: elsewhere start() fails with a message.
class PtyLine : public QObject {
    Q_OBJECT
public:
    explicit PtyLine(QObject* parent = nullptr);
    ~PtyLine() override;

    bool start(QString* error);
    QString slavePath() const { return slavePath_; } // e.g. /dev/pts/5
    bool isRunning() const { return master_ >= 0; }
    // Closes the pseudo-terminal; clients on the slave side see the port die.
    void stop();

public Q_SLOTS:
    void send(const QByteArray& bytes);

Q_SIGNALS:
    void received(const QByteArray& bytes);

private:
    void onReadable();
    void flushPending();

    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    QByteArray pending_; // output the master could not take yet
    QString slavePath_;
    int master_ = -1;
    int slave_ = -1;
};

} // namespace vantelso::sim
