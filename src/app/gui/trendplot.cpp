#include "trendplot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace vantelso::gui {

namespace {

const QColor kChannelColour[2] = {QColor(0x1f, 0x5f, 0xbf), QColor(0xc0, 0x50, 0x10)};

QString tickText(double v) {
    return QString::number(v, 'g', 6);
}

} // namespace

TrendPlot::TrendPlot(const measure::TrendHistory& history, QWidget* parent)
    : QWidget(parent), m_history(history) {
    setObjectName(QStringLiteral("trendPlot"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TrendPlot::setCaptions(const QString& title, const QString& timeAxis) {
    m_title = title;
    m_timeAxis = timeAxis;
    update();
}

// The time shown grows with the measurement from one minute up to the history's window.
double TrendPlot::shownSeconds() const {
    return std::clamp(m_history.latest(), 60.0, m_history.windowSeconds());
}

void TrendPlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    p.setPen(palette().text().color());
    const int line = fontMetrics().height();
    p.drawText(QRect(0, 0, width(), line + 4), Qt::AlignCenter, m_title);
    const int strips = std::max(1, m_history.channelCount());
    // Below the strips: the time ticks, then the axis caption.
    const QRect all = rect().adjusted(0, line + 4, 0, -(2 * line + 6));
    const int h = all.height() / strips;
    for (int c = 0; c < strips; ++c)
        paintStrip(p, QRect(all.left(), all.top() + c * h, all.width(), h), c);

    // The time axis, in seconds back from now, at round steps: -60 ... 0 s for the first
    // minute, wider steps as the window grows.
    const int left = fontMetrics().horizontalAdvance(QStringLiteral("-00000.0")) + 8;
    const QRect axis(left, all.bottom() + 2, width() - left - 10, line);
    const double span = shownSeconds();
    p.setPen(palette().text().color());
    p.drawText(QRect(axis.left(), axis.bottom() + 2, axis.width(), line), Qt::AlignCenter,
               m_timeAxis);
    for (const double t : measure::RoundTicks(-span, 0, 7)) {
        const int x = axis.right() + int(std::lround(t / span * axis.width()));
        const QString text = t == 0 ? QStringLiteral("0 s") : tickText(t);
        if (t == 0)
            p.drawText(QRect(x - 80, axis.top(), 88, line), Qt::AlignRight | Qt::AlignVCenter,
                       text);
        else
            p.drawText(QRect(x - 30, axis.top(), 60, line), Qt::AlignCenter, text);
    }
}

void TrendPlot::paintStrip(QPainter& p, const QRect& area, int c) {
    const int line = fontMetrics().height();
    const int left = fontMetrics().horizontalAdvance(QStringLiteral("-00000.0")) + 8;
    const QRect plot = area.adjusted(left, line / 2 + 2, -10, -line / 2 - 2);
    if (plot.width() < 10 || plot.height() < 10)
        return;
    double lo = m_history.low(c);
    double hi = m_history.high(c);
    if (!(hi > lo)) { // an empty range: a band around it
        lo -= 1;
        hi += 1;
    }
    p.setPen(palette().mid().color());
    p.drawRect(plot);
    // Lines at round values of the range, with their values.
    for (const double v : measure::RoundTicks(lo, hi, 7)) {
        const int y = plot.bottom() - int(std::lround((v - lo) / (hi - lo) * plot.height()));
        if (y > plot.top() && y < plot.bottom()) {
            p.setPen(QPen(palette().midlight().color(), 1, Qt::DotLine));
            p.drawLine(plot.left(), y, plot.right(), y);
        }
        p.setPen(palette().text().color());
        p.drawText(QRect(0, y - line / 2, left - 4, line), Qt::AlignRight | Qt::AlignVCenter,
                   tickText(v));
    }
    const QColor colour = kChannelColour[c % 2];
    p.setPen(colour);
    p.drawText(
        plot.adjusted(6, 2, -6, 0), Qt::AlignLeft | Qt::AlignTop,
        QStringLiteral("%1  [%2]").arg(QLatin1Char(c == 0 ? 'A' : 'B')).arg(m_history.unit(c)));

    const auto& pts = m_history.points(c);
    if (pts.empty())
        return;
    const double now = m_history.latest();
    const double window = shownSeconds();
    QPainterPath path;
    bool first = true;
    for (const auto& pt : pts) {
        const double x = plot.right() - (now - pt.t) / window * plot.width();
        const double y = plot.bottom() - (pt.value - lo) / (hi - lo) * plot.height();
        if (first)
            path.moveTo(x, y);
        else
            path.lineTo(x, y);
        first = false;
    }
    p.save();
    p.setClipRect(plot.adjusted(1, 1, 0, 0));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour, 1.6));
    p.drawPath(path);
    p.restore();
}

} // namespace vantelso::gui
