#include "codecs.h"

#include <cmath>

namespace vantelso::codecs {

QString ByteToHex(std::uint8_t b) {
    return QStringLiteral("%1").arg(unsigned(b), 2, 16, QLatin1Char('0')).toUpper();
}

static int hexDigit(QChar c) {
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return c.unicode() - '0';
    if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        return c.unicode() - 'A' + 10;
    return -1;
}

int HexToByte(const QString& s) {
    if (s.size() != 2)
        return -1;
    const int hi = hexDigit(s[0]);
    const int lo = hexDigit(s[1]);
    if (hi < 0 || lo < 0)
        return -1;
    return hi * 16 + lo;
}

int Make16(int high, int low, bool isSigned) {
    int v = (high & 0xFF) * 256 + (low & 0xFF);
    if (isSigned && (high & 0xFF) > 127)
        v -= 65536;
    return v;
}

HighLow Split16(int v) {
    if (v < 0)
        v += 65536;
    v &= 0xFFFF;
    return {std::uint8_t(v / 256), std::uint8_t(v % 256)};
}

double FloatFromBytes(std::uint8_t h, std::uint8_t m, std::uint8_t e) {
    const int sign = e >= 128 ? 1 : 0;
    const int exponent = (e & 127) * 2 + (h >= 128 ? 1 : 0);
    const double fraction = ((h & 127) * 65536.0 + m * 256.0) / 8388608.0;
    const double value = (1.0 + fraction) * std::ldexp(1.0, exponent - 127);
    return sign ? -value : value;
}

std::array<std::uint8_t, 4> FloatToBytes(double v) {
    if (v == 0.0 || !std::isfinite(v))
        return {0, 0, 0, 0};
    int sign = 0;
    if (v < 0) {
        sign = 1;
        v = -v;
    }
    int e = 0;
    while (v >= 2) {
        v /= 2;
        ++e;
    }
    while (v < 1) {
        v *= 2;
        --e;
    }
    e += 127;
    // The record float has no denormals or infinities: clamp to what eight exponent bits hold.
    if (e < 0)
        return {0, 0, 0, 0};
    if (e > 255)
        e = 255;
    long long mantissa = std::llrint(std::nearbyint((v - 1) * 8388608.0));
    if (mantissa >= 8388608) { // rounding carried into the next power of two
        mantissa = 0;
        if (e < 255)
            ++e;
    }
    if (e % 2 == 1)
        mantissa += 8388608;
    const std::uint8_t eByte = std::uint8_t(e / 2 + (sign ? 128 : 0));
    const std::uint8_t hByte = std::uint8_t((mantissa >> 16) & 0xFF);
    const std::uint8_t mByte = std::uint8_t((mantissa >> 8) & 0xFF);
    return {eByte, hByte, mByte, 0};
}

double MeasureFloatFromBytes(std::uint8_t a, std::uint8_t b, std::uint8_t x) {
    const int m = a * 256 + b;
    const double f = m < 32768 ? 1.0 + m / 32768.0 : -(1.0 + (m - 32768) / 32768.0);
    return f * std::ldexp(1.0, x - 127);
}

} // namespace vantelso::codecs
