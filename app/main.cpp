// SPDX-License-Identifier: GPL-3.0-or-later
// Korund: the desktop calculator.
#include "KorundSettings.h"
#include "Korund_main_unit.h"

#include <cstdio>

namespace {

// Answers --help and --version; false when the program is to run.
bool Answered(const tKorundArguments& arguments) {
    if (arguments.help) {
        std::fputs(kKorundUsage, stdout);
        return true;
    }
    if (arguments.version) {
        std::printf("Korund %s\n", KorundVersion());
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // --help and --version need no display: answered before the window system starts.
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    if (Answered(ParseKorundArguments(raw, true)))
        return 0;

    TKorundApplication app(argc, argv);
    const tKorundArguments arguments = ParseKorundArguments(QApplication::arguments());
    if (!arguments.error.isEmpty()) {
        std::fprintf(stderr, "Korund: %s\nTry 'Korund --help'.\n", arguments.error.toLocal8Bit().constData());
        return 2;
    }
    if (Answered(arguments))
        return 0;
    return RunKorund(QString(), arguments.startFile);
}
