// SPDX-License-Identifier: GPL-3.0-or-later
// TPlotCanvas: the drawing area of the plot window. Draws the curves with
// axes and ticks; the wheel zooms around the pointer, a drag pans, and the
// pointer's position is reported for the status line.
#pragma once

#include "cPlotSampler.h"

#include <QColor>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <array>
#include <cstddef>
#include <utility>
#include <vector>

class QPainter;

struct tPlotCurve {
    std::vector<cPlotPoint> points;
    QColor colour;
    QString label; // the formula, for the legend
    bool visible = false;
};

struct tPlotView {
    double x0 = -10, x1 = 10, y0 = -1, y1 = 1;
};

// A y range for values: all of them, unless a few (near poles) stretch the
// range far beyond where most lie; then the range of the middle 96%,
// widened by a quarter on both sides. With a margin of 5%.
std::pair<double, double> PlotAutoRange(std::vector<double> values);

class TPlotCanvas : public QWidget {
    Q_OBJECT
public:
    static constexpr size_t kCurves = 4;
    explicit TPlotCanvas(QWidget* parent = nullptr);

    std::array<tPlotCurve, kCurves> Curves;

    const tPlotView& View() const { return aView; }
    void SetView(const tPlotView& view); // a view without a finite, positive span is ignored
    // The y range made by PlotAutoRange from the visible curves' points within x0..x1.
    void FitY();

    // Zooms by factor (below 1: in) around a pixel position, as the wheel does.
    void ZoomAt(QPointF pixel, double factor);
    // Draws into any device, size pixels large (the window and the exports).
    void Render(QPainter& painter, QSize size) const;
    QPointF ToData(QPointF pixel, QSize size) const;

signals:
    void ViewChanged(); // by zoom or pan: the samples are for another range now
    void Hover(double x, double y);
    void HoverLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    tPlotView aView;
    bool aDragging = false;
    QPointF aDragStart;
    tPlotView aDragView;
};
