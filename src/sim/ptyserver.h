#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class QSocketNotifier;

namespace vantelso::sim {

class SimDevice;

// Serves a SimDevice on a pseudo-terminal so that a real serial-port client (the program
// itself, a terminal) can talk to it through the slave path. Unix only: elsewhere start()
// fails with a message.
class PtyServer : public QObject {
    Q_OBJECT
public:
    explicit PtyServer(QObject* parent = nullptr);
    ~PtyServer() override;

    bool start(SimDevice* device, QString* error);
    QString slavePath() const { return slavePath_; } // e.g. /dev/pts/5
    bool isRunning() const { return master_ >= 0; }
    // Closes the pseudo-terminal; clients on the slave side see the port die.
    void stop();

private:
    void onReadable();
    void onWritable();
    void onTransmit(const QByteArray& bytes);
    void flushPending();

    QPointer<SimDevice> device_;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    QByteArray pending_; // device output the master could not take yet
    QString slavePath_;
    int master_ = -1;
    int slave_ = -1;
};

} // namespace vantelso::sim
