#include "simfunctiongenerator.h"

namespace vantelso::sim {

SimFunctionGenerator::SimFunctionGenerator(QObject* parent)
    : SimLineInstrument(QStringLiteral("generatore"), parent) {
    reset();
}

void SimFunctionGenerator::reset() {
    shape_ = QStringLiteral("SIN");
    volts_ = 0.1;
    offset_ = 0;
    frequency_ = 1000;
    on_ = false;
}

void SimFunctionGenerator::onLine(const QByteArray& line) {
    for (const QByteArray& part : line.split(';')) {
        if (!part.trimmed().isEmpty())
            command(part.trimmed());
    }
    Q_EMIT changed();
}

void SimFunctionGenerator::command(const QByteArray& text) {
    const qsizetype space = text.indexOf(' ');
    const QByteArray head = (space < 0 ? text : text.left(space)).toUpper();
    const QByteArray arg = space < 0 ? QByteArray() : text.mid(space + 1).trimmed();
    bool ok = true;
    auto number = [&] { return arg.toDouble(&ok); };
    if (head == "*RST") {
        reset();
    } else if (head == "FUNC" || head == "FUNCTION") {
        shape_ = QString::fromLatin1(arg.toUpper());
    } else if (head == "FUNC:USER" || head == "FUNCTION:USER" || head == "FUNC:SHAP" ||
               head == "FUNCTION:SHAPE") {
        if (head.endsWith("SHAP") || head.endsWith("SHAPE"))
            shape_ = QString::fromLatin1(arg.toUpper());
    } else if (head == "VOLT" || head == "VOLTAGE") {
        volts_ = number();
    } else if (head == "VOLT:OFFS" || head == "VOLTAGE:OFFSET") {
        offset_ = number();
    } else if (head == "FREQ" || head == "FREQUENCY") {
        const double f = number();
        if (ok && f > 0)
            frequency_ = f;
        else
            ok = false;
    } else if (head == "OUTP" || head == "OUTPUT") {
        ok = arg.toUpper() == "ON" || arg.toUpper() == "OFF";
        if (ok)
            on_ = arg.toUpper() == "ON";
    } else if (head == "OUTP:LOAD" || head == "OUTPUT:LOAD") {
        number();
    } else if (head == "DATA") {
        // "VOLATILE, 1,0,1,..."
        const QList<QByteArray> items = arg.split(',');
        ok = items.size() > 1 && items.first().trimmed().toUpper() == "VOLATILE";
        if (ok)
            points_ = int(items.size() - 1);
    } else if (head == "DATA:COPY") {
        ok = !arg.isEmpty();
    } else {
        ok = false;
    }
    if (!ok)
        ++errors_;
}

} // namespace vantelso::sim
