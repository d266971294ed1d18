// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window as the engine's reports drive it, with the calendar
// second under the test's control.
#include "AppTestSupport.h"

#include "Progress_unit.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include <algorithm>

namespace {

TEST(ProgressRow, TextAndPercentOfOneReport) {
    struct tRow {
        uint8_t activity;
        uint32_t total, done;
        const char* text;
        int32_t percent;
    } rows[] = {
        {0, 0, 0, "idle", 0},
        {1, 40, 12, "calculating (12/40)", 30},
        {2, 3, 1, "saving to file (1/3)", 33},
        {3, 7, 7, "loading from file (7/7)", 100},
        {4, 3, 0, "interpreting (0/3)", 0},
        {9, 10, 5, " (5/10)", 50},         // unknown code: empty text, counts kept
        {1, 0, 5, "calculating (5/0)", 0}, // no division by a total of 0
        {1, 4000000000u, 3000000000u, "calculating (3000000000/4000000000)", 75}, // 64-bit product
        {1, 4294967295u, 4294967295u, "calculating (4294967295/4294967295)", 100},
    };
    for (const tRow& row : rows) {
        EXPECT_EQ(ProgressRowText(row.activity, row.total, row.done), row.text);
        EXPECT_EQ(ProgressPercent(row.total, row.done), row.percent) << row.text;
    }
}

class Progress : public cProgramTest {
protected:
    int32_t second = 1000;
    void SetUp() override {
        cProgramTest::SetUp();
        SetProgressClock([this] { return second; });
    }
    TFProgress& P() { return *program->W.Progress; }
    QString Label(size_t row) {
        return std::array<QLabel*, 4>{P().LStat1, P().LStat2, P().LStat3, P().LStat4}[row]->text();
    }
    int Bar(size_t row) {
        return std::array<QProgressBar*, 4>{P().PStat1, P().PStat2, P().PStat3, P().PStat4}[row]->value();
    }
};

TEST_F(Progress, WindowStaysOnTopWithoutCloseButton) {
    EXPECT_TRUE(P().windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(P().windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint));
}

TEST_F(Progress, FirstReportShowsAndRepaintsLaterOnesWaitForTheNextSecond) {
    ProgressCallback(0, 1, 40, 0);
    EXPECT_TRUE(P().isVisible());
    EXPECT_FALSE(Main().isEnabled());
    EXPECT_EQ(Label(0), "calculating (0/40)");
    EXPECT_EQ(Bar(0), 0);
    EXPECT_EQ(Main().LastProgressRefresh, 1000);
    for (size_t row = 1; row < 4; ++row)
        EXPECT_EQ(Label(row), "idle");

    ProgressCallback(0, 1, 40, 12); // same second: stored, not drawn
    EXPECT_EQ(P().RowText(0), "calculating (12/40)");
    EXPECT_EQ(P().RowPercent(0), 30);
    EXPECT_EQ(Label(0), "calculating (0/40)");
    EXPECT_EQ(Bar(0), 0);

    ++second;
    ProgressCallback(0, 1, 40, 20);
    EXPECT_EQ(Label(0), "calculating (20/40)");
    EXPECT_EQ(Bar(0), 50);
    EXPECT_EQ(Main().LastProgressRefresh, 1001);
}

TEST_F(Progress, NestedLevelsFillTheirRowsAndTheirEndLeavesTheWindow) {
    ProgressCallback(0, 1, 10, 1);
    ++second;
    ProgressCallback(1, 1, 4, 2);
    EXPECT_EQ(Label(1), "calculating (2/4)");
    EXPECT_EQ(Bar(1), 50);
    ++second;
    ProgressCallback(1, 0, 0, 0);
    EXPECT_EQ(Label(1), "idle");
    EXPECT_EQ(Bar(1), 0);
    EXPECT_TRUE(P().isVisible());
    EXPECT_FALSE(Main().isEnabled());
    ++second;
    ProgressCallback(3, 4, 8, 8);
    EXPECT_EQ(Label(3), "interpreting (8/8)");
    EXPECT_EQ(Bar(3), 100);
}

TEST_F(Progress, LevelsAboveThreeAreIgnored) {
    ProgressCallback(5, 1, 10, 5);
    EXPECT_FALSE(P().isVisible());
    EXPECT_TRUE(Main().isEnabled());
    ProgressCallback(0, 1, 10, 1);
    ++second;
    ProgressCallback(4, 1, 10, 5);
    EXPECT_EQ(P().RowText(0), "calculating (1/10)");
    for (size_t row = 1; row < 4; ++row)
        EXPECT_EQ(P().RowText(row), "idle");
}

TEST_F(Progress, TopLevelIdleHidesAndEnablesWithoutAFinalRepaint) {
    ProgressCallback(0, 0, 0, 0); // hidden: nothing happens
    EXPECT_FALSE(P().isVisible());
    EXPECT_TRUE(Main().isEnabled());
    EXPECT_EQ(Main().LastProgressRefresh, 0);

    ProgressCallback(0, 2, 5, 1);
    ProgressCallback(0, 2, 5, 4); // same second: not drawn
    ++second;
    ProgressCallback(0, 0, 0, 0);
    EXPECT_FALSE(P().isVisible());
    EXPECT_TRUE(Main().isEnabled());
    EXPECT_EQ(Label(0), "saving to file (1/5)");
    EXPECT_EQ(P().RowText(0), "saving to file (4/5)"); // rows keep their last values
}

TEST_F(Progress, ShowingAgainResetsTheRows) {
    ProgressCallback(0, 1, 10, 1);
    ++second;
    ProgressCallback(2, 1, 10, 5);
    ProgressCallback(0, 0, 0, 0);
    ProgressCallback(0, 4, 3, 0); // same second as the last repaint: still drawn at once
    EXPECT_TRUE(P().isVisible());
    EXPECT_EQ(Label(0), "interpreting (0/3)");
    EXPECT_EQ(Label(2), "idle");
    EXPECT_EQ(Bar(2), 0);
}

TEST_F(Progress, NestedIdleWhileHiddenShowsTheWindow) {
    ProgressCallback(2, 0, 0, 0);
    EXPECT_TRUE(P().isVisible());
    EXPECT_EQ(Label(2), "idle");
    EXPECT_FALSE(Main().isEnabled());
}

TEST_F(Progress, UserCannotCloseTheWindow) {
    ProgressCallback(0, 1, 10, 1);
    P().reject(); // Esc
    EXPECT_TRUE(P().isVisible());
    ProgressCallback(0, 0, 0, 0);
    EXPECT_FALSE(P().isVisible());
}

TEST_F(Progress, ACalculationLocksTheMainWindowAndReleasesIt) {
    std::vector<bool> enabledDuring;
    SetProgressClock([&] {
        enabledDuring.push_back(Main().isEnabled());
        return ++second;
    });
    Main().EFormel->setText("sum(1,1,20,1)");
    Main().Edit_CalculateClick();
    ASSERT_FALSE(enabledDuring.empty());
    EXPECT_EQ(std::count(enabledDuring.begin(), enabledDuring.end(), true), 0);
    EXPECT_TRUE(Main().isEnabled());
    EXPECT_FALSE(P().isVisible());

    Main().EFormel->setText("1/0"); // a failed evaluation also ends its level
    Main().Edit_CalculateClick();
    EXPECT_TRUE(Main().isEnabled());
    EXPECT_FALSE(P().isVisible());
}

} // namespace
