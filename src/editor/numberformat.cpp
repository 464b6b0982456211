#include "numberformat.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace vantelso {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Rounds half away from zero at `decimals` places, as the editor's formats do. The tiny nudge
// makes values such as 2.675, stored just below the half, round the way they were typed.
QString fixed(double v, int decimals, int minDecimals, bool leadingZero) {
    if (!std::isfinite(v))
        return QString::number(v);
    const double scale = std::pow(10.0, decimals);
    double scaled = v * scale;
    scaled += std::copysign(std::abs(scaled) * 1e-12, scaled);
    double r = std::round(scaled);
    if (r == 0)
        r = 0; // no "-0"
    QString s = QString::number(r / scale, 'f', decimals);
    if (decimals > minDecimals) {
        int keep = int(s.size());
        const int point = int(s.indexOf(u'.'));
        const int minEnd = minDecimals == 0 ? point : point + 1 + minDecimals;
        while (keep > minEnd && s.at(keep - 1) == u'0')
            --keep;
        if (keep == point + 1 && minDecimals == 0)
            keep = point;
        s.truncate(keep);
    }
    if (!leadingZero) {
        if (s.startsWith(QLatin1String("0.")))
            s.remove(0, 1);
        else if (s.startsWith(QLatin1String("-0.")))
            s.remove(1, 1);
    }
    return s;
}

} // namespace

ParsedNumber ParseLeadingNumber(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i).isSpace())
        ++i;
    QString number;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-'))
        number += text.at(i++);
    bool digits = false;
    while (i < n && isDigit(text.at(i))) {
        number += text.at(i++);
        digits = true;
    }
    if (i < n && text.at(i) == u'.') {
        number += text.at(i++);
        while (i < n && isDigit(text.at(i))) {
            number += text.at(i++);
            digits = true;
        }
    }
    if (!digits)
        return {};
    // An exponent counts only when at least one digit follows it.
    if (i < n && (text.at(i) == u'e' || text.at(i) == u'E')) {
        qsizetype j = i + 1;
        QString exponent = QStringLiteral("e");
        if (j < n && (text.at(j) == u'+' || text.at(j) == u'-'))
            exponent += text.at(j++);
        bool expDigits = false;
        while (j < n && isDigit(text.at(j))) {
            exponent += text.at(j++);
            expDigits = true;
        }
        if (expDigits)
            number += exponent;
    }
    bool ok = false;
    const double v = number.toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        // Only an exponent beyond the double range gets here: a negative one is just 0.
        const bool underflow = number.contains(QLatin1String("e-"));
        return {0.0, !underflow};
    }
    return {v == 0 ? 0.0 : v, false};
}

double Val(QStringView text) {
    return ParseLeadingNumber(text).value;
}

TypedNumber ParseTypedNumber(QStringView text) {
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return {0, TypedNumber::Status::Empty};
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(?:[0-9]+(?:[.,][0-9]*)?|[.,][0-9]+)(?:[eE][+-]?[0-9]+)?$"));
    QString plain = t.toString();
    if (!number.match(plain).hasMatch())
        return {0, TypedNumber::Status::NotANumber};
    plain.replace(u',', u'.');
    bool ok = false;
    const double v = plain.toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        // Only an exponent beyond the double range gets here: a negative one is just 0.
        if (plain.contains(QLatin1String("e-"), Qt::CaseInsensitive))
            return {0, TypedNumber::Status::Number};
        return {0, TypedNumber::Status::Overflow};
    }
    return {v == 0 ? 0.0 : v, TypedNumber::Status::Number};
}

QString FormatRange(double v) {
    return fixed(v, 3, 0, true);
}

QString FormatTenths(double v) {
    return fixed(v, 1, 1, true);
}

QString FormatTenthsNoLeadingZero(double v) {
    return fixed(v, 1, 1, false);
}

QString ShortNumber(double v) {
    if (v == 0)
        return QStringLiteral("0");
    return QString::number(v, 'g', 15);
}

QString CtoF(double celsius) {
    return FormatTenthsNoLeadingZero(celsius * 9.0 / 5.0 + 32.0);
}

QString FtoC(double fahrenheit) {
    return FormatTenthsNoLeadingZero((fahrenheit - 32.0) * 5.0 / 9.0);
}

QString CtoFSpan(double celsius) {
    return FormatTenthsNoLeadingZero(celsius * 9.0 / 5.0);
}

QString FtoCSpan(double fahrenheit) {
    return FormatTenthsNoLeadingZero(fahrenheit * 5.0 / 9.0);
}

} // namespace vantelso
