// SPDX-License-Identifier: GPL-3.0-or-later
#include "EngineState.h"
#include "KorundSettings.h"

#include "cFormulaEngine.h"
#include "cLongReal.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

int DecimalDigits(int k) { return static_cast<int>(std::ceil(k * std::log(65536.0) / std::log(10.0))); }

int NativeDigitsFor(int decimal) {
    if (decimal <= 0)
        return 0;
    // k native digits hold k * log10(65536) decimal digits in full.
    const double perNative = std::log10(65536.0);
    int k = static_cast<int>(std::ceil(decimal / perNative));
    while (k > 1 && (k - 1) * perNative >= decimal)
        --k;
    return k;
}

std::string FormatGeneral(double value, int digits) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";

    // Round to `digits` significant digits: "d.ddd...e[+-]x".
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", digits - 1, std::fabs(value));
    const std::string text(buffer);
    const auto e = text.find('e');
    std::string significant = text.substr(0, 1) + (digits > 1 ? text.substr(2, e - 2) : "");
    const int exponent = std::atoi(text.c_str() + e + 1);
    while (significant.size() > 1 && significant.back() == '0')
        significant.pop_back();

    std::string result = value < 0 ? "-" : "";
    if (exponent >= -5 && exponent < digits) {
        if (exponent < 0) {
            result += "0.";
            result.append(static_cast<size_t>(-exponent - 1), '0');
            result += significant;
        } else {
            const auto integerDigits = static_cast<size_t>(exponent) + 1;
            if (significant.size() <= integerDigits) {
                result += significant + std::string(integerDigits - significant.size(), '0');
            } else {
                result += significant.substr(0, integerDigits);
                result += '.';
                result += significant.substr(integerDigits);
            }
        }
    } else {
        result += significant.substr(0, 1);
        if (significant.size() > 1) {
            result += '.';
            result += significant.substr(1);
        }
        result += 'E';
        result += std::to_string(exponent);
    }
    return result;
}

std::vector<std::string> EngineStateLines() {
    using std::to_string;
    const int P = cLongReal::aPrecision;
    const int N = P - static_cast<int>(cLongReal::aOutputDrop);
    const int n = cLongReal::aNativeEpsExponent;
    // The product is rounded to double before the exponential.
    const double epsilonExponent = std::log(2.0) * static_cast<double>(-16 * n);

    const char* angle = cLongReal::aAngleMode == 1 ? "deg" : cLongReal::aAngleMode == 2 ? "gra" : "rad";
    const char* eng = !cLongReal::aEngOn ? "off" : cLongReal::aEngBinary ? "binary" : "decimal";

    return {
        "native calc digits > " + to_string(P) + " (= " + to_string(2 * P) + " bytes / " + to_string(DecimalDigits(P)) +
            " decimal digits)",
        "native output digits > " + to_string(N) + " (= " + to_string(2 * N) + " bytes / " +
            to_string(DecimalDigits(N)) + " decimal digits)",
        "internal zero epsilon > " + to_string(n) + " (= " + FormatGeneral(std::exp(epsilonExponent), 15) + " dec)",
        "render exp as zeros > -" + to_string(cLongReal::aOutputExpLow) + " to " + to_string(cLongReal::aOutputExpHigh),
        "base > input default: " + to_string(cLongReal::aInputSystemStandard) +
            "; output: " + to_string(cLongReal::aOutputSystem),
        std::string("flags > ") + angle + "; eng " + eng,
        "memory > constants: " + to_string(cFormulaEngine::aConstantMax) + "; functions: " +
            to_string(cFormulaEngine::aUserFunctionMax) + "; ref alloc: " + to_string(cFormulaEngine::aConstRefAlloc),
    };
}
