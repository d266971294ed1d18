// SPDX-License-Identifier: GPL-3.0-or-later
#include "cPlotRange.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

bool PlotSpanDrawable(double low, double high) {
    const double span = high - low;
    return std::isfinite(low) && std::isfinite(high) && std::isfinite(span) && high > low &&
           span > kPlotMinRelativeSpan * std::max(std::fabs(low), std::fabs(high)) && span >= 4096 * DBL_TRUE_MIN;
}

ePlotRange ClassifyPlotRange(const cLongReal& from, const cLongReal& to, double& left, double& right) {
    left = arf_get_d(arb_midref(from.arb()), ARF_RND_NEAR);
    right = arf_get_d(arb_midref(to.arb()), ARF_RND_NEAR);
    if (!arb_is_finite(from.arb()) || !arb_is_finite(to.arb()))
        return ePlotRange::TooWide;
    if (arb_le(to.arb(), from.arb()))
        return ePlotRange::Empty;
    if (!arb_lt(from.arb(), to.arb()))
        return ePlotRange::Undecided;
    if (!std::isfinite(left) || !std::isfinite(right) || !std::isfinite(right - left))
        return ePlotRange::TooWide;
    return PlotSpanDrawable(left, right) ? ePlotRange::Drawable : ePlotRange::TooNarrow;
}

std::string PlotRangeReason(ePlotRange range, const std::string& from, const std::string& to) {
    switch (range) {
    case ePlotRange::Drawable: return {};
    case ePlotRange::Empty: return "the range is empty: " + from + " must be less than " + to;
    case ePlotRange::Undecided: return from + " and " + to + " are too close to tell at this precision which is less";
    case ePlotRange::TooNarrow:
        return "the range is not empty, but too narrow for the doubles a drawing computes with (" + to + " - " + from +
               " must exceed 1e-12 of the larger bound and 2e-320)";
    case ePlotRange::TooWide:
        return "the range is too wide for the doubles a drawing computes with (they end near 1.8e308)";
    }
    return {};
}
