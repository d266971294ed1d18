// SPDX-License-Identifier: GPL-3.0-or-later
// The result line: long results shortened in the mantissa with the exponent
// kept, selection and copying of the whole text, a result of 48,000 digits.
#include "AppTestSupport.h"

#include "Result_line.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

namespace {

TEST(ExponentStart, FindsEachMarkerAndIgnoresDigitE) {
    struct tRow {
        const char* text;
        qsizetype start;
    } rows[] = {
        {"-3.3333333333333E-124", 16},
        {"1.5E3", 3},
        {"1.5E+3", 3},
        {"12.5@7", 4},
        {"1.5*2^10", 3},
        {"1.048576*2^-20", 8},
        {"123.45", 6},
        {"1ABE", 4},
        {"1E", 2}, // E a digit: none
        {"E5", 2},
        {"1E-", 3},
        {"", 0},
    };
    for (const tRow& row : rows)
        EXPECT_EQ(ExponentStart(row.text), row.start) << row.text;
}

TEST(ElideNumber, KeepsTheExponentAndBothEndsOfTheMantissa) {
    const QFontMetrics metrics(QGuiApplication::font());
    const QString text = "-3." + QString(300, '3') + "7E-124";
    for (int width : {400, 120}) {
        SCOPED_TRACE(width);
        const tElision e = ElideNumber(text, metrics, width);
        const QString shown = text.left(e.head) + QChar(0x2026) + text.right(e.tail);
        EXPECT_LE(metrics.horizontalAdvance(shown), width);
        EXPECT_TRUE(shown.endsWith("37E-124")) << shown.toStdString();
        EXPECT_TRUE(shown.startsWith("-3")) << shown.toStdString();
        // One more mantissa character would not fit.
        const QString wider = text.left(e.head + 1) + QChar(0x2026) + text.right(e.tail);
        EXPECT_GT(metrics.horizontalAdvance(wider), width);
    }
    const tElision whole = ElideNumber("1.5E3", metrics, 400);
    EXPECT_EQ(whole.head, 5);
    EXPECT_EQ(whole.tail, 0);
    // No room even for the exponent: the exponent is still shown whole.
    const tElision tight = ElideNumber(text, metrics, 5);
    EXPECT_EQ(text.right(tight.tail), "E-124");
}

class ResultLine : public ::testing::Test {
protected:
    TResultLine line{"<result>"};
    const QString full = "1.2345678901234567890123456789E-124";
    void SetUp() override {
        line.resize(120, 18);
        line.show();
        line.SetResult(full);
    }
};

TEST_F(ResultLine, ShowsWhatFitsAndTellsTheWholeTextInTheTooltip) {
    ASSERT_TRUE(line.Elided());
    EXPECT_EQ(line.FullText(), full);
    EXPECT_TRUE(line.text().endsWith("E-124"));
    EXPECT_LE(QFontMetrics(line.font()).horizontalAdvance(line.text()), line.contentsRect().width());
    EXPECT_EQ(line.toolTip(), full);

    line.resize(481, 18); // room again: the whole text, no tooltip
    EXPECT_FALSE(line.Elided());
    EXPECT_EQ(line.text(), full);
    EXPECT_TRUE(line.toolTip().isEmpty());
}

TEST_F(ResultLine, SelectionStandsForTheDigitsItCovers) {
    const QString shown = line.text();
    const qsizetype dots = shown.indexOf(QChar(0x2026));
    ASSERT_GT(dots, 0);
    const auto select = [&](qsizetype from, qsizetype count) {
        line.setSelection(static_cast<int>(from), static_cast<int>(count));
        return line.SelectedFullText();
    };
    EXPECT_EQ(select(0, shown.size()), full);
    EXPECT_EQ(select(0, dots), full.left(dots));
    EXPECT_EQ(select(dots + 1, shown.size() - dots - 1), shown.mid(dots + 1));
    EXPECT_EQ(select(dots - 1, 2), full.mid(dots - 1, full.size() - shown.size() + 2));

    line.setFocus();
    select(0, shown.size());
    QTest::keyClick(&line, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), full);
}

TEST_F(ResultLine, IsSelectableWithMouseAndKeyboard) {
    EXPECT_TRUE(line.textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_TRUE(line.textInteractionFlags() & Qt::TextSelectableByKeyboard);
    EXPECT_EQ(line.focusPolicy(), Qt::StrongFocus);
}

class MainResult : public cProgramTest {
protected:
    void StartWith(const std::string& iniText) {
        program.reset();
        ini.Write(iniText);
        Start();
    }
    QString Calculate(const QString& formula) {
        Main().EFormel->setText(formula);
        Main().Edit_CalculateClick();
        return Main().LErgebnis->FullText();
    }
};

TEST_F(MainResult, EveryWindowSizeShowsTheExponent) {
    StartWith("[Calculation]\nDigitsUse=16\n");
    Main().show();
    const QString full = Calculate("-1/3/10^123");
    ASSERT_TRUE(full.endsWith("E-124")) << full.toStdString();
    for (QAction* size : {Main().Edit_Size_Tiny, Main().Edit_Size_Small, Main().Edit_Size_Normal}) {
        SCOPED_TRACE(size->text().toStdString());
        size->trigger();
        const QString shown = Main().LErgebnis->text();
        EXPECT_TRUE(shown.startsWith("-3.33")) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith("E-124")) << shown.toStdString();
        EXPECT_LE(QFontMetrics(Main().LErgebnis->font()).horizontalAdvance(shown),
                  Main().LErgebnis->contentsRect().width());
        EXPECT_LE(Main().LErgebnis->geometry().right(), Main().centralWidget()->width());
        Main().Edit_CopyResultClick();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), full);
    }
}

TEST_F(MainResult, ResultOfFortyEightThousandDigitsStaysOneShortLine) {
    StartWith("[Calculation]\nDigitsUse=9999\n");
    const QString full = Calculate("pi()");
    ASSERT_GT(full.size(), 48000);
    ASSERT_TRUE(full.startsWith("3.14159"));
    EXPECT_LT(Main().LErgebnis->text().size(), 200);
    EXPECT_LT(Main().LErgebnis->toolTip().size(), 200);
    Main().Edit_CopyResultClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), full);
    // The window answers: the next calculation replaces the line.
    EXPECT_EQ(Calculate("2+2"), "4");
    EXPECT_EQ(Main().LErgebnis->text(), "4");
}

} // namespace
