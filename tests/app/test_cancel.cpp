// SPDX-License-Identifier: GPL-3.0-or-later
// Cancelling a running evaluation from the progress window: only evaluations
// end, the program stays usable and nothing in memory is lost.
#include "AppTestSupport.h"

#include "Progress_unit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <string>

namespace {

using Engine = cFormulaEngine;

class Cancel : public cProgramTest {
protected:
    int32_t second = 1000;
    void SetUp() override {
        cProgramTest::SetUp();
        SetProgressClock([this] { return second; });
    }
    TFProgress& P() { return *program->W.Progress; }
    QString Calculate(const QString& formula) {
        Main().EFormel->setText(formula);
        Main().Edit_CalculateClick();
        return Main().LErgebnis->text();
    }
    void ExpectCancelledAndUsable() {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].type, tMsgType::Plain);
        EXPECT_EQ(dialogs.messages[0].text, "calculation cancelled");
        EXPECT_EQ(dialogs.messages[0].buttons, tMsgButtons::Ok);
        EXPECT_EQ(Main().LErgebnis->text(), "<ERROR>");
        EXPECT_TRUE(Main().LastResult == cLongReal(0L));
        EXPECT_TRUE(Main().isEnabled());
        EXPECT_TRUE(Main().BCalculate->isEnabled());
        EXPECT_FALSE(P().isVisible());
        EXPECT_FALSE(P().BCancel->isEnabled());
        dialogs.messages.clear();
        EXPECT_EQ(Calculate("2*3"), QString::fromUtf8(static_cast<const char*>(cLongReal(6L))));
        EXPECT_TRUE(dialogs.messages.empty());
    }
    static void DefineFunctions(std::initializer_list<const char*> definitions) {
        Engine::StartFunctionEdit();
        for (const char* d : definitions)
            ASSERT_TRUE(Engine::AddFunction(d, ""));
        ASSERT_EQ(Engine::StopFunctionEdit(), -1);
    }
    // Clicks Cancel from inside the running job, the way a click arrives
    // while the callback lets the window system in.
    void ClickCancelAfter(int milliseconds) {
        QTimer::singleShot(milliseconds, P().BCancel, [this] { QTest::mouseClick(P().BCancel, Qt::LeftButton); });
    }
};

TEST_F(Cancel, OnlyEvaluatingReportsThrowOnceCancelled) {
    struct tRow {
        uint16_t level;
        uint8_t activity;
        bool throws;
    } rows[] = {
        {1, 0, false}, // a level ending
        {2, 4, false}, {3, 9, false}, {1, 1, true},
        {3, 1, true},  {5, 1, true}, // too deep to be shown, still an evaluation
        {0, 1, true},
    };
    ProgressCallback(0, 1, 100, 0);
    EXPECT_TRUE(P().BCancel->isEnabled());
    P().BCancel->click();
    for (const tRow& row : rows) {
        SCOPED_TRACE(testing::Message() << row.level << "," << int(row.activity));
        if (row.throws)
            EXPECT_THROW(ProgressCallback(row.level, row.activity, 10, 1), cCancelled);
        else
            EXPECT_NO_THROW(ProgressCallback(row.level, row.activity, 10, 1));
    }
    EXPECT_NO_THROW(ProgressCallback(0, 0, 0, 0)); // the top level's end never throws
    EXPECT_FALSE(P().isVisible());
    EXPECT_TRUE(Main().isEnabled());
}

TEST_F(Cancel, AClickSeenWhileAReportPumpsEndsThatReport) {
    // An engine call from a handler inside the pump is not the job cancelled.
    bool innerThrew = false;
    QTimer::singleShot(0, &P(), [&] {
        P().BCancel->click();
        try {
            ProgressCallback(1, 1, 10, 1);
        } catch (const cCancelled&) {
            innerThrew = true;
        }
    });
    EXPECT_THROW(ProgressCallback(0, 1, 100, 0), cCancelled);
    EXPECT_FALSE(innerThrew);
}

TEST_F(Cancel, EscCancelsAnEvaluationButNeverClosesTheWindow) {
    ProgressCallback(0, 1, 100, 0);
    QTest::keyClick(&P(), Qt::Key_Escape);
    EXPECT_TRUE(P().isVisible());
    EXPECT_TRUE(P().CancelRequested);
    EXPECT_THROW(ProgressCallback(0, 1, 100, 1), cCancelled);
}

TEST_F(Cancel, OtherJobsCannotBeCancelled) {
    for (const uint8_t activity : {uint8_t{2}, uint8_t{3}, uint8_t{4}}) {
        SCOPED_TRACE(int(activity));
        ProgressCallback(0, activity, 10, 0);
        EXPECT_FALSE(P().BCancel->isEnabled());
        P().BCancelClick();
        QTest::keyClick(&P(), Qt::Key_Escape);
        EXPECT_FALSE(P().CancelRequested);
        EXPECT_TRUE(P().isVisible());
        EXPECT_NO_THROW(ProgressCallback(0, activity, 10, 1));
        EXPECT_NO_THROW(ProgressCallback(1, 1, 10, 1)); // nested evaluating report
        ProgressCallback(0, 0, 0, 0);
    }
}

TEST_F(Cancel, AStaleRequestDoesNotCancelTheNextJob) {
    ProgressCallback(0, 1, 100, 0);
    P().BCancel->click();
    ProgressCallback(0, 0, 0, 0); // the job ended before its next report
    EXPECT_NO_THROW(ProgressCallback(0, 1, 100, 0));
    EXPECT_NO_THROW(ProgressCallback(0, 1, 100, 1));
    ProgressCallback(0, 0, 0, 0);

    // And a real evaluation after it runs to its end.
    P().CancelRequested = true;
    EXPECT_EQ(Calculate("sum(1,1,50,2)"), QString::fromUtf8(static_cast<const char*>(cLongReal(100L))));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Cancel, ARunawaySumIsStoppedByAClick) {
    SetProgressClock({}); // the real clocks: the click must get through on its own
    Main().show();
    ClickCancelAfter(300);
    Calculate("sum(1,1,10^9,i)");
    ExpectCancelledAndUsable();
    // The loop's counter keeps the value it had reached.
    const long i = static_cast<long>(Main().Engine->GetVar('i'));
    EXPECT_GT(i, 1);
    EXPECT_LT(i, 1000000000L);
}

TEST_F(Cancel, ANestedEvaluationIsStoppedAndTheLibraryKept) {
    SetProgressClock({});
    DefineFunctions({"f(x)=sum(1,1,x,i)", "g(x)=f(x)+1"});
    Main().show();
    ClickCancelAfter(300);
    Calculate("g(10^9)");
    ExpectCancelledAndUsable();
    ASSERT_EQ(Engine::GetFunctionCount(), 2u);
    EXPECT_STREQ(Engine::GetFunctionDef(0).get(), "f(x)=sum(1,1,x,i)");
    EXPECT_EQ(Calculate("g(3)"), QString::fromUtf8(static_cast<const char*>(cLongReal(7L))));
}

TEST_F(Cancel, ALibraryCompileRunsToItsEnd) {
    // A click on Cancel at every report of the compile.
    SetProgressClock([this] {
        if (P().isVisible()) {
            QTest::mouseClick(P().BCancel, Qt::LeftButton);
            P().reject();
        }
        return ++second;
    });
    Engine::StartFunctionEdit();
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(Engine::AddFunction(("f" + std::to_string(i) + "(x)=x+" + std::to_string(i)).c_str(), ""));
    int32_t result = 0;
    EXPECT_NO_THROW(result = Engine::StopFunctionEdit());
    EXPECT_EQ(result, -1);
    EXPECT_EQ(Engine::GetFunctionCount(), 20u);
    EXPECT_FALSE(P().isVisible());
    EXPECT_TRUE(Main().isEnabled());
}

} // namespace
