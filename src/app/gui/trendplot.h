#pragma once

#include "trendhistory.h"

#include <QWidget>

namespace vantelso::gui {

// The trend of each channel's input over the last minutes: one strip per channel, time on the
// horizontal axis in seconds (the newest point at the right edge), the configured input range as
// the vertical bounds. It paints from a TrendHistory that its owner fills; the owner decides how
// often to repaint.
class TrendPlot : public QWidget {
    Q_OBJECT
public:
    explicit TrendPlot(const measure::TrendHistory& history, QWidget* parent = nullptr);

    // `timeAxis` names the time axis ("Time (s)").
    void setCaptions(const QString& title, const QString& timeAxis);
    QSize sizeHint() const override { return {640, 240}; }
    QSize minimumSizeHint() const override { return {320, 160}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintStrip(QPainter& p, const QRect& area, int channel);
    double shownSeconds() const;

    const measure::TrendHistory& m_history;
    QString m_title;
    QString m_timeAxis;
};

} // namespace vantelso::gui
