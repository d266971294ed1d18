// SPDX-License-Identifier: GPL-3.0-or-later
#include "Plot_canvas.h"

#include "Plot_ticks.h"
#include "cPlotRange.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// Room for the tick labels around the drawing area.
constexpr int kLeft = 64, kRight = 14, kTop = 10, kBottom = 28;
// Pixel coordinates are kept this far around the area: beyond, a pole's
// values would overflow the painter's fixed-point arithmetic.
constexpr double kPixelReach = 1e5;

QRectF Area(QSize size) {
    return QRectF(kLeft, kTop, std::max(1, size.width() - kLeft - kRight), std::max(1, size.height() - kTop - kBottom));
}

// A span the doubles still draw smoothly.
bool Usable(double low, double high) { return PlotSpanDrawable(low, high); }

double Quantile(const std::vector<double>& sorted, double q) {
    return sorted[static_cast<size_t>(q * static_cast<double>(sorted.size() - 1))];
}

// The points of a line that fall into one pixel column become its lowest
// and highest point, in the order they came, and the last one: many samples
// per pixel draw as fast as one, and look the same.
class tColumnRun {
public:
    void Start(QPainterPath& path, QPointF at) {
        path.moveTo(at);
        Begin(at);
    }
    void Add(QPainterPath& path, QPointF at) {
        if (aOpen && std::floor(at.x()) == aColumn) {
            ++aCount;
            if (at.y() < aLow.y())
                aLow = {at, aCount};
            if (at.y() > aHigh.y())
                aHigh = {at, aCount};
            aLast = at;
            return;
        }
        Flush(path);
        path.lineTo(at);
        Begin(at);
    }
    void Flush(QPainterPath& path) {
        if (aOpen && aCount > 0) {
            const tExtreme& first = aLow.order < aHigh.order ? aLow : aHigh;
            const tExtreme& second = aLow.order < aHigh.order ? aHigh : aLow;
            for (const tExtreme* e : {&first, &second})
                if (e->order > 0 && e->order < aCount)
                    path.lineTo(e->at);
            path.lineTo(aLast);
        }
        aOpen = false;
    }

private:
    struct tExtreme {
        QPointF at;
        int order = 0; // 0: the run's first point, drawn already
        double y() const { return at.y(); }
    };
    void Begin(QPointF at) {
        aOpen = true;
        aCount = 0;
        aColumn = std::floor(at.x());
        aLow = aHigh = {at, 0};
        aLast = at;
    }
    bool aOpen = false;
    int aCount = 0; // points after the first
    double aColumn = 0;
    tExtreme aLow, aHigh;
    QPointF aLast;
};

} // namespace

std::pair<double, double> PlotAutoRange(std::vector<double> values) {
    if (values.empty())
        return {-1, 1};
    std::sort(values.begin(), values.end());
    double low = values.front(), high = values.back();
    const double innerLow = Quantile(values, 0.02), innerHigh = Quantile(values, 0.98);
    const double inner = innerHigh - innerLow;
    if (inner > 0 && high - low > 4 * inner) {
        low = std::max(low, innerLow - inner / 4);
        high = std::min(high, innerHigh + inner / 4);
    }
    if (!Usable(low, high)) {
        const double half = std::max(1.0, std::fabs(low) * 0.1);
        return {low - half, low + half};
    }
    const double margin = (high - low) * 0.05;
    return {low - margin, high + margin};
}

TPlotCanvas::TPlotCanvas(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumSize(320, 200);
    setCursor(Qt::CrossCursor);
}

void TPlotCanvas::SetView(const tPlotView& view) {
    if (!Usable(view.x0, view.x1) || !Usable(view.y0, view.y1))
        return;
    aView = view;
    update();
}

void TPlotCanvas::FitY() {
    std::vector<double> values;
    for (const tPlotCurve& curve : Curves) {
        if (!curve.visible)
            continue;
        for (const cPlotPoint& p : curve.points)
            if (p.aValid && p.aX >= aView.x0 && p.aX <= aView.x1)
                values.push_back(p.aY);
    }
    const auto [low, high] = PlotAutoRange(std::move(values));
    SetView({aView.x0, aView.x1, low, high});
}

QPointF TPlotCanvas::ToData(QPointF pixel, QSize size) const {
    const QRectF area = Area(size);
    return {aView.x0 + (pixel.x() - area.left()) / area.width() * (aView.x1 - aView.x0),
            aView.y0 + (area.bottom() - pixel.y()) / area.height() * (aView.y1 - aView.y0)};
}

void TPlotCanvas::ZoomAt(QPointF pixel, double factor) {
    const QPointF at = ToData(pixel, size());
    tPlotView view{at.x() - (at.x() - aView.x0) * factor, at.x() + (aView.x1 - at.x()) * factor,
                   at.y() - (at.y() - aView.y0) * factor, at.y() + (aView.y1 - at.y()) * factor};
    if (!Usable(view.x0, view.x1) || !Usable(view.y0, view.y1))
        return;
    SetView(view);
    emit ViewChanged();
}

void TPlotCanvas::Render(QPainter& painter, QSize size) const {
    const QRectF area = Area(size);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    const double sx = area.width() / (aView.x1 - aView.x0);
    const double sy = area.height() / (aView.y1 - aView.y0);
    auto px = [&](double x) { return std::clamp(area.left() + (x - aView.x0) * sx, -kPixelReach, kPixelReach); };
    auto py = [&](double y) { return std::clamp(area.bottom() - (y - aView.y0) * sy, -kPixelReach, kPixelReach); };

    // Grid and tick labels.
    painter.setFont(QFont("DejaVu Sans", 8));
    const QFontMetrics metrics(painter.font());
    painter.setPen(QColor(225, 225, 225));
    const auto xTicks = PlotTicks(aView.x0, aView.x1, area.width(), 90);
    const auto yTicks = PlotTicks(aView.y0, aView.y1, area.height(), 45);
    for (const tPlotTick& t : xTicks)
        painter.drawLine(QPointF(px(t.value), area.top()), QPointF(px(t.value), area.bottom()));
    for (const tPlotTick& t : yTicks)
        painter.drawLine(QPointF(area.left(), py(t.value)), QPointF(area.right(), py(t.value)));
    painter.setPen(Qt::black);
    for (const tPlotTick& t : xTicks) {
        const double w = metrics.horizontalAdvance(t.label);
        painter.drawText(QPointF(px(t.value) - w / 2, area.bottom() + 4 + metrics.ascent()), t.label);
    }
    for (const tPlotTick& t : yTicks) {
        const double w = metrics.horizontalAdvance(t.label);
        painter.drawText(QPointF(area.left() - 6 - w, py(t.value) + metrics.ascent() / 2.0 - 1), t.label);
    }

    // The axes where they are in view, then the frame.
    painter.setPen(QPen(QColor(120, 120, 120), 1));
    if (aView.x0 < 0 && aView.x1 > 0)
        painter.drawLine(QPointF(px(0), area.top()), QPointF(px(0), area.bottom()));
    if (aView.y0 < 0 && aView.y1 > 0)
        painter.drawLine(QPointF(area.left(), py(0)), QPointF(area.right(), py(0)));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(area);

    // Curves: a line between neighbours that both have a value and no pole
    // between them; a point without such a neighbour is a dot.
    painter.save();
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const tPlotCurve& curve : Curves) {
        if (!curve.visible)
            continue;
        QPainterPath path;
        QPainterPath dots;
        tColumnRun run;
        const auto& points = curve.points;
        for (size_t i = 0; i < points.size(); ++i) {
            if (!points[i].aValid)
                continue;
            const QPointF at(px(points[i].aX), py(points[i].aY));
            const bool joinsBefore = i > 0 && points[i - 1].aValid && !points[i].aBreak;
            const bool joinsAfter = i + 1 < points.size() && points[i + 1].aValid && !points[i + 1].aBreak;
            if (joinsBefore) {
                run.Add(path, at);
            } else {
                run.Flush(path);
                if (joinsAfter)
                    run.Start(path, at);
                else
                    dots.addEllipse(at, 1.5, 1.5);
            }
        }
        run.Flush(path);
        painter.setPen(QPen(curve.colour, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        painter.setBrush(curve.colour);
        painter.drawPath(dots);
    }
    painter.restore();

    // Legend: the formulas in their colours.
    double y = area.top() + 6;
    for (const tPlotCurve& curve : Curves) {
        if (!curve.visible || curve.label.isEmpty())
            continue;
        const QString text = metrics.elidedText(curve.label, Qt::ElideRight, static_cast<int>(area.width() / 2));
        const QRectF box(area.left() + 6, y, metrics.horizontalAdvance(text) + 34, metrics.height() + 2);
        painter.fillRect(box, QColor(255, 255, 255, 220));
        painter.setPen(QPen(curve.colour, 2));
        painter.drawLine(QPointF(box.left() + 4, box.center().y()), QPointF(box.left() + 24, box.center().y()));
        painter.setPen(Qt::black);
        painter.drawText(QPointF(box.left() + 30, box.top() + 1 + metrics.ascent()), text);
        y += box.height();
    }
}

void TPlotCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Render(painter, size());
}

void TPlotCanvas::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0)
        ZoomAt(event->position(), std::pow(0.8, notches));
    event->accept();
}

void TPlotCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    aDragging = true;
    aDragStart = event->position();
    aDragView = aView;
    setCursor(Qt::ClosedHandCursor);
}

void TPlotCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = ToData(event->position(), size());
    emit Hover(at.x(), at.y());
    if (!aDragging)
        return;
    const QRectF area = Area(size());
    const QPointF moved = event->position() - aDragStart;
    const double dx = moved.x() / area.width() * (aDragView.x1 - aDragView.x0);
    const double dy = moved.y() / area.height() * (aDragView.y1 - aDragView.y0);
    SetView({aDragView.x0 - dx, aDragView.x1 - dx, aDragView.y0 + dy, aDragView.y1 + dy});
}

void TPlotCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !aDragging)
        return;
    aDragging = false;
    setCursor(Qt::CrossCursor);
    if (event->position() != aDragStart)
        emit ViewChanged();
}

void TPlotCanvas::leaveEvent(QEvent*) { emit HoverLeft(); }
