#pragma once

#include <QObject>

namespace vantelso {

// Ctrl-C as an ordinary event: while an object of this class lives, the first interrupt
// (SIGINT on Unix, the console's Ctrl-C or Ctrl-Break on Windows) emits interrupted() on the
// event loop instead of ending the process, so a running command can end cleanly. A second
// interrupt ends the process the usual way. One object at a time.
class InterruptSeam : public QObject {
    Q_OBJECT
public:
    explicit InterruptSeam(QObject* parent = nullptr);
    ~InterruptSeam() override;

Q_SIGNALS:
    void interrupted();

private:
    void onNotified();
    int m_fds[2] = {-1, -1};
};

} // namespace vantelso
