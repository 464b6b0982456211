#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

// Byte forms the device uses for numbers: 16-bit words split high/low, the three-byte
// "record float" (the top three bytes of an IEEE single) and the three-byte measurement
// float of the streamed frames. All pure functions.
namespace vantelso::codecs {

struct HighLow {
    std::uint8_t high = 0;
    std::uint8_t low = 0;
};

// Two upper-case hex digits, "0A" for 10.
QString ByteToHex(std::uint8_t b);
// Two upper-case hex digits to a byte; returns -1 for anything else.
int HexToByte(const QString& s);

// high*256+low; with isSigned a high byte above 127 gives a negative value.
int Make16(int high, int low, bool isSigned);
// Negative values wrap modulo 65536; high byte first.
HighLow Split16(int v);

// Record float: E holds sign and exponent bits 7..1, H exponent bit 0 and mantissa 22..16,
// M mantissa 15..8. All-zero bytes decode to 2^-127, which callers show as 0.
double FloatFromBytes(std::uint8_t h, std::uint8_t m, std::uint8_t e);
// Elements 0..3: E, H, M, 0. The lowest mantissa byte is dropped, not rounded.
std::array<std::uint8_t, 4> FloatToBytes(double v);

// Measurement float: X biased exponent, A bit 7 sign, A bits 6..0 and B a 15-bit fraction.
double MeasureFloatFromBytes(std::uint8_t a, std::uint8_t b, std::uint8_t x);

} // namespace vantelso::codecs
