#include "trendhistory.h"

namespace vantelso::measure {

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
