// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in functions: the one table that the engine's function table,
// the palettes, the help, the completion, the argument-count messages and
// the name check are all made from. The first kBasicFunctionCount entries
// are the engine's table in its order; sum and mul, the two special forms
// of the parser, follow.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

struct cBuiltin {
    const char* aName; // as typed before '('
    uint16_t aArgCount;
    const char* aSignature; // "per(n,k)"
    const char* aHelp;      // "permutations, n!/(n-k)!"
};

inline constexpr uint16_t kBasicFunctionCount = 29;

inline constexpr std::array<cBuiltin, 31> kBuiltins = {{
    {"abs", 1, "abs(x)", "absolute value"},
    {"ln", 1, "ln(x)", "natural logarithm"},
    {"exp", 1, "exp(x)", "e to the power x"},
    {"sqrt", 1, "sqrt(x)", "square root"},
    {"sin", 1, "sin(x)", "sine (in the angle unit)"},
    {"cos", 1, "cos(x)", "cosine (in the angle unit)"},
    {"tan", 1, "tan(x)", "tangent (in the angle unit)"},
    {"cot", 1, "cot(x)", "cotangent (in the angle unit)"},
    {"arcsin", 1, "arcsin(x)", "inverse sine (in the angle unit)"},
    {"arccos", 1, "arccos(x)", "inverse cosine (in the angle unit)"},
    {"arctan", 1, "arctan(x)", "inverse tangent (in the angle unit)"},
    {"arccot", 1, "arccot(x)", "inverse cotangent (in the angle unit)"},
    {"sinh", 1, "sinh(x)", "hyperbolic sine"},
    {"cosh", 1, "cosh(x)", "hyperbolic cosine"},
    {"tanh", 1, "tanh(x)", "hyperbolic tangent"},
    {"arcsinh", 1, "arcsinh(x)", "inverse hyperbolic sine"},
    {"arccosh", 1, "arccosh(x)", "inverse hyperbolic cosine"},
    {"arctanh", 1, "arctanh(x)", "inverse hyperbolic tangent"},
    {"normloc", 1, "normloc(x)", "density of the standard normal distribution"},
    {"norm", 1, "norm(x)", "cumulative standard normal distribution, P(X <= x)"},
    {"invnormloc", 1, "invnormloc(x)", "the t >= 0 where the standard normal density is x"},
    {"invnorm", 1, "invnorm(x)", "quantile of the standard normal distribution, the t with norm(t) = x"},
    {"fak", 1, "fak(x)", "factorial x! (Gamma(x+1) for x that are not whole)"},
    {"per", 2, "per(n,k)", "permutations, n!/(n-k)!"},
    {"com", 2, "com(n,k)", "combinations (binomial coefficient), n!/(k!(n-k)!)"},
    {"trunc", 1, "trunc(x)", "x without its fractional part (toward zero)"},
    {"round", 1, "round(x)", "nearest whole number, halves away from zero"},
    {"e", 0, "e()", "Euler's number 2.71828..."},
    {"pi", 0, "pi()", "the circle number 3.14159..."},
    {"sum", 4, "sum(<var index>,<from>,<to>,<expression>)",
     "sum of expression over the counter from..to (var index 1 is i, 2 is j, 3 is k, anything else l)"},
    {"mul", 4, "mul(<var index>,<from>,<to>,<expression>)",
     "product of expression over the counter from..to (var index as for sum)"},
}};

// The entry of that name (a built-in function, sum or mul), or null.
constexpr const cBuiltin* FindBuiltin(std::string_view name) {
    for (const cBuiltin& entry : kBuiltins)
        if (name == entry.aName)
            return &entry;
    return nullptr;
}
