// SPDX-License-Identifier: GPL-3.0-or-later
// The plot window: its menu entry, plotting through its own engine with a
// copy of the main window's variables, parse failures, zoom and pan with
// new samples, reset, cancel, export, and the axis ticks.
#include "AppTestSupport.h"

#include "Plot_ticks.h"
#include "Progress_unit.h"

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>

#include <cmath>

namespace {

class Plot : public cProgramTest {
protected:
    TFPlot& P() { return *program->W.Plot; }
    TPlotCanvas& C() { return *P().Canvas; }
    void PlotFormulas(std::initializer_list<const char*> formulas, const char* from = "-360", const char* to = "360") {
        size_t row = 0;
        for (QLineEdit* field : P().EFormula)
            field->clear();
        for (const char* f : formulas)
            P().EFormula[row++]->setText(f);
        P().EFrom->setText(from);
        P().ETo->setText(to);
        P().BPlotClick();
    }
    static void DefineFunction(const char* definition) {
        cFormulaEngine::StartFunctionEdit();
        ASSERT_TRUE(cFormulaEngine::AddFunction(definition, ""));
        ASSERT_EQ(cFormulaEngine::StopFunctionEdit(), -1);
    }
    static int Gaps(const tPlotCurve& curve) {
        return static_cast<int>(std::count_if(curve.points.begin(), curve.points.end(),
                                              [](const cPlotPoint& p) { return !p.aValid || p.aBreak; }));
    }
};

TEST_F(Plot, MenuEntryBeforeHelpShowsTheWindowWhichClosingHides) {
    QStringList titles;
    for (QAction* a : Main().HauptMenue->actions())
        titles << a->text();
    ASSERT_GE(titles.size(), 2);
    EXPECT_EQ(titles.mid(titles.size() - 2), QStringList({"Plot", "Help"}));
    ASSERT_NE(Main().Plot_Show, nullptr);
    EXPECT_EQ(Main().Plot_Show->objectName(), "Plot_Show");
    EXPECT_EQ(Main().Plot_Show->text(), "Plot window");
    EXPECT_EQ(Main().Plot_Show->shortcut(), QKeySequence("Ctrl+P"));

    EXPECT_FALSE(P().isVisible());
    Main().Plot_Show->trigger();
    EXPECT_TRUE(P().isVisible());
    EXPECT_FALSE(P().isModal());
    P().close();
    EXPECT_FALSE(P().isVisible());
    EXPECT_EQ(program->W.Plot, &P()); // hidden, not destroyed
    EXPECT_EQ(P().EVariable->text(), "x");
    EXPECT_EQ(P().ESamples->value(), 1000);
}

TEST_F(Plot, PlotsSineTangentAndAUserFunction) {
    DefineFunction("wave(t)=sin(t)^2+sin(2*t)/2");
    PlotFormulas({"sin(x)", "tan(x)", "wave(x)"});
    EXPECT_THAT(P().LStatus->text().toStdString(), ::testing::HasSubstr("1,000 samples"));
    for (size_t row = 0; row < 3; ++row) {
        ASSERT_EQ(C().Curves[row].points.size(), 1000u) << row;
        EXPECT_TRUE(C().Curves[row].visible);
    }
    EXPECT_FALSE(C().Curves[3].visible);
    for (const cPlotPoint& p : C().Curves[2].points) {
        const double t = p.aX * M_PI / 180;
        EXPECT_NEAR(p.aY, std::sin(t) * std::sin(t) + std::sin(2 * t) / 2, 1e-12);
    }
    EXPECT_EQ(Gaps(C().Curves[0]), 0);
    EXPECT_EQ(Gaps(C().Curves[1]), 4); // the poles at -270, -90, 90, 270
    // The tangent's few large values near the poles do not flatten the view.
    EXPECT_LT(C().View().y1, 50);
    EXPECT_GT(C().View().y1, 1);
    EXPECT_EQ(C().View().x0, -360);
    EXPECT_EQ(C().View().x1, 360);
}

TEST_F(Plot, UsesACopyOfTheMainWindowsVariablesAndChangesNothingThere) {
    Main().Engine->SetVar('a', cLongReal(7L));
    Main().Engine->SetVar('i', cLongReal(5L));
    Main().LastResult = cLongReal(42L);
    P().ESamples->setValue(11);
    PlotFormulas({"a*x+sum(1,1,3,i)"}, "0", "10");
    ASSERT_EQ(C().Curves[0].points.size(), 11u);
    EXPECT_EQ(C().Curves[0].points[1].aY, 13);
    EXPECT_EQ(static_cast<long>(Main().Engine->GetVar('a')), 7);
    EXPECT_EQ(static_cast<long>(Main().Engine->GetVar('i')), 5);
    EXPECT_EQ(static_cast<long>(Main().Engine->GetVar('x')), 0);
    EXPECT_TRUE(Main().LastResult == cLongReal(42L));
    // A zoom samples with the copy taken at Plot, not with today's values.
    Main().Engine->SetVar('a', cLongReal(100L));
    C().SetView({0, 5, 0, 50});
    P().Resample();
    EXPECT_EQ(C().Curves[0].points.back().aY, 7 * 5 + 6);
}

TEST_F(Plot, ParseFailureShowsTheReasonAndSelectsTheStretch) {
    P().show();
    PlotFormulas({"sin(x)", "2*(3+x"});
    EXPECT_THAT(P().LStatus->text().toStdString(), ::testing::HasSubstr("Formula 2: missing closing bracket"));
    EXPECT_EQ(P().EFormula[1]->selectionStart(), 2);
    EXPECT_EQ(P().EFormula[1]->selectedText(), "(");
    EXPECT_TRUE(C().Curves[0].points.empty()); // nothing was drawn

    PlotFormulas({"x"}, "-pi", "1");
    EXPECT_THAT(P().LStatus->text().toStdString(), ::testing::HasSubstr("From: unknown constant"));
    EXPECT_EQ(P().EFrom->selectedText(), "pi");
    PlotFormulas({"x"}, "2", "1");
    EXPECT_THAT(P().LStatus->text().toStdString(), ::testing::HasSubstr("From must be less than To"));
    // Not empty: decided on the balls; too narrow for the doubles of a drawing.
    for (const char* to : {"10^(-10^10)", "1/10^400", "1+1/10^14"}) {
        PlotFormulas({"x"}, std::string(to).starts_with("1+") ? "1" : "0", to);
        EXPECT_THAT(P().LStatus->text().toStdString(), ::testing::HasSubstr("The range is not empty, but too narrow"))
            << to;
    }
}

// The program runs one engine job at a time: a click on Plot, or Edit >
// Constants, while the main window computes starts nothing, and the main
// window stays locked until its own job ends.
TEST_F(Plot, AClickOnPlotDuringALongSumStartsNothingAndTheMainWindowStaysLocked) {
    int32_t second = 0;
    bool clicking = false;
    // Until the click, every report lets the window system in.
    SetProgressClock([&] { return clicking ? 0 : ++second; });
    P().show();
    P().ESamples->setValue(20);
    P().EFormula[0]->setText("sin(x)");
    P().EFrom->setText("sum(1,1,8000000,0)-360"); // long enough to report progress
    bool lockedAfterClick = false;
    std::string status;
    QTimer::singleShot(0, P().BPlot, [&] {
        clicking = true;
        QTest::mouseClick(P().BPlot, Qt::LeftButton);
        lockedAfterClick = !Main().isEnabled();
        status = P().LStatus->text().toStdString();
        Main().Edit_ConstantsClick();
    });
    Main().EFormel->setText("sum(1,1,3000,i)");
    Main().Edit_CalculateClick();
    ASSERT_TRUE(clicking);
    EXPECT_TRUE(lockedAfterClick);
    EXPECT_THAT(status, ::testing::HasSubstr("Another calculation is running"));
    EXPECT_TRUE(C().Curves[0].points.empty());
    EXPECT_TRUE(dialogs.modalShown.empty());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Main().LErgebnis->text(), QString::fromUtf8(static_cast<const char*>(cLongReal(4501500L))));
    EXPECT_TRUE(Main().isEnabled());
    P().EFrom->setText("-360");
    P().BPlotClick(); // once the job has ended
    EXPECT_EQ(C().Curves[0].points.size(), 20u);
}

TEST_F(Plot, ZoomAndPanComputeNewSamplesForTheVisibleRangeAndResetReturns) {
    P().resize(700, 500);
    P().show();
    PlotFormulas({"sin(x)"});
    const QPointF centre(C().width() / 2.0, C().height() / 2.0);
    const QPointF at = C().ToData(centre, C().size());
    C().ZoomAt(centre, 0.5);
    EXPECT_NEAR(C().View().x1 - C().View().x0, 360, 1e-9);
    EXPECT_NEAR(C().ToData(centre, C().size()).x(), at.x(), 1e-9); // around the pointer
    QTest::qWait(150);                                             // the resample timer
    auto& points = C().Curves[0].points;
    ASSERT_EQ(points.size(), 1000u);
    EXPECT_EQ(points.front().aX, C().View().x0);
    EXPECT_EQ(points.back().aX, C().View().x1);
    EXPECT_NEAR(points[500].aY, std::sin(points[500].aX * M_PI / 180), 1e-15);

    const double x0 = C().View().x0;
    QTest::mousePress(&C(), Qt::LeftButton, {}, centre.toPoint());
    QTest::mouseMove(&C(), (centre + QPointF(100, 0)).toPoint());
    QTest::mouseRelease(&C(), Qt::LeftButton, {}, (centre + QPointF(100, 0)).toPoint());
    EXPECT_LT(C().View().x0, x0);
    QTest::qWait(150);
    EXPECT_EQ(points.front().aX, C().View().x0);

    P().BResetClick();
    EXPECT_EQ(C().View().x0, -360);
    EXPECT_EQ(points.front().aX, -360);
    EXPECT_EQ(points.back().aX, 360);
}

TEST_F(Plot, HoverShowsTheCoordinatesUnderThePointer) {
    P().resize(700, 500);
    P().show();
    PlotFormulas({"x"}, "0", "10");
    C().SetView({0, 10, 0, 10});
    const QPoint middle(C().width() / 2, C().height() / 2);
    QTest::mouseMove(&C(), middle);
    const QPointF at = C().ToData(middle, C().size());
    EXPECT_EQ(P().LPointer->text(),
              QString("x = %1   y = %2")
                  .arg(PlotCoordinate(at.x(), 10, C().width()), PlotCoordinate(at.y(), 10, C().height())));
    EXPECT_THAT(P().LPointer->text().toStdString(), ::testing::StartsWith("x = 4."));
}

TEST_F(Plot, CancelStopsALongPlotAndLeavesEverythingUsable) {
    SetProgressClock([] { return 1000; });
    PlotFormulas({"sin(x)"});
    const auto before = C().Curves[0].points;
    TFProgress& progress = *program->W.Progress;
    QTimer::singleShot(400, progress.BCancel, [&progress] { QTest::mouseClick(progress.BCancel, Qt::LeftButton); });
    P().EFormula[0]->setText("sum(1,1,2000,sin(i*x))");
    P().BPlotClick();
    EXPECT_THAT(P().LStatus->text().toStdString(), ::testing::HasSubstr("cancelled"));
    EXPECT_FALSE(progress.isVisible());
    EXPECT_TRUE(Main().isEnabled());
    EXPECT_FALSE(P().Busy());
    ASSERT_EQ(C().Curves[0].points.size(), before.size()); // the picture stays as it was
    EXPECT_EQ(C().Curves[0].points[10].aY, before[10].aY);
    EXPECT_TRUE(dialogs.messages.empty());
    PlotFormulas({"cos(x)"});
    EXPECT_EQ(C().Curves[0].points.front().aY, 1);
}

TEST_F(Plot, ExportsPngAndSvg) {
    P().resize(640, 480);
    P().show();
    PlotFormulas({"sin(x)", "tan(x)"});
    const QString png = QDir(QDir::tempPath()).filePath("korund-plot-test.png");
    const QString svg = QDir(QDir::tempPath()).filePath("korund-plot-test");
    dialogs.fileAnswers = {{true, png, 1}, {true, svg, 2}};
    P().BExportClick();
    P().BExportClick();
    QImage image(png);
    EXPECT_EQ(image.size(), C().size());
    QFile file(svg + ".svg");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("<svg"));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(P().Export("/nonexistent-folder/plot.png"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].type, tMsgType::Error);
    QFile::remove(png);
    QFile::remove(svg + ".svg");
}

TEST(PlotTicks, RoundStepsAndReadableLabels) {
    QStringList labels;
    for (const tPlotTick& t : PlotTicks(-360, 360, 600))
        labels << t.label;
    EXPECT_EQ(labels, QStringList({"-300", "-200", "-100", "0", "100", "200", "300"}));
    labels.clear();
    for (const tPlotTick& t : PlotTicks(0, 1, 400))
        labels << t.label;
    EXPECT_EQ(labels, QStringList({"0", "0.2", "0.4", "0.6", "0.8", "1.0"}));
    const auto near = PlotTicks(1e6, 1e6 + 0.01, 400);
    ASSERT_GE(near.size(), 2);
    EXPECT_NE(near[0].label, near[1].label);
    EXPECT_TRUE(PlotTicks(1, 1, 400).isEmpty());
    EXPECT_TRUE(PlotTicks(0, NAN, 400).isEmpty());
}

TEST(PlotAutoRange, FollowsTheDataUnlessAFewValuesStretchIt) {
    std::vector<double> sine;
    for (int i = 0; i <= 100; ++i)
        sine.push_back(std::sin(i / 10.0));
    const auto [low, high] = PlotAutoRange(sine);
    EXPECT_LT(low, -0.99);
    EXPECT_GT(high, 0.99);
    EXPECT_LT(high, 1.2);
    std::vector<double> poles(200, 0.5);
    for (size_t i = 0; i < 200; ++i)
        poles[i] = std::sin(static_cast<double>(i) / 10.0);
    poles[50] = 1e6;
    poles[150] = -1e6;
    const auto [pLow, pHigh] = PlotAutoRange(poles);
    EXPECT_GT(pLow, -3);
    EXPECT_LT(pHigh, 3);
    const auto [cLow, cHigh] = PlotAutoRange({5, 5, 5});
    EXPECT_LT(cLow, 5);
    EXPECT_GT(cHigh, 5);
}

} // namespace
