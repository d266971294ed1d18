// SPDX-License-Identifier: GPL-3.0-or-later
// The shared formula history: what is kept, damaged files, merging with
// another program's entries, and failed saves that leave the file alone.
#include "FormulaHistory.h"
#include "SpecialFiles.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using tEntries = std::vector<std::string>;

void WriteRaw(const std::string& path, const std::string& content) { std::ofstream(path, std::ios::binary) << content; }

std::string ReadRaw(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(FormulaHistory, AddsKeepsOrderAndSkipsRepeatsAndBlanks) {
    cFormulaHistory history("");
    EXPECT_TRUE(history.Add("1+1"));
    EXPECT_FALSE(history.Add("1+1"));
    EXPECT_FALSE(history.Add("  \t"));
    EXPECT_FALSE(history.Add(""));
    EXPECT_TRUE(history.Add("2*\n3"));
    EXPECT_TRUE(history.Add("1+1"));
    EXPECT_FALSE(history.Add(std::string(cFormulaHistory::aMaxEntryBytes + 1, '1')));
    EXPECT_EQ(history.Entries(), (tEntries{"1+1", "2* 3", "1+1"}));
    EXPECT_TRUE(history.Save());
}

TEST(FormulaHistory, SavesAtomicallyAndReadsBackAcrossRuns) {
    cTempDir dir;
    const std::string path = dir.File("state/korund/history");
    {
        cFormulaHistory first(path);
        first.Load();
        first.Add("sin(30)");
        first.Add("\u03C0 is not typed here: pi()");
        ASSERT_TRUE(first.Save());
    }
    EXPECT_EQ(ReadRaw(path), "sin(30)\n\u03C0 is not typed here: pi()\n");
    cFormulaHistory second(path);
    second.Load();
    EXPECT_EQ(second.Entries().size(), 2u);

    for (int i = 0; i < 1500; ++i)
        second.Add(std::to_string(i));
    ASSERT_TRUE(second.Save());
    cFormulaHistory third(path);
    third.Load();
    ASSERT_EQ(third.Entries().size(), cFormulaHistory::aMaxEntries);
    EXPECT_EQ(third.Entries().front(), "500");
    EXPECT_EQ(third.Entries().back(), "1499");
}

TEST(FormulaHistory, MergesWithEntriesAnotherProgramSaved) {
    cTempDir dir;
    const std::string path = dir.File("history");
    cFormulaHistory desktop(path), terminal(path);
    desktop.Load();
    terminal.Load();
    desktop.Add("1+1");
    terminal.Add("2+2");
    ASSERT_TRUE(terminal.Save());
    ASSERT_TRUE(desktop.Save());
    EXPECT_EQ(ReadRaw(path), "2+2\n1+1\n");
    EXPECT_EQ(desktop.Entries(), (tEntries{"2+2", "1+1"}));
    ASSERT_TRUE(desktop.Save()); // nothing new: nothing added twice
    EXPECT_EQ(ReadRaw(path), "2+2\n1+1\n");
}

TEST(FormulaHistory, DamagedLinesAreSkippedTheRestKept) {
    cTempDir dir;
    const std::string path = dir.File("history");
    using namespace std::string_literals;
    WriteRaw(path, "1+1\r\n\xFF\xFE garbage\n2\0003\n\n"s + std::string(20000, '7') + "\nsqrt(2)");
    cFormulaHistory history(path);
    history.Load();
    EXPECT_EQ(history.Entries(), (tEntries{"1+1", "sqrt(2)"}));
}

TEST(FormulaHistory, UnreadableOrSpecialFilesGiveAnEmptyHistoryAndAreNotReplaced) {
    cTempDir dir;
    const std::string folder = dir.File("folder");
    mkdir(folder.c_str(), 0700);
    cFormulaHistory onFolder(folder);
    onFolder.Load();
    EXPECT_TRUE(onFolder.Entries().empty());
    onFolder.Add("1");
    std::string error;
    EXPECT_FALSE(onFolder.Save(&error));
    EXPECT_FALSE(error.empty());

    const std::string fifo = dir.File("fifo");
    ASSERT_TRUE(MakeFifo(fifo));
    cFormulaHistory onFifo(fifo);
    onFifo.Load(); // must not block
    onFifo.Add("1");
    EXPECT_FALSE(onFifo.Save());
    struct stat info {};
    ASSERT_EQ(lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    // A parent that is a file: the save fails, the file stays.
    const std::string blocker = dir.File("blocker");
    WriteRaw(blocker, "keep");
    cFormulaHistory below(blocker + "/history");
    below.Add("1");
    EXPECT_FALSE(below.Save());
    EXPECT_EQ(ReadRaw(blocker), "keep");
}

TEST(FormulaHistory, DefaultPathFollowsTheStateHome) {
    const char* old = std::getenv("XDG_STATE_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_STATE_HOME", "/tmp/state/", 1);
    EXPECT_EQ(cFormulaHistory::DefaultPath(), "/tmp/state/korund/history");
    setenv("XDG_STATE_HOME", "relative", 1);
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    if (!home.empty() && home[0] == '/') {
        EXPECT_EQ(cFormulaHistory::DefaultPath(), home + "/.local/state/korund/history");
    }
    if (old)
        setenv("XDG_STATE_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_STATE_HOME");
}

} // namespace
