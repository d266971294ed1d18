// SPDX-License-Identifier: GPL-3.0-or-later
// Evaluations as the desktop program runs them (Calculate in the main window,
// progress window and all) against the same evaluation with no progress hook
// installed, in the same run; prints the CPU-time ratios of the fastest of
// five runs each, in random order.
#include "Formula_recall.h"
#include "KorundSettings.h"
#include "Korund_dialogs.h"
#include "Korund_main_unit.h"
#include "RatioReporter.h"

#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct cWorkload {
    const char* name;
    const char* formula;
};
const cWorkload kWorkloads[] = {
    {"W1", "sum(1,1,1000000,1/i^2)"},
    {"sum3M", "sum(1,1,3000000,i)"},
};
constexpr double kTarget = 1.3; // hooked / unhooked

// Nothing waits for a user: a message goes to standard error.
class cQuietDialogs : public cDialogs {
public:
    tMsgResult Message(QWidget*, tMsgType, const QString& text, tMsgButtons) override {
        std::fprintf(stderr, "message: %s\n", text.toLocal8Bit().constData());
        return tMsgResult::Ok;
    }
    void ShowModal(QDialog*) override {}
};

void Calculate(benchmark::State& state, TFMain& main, const char* formula, bool hooked) {
    const tProgressHook hook = cFormulaEngine::ProgressIndicator;
    if (!hooked)
        cFormulaEngine::ProgressIndicator = nullptr;
    main.EFormel->setText(formula);
    for (auto _ : state)
        main.Edit_CalculateClick();
    cFormulaEngine::ProgressIndicator = hook;
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TKorundApplication app(argc, argv);
    QTemporaryDir dir; // no settings file: the defaults
    SetKorundIniPath(dir.filePath("Korund.ini").toStdString());
    SetFormulaHistoryPath(""); // the user's history stays as it is
    cQuietDialogs dialogs;
    SetDialogs(&dialogs);
    {
        cKorundProgram program;
        TFMain& main = *program.W.Main;
        main.show();
        for (const cWorkload& w : kWorkloads) {
            for (const bool hooked : {true, false})
                benchmark::RegisterBenchmark(
                    (std::string(w.name) + (hooked ? "/gui" : "/nohook")).c_str(),
                    [&main, w, hooked](benchmark::State& s) { Calculate(s, main, w.formula, hooked); })
                    ->Unit(benchmark::kMillisecond);
        }
        cRatioReporter reporter;
        RunInterleaved(argc, argv, reporter, 5);

        std::printf("\n%-8s %10s %10s %9s %7s  %s\n", "workload", "gui ms", "nohook ms", "gui/none", "target",
                    "formula");
        for (const cWorkload& w : kWorkloads) {
            const auto ms = [&](const char* kind) { return reporter.Milliseconds(std::string(w.name) + "/" + kind); };
            const double gui = ms("gui"), none = ms("nohook");
            if (gui < 0 || none <= 0)
                continue;
            std::printf("%-8s %10.1f %10.1f %8.2fx %6.1fx  %s%s\n", w.name, gui, none, gui / none, kTarget, w.formula,
                        gui / none > kTarget ? "  (over the target)" : "");
        }
        main.close();
    }
    SetDialogs(nullptr);
    SetKorundIniPath("");
    ResetFormulaHistoryPath();
    benchmark::Shutdown();
    return 0;
}
