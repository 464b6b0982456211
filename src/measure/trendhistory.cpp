#include "trendhistory.h"

#include <cmath>

namespace vantelso::measure {

std::vector<double> RoundTicks(double low, double high, int maxTicks) {
    std::vector<double> out;
    if (!(high > low) || maxTicks < 2 || !std::isfinite(high - low))
        return out;
    const double rough = (high - low) / (maxTicks - 1);
    double step = std::pow(10.0, std::floor(std::log10(rough)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * step >= rough * (1 - 1e-9)) {
            step *= m;
            break;
        }
    }
    for (;;) {
        out.clear();
        const double first = std::ceil(low / step - 1e-9);
        for (double k = first; k * step <= high + step * 1e-9; k += 1)
            out.push_back(k == 0 ? 0.0 : k * step);
        if (int(out.size()) <= maxTicks)
            return out;
        step *= 2; // rounding put one too many in: the next round step
    }
}

void TrendHistory::reset(const FrameConverter& converter) {
    m_channels = converter.channelCount();
    m_latest = 0;
    for (int c = 0; c < 2; ++c) {
        const auto uc = std::size_t(c);
        m_points[uc].clear();
        m_low[uc] = c < m_channels ? converter.inputLow(c) : 0;
        m_high[uc] = c < m_channels ? converter.inputHigh(c) : 0;
        m_unit[uc] = c < m_channels ? converter.inputUnit(c) : QString();
    }
}

void TrendHistory::add(double seconds, const FrameReading& reading) {
    m_latest = seconds;
    for (int c = 0; c < m_channels && c < reading.channelCount; ++c) {
        const ChannelReading& r = reading.channels[std::size_t(c)];
        auto& pts = m_points[std::size_t(c)];
        if (r.inputValid)
            pts.push_back({seconds, r.input});
        while (!pts.empty() && pts.front().t < seconds - m_window)
            pts.pop_front();
    }
}

} // namespace vantelso::measure
