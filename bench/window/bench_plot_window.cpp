// SPDX-License-Identifier: GPL-3.0-or-later
// The plot window on the offscreen platform: from Plot to a painted picture
// of 1,000 samples, and a repaint of four curves of 10,000 samples each
// (what every step of a pan or zoom costs before the new samples come).
#include "KorundSettings.h"
#include "Korund_main_unit.h"
#include "Plot_unit.h"
#include "Progress_unit.h"

#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QSpinBox>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct cWindows {
    QTemporaryDir dir;
    cKorundWindows W;
    std::unique_ptr<TFMain> main;
    std::unique_ptr<TFProgress> progress;
    std::unique_ptr<TFPlot> plot;
    cWindows() {
        SetKorundIniPath(dir.filePath("Korund.ini").toStdString()); // never written: the defaults
        main = std::make_unique<TFMain>(W);
        W.Main = main.get();
        progress = std::make_unique<TFProgress>(W);
        W.Progress = progress.get();
        plot = std::make_unique<TFPlot>(W);
        W.Plot = plot.get();
        plot->resize(800, 600);
        plot->show();
    }
    ~cWindows() {
        plot.reset();
        progress.reset();
        main.reset();
    }
};

cWindows* gWindows = nullptr;

void PlotToPicture(benchmark::State& state) {
    TFPlot& plot = *gWindows->plot;
    plot.EFormula[0]->setText("sin(x)*x");
    for (size_t row = 1; row < TFPlot::kRows; ++row)
        plot.EFormula[row]->clear();
    plot.ESamples->setValue(1000);
    for (auto _ : state) {
        plot.BPlotClick();
        benchmark::DoNotOptimize(plot.Canvas->grab());
    }
}

void RepaintFourCurves(benchmark::State& state) {
    TFPlot& plot = *gWindows->plot;
    const char* formulas[] = {"sin(x)", "tan(x)", "cos(3*x)*x/360", "ln(x)"};
    for (size_t row = 0; row < TFPlot::kRows; ++row)
        plot.EFormula[row]->setText(formulas[row]);
    plot.ESamples->setValue(10000);
    plot.BPlotClick();
    for (auto _ : state)
        benchmark::DoNotOptimize(plot.Canvas->grab());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    cWindows windows;
    gWindows = &windows;
    benchmark::RegisterBenchmark("plot 1,000 samples of sin(x)*x, painted", PlotToPicture)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("repaint 4 curves x 10,000 samples", RepaintFourCurves)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    gWindows = nullptr;
    return 0;
}
