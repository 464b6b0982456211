#include "siminstrument.h"

#include <QMetaObject>

namespace vantelso::sim {

void SimInstrument::answer(QByteArray bytes) {
    if (silent_ || bytes.isEmpty())
        return;
    if (answerLimit_ >= 0)
        bytes.truncate(answerLimit_);
    QMetaObject::invokeMethod(
        this, [this, bytes] { Q_EMIT transmit(bytes); }, Qt::QueuedConnection);
}

void SimLineInstrument::onBytes(const QByteArray& bytes) {
    for (const char c : bytes) {
        if (c != '\r' && c != '\n') {
            partial_.append(c);
            continue;
        }
        if (partial_.isEmpty())
            continue;
        const QByteArray line = partial_;
        partial_.clear();
        lines_.append(line);
        onLine(line);
    }
}

SimInstrumentTransport::SimInstrumentTransport(SimInstrument* instrument, QObject* parent)
    : Transport(parent), instrument_(instrument) {
    if (instrument)
        connect(instrument, &SimInstrument::transmit, this, &SimInstrumentTransport::onTransmit);
}

bool SimInstrumentTransport::open() {
    if (!instrument_) {
        error_ = QStringLiteral("no simulated instrument attached");
        return false;
    }
    input_.clear();
    error_.clear();
    open_ = true;
    return true;
}

void SimInstrumentTransport::close() {
    open_ = false;
    input_.clear();
}

bool SimInstrumentTransport::write(const QByteArray& bytes) {
    if (!open_ || !instrument_) {
        error_ = QStringLiteral("%1: port not open").arg(portName());
        return false;
    }
    instrument_->receive(bytes);
    return true;
}

QByteArray SimInstrumentTransport::readAll() {
    QByteArray out;
    out.swap(input_);
    return out;
}

QString SimInstrumentTransport::portName() const {
    return QStringLiteral("sim:%1").arg(instrument_ ? instrument_->name() : QString());
}

void SimInstrumentTransport::onTransmit(const QByteArray& bytes) {
    if (!open_)
        return;
    input_.append(bytes);
    Q_EMIT readyRead();
}

} // namespace vantelso::sim
