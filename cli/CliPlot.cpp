// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliPlot.h"

#include "CliBraille.h"
#include "CliProgress.h"
#include "ParseMessages.h"
#include "cFormulaText.h"
#include "cPlotRange.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kDefaultWidth = 80;
constexpr int kMinimumCells = 10;

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The parts of text between the commas outside brackets; none when a
// bracket is left open.
std::vector<std::string> SplitTopLevel(std::string_view text) {
    std::vector<std::string> parts(1);
    int depth = 0;
    for (const char c : text) {
        if (c == ',' && depth == 0) {
            parts.emplace_back();
            continue;
        }
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        parts.back() += c;
    }
    if (depth > 0)
        parts.clear();
    return parts;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value == 0 ? 0.0 : value); // no "-0"
    return text;
}

std::string ParseFailure(const char* part, const std::string& text, const cPlotParseError& error) {
    std::string reason = std::string(part) + ": " + PlotParseReason(text, error);
    if (error.aLast >= error.aFirst && error.aFirst >= 0) {
        const auto first = static_cast<size_t>(error.aFirst);
        reason += " '" + text.substr(first, static_cast<size_t>(error.aLast) - first + 1) + "'";
    }
    return reason + " at column " +
           std::to_string(ColumnOfOffset(text, static_cast<size_t>(std::max(error.aFirst, 0))));
}

struct cPlotRequest {
    char aVariable = 'x';
    std::string aFormula, aFrom, aTo;
};

std::optional<std::string> ReadRequest(std::string_view argument, cPlotRequest& request) {
    argument = Trim(argument);
    if (argument.size() >= 2 && argument[0] >= 'a' && argument[0] <= 'z' && Trim(argument.substr(1)).front() == ':') {
        request.aVariable = argument[0];
        argument = Trim(argument.substr(argument.find(':') + 1));
    }
    const std::vector<std::string> parts = SplitTopLevel(argument);
    if (parts.empty())
        return ":plot: a bracket is not closed";
    if (parts.size() != 3 || Trim(parts[0]).empty() || Trim(parts[1]).empty() || Trim(parts[2]).empty())
        return ":plot needs FORMULA, FROM, TO (or v: FORMULA, FROM, TO for another variable than x)";
    request.aFormula = Trim(parts[0]);
    request.aFrom = Trim(parts[1]);
    request.aTo = Trim(parts[2]);
    return std::nullopt;
}

// Writes the raster with the y range left of it and the x range under it.
void Draw(const std::vector<cPlotPoint>& points, double from, double to, int columns, std::ostream& out) {
    double low = INFINITY, high = -INFINITY;
    for (const cPlotPoint& p : points)
        if (p.aValid) {
            low = std::min(low, p.aY);
            high = std::max(high, p.aY);
        }
    if (low == high) {
        low -= 1;
        high += 1;
    }
    const std::string top = Number(high), bottom = Number(low);
    const size_t labels = std::max(top.size(), bottom.size());
    const int cells = std::max(columns - static_cast<int>(labels) - 1, kMinimumCells);
    cBrailleRaster raster(cells, kPlotRows);
    auto dotX = [&](double x) {
        return static_cast<int>(std::lround((x - from) / (to - from) * (raster.Width() - 1)));
    };
    auto dotY = [&](double y) {
        return static_cast<int>(std::lround((high - y) / (high - low) * (raster.Height() - 1)));
    };
    for (size_t i = 0; i < points.size(); ++i) {
        const cPlotPoint& p = points[i];
        if (!p.aValid)
            continue;
        if (i > 0 && points[i - 1].aValid && !p.aBreak)
            raster.Line(dotX(points[i - 1].aX), dotY(points[i - 1].aY), dotX(p.aX), dotY(p.aY));
        else
            raster.Set(dotX(p.aX), dotY(p.aY));
    }
    const std::string blank(labels, ' ');
    for (int row = 0; row < kPlotRows; ++row) {
        const bool edge = row == 0 || row + 1 == kPlotRows;
        const std::string& label = row == 0 ? top : bottom;
        out << (edge ? std::string(labels - label.size(), ' ') + label : blank) << (edge ? "┤" : "│") << raster.Row(row)
            << '\n';
    }
    out << blank << "└";
    for (int i = 0; i < cells; ++i)
        out << "─";
    const std::string left = Number(from), right = Number(to);
    const size_t gap = static_cast<size_t>(cells) > left.size() + right.size()
                           ? static_cast<size_t>(cells) - left.size() - right.size()
                           : 1;
    out << '\n' << blank << ' ' << left << std::string(gap, ' ') << right << '\n';
}

} // namespace

std::optional<std::string> TerminalPlot(std::string_view argument, tPlotVariables variables, std::ostream& out,
                                        int columns) {
    cPlotRequest request;
    if (auto reason = ReadRequest(argument, request))
        return reason;
    const char* part = "formula";
    const std::string* text = &request.aFormula;
    try {
        cPlotSampler sampler(request.aFormula, request.aVariable, variables);
        part = "from";
        text = &request.aFrom;
        const cLongReal from = EvaluatePlotBound(request.aFrom, variables);
        part = "to";
        text = &request.aTo;
        const cLongReal to = EvaluatePlotBound(request.aTo, variables);
        part = "plot";
        double left = 0, right = 0;
        if (const ePlotRange range = ClassifyPlotRange(from, to, left, right); range != ePlotRange::Drawable)
            return PlotRangeReason(range, "FROM", "TO");
        const int cells = std::max(columns - 1, kMinimumCells);
        const std::vector<cPlotPoint> points = sampler.Sample(from, to, static_cast<uint32_t>(2 * cells));
        if (std::none_of(points.begin(), points.end(), [](const cPlotPoint& p) { return p.aValid; }))
            return "the formula has no value anywhere in this range";
        Draw(points, left, right, columns, out);
    } catch (const cPlotParseError& e) {
        return ParseFailure(part, *text, e);
    } catch (const std::exception& e) {
        return std::string(part) + ": " + e.what();
    }
    return std::nullopt;
}

int TerminalPlotWidth() {
    winsize size{};
    if (isatty(STDOUT_FILENO) == 1 && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return kDefaultWidth;
}

std::optional<std::string> PlotCommand(std::string_view argument, tPlotVariables variables, std::ostream& out) {
    cEvaluationScope evaluating;
    return TerminalPlot(argument, variables, out, TerminalPlotWidth());
}
