#pragma once

#include "siminstrument.h"

namespace vantelso::sim {

// A SCPI function generator: "*RST", "FUNCtion <shape>", "FUNCtion:USER <name>",
// "FUNCtion:SHAPe USER", "VOLTage <v>", "VOLTage:OFFSet <v>", "FREQuency <hz>",
// "OUTPut ON|OFF", "OUTPut:LOAD <ohm>", "DATA VOLATILE, <points>", "DATA:COPY <name>,
// VOLATILE"; several commands in one line separated by ';'. Keywords are matched by their
// short (upper-case) or long form.
class SimFunctionGenerator : public SimLineInstrument {
    Q_OBJECT
public:
    explicit SimFunctionGenerator(QObject* parent = nullptr);

    QString shape() const { return shape_; }
    double volts() const { return volts_; }
    double offset() const { return offset_; }
    double frequency() const { return frequency_; }
    bool outputOn() const { return on_; }
    int userPoints() const { return points_; }
    int errors() const { return errors_; }

protected:
    void onLine(const QByteArray& line) override;

private:
    void command(const QByteArray& text);
    void reset();

    QString shape_;
    double volts_ = 0;
    double offset_ = 0;
    double frequency_ = 0;
    bool on_ = false;
    int points_ = 0;
    int errors_ = 0;
};

} // namespace vantelso::sim
