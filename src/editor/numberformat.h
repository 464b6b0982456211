#pragma once

#include <QString>
#include <QStringView>

// How the editor reads and shows numbers. Fields show "." as the decimal point; users may
// type "," or "." whatever the system locale says. A half-typed field never stops the window:
// what is not a number is refused only when it would be written.
namespace vantelso {

struct ParsedNumber {
    double value = 0;
    // The text starts with a number too large for a double ("1e999"); value is then 0.
    bool overflow = false;
};

// Leading-number parse: blanks, an optional sign, digits, an optional "." with digits and an
// optional exponent; parsing stops at the first character that does not fit. "12,5" is 12,
// "-" and "abc" are 0. Never throws.
ParsedNumber ParseLeadingNumber(QStringView text);
// The value alone (0 on overflow).
double Val(QStringView text);

// A number as a user types it into a field: blanks around it, an optional sign, digits with
// one "," or "." as the decimal mark, an optional exponent ("1e3"), and nothing else. No
// thousands separators: "1.234,5" is not a number.
struct TypedNumber {
    enum class Status { Number, Empty, NotANumber, Overflow };
    double value = 0; // 0 unless Number
    Status status = Status::Empty;
    bool ok() const { return status == Status::Number; }
};
TypedNumber ParseTypedNumber(QStringView text);

// "#0.###": up to three decimals, at least one digit before the point ("0.5", "120", "-1.25").
QString FormatRange(double v);
// "#0.0": exactly one decimal ("0.0", "-1.5").
QString FormatTenths(double v);
// "#.0": exactly one decimal, no zero before the point (".0", "-.5", "32.0").
QString FormatTenthsNoLeadingZero(double v);
// Shortest plain decimal of a double, as the limit labels show catalogue figures ("0.1", "90").
QString ShortNumber(double v);

// Temperature conversions for the Fahrenheit display; each returns "#.0" text. The *Span
// forms convert differences (offsets, spans), which have no 32-degree shift.
QString CtoF(double celsius);
QString FtoC(double fahrenheit);
QString CtoFSpan(double celsius);
QString FtoCSpan(double fahrenheit);

} // namespace vantelso
