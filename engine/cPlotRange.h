// SPDX-License-Identifier: GPL-3.0-or-later
// The x range of a drawing, one rule for korund-cli's :plot and the Plot
// window. FROM < TO is decided on the balls, so that a bound far below the
// doubles (10^(-10^10)) is not taken for 0; then the doubles nearest the
// bounds, which the drawing computes with, must resolve the span.
#pragma once

#include "cLongReal.h"

#include <string>

// Doubles draw low..high smoothly when both and high - low are finite,
// high - low exceeds kPlotMinRelativeSpan of the larger end, and it spans
// at least 4096 of the smallest steps of the doubles (about 2e-320).
constexpr double kPlotMinRelativeSpan = 1e-12;
bool PlotSpanDrawable(double low, double high);

enum class ePlotRange {
    Drawable,
    Empty,     // TO <= FROM
    Undecided, // the balls overlap: which is less is not known
    TooNarrow, // FROM < TO, but the doubles do not resolve the span
    TooWide,   // beyond the doubles
};

// Classifies from..to; left and right receive the doubles nearest the bounds.
ePlotRange ClassifyPlotRange(const cLongReal& from, const cLongReal& to, double& left, double& right);

// Why a range is not drawn, naming the bounds as from and to ("FROM", "TO");
// lower case, without a full stop. Empty for a drawable range.
std::string PlotRangeReason(ePlotRange range, const std::string& from, const std::string& to);
