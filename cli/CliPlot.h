// SPDX-License-Identifier: GPL-3.0-or-later
// :plot [v:] FORMULA, FROM, TO: a curve drawn in braille characters, with
// the y range at its left edge and the x range under it.
#pragma once

#include "cPlotSampler.h"

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

// Rows of character cells of a terminal plot.
constexpr int kPlotRows = 20;

// Draws the plot of argument into out, columns characters wide (the labels
// included), with a copy of the variables; the reason when it cannot.
std::optional<std::string> TerminalPlot(std::string_view argument, tPlotVariables variables, std::ostream& out,
                                        int columns);

// Characters a plot on standard output may take: the terminal's width, or
// 80 when standard output is not a terminal.
int TerminalPlotWidth();

// TerminalPlot at TerminalPlotWidth(), with Ctrl-C interrupting the sampling.
std::optional<std::string> PlotCommand(std::string_view argument, tPlotVariables variables, std::ostream& out);
