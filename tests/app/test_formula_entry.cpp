// SPDX-License-Identifier: GPL-3.0-or-later
// The formula field: where a failing formula goes wrong is selected, and Up
// and Down recall the formulas calculated, kept across runs.
#include "AppTestSupport.h"

#include "Formula_fault.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTest>

namespace {

class FormulaEntry : public cProgramTest {
protected:
    void Calculate(const QString& formula) {
        Main().EFormel->setText(formula);
        Main().Edit_CalculateClick();
    }
    QString Selected() { return Main().EFormel->selectedText(); }
    void Key(Qt::Key key) { QTest::keyClick(Main().EFormel, key); }
    QString Text() { return Main().EFormel->text(); }
    void WriteHistory(const QByteArray& bytes) {
        QFile file(ini.HistoryPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QByteArray HistoryFile() {
        QFile file(ini.HistoryPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void Restart() {
        program.reset();
        Start();
    }
};

TEST_F(FormulaEntry, ParseErrorSelectsWhereTheFormulaFails) {
    struct tRow {
        const char* formula;
        const char* selected;
    } rows[] = {
        {"2*(3+4", "("},                // never closed
        {"1+2)", ")"},                  // unmatched
        {"1 + foo(2)", "foo"},          // unknown function
        {"3*nosuch + 1", "nosuch"},     // unknown constant
        {"2 + sin(1, 2)", "sin(1, 2)"}, // wrong argument count
        {"2*", "*"},                    // empty operand
    };
    Main().show();
    for (const tRow& row : rows) {
        SCOPED_TRACE(row.formula);
        dialogs.messages.clear();
        Calculate(row.formula);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "parse error");
        EXPECT_EQ(Selected(), row.selected);
        EXPECT_EQ(Text(), row.formula);
        EXPECT_EQ(Main().focusWidget(), Main().EFormel);
    }
    Calculate("   "); // nothing to point at
    EXPECT_FALSE(Main().EFormel->hasSelectedText());
}

TEST_F(FormulaEntry, ACharacterOutsidePrintableAsciiIsAParseErrorAndSelected) {
    struct tRow {
        QString formula;
        QString selected;
    } rows[] = {
        {QString::fromUtf8("2\u00d73"), QString::fromUtf8("\u00d7")},
        {QString::fromUtf8("sqrt(2)+\u03c0"), QString::fromUtf8("\u03c0")},
        {QString::fromUtf8("1+2\U0001F600+3"), QString::fromUtf8("\U0001F600")}, // two UTF-16 units
        {QString("1\u00a0+ 2"), QString("\u00a0")},                              // no-break space
    };
    Main().show();
    for (const tRow& row : rows) {
        SCOPED_TRACE(row.formula.toStdString());
        dialogs.messages.clear();
        Calculate(row.formula);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, "parse error");
        EXPECT_EQ(Main().LErgebnis->FullText(), "<ERROR>");
        EXPECT_EQ(Selected(), row.selected);
    }
    Calculate("1\t+ 2"); // a tab is a blank
    EXPECT_EQ(Main().LErgebnis->FullText(), "3");
}

TEST(FieldStretch, CountsUtf16UnitsOfTheBytes) {
    const QByteArray text = QString::fromUtf8("\u00e9+\U0001F600x").toUtf8(); // 2 + 1 + 4 + 1 bytes
    EXPECT_EQ(FieldStretch(text, 0, 1), (tFieldStretch{0, 1}));
    EXPECT_EQ(FieldStretch(text, 2, 2), (tFieldStretch{1, 1}));
    EXPECT_EQ(FieldStretch(text, 3, 6), (tFieldStretch{2, 2}));
    EXPECT_EQ(FieldStretch(text, 7, 7), (tFieldStretch{4, 1}));
    EXPECT_EQ(FieldStretch(text, 7, 40), (tFieldStretch{4, 1})); // clamped to the text
    EXPECT_EQ(ForeignCharStretch(text), (tFieldStretch{0, 1}));
    EXPECT_EQ(ForeignCharStretch("1+2"), std::nullopt);
}

TEST_F(FormulaEntry, UpAndDownWalkTheHistoryNewestFirst) {
    for (const char* formula : {"1+1", "2+2", "3+3"})
        Calculate(formula);
    Main().EFormel->setText("4+");
    Key(Qt::Key_Up);
    EXPECT_EQ(Text(), "3+3");
    Key(Qt::Key_Up);
    EXPECT_EQ(Text(), "2+2");
    Key(Qt::Key_Up);
    Key(Qt::Key_Up); // the oldest stays
    EXPECT_EQ(Text(), "1+1");
    Key(Qt::Key_Down);
    EXPECT_EQ(Text(), "2+2");
    Key(Qt::Key_Down);
    Key(Qt::Key_Down); // past the newest: what was being typed
    EXPECT_EQ(Text(), "4+");
    Key(Qt::Key_Down);
    EXPECT_EQ(Text(), "4+");

    // A recalled formula, edited and calculated, is a new entry; a repeat of
    // the newest is not.
    Key(Qt::Key_Up);
    Main().EFormel->setText(Text() + "*2");
    Main().Edit_CalculateClick();
    Main().Edit_CalculateClick();
    EXPECT_EQ(Main().History->History().Entries(), (std::vector<std::string>{"1+1", "2+2", "3+3", "3+3*2"}));
    Key(Qt::Key_Up);
    EXPECT_EQ(Text(), "3+3*2");
}

TEST_F(FormulaEntry, HistoryIsKeptAcrossRunsInTheSharedFile) {
    Calculate("1+"); // failed formulas are kept too, to be mended
    Calculate("sqrt(2)");
    EXPECT_EQ(HistoryFile(), "1+\nsqrt(2)\n");
    Restart();
    Key(Qt::Key_Up);
    EXPECT_EQ(Text(), "sqrt(2)");
    Key(Qt::Key_Up);
    EXPECT_EQ(Text(), "1+");
}

TEST_F(FormulaEntry, DamagedHistoryLinesAreSkippedAndTheRestKept) {
    static const char damaged[] = "1+1\n\xff\xfe\x01garbage\n2+2\r\n\0\0\0\n3+3";
    WriteHistory(QByteArray(damaged, sizeof damaged - 1));
    Restart();
    EXPECT_EQ(Main().History->History().Entries(), (std::vector<std::string>{"1+1", "2+2", "3+3"}));
    EXPECT_TRUE(dialogs.messages.empty());
    Calculate("4+4");
    EXPECT_EQ(HistoryFile(), "1+1\n2+2\n3+3\n4+4\n");
}

TEST_F(FormulaEntry, UnreadableOrUnwritableHistoryIsNoObstacle) {
    // A folder where the file should be: nothing to read, nothing written.
    program.reset();
    ASSERT_TRUE(QDir().mkpath(ini.HistoryPath()));
    Start();
    EXPECT_TRUE(Main().History->History().Entries().empty());
    Calculate("1+1");
    Calculate("2+2");
    EXPECT_EQ(Main().LErgebnis->FullText(), "4");
    ASSERT_EQ(dialogs.messages.size(), 1u) << "warned once a run";
    EXPECT_EQ(dialogs.messages[0].type, tMsgType::Warning);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("Warning: The formula history cannot be saved"));
    Key(Qt::Key_Up); // this run's entries are still there
    EXPECT_EQ(Text(), "2+2");
}

} // namespace
