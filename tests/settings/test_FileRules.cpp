// SPDX-License-Identifier: GPL-3.0-or-later
// The rules for the user's files (settings/README.md): links in shared
// folders, histories that were not read whole, saves at the same time, and
// temporary files of killed processes.
#include "AtomicFile.h"
#include "FormulaHistory.h"
#include "KorundSettings.h"
#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

using ::testing::HasSubstr;

size_t Entries(const std::filesystem::path& dir) {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

// In a sticky folder anyone may write to, a link is followed only when it
// belongs to the saving user or to the folder's owner; elsewhere always.
// Making links of other users needs root.
TEST(FileLinks, AnotherUsersLinkInASharedStickyFolderIsNeverFollowed) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to give links to other users";
    constexpr uid_t other = 4321, folderOwner = 5432;
    cTempDir dir;
    const std::string victim = dir.File("victim");
    WriteText(victim, "[Calculation]\nDigitsUse=9\n");
    std::filesystem::create_directory(dir.File("victims"));
    WriteText(dir.File("victims/history"), "1+1\n");

    struct cCase {
        const char* folder;
        mode_t mode;
        uid_t folderUid, linkUid;
        bool followed;
    } cases[] = {
        {"shared", 01777, 0, other, false},
        {"shared-mine", 01777, 0, 0, true},
        {"shared-owners", 01777, folderOwner, folderOwner, true},
        {"shared-not-sticky", 0777, 0, other, true},
        {"sticky-not-shared", 01755, 0, other, true},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.folder);
        const std::string folder = dir.File(c.folder);
        ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
        ASSERT_EQ(chown(folder.c_str(), c.folderUid, 0), 0);
        ASSERT_EQ(chmod(folder.c_str(), c.mode), 0);
        const std::string ini = folder + "/Korund.ini", dirLink = folder + "/state";
        ASSERT_EQ(symlink(victim.c_str(), ini.c_str()), 0);
        ASSERT_EQ(symlink(dir.File("victims").c_str(), dirLink.c_str()), 0); // a link on the way
        ASSERT_EQ(lchown(ini.c_str(), c.linkUid, 0), 0);
        ASSERT_EQ(lchown(dirLink.c_str(), c.linkUid, 0), 0);

        std::string refusal;
        EXPECT_EQ(ReadKorundIni(ini, &refusal).DigitsUse, c.followed ? 9 : 6);
        cKorundSettings settings;
        settings.DigitsUse = 12;
        std::string error;
        EXPECT_EQ(WriteKorundIni(ini, settings, &error), c.followed) << error;
        cFormulaHistory history(dirLink + "/history");
        history.Load();
        EXPECT_EQ(history.Entries().size(), c.followed ? 1u : 0u);
        history.Add("2+2");
        EXPECT_EQ(history.Save(&error), c.followed) << error;
        if (!c.followed) {
            EXPECT_THAT(refusal, HasSubstr("is not followed"));
            EXPECT_THAT(error, HasSubstr("is not followed"));
            EXPECT_EQ(ReadText(victim), "[Calculation]\nDigitsUse=9\n");
            EXPECT_EQ(ReadText(dir.File("victims/history")), "1+1\n");
            EXPECT_EQ(std::filesystem::symlink_status(ini).type(), std::filesystem::file_type::symlink);
            EXPECT_EQ(Entries(folder), 2u);
        } else {
            EXPECT_EQ(refusal, "");
            EXPECT_THAT(ReadText(victim), HasSubstr("DigitsUse=12"));
            EXPECT_EQ(ReadText(dir.File("victims/history")), "1+1\n2+2\n");
            WriteText(victim, "[Calculation]\nDigitsUse=9\n");
            WriteText(dir.File("victims/history"), "1+1\n");
        }
    }
}

// Links in /proc may name no path (a pipe's is "pipe:[N]"): the kernel
// follows them, so --ini <(...) is refused as the pipe it is.
TEST(FileLinks, LinksInProcAreLeftToTheKernel) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    std::string refusal;
    ReadKorundIni("/proc/self/fd/" + std::to_string(ends[0]), &refusal);
    EXPECT_THAT(refusal, HasSubstr("not a regular file"));
    close(ends[0]);
    close(ends[1]);
}

// Over the read limit, unreadable, or a refused link: the file is not
// replaced, and the session keeps its entries for the next save.
TEST(FormulaHistory, AFileNotReadCompletelyIsNeverWrittenOver) {
    cTempDir dir;
    const std::string large = dir.File("large");
    WriteText(large, "1+1\n");
    std::filesystem::resize_file(large, cFormulaHistory::aMaxFileBytes + 1);
    std::vector<std::string> paths{large};
    if (geteuid() != 0) { // root reads anything
        WriteText(dir.File("unreadable"), "1+1\n2+2\n");
        chmod(dir.File("unreadable").c_str(), 0200);
        paths.push_back(dir.File("unreadable"));
    }
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const auto size = std::filesystem::file_size(path);
        cFormulaHistory history(path);
        history.Load();
        EXPECT_TRUE(history.Entries().empty());
        history.Add("sqrt(2)");
        std::string error;
        EXPECT_FALSE(history.Save(&error));
        EXPECT_THAT(error, HasSubstr("could not be read completely"));
        EXPECT_THAT(history.Entries(), ::testing::ElementsAre("sqrt(2)"));
        EXPECT_EQ(std::filesystem::file_size(path), size);
        std::filesystem::resize_file(path, 0); // readable again: the kept entry is saved
        chmod(path.c_str(), 0600);
        EXPECT_TRUE(history.Save(&error)) << error;
        EXPECT_EQ(ReadText(path), "sqrt(2)\n");
    }
}

// Programs that save together keep every entry: each process saves its
// own entries one by one, all at the same time.
TEST(FormulaHistory, SavesAtTheSameTimeLoseNoEntry) {
    cTempDir dir;
    const std::string path = dir.File("history");
    constexpr int kPrograms = 6, kSaves = 25;
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < kPrograms; ++p) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(start[1]);
            char go;
            if (read(start[0], &go, 1) != 0)
                _exit(3);
            cFormulaHistory history(path);
            history.Load();
            bool saved = true;
            for (int i = 0; i < kSaves; ++i) {
                history.Add(std::to_string(p) + "+" + std::to_string(i));
                saved = history.Save() && saved;
            }
            _exit(saved ? 0 : 1);
        }
        children.push_back(child);
    }
    close(start[0]);
    close(start[1]); // all start now
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    cFormulaHistory merged(path);
    merged.Load();
    const std::set<std::string> entries(merged.Entries().begin(), merged.Entries().end());
    EXPECT_EQ(entries.size(), size_t{kPrograms * kSaves});
    EXPECT_EQ(merged.Entries().size(), size_t{kPrograms * kSaves});
}

// A save killed while it writes leaves the old target, and at most until
// the next save anything else: NAME.tmpPID-N of processes that no longer
// run are removed then, those of running ones kept.
TEST(AtomicFile, KilledSavesLeaveNoTemporaryFiles) {
    cTempDir dir;
    const std::string path = dir.File("lib.krc");
    WriteText(path, "old");
    for (int kill = 0; kill < 3; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            cAtomicFile file(path);
            for (int i = 0; i < 1000 && file.IsOpen(); ++i)
                std::fputs("new content of a library being saved\n", file.Stream());
            std::fflush(file.Stream());
            raise(SIGKILL);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
    }
    EXPECT_EQ(ReadText(path), "old");

    const pid_t gone = fork();
    ASSERT_GE(gone, 0);
    if (gone == 0)
        _exit(0);
    ASSERT_EQ(waitpid(gone, nullptr, 0), gone);
    const std::string dead = path + ".tmp" + std::to_string(gone) + "-3";
    const std::string alive = path + ".tmp" + std::to_string(getppid()) + "-0";
    const std::string other = path + ".tmp" + std::to_string(gone) + "-x";
    for (const std::string& leftover : {dead, alive, other})
        WriteText(leftover, "left over");
    cAtomicFile file(path);
    std::fputs("new", file.Stream());
    ASSERT_TRUE(file.Commit()) << file.Error();
    EXPECT_EQ(ReadText(path), "new");
    EXPECT_FALSE(std::filesystem::exists(dead));
    EXPECT_TRUE(std::filesystem::exists(alive)) << "its process may still be writing it";
    EXPECT_TRUE(std::filesystem::exists(other));
    EXPECT_EQ(Entries(dir.Path()), 3u) << "the killed saves left files behind";
}

} // namespace
