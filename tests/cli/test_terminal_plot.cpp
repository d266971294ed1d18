// SPDX-License-Identifier: GPL-3.0-or-later
// :plot in korund-cli: the braille picture, its labels and width, gaps,
// the variables of the session, failures, and use from a pipe.
#include "CliRunner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::HasSubstr;

namespace {

// Characters (code points) of a UTF-8 line.
size_t Width(const std::string& line) {
    size_t n = 0;
    for (const char c : line)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// The braille cells of a plot row, after the axis character.
std::vector<unsigned> Cells(const std::string& line) {
    std::vector<unsigned> cells;
    for (size_t i = 0; i + 2 < line.size(); ++i) {
        const auto b0 = static_cast<unsigned char>(line[i]);
        const auto b1 = static_cast<unsigned char>(line[i + 1]);
        if (b0 == 0xE2 && (b1 & 0xFC) == 0xA0) {
            cells.push_back((b1 & 0x03) << 6 | (static_cast<unsigned char>(line[i + 2]) & 0x3F));
            i += 2;
        }
    }
    return cells;
}

TEST(TerminalPlot, DrawsADiagonalWithItsRangesAt80Columns) {
    const cCliResult result = RunCli({"-e", ":plot x, -1, 1"});
    ASSERT_EQ(result.aStatus, 0) << result.aOut;
    const auto lines = result.Lines();
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(lines[0].substr(0, 5), " 1┤");
    EXPECT_EQ(lines[19].substr(0, 5), "-1┤");
    EXPECT_EQ(lines[20].substr(0, 5), "  └");
    EXPECT_EQ(lines[21], "   -1" + std::string(74, ' ') + "1");
    for (size_t row = 0; row < lines.size(); ++row)
        EXPECT_EQ(Width(lines[row]), 80u) << row;
    // A rising line: in every row some cells, further right the higher the row,
    // with the corners on the ends of the line.
    int previousLeft = 1000;
    for (size_t row = 0; row < 20; ++row) {
        const auto cells = Cells(lines[row]);
        ASSERT_EQ(cells.size(), 77u);
        const auto first = std::find_if(cells.begin(), cells.end(), [](unsigned c) { return c != 0; });
        ASSERT_NE(first, cells.end()) << row;
        const int left = static_cast<int>(first - cells.begin());
        EXPECT_LE(left, previousLeft);
        previousLeft = left;
    }
    EXPECT_NE(Cells(lines[0]).back(), 0u);
    EXPECT_NE(Cells(lines[19]).front(), 0u);
}

TEST(TerminalPlot, FailedSamplesStayBlank) {
    const cCliResult result = RunCli({"-e", ":plot ln(x), -1, 1"});
    const auto lines = result.Lines();
    ASSERT_EQ(lines.size(), 22u) << result.aOut;
    for (size_t row = 0; row < 20; ++row) {
        const auto cells = Cells(lines[row]);
        ASSERT_FALSE(cells.empty());
        for (size_t i = 0; i < cells.size() / 2; ++i)
            EXPECT_EQ(cells[i], 0u) << row << "," << i;
    }
}

TEST(TerminalPlot, WorksFromAPipeWithTheSessionsVariablesAndAnotherLetter) {
    const cCliResult result = RunCli({}, "5\n:m a\n:plot t: a*t, 0, 2\n1+1\n");
    EXPECT_EQ(result.aStatus, 0) << result.aErr;
    const auto lines = result.Lines();
    ASSERT_EQ(lines.size(), 24u) << result.aOut;
    EXPECT_EQ(lines[0], "5");
    EXPECT_EQ(lines[1].substr(0, 5), "10┤");
    EXPECT_EQ(lines[20].substr(0, 5), " 0┤");
    EXPECT_EQ(lines[23], "2");
}

TEST(TerminalPlot, FailuresAnswerOneErrorLine) {
    const char* const cases[][2] = {
        {":plot sin(x), 0", ":plot needs FORMULA, FROM, TO"},
        {":plot nope(x), 0, 1", "error: formula: unknown function 'nope' at column 1"},
        {":plot x, 1/0, 1", "error: from: division by zero"},
        {":plot x, 2, 1", "FROM must be less than TO"},
        {":plot sin(x), 0, 10^(-10^10)", "the range is not empty, but too narrow"},
        {":plot x, 1, 1+1/10^14", "the range is not empty, but too narrow"},
        {":plot x, 0, 10^400", "the range is too wide"},
        {":plot ln(x), -2, -1", "no value anywhere"},
        {":plot sin(x, 0, 1", "bracket is not closed"},
    };
    for (const auto& c : cases) {
        const cCliResult result = RunCli({"-e", c[0]});
        EXPECT_EQ(result.aStatus, 1) << c[0];
        ASSERT_EQ(result.Lines().size(), 1u) << c[0] << "\n" << result.aOut;
        EXPECT_THAT(result.Lines()[0], HasSubstr(c[1])) << c[0];
    }
    EXPECT_EQ(RunCli({"-e", ":plot x, 0, 1/10^20"}).aStatus, 0) << "narrow, but the doubles resolve it";
}

} // namespace
