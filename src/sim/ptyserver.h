#pragma once

#include "ptyline.h"

#include <QObject>
#include <QPointer>
#include <QString>

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
    QString slavePath() const { return line_.slavePath(); }
    bool isRunning() const { return line_.isRunning(); }
    // Closes the pseudo-terminal; clients on the slave side see the port die.
    void stop();

private:
    QPointer<SimDevice> device_;
    PtyLine line_;
};

} // namespace vantelso::sim
