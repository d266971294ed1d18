// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliHelp.h"

const char* const kCliUsage =
    "Usage: korund-cli [options] [FILE...]\n"
    "Calculates formulas with high precision.\n"
    "\n"
    "Options:\n"
    "  -e FORMULA          calculate FORMULA (repeatable, in order; -eFORMULA\n"
    "                      works too); a command such as :vars works as well.\n"
    "                      Without -e and FILE, formulas are read from standard\n"
    "                      input, one per line.\n"
    "  FILE                read formulas from FILE, one per line, after the -e\n"
    "                      formulas; lines starting with # are comments\n"
    "  --digits N          show N decimal digits (the native digits DigitsUse\n"
    "                      are set to hold them, DigitsDrop stays)\n"
    "  --angle rad|deg|gra angle unit of the trigonometric functions\n"
    "  --base N            base of input and output, 2 to 36\n"
    "  --output-base N     base of output only\n"
    "  --ini FILE          read the settings from FILE instead of the usual\n"
    "                      settings file (see below)\n"
    "  --constants FILE    load a constant library (.krc) at start (repeatable)\n"
    "  --functions FILE    load a function library (.krf) at start (repeatable;\n"
    "                      loaded after all constant libraries)\n"
    "  -h, --help          show this help and exit\n"
    "  --version           show the version and exit\n"
    "Long options may be shortened while they stay unambiguous (--dig 30);\n"
    "\"--\" ends the options, for a FILE whose name starts with '-'.\n"
    "\n"
    "Formulas:\n"
    "  Numbers: 12, 3.25, and the exponent form 6.02E23 or 1.5E-7 (a capital E;\n"
    "  in bases above 14 the E is a digit). The operators + - * / ^ with the\n"
    "  usual precedence; a sign stands only at the start of a formula, a bracket\n"
    "  or an argument: write 2*(-3), not 2*-3. The letters a to z are variables;\n"
    "  names of two or more letters are constants, and name(...) a function.\n"
    "  sum(S,FROM,TO,EXPR) and mul(S,FROM,TO,EXPR) add or multiply EXPR over a\n"
    "  counter from FROM to TO; the selector S names the counter: 1 is i, 2 is j,\n"
    "  3 is k, anything else l. Example: sum(1,1,100,1/i^2).\n"
    "  Angles are in degrees unless the settings or --angle say otherwise.\n"
    "\n"
    "Settings are read from the first of: Korund.ini beside the program, when\n"
    "its folder is writable; $XDG_CONFIG_HOME/korund/Korund.ini (by default\n"
    "~/.config/korund/Korund.ini), which the desktop program's preferences\n"
    "write; Korund.ini beside the program in a read-only folder. Without any,\n"
    "the defaults apply. A value that is no whole number or does not fit its\n"
    "setting is reported on standard error with what is used instead.\n"
    "\n"
    "Every formula answers with exactly one line on standard output: the result,\n"
    "or \"parse error: \" or \"calc error: \" followed by the reason; a parse error\n"
    "gives the column and ends with the error's code name in brackets, such as\n"
    "[feErrEmpty]. Blank input lines are not formulas and answer nothing. Lines\n"
    "starting with ':' are commands (see :help); they print nothing when they\n"
    "succeed, except listings, and one line \"error: ...\" when they fail.\n"
    "Variables a to z keep their values for the whole run.\n"
    "\n"
    "When standard input and output are a terminal, a prompt \"> \" is shown,\n"
    "lines can be edited, Up and Down recall earlier formulas (kept in\n"
    "$XDG_STATE_HOME/korund/history, by default ~/.local/state/korund/history,\n"
    "shared with the desktop program), Tab completes names and commands, and a\n"
    "parse error shows a caret under the failing part. quit, exit, :q or Ctrl-D\n"
    "end the session.\n"
    "\n"
    "Ctrl-C interrupts a running calculation (\"calc error: interrupted\") and the\n"
    "session goes on; at the prompt it ends the program. A second Ctrl-C during\n"
    "a calculation that does not react ends the program at once.\n"
    "\n"
    "Exit status: 0 when everything succeeded, 1 when a formula, a command or a\n"
    "library failed, 2 for a usage error, 130 when Ctrl-C ended the program.\n";

const char* const kCliCommands =
    "Commands:\n"
    "  :m x                 store the last result into variable x\n"
    "  :m+ x                add the last result to variable x\n"
    "  :m- x                subtract the last result from variable x\n"
    "  :vars                list the variables a to z\n"
    "  :const DEF [| DESC]  add a constant, e.g. :const gn=9.80665 | gravity\n"
    "  :func DEF [| DESC]   add a function, e.g. :func hyp(x,y)=sqrt(x^2+y^2)\n"
    "  :consts              list the constants\n"
    "  :funcs               list the user-defined functions\n"
    "  :save consts FILE    save the constants to a library file\n"
    "  :save funcs FILE     save the user-defined functions to a library file\n"
    "  :settings            show the precision, bases, angle unit and capacities\n"
    "  :help [NAME]         show this list, or what built-in function NAME does\n"
    "  quit, exit, :q       end the session\n"
    "Names of constants and functions are written with a to z and _; a constant\n"
    "needs two or more letters (one letter is a variable).\n"
    "The last result is 0 after a failed calculation.\n"
    "Built-in functions:";

const std::array<cBuiltinHelp, 31> kBuiltinHelp = {{
    {"abs", "abs(x): absolute value"},
    {"ln", "ln(x): natural logarithm"},
    {"exp", "exp(x): e to the power x"},
    {"sqrt", "sqrt(x): square root"},
    {"sin", "sin(x): sine (in the angle unit)"},
    {"cos", "cos(x): cosine (in the angle unit)"},
    {"tan", "tan(x): tangent (in the angle unit)"},
    {"cot", "cot(x): cotangent (in the angle unit)"},
    {"arcsin", "arcsin(x): inverse sine (in the angle unit)"},
    {"arccos", "arccos(x): inverse cosine (in the angle unit)"},
    {"arctan", "arctan(x): inverse tangent (in the angle unit)"},
    {"arccot", "arccot(x): inverse cotangent (in the angle unit)"},
    {"sinh", "sinh(x): hyperbolic sine"},
    {"cosh", "cosh(x): hyperbolic cosine"},
    {"tanh", "tanh(x): hyperbolic tangent"},
    {"arcsinh", "arcsinh(x): inverse hyperbolic sine"},
    {"arccosh", "arccosh(x): inverse hyperbolic cosine"},
    {"arctanh", "arctanh(x): inverse hyperbolic tangent"},
    {"normloc", "normloc(x): density of the standard normal distribution"},
    {"norm", "norm(x): cumulative standard normal distribution, P(X <= x)"},
    {"invnormloc", "invnormloc(x): the t >= 0 where the standard normal density is x"},
    {"invnorm", "invnorm(x): quantile of the standard normal distribution, the t with norm(t) = x"},
    {"fak", "fak(x): factorial x! (Gamma(x+1) for x that are not whole)"},
    {"per", "per(n,k): permutations, n!/(n-k)!"},
    {"com", "com(n,k): combinations (binomial coefficient), n!/(k!(n-k)!)"},
    {"trunc", "trunc(x): x without its fractional part (toward zero)"},
    {"round", "round(x): nearest whole number, halves away from zero"},
    {"e", "e(): Euler's number 2.71828..."},
    {"pi", "pi(): the circle number 3.14159..."},
    {"sum", "sum(<var index>,<from>,<to>,<expression>): sum of expression over the counter from..to "
            "(var index 1 is i, 2 is j, 3 is k, anything else l)"},
    {"mul", "mul(<var index>,<from>,<to>,<expression>): product of expression over the counter from..to "
            "(var index as for sum)"},
}};

const char* BuiltinHelpLine(std::string_view name)
{
    for (const cBuiltinHelp& entry : kBuiltinHelp)
        if (name == entry.aName)
            return entry.aLine;
    return nullptr;
}
