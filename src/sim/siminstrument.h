#pragma once

#include "transport.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QObject>
#include <QPointer>

namespace vantelso::sim {

// One simulated bench instrument on its line. Bytes from the host go in through receive();
// answers come out of transmit() on a later event-loop pass, as a real instrument's would.
class SimInstrument : public QObject {
    Q_OBJECT
public:
    explicit SimInstrument(QString name, QObject* parent = nullptr)
        : QObject(parent), name_(std::move(name)) {}

    QString name() const { return name_; }
    // A silent instrument hears everything and answers nothing (switched off, cable out).
    void setSilent(bool silent) { silent_ = silent; }
    bool silent() const { return silent_; }
    // Answers are cut to this many bytes (a line dropping characters); -1 for whole answers.
    void setAnswerLimit(int bytes) { answerLimit_ = bytes; }
    // Every byte received, as it came.
    QByteArray heard() const { return heard_; }
    void clearHeard() { heard_.clear(); }

public Q_SLOTS:
    void receive(const QByteArray& bytes) {
        heard_ += bytes;
        onBytes(bytes);
    }

Q_SIGNALS:
    void transmit(const QByteArray& bytes);
    // Something the host can see changed (a setting, an output, a relay).
    void changed();

protected:
    virtual void onBytes(const QByteArray& bytes) = 0;
    void answer(QByteArray bytes);

private:
    QString name_;
    QByteArray heard_;
    bool silent_ = false;
    int answerLimit_ = -1;
};

// An instrument that takes lines of text ending in CR, LF or both; empty lines are ignored.
// Every line is logged.
class SimLineInstrument : public SimInstrument {
    Q_OBJECT
public:
    using SimInstrument::SimInstrument;

    QByteArrayList lines() const { return lines_; }
    void clearLines() { lines_.clear(); }

protected:
    void onBytes(const QByteArray& bytes) override;
    virtual void onLine(const QByteArray& line) = 0;

private:
    QByteArray partial_;
    QByteArrayList lines_;
};

// An in-process port to a simulated instrument, for sessions and drivers that need no real
// serial line.
class SimInstrumentTransport : public Transport {
    Q_OBJECT
public:
    explicit SimInstrumentTransport(SimInstrument* instrument, QObject* parent = nullptr);

    bool open() override;
    void close() override;
    bool isOpen() const override { return open_; }
    bool write(const QByteArray& bytes) override;
    QByteArray readAll() override;
    qint64 bytesAvailable() const override { return input_.size(); }
    void clearInput() override { input_.clear(); }
    QString errorString() const override { return error_; }
    QString portName() const override;

private:
    void onTransmit(const QByteArray& bytes);

    QPointer<SimInstrument> instrument_;
    QByteArray input_;
    QString error_;
    bool open_ = false;
};

} // namespace vantelso::sim
