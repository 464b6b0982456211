#pragma once

#include "frameconverter.h"

#include <QString>
#include <array>
#include <deque>
#include <vector>

namespace vantelso::measure {

// Round axis ticks: the multiples of 1, 2 or 5 times a power of ten that lie in [low, high],
// with a step chosen so that there are at most `maxTicks` of them (at least two for a
// non-empty range). Empty when high is not above low.
std::vector<double> RoundTicks(double low, double high, int maxTicks);

// The last minutes of each channel's input, for the trend plot: (seconds since the start of
// the measurement, value in the unit shown). Older points drop out as new ones arrive; the
// plot's vertical bounds are the configured input range.
class TrendHistory {
public:
    struct Point {
        double t = 0;
        double value = 0;
    };

    explicit TrendHistory(double windowSeconds = 300) : m_window(windowSeconds) {}

    // A new measurement: clears the points and takes the channels' ranges and units.
    void reset(const FrameConverter& converter);
    void add(double seconds, const FrameReading& reading);

    double windowSeconds() const { return m_window; }
    int channelCount() const { return m_channels; }
    const std::deque<Point>& points(int c) const { return m_points[std::size_t(c)]; }
    double low(int c) const { return m_low[std::size_t(c)]; }
    double high(int c) const { return m_high[std::size_t(c)]; }
    const QString& unit(int c) const { return m_unit[std::size_t(c)]; }
    // Time of the newest point (0 when empty).
    double latest() const { return m_latest; }

private:
    double m_window;
    int m_channels = 0;
    double m_latest = 0;
    std::array<std::deque<Point>, 2> m_points;
    std::array<double, 2> m_low{};
    std::array<double, 2> m_high{};
    std::array<QString, 2> m_unit;
};

} // namespace vantelso::measure
