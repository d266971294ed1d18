// SPDX-License-Identifier: GPL-3.0-or-later
// Axis ticks of the plot window: round steps (1, 2 or 5 times a power of
// ten) and labels that show just the digits the step needs.
#pragma once

#include <QString>
#include <QVector>

struct tPlotTick {
    double value;
    QString label;
};

// The ticks within [low, high], about one per `spacing` of `length` pixels.
QVector<tPlotTick> PlotTicks(double low, double high, double length, double spacing = 80);

// A coordinate under the pointer, with the digits that a pixel of a view of
// `span` over `pixels` can tell.
QString PlotCoordinate(double value, double span, double pixels);
