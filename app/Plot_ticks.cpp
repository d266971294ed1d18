// SPDX-License-Identifier: GPL-3.0-or-later
#include "Plot_ticks.h"

#include <algorithm>
#include <cmath>

namespace {

// The round step nearest above raw: 1, 2 or 5 times a power of ten.
double RoundStep(double raw) {
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0})
        if (factor * power >= raw)
            return factor * power;
    return 10 * power;
}

// Text of value to the decimals of step; scientific beyond 1e6 and below 1e-4.
QString Label(double value, double step) {
    if (std::fabs(value) < step * 1e-9)
        return "0";
    const double magnitude = std::max(std::fabs(value), step);
    if (magnitude >= 1e6 || step < 1e-4) {
        const int digits = std::max(0, static_cast<int>(std::floor(std::log10(magnitude))) -
                                           static_cast<int>(std::floor(std::log10(step))));
        return QString::number(value, 'e', std::min(digits, 15));
    }
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    return QString::number(value, 'f', decimals);
}

} // namespace

QVector<tPlotTick> PlotTicks(double low, double high, double length, double spacing) {
    QVector<tPlotTick> ticks;
    if (!(high > low) || !std::isfinite(low) || !std::isfinite(high) || length <= 0)
        return ticks;
    const double step = RoundStep((high - low) / std::max(1.0, length / spacing));
    if (!(step > 0) || !std::isfinite(step))
        return ticks;
    const double first = std::ceil(low / step);
    const double last = std::floor(high / step);
    if (last - first > 1000)
        return ticks; // the doubles cannot tell the steps apart
    for (double k = first; k <= last; ++k) {
        const double value = k * step;
        ticks.push_back({value, Label(value, step)});
    }
    return ticks;
}

QString PlotCoordinate(double value, double span, double pixels) {
    const double pixel = span / std::max(1.0, pixels);
    return Label(value, RoundStep(pixel > 0 && std::isfinite(pixel) ? pixel : 1) / 10);
}
