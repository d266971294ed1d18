// SPDX-License-Identifier: GPL-3.0-or-later
// cPlotSampler: the values of one formula along a running variable, for
// drawing. It has an engine instance of its own with a copy of the caller's
// variables a..z, so the caller's instance is never touched.
//
// Precision: a drawing needs a double's 53 bits. Samples are evaluated at
// 64 bits, again at 128 and 256 bits when the ball does not prove 55 bits
// (relative), and a ball that then still holds 0 with a radius below 2^-128
// is 0. Anything less proven is a gap, like a domain error or a pole.
//
// Poles: where two neighbouring samples change sign, or |y| rises into both
// ends of the pair, the interval is bisected towards the larger |y| up to
// kPoleSteps times. A failing midpoint, or |y| still growing at every step,
// is a pole (or a jump): the pair is not joined. Once a midpoint no longer
// exceeds what it replaces, the curve is continuous there.
#pragma once

#include "cFormulaEngine.h"

#include <chrono>
#include <cstdint>
#include <exception>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

struct cPlotPoint {
    double aX = 0;
    double aY = 0;
    bool aValid = false; // false: a gap (the sample failed)
    bool aBreak = false; // no line from the previous point (a pole between them)
};

// A formula that does not parse: the parser's code and the stretch of the
// text (byte offsets, inclusive; aFirst = 0, aLast = -1 for an empty text).
// aForeign: the stretch is a character no formula may hold (aCode is then
// feErrBadSymbol); aUnclosed: a '(' that is never closed. The words for the
// user are the front end's (PlotParseReason); what() names the code.
class cPlotParseError : public std::runtime_error {
public:
    cPlotParseError(feFehlerCode code, int32_t first, int32_t last, bool unclosed, bool foreign)
        : std::runtime_error(foreign ? "foreign character" : feFehlerName(code)), aCode(code), aFirst(first),
          aLast(last), aUnclosed(unclosed), aForeign(foreign) {}
    feFehlerCode aCode;
    int32_t aFirst;
    int32_t aLast;
    bool aUnclosed;
    bool aForeign;
};

using tPlotVariables = std::span<const cLongReal, 26>;

class cPlotSampler {
public:
    static constexpr int kPoleSteps = 16;

    // Parses formula (a foreign character or a parse failure throws
    // cPlotParseError); variable is the running letter a..z.
    cPlotSampler(const std::string& formula, char variable, tPlotVariables variables);
    ~cPlotSampler();
    cPlotSampler(const cPlotSampler&) = delete;
    cPlotSampler& operator=(const cPlotSampler&) = delete;

    // count samples evenly from..to, both ends included (count >= 1).
    // Progress goes to the engine's progress hook: level 0 counts the
    // samples, the evaluations report one level deeper. Whatever that hook
    // throws (a cancel) ends the sampling and is passed on.
    std::vector<cPlotPoint> Sample(const cLongReal& from, const cLongReal& to, uint32_t count);
    std::vector<cPlotPoint> Sample(double from, double to, uint32_t count);

    // Reports reach the hook only once the sampling has run this long, so a
    // quick plot does not flash a progress window.
    std::chrono::milliseconds aQuietTime{200};

    // The engine evaluations made by the last Sample (samples and bisections).
    uint32_t Evaluations() const { return aEvaluations; }

private:
    std::unique_ptr<cFormulaEngine> aEngine;
    cLongReal aVariables[26];
    int aRunning;
    bool aHasLoop = false; // the tree writes loop counters: variables are restored per sample
    uint32_t aEvaluations = 0;

    enum class tOutcome { Value, Retry, Gap };
    bool ValueAt(const cLongReal& x, double& y);
    tOutcome ValueOnce(double& y, bool last);
    bool IsPole(cLongReal left, cLongReal right, double yLeft, double yRight);
    void FindPoles(std::vector<cPlotPoint>& points, const std::vector<cLongReal>& xs);
};

// Evaluates a range bound (a formula, at the user's precision) with a copy
// of the variables; a parse failure throws cPlotParseError, an evaluation
// error what the engine throws. Progress reports as for Sample.
cLongReal EvaluatePlotBound(const std::string& formula, tPlotVariables variables);
