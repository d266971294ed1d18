// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliHelp.h"

const char* const kCliUsage =
    "Usage: korund-cli [options]\n"
    "Calculates formulas with high precision.\n"
    "\n"
    "Options:\n"
    "  -e FORMULA          calculate FORMULA (repeatable, in order); a command\n"
    "                      such as :vars works too. Without -e, formulas are read\n"
    "                      from standard input, one per line.\n"
    "  --ini FILE          read the settings from FILE instead of the usual\n"
    "                      settings file (see below)\n"
    "  --constants FILE    load a constant library (.krc) at start (repeatable)\n"
    "  --functions FILE    load a function library (.krf) at start (repeatable;\n"
    "                      loaded after all constant libraries)\n"
    "  -h, --help          show this help and exit\n"
    "  --version           show the version and exit\n"
    "\n"
    "Settings are read from the first of: Korund.ini beside the program, when\n"
    "its folder is writable; $XDG_CONFIG_HOME/korund/Korund.ini (by default\n"
    "~/.config/korund/Korund.ini), which the desktop program's preferences\n"
    "write; Korund.ini beside the program in a read-only folder. Without any,\n"
    "the defaults apply.\n"
    "\n"
    "Every formula answers with exactly one line on standard output: the result,\n"
    "or \"parse error: \" or \"calc error: \" followed by the reason. Blank input\n"
    "lines are not formulas and answer nothing. Lines starting with ':' are\n"
    "commands (see :help); they print nothing when they succeed, except\n"
    "listings, and one line \"error: ...\" when they fail. Variables a to z keep\n"
    "their values for the whole run. When standard input is a terminal, a prompt\n"
    "\"> \" is shown.\n"
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
    "  :const DEF [| DESC]  add a constant, e.g. :const g=9.80665 | gravity\n"
    "  :func DEF [| DESC]   add a function, e.g. :func hyp(x,y)=sqrt(x^2+y^2)\n"
    "  :consts              list the constants\n"
    "  :funcs               list the user-defined functions\n"
    "  :save consts FILE    save the constants to a library file\n"
    "  :save funcs FILE     save the user-defined functions to a library file\n"
    "  :help                show this list\n"
    "The last result is 0 after a failed calculation.\n"
    "Built-in functions:";

const std::array<const char*, 31> kBuiltinHelp = {
    "abs(x)",      "ln(x)",       "exp(x)",      "sqrt(x)",      "sin(x)",     "cos(x)",     "tan(x)",
    "cot(x)",      "arcsin(x)",   "arccos(x)",   "arctan(x)",    "arccot(x)",  "sinh(x)",    "cosh(x)",
    "tanh(x)",     "arcsinh(x)",  "arccosh(x)",  "arctanh(x)",   "normloc(x)", "norm(x)",    "invnormloc(x)",
    "invnorm(x)",  "fak(x)",      "per(n,k)",    "com(n,k)",     "trunc(x)",   "round(x)",   "e()",
    "pi()",
    "sum(<var index>,<from>,<to>,<expression>)",
    "mul(<var index>,<from>,<to>,<expression>)",
};
