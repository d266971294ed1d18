// SPDX-License-Identifier: GPL-3.0-or-later
// File > Open and File > Save of the main window, with real library files.
#include "../settings/SpecialFiles.h"
#include "AppTestSupport.h"
#include "KorundSettings.h"
#include "Korund_main_unit.h"
#include "Palettes_unit.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using Engine = cFormulaEngine;
using tEntries = std::vector<std::pair<std::string, std::string>>;

const QString kMsgOtherFormat =
    "Error: This library cannot be read, because it was created by a version of Korund which "
    "uses another file format for libraries. You may want to upgrate to an appropriate version.";
const QString kMsgNotLibrary = "Error: This is not a valid Korund library file.";
const QString kMsgFull = "Error: The loading process of this library has been canceled. The memory area which is "
                         "reserved for this purpose is full. You can avoid this by setting a larger value in the "
                         "preferences.";
const QString kMsgFileError =
    "Error: While trying to perform file operations, Korund encountered an error. You may want "
    "to restart windows.";
const QString kMsgInvalid = "Error: While trying to load this library, Korund has found an invalid declaration. The "
                            "library cannot be loaded. You may want to contact the person who supplied this library.";
const QString kMsgOverwrite =
    "Warning: There is already a file with the same name in that directory. If you decide to "
    "use this name, the old file will be overwitten. Do you want to overwite or cancel to chose "
    "another name?";

void AppendLe(QByteArray& bytes, uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

QByteArray LibraryBytes(const char* magic, const tEntries& entries, uint16_t version = 0x0100) {
    QByteArray bytes(magic);
    AppendLe(bytes, version, 2);
    AppendLe(bytes, static_cast<uint32_t>(entries.size()), 4);
    for (const auto& [def, desc] : entries) {
        AppendLe(bytes, static_cast<uint32_t>(def.size()), 2);
        bytes.append(def.data(), static_cast<qsizetype>(def.size()));
        AppendLe(bytes, static_cast<uint32_t>(desc.size()), 2);
        bytes.append(desc.data(), static_cast<qsizetype>(desc.size()));
    }
    return bytes;
}

std::vector<std::string> Definitions(bool constants) {
    std::vector<std::string> defs;
    const uint32_t count = constants ? Engine::GetConstantCount() : Engine::GetFunctionCount();
    for (uint32_t i = 0; i < count; ++i) {
        const tOwnedText def = constants ? Engine::GetConstantDef(i) : Engine::GetFunctionDef(i);
        defs.emplace_back(def ? def.get() : "<none>");
    }
    return defs;
}

// A write hook that moves the first call's bytes and then fails.
int gWriteCalls = 0;
uint16_t FailAfterFirstWrite(const void* buffer, uint16_t count) {
    return gWriteCalls++ == 0 ? LibraryWrite(buffer, count) : 0;
}

class FilesTest : public cLibraryWindowsTest {
protected:
    void WriteFile(const QString& name, const QByteArray& bytes) {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray ReadFile(const QString& name) const {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    void Choose(const QString& name, int filterIndex) {
        dialogs.fileAnswers.push_back({true, Path(name), filterIndex});
    }
    QStringList MessageTexts() const {
        QStringList texts;
        for (const auto& m : dialogs.messages)
            texts << m.text;
        return texts;
    }
};

TEST_F(FilesTest, SaveReplacesExtensionByFilterKind) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("my.dir"));
    Commit(true, {"c=3"});
    Commit(false, {"f(x)=x"});
    struct cCase {
        const char* chosen;
        int filterIndex;
        const char* written;
    } const cases[] = {
        {"lib.krf", 1, "lib.krc"},
        {"lib.krc", 2, "lib.krf"},
        {"plain", 1, "plain.krc"},
        {"lib.tar.gz", 2, "lib.tar.krf"},
        {"my.dir/noext", 1, "my.dir/noext.krc"},
    };
    for (const auto& c : cases) {
        Choose(c.chosen, c.filterIndex);
        main->File_SaveClick();
        EXPECT_TRUE(QFile::exists(Path(c.written))) << c.chosen;
    }
    EXPECT_FALSE(QFile::exists(Path("lib.krf.krc")));
    EXPECT_EQ(ReadFile("lib.krc"), LibraryBytes("KRC", {{"c=3", ""}}));
    EXPECT_EQ(ReadFile("lib.krf"), LibraryBytes("KRF", {{"f(x)=x", ""}}));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.fileTitles.first(), "Save current state as library file");
}

TEST_F(FilesTest, OverwriteCancelAsksForAnotherName) {
    Commit(true, {"c=3"});
    WriteFile("lib.krc", "old");
    Choose("lib.krc", 1);
    dialogs.messageAnswers = {tMsgResult::Cancel};
    main->File_SaveClick(); // the second dialog is cancelled
    EXPECT_EQ(dialogs.fileTitles.size(), 2);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, kMsgOverwrite);
    EXPECT_EQ(dialogs.messages[0].type, tMsgType::Warning);
    EXPECT_EQ(dialogs.messages[0].buttons, tMsgButtons::OkCancel);
    EXPECT_EQ(ReadFile("lib.krc"), "old");

    Choose("lib.krc", 1);
    main->File_SaveClick(); // OK overwrites
    EXPECT_EQ(ReadFile("lib.krc"), LibraryBytes("KRC", {{"c=3", ""}}));
}

TEST_F(FilesTest, FailedSaveKeepsOldFile) {
    Commit(true, {"c=3", "d=4"});
    WriteFile("lib.krc", "old contents");
    Choose("lib.krc", 1);
    const tFileWriteHook saved = Engine::FileWrite;
    gWriteCalls = 0;
    Engine::FileWrite = FailAfterFirstWrite;
    main->File_SaveClick();
    Engine::FileWrite = saved;
    EXPECT_EQ(MessageTexts(), QStringList({kMsgOverwrite, kMsgFileError}));
    EXPECT_EQ(ReadFile("lib.krc"), "old contents");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"lib.krc"}));
    EXPECT_EQ(main->LibraryStream, nullptr);
}

TEST_F(FilesTest, SaveReplacesOnlyRegularFilesThroughTheirLinks) {
    Commit(true, {"c=3"});
    const std::string fifo = Path("pipe.krc").toStdString();
    ASSERT_TRUE(MakeFifo(fifo));
    ASSERT_EQ(symlink("nothing.krc", Path("dangling.krc").toStdString().c_str()), 0);
    WriteFile("real.krc", "old");
    ASSERT_EQ(symlink("real.krc", Path("link.krc").toStdString().c_str()), 0);

    Choose("pipe.krc", 1);
    main->File_SaveClick();
    Choose("dangling.krc", 1);
    main->File_SaveClick();
    const QStringList texts = MessageTexts();
    ASSERT_EQ(texts.size(), 3) << texts.join('\n').toStdString(); // the FIFO exists: a warning first
    EXPECT_EQ(texts[1], "Error: Cannot save the file \"" + Path("pipe.krc") + "\": it is a FIFO, not a regular file.");
    EXPECT_TRUE(texts[2].contains("leads to nothing")) << texts[2].toStdString();
    EXPECT_EQ(TypeOf(fifo), static_cast<mode_t>(S_IFIFO));
    EXPECT_EQ(TypeOf(Path("dangling.krc").toStdString()), static_cast<mode_t>(S_IFLNK));

    dialogs.messages.clear();
    Choose("link.krc", 1);
    main->File_SaveClick();
    EXPECT_EQ(MessageTexts(), QStringList({kMsgOverwrite}));
    EXPECT_EQ(ReadFile("real.krc"), LibraryBytes("KRC", {{"c=3", ""}}));
    EXPECT_EQ(TypeOf(Path("link.krc").toStdString()), static_cast<mode_t>(S_IFLNK));
    EXPECT_EQ(main->LibraryStream, nullptr);
}

TEST_F(FilesTest, UnopenableFileIsReportedWithoutCallingEngine) {
    Choose("missing.krc", 1);
    main->File_OpenClick();
    Choose("no/such/dir/lib.krc", 1);
    main->File_SaveClick();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(Path("missing.krc")));
    EXPECT_TRUE(dialogs.messages[1].text.contains(Path("no/such/dir/lib.krc")));
    for (const auto& m : dialogs.messages)
        EXPECT_EQ(m.type, tMsgType::Error);
    EXPECT_EQ(dialogs.fileTitles.first(), "Load library file");
}

TEST_F(FilesTest, LoadFailuresShowTheirMessages) {
    tEntries tooMany;
    for (int i = 0; i < 101; ++i)
        tooMany.push_back({"k" + std::string(1, char('a' + i % 26)) + "=1", ""});
    const QByteArray function = LibraryBytes("KRF", {{"f(x)=x", ""}});
    struct cCase {
        const char* name;
        QByteArray bytes;
        int filterIndex;
        QString message;
    } const cases[] = {
        {"wrongkind", function, 1, kMsgNotLibrary},
        {"wrongkind2", LibraryBytes("KRC", {{"c=1", ""}}), 2, kMsgNotLibrary},
        {"version", LibraryBytes("KRC", {{"c=1", ""}}, 0x0200), 1, kMsgOtherFormat},
        {"truncated", function.left(function.size() - 3), 2, kMsgFileError},
        {"full", LibraryBytes("KRC", tooMany), 1, kMsgFull},
        {"baddecl", LibraryBytes("KRC", {{"c=1", ""}, {"nothing", ""}}), 1, kMsgInvalid + "\n(declaration 1)"},
    };
    for (const auto& c : cases) {
        dialogs.messages.clear();
        WriteFile(c.name, c.bytes);
        Choose(c.name, c.filterIndex);
        main->File_OpenClick();
        ASSERT_EQ(dialogs.messages.size(), 1u) << c.name;
        EXPECT_EQ(dialogs.messages[0].text, c.message) << c.name;
        EXPECT_EQ(dialogs.messages[0].type, tMsgType::Error) << c.name;
        EXPECT_EQ(Engine::GetConstantCount() + Engine::GetFunctionCount(), 0u) << c.name;
    }
    EXPECT_EQ(main->LibraryStream, nullptr);
}

TEST_F(FilesTest, InvalidDeclarationNumberCountsExistingEntries) {
    Commit(false, {"fa(x)=x", "fb(x)=2*x", "fc(x)=3*x", "fd(x)=4*x"});
    WriteFile("lib.krf", LibraryBytes("KRF", {{"ga(x)=x", ""}, {"gb(x)=x", ""}, {"gc(x)=x+", ""}}));
    Choose("lib.krf", 2);
    main->File_OpenClick();
    EXPECT_EQ(MessageTexts(), QStringList{kMsgInvalid + "\n(declaration 6)"});
    EXPECT_EQ(Definitions(false), (std::vector<std::string>{"fa(x)=x", "fb(x)=2*x", "fc(x)=3*x", "fd(x)=4*x"}));
}

TEST_F(FilesTest, LoadingTwiceAddsTwiceAndRefreshesPalettes) {
    Commit(true, {"aa=1"});
    WriteFile("lib.krc", LibraryBytes("KRC", {{"g = 9.80665", "gravity"}, {"hh=2", ""}}));
    palettes->SConstantsShow();
    for (int i = 0; i < 2; ++i) {
        Choose("lib.krc", 1);
        main->File_OpenClick();
    }
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Definitions(true), (std::vector<std::string>{"aa=1", "g = 9.80665", "hh=2", "g = 9.80665", "hh=2"}));
    ASSERT_EQ(palettes->LConst->count(), 5);
    EXPECT_EQ(palettes->LConst->item(3)->text(), "g");

    WriteFile("lib.krf", LibraryBytes("KRF", {{"sq(x)=x^2", ""}}));
    Choose("lib.krf", 2);
    main->File_OpenClick();
    ASSERT_EQ(palettes->LUserFunc->count(), 1);
    EXPECT_EQ(palettes->LUserFunc->item(0)->text(), "sq(x)");
}

// A library file named on the command line: its extension gives the kind,
// and it is loaded with File > Open's messages.
TEST_F(FilesTest, StartFileLoadsByExtensionWithTheMessagesOfOpen) {
    WriteFile("lib.krc", LibraryBytes("KRC", {{"g = 9.80665", "gravity"}}));
    WriteFile("LIB.KRF", LibraryBytes("KRF", {{"sq(x)=x^2", ""}}));
    main->OpenStartFile(Path("lib.krc"));
    main->OpenStartFile(Path("LIB.KRF"));
    EXPECT_TRUE(dialogs.messages.empty()) << MessageTexts().join('\n').toStdString();
    EXPECT_EQ(Definitions(true), (std::vector<std::string>{"g = 9.80665"}));
    EXPECT_EQ(Definitions(false), (std::vector<std::string>{"sq(x)=x^2"}));
    EXPECT_EQ(palettes->LUserFunc->count(), 1);

    WriteFile("funcs.krc", LibraryBytes("KRF", {{"cube(x)=x^3", ""}}));
    WriteFile("notes.txt", LibraryBytes("KRC", {{"h=1", ""}}));
    main->OpenStartFile(Path("funcs.krc")); // a function library under the constants' name
    main->OpenStartFile(Path("missing.krf"));
    main->OpenStartFile(Path("notes.txt"));
    const QStringList texts = MessageTexts();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts[0], kMsgNotLibrary);
    EXPECT_TRUE(texts[1].startsWith("Error: Cannot open the file \"" + Path("missing.krf"))) << texts[1].toStdString();
    EXPECT_TRUE(texts[2].contains("is not a Korund library file")) << texts[2].toStdString();
    for (const auto& m : dialogs.messages)
        EXPECT_EQ(m.type, tMsgType::Error);
    EXPECT_EQ(Definitions(true), (std::vector<std::string>{"g = 9.80665"})) << "nothing else was loaded";
    EXPECT_EQ(Definitions(false), (std::vector<std::string>{"sq(x)=x^2"}));
}

TEST(KorundArguments, OneLibraryFileAndTheTwoOptions) {
    struct tRow {
        QStringList args;
        QString file;
        bool help, version;
        const char* error; // part of the error, or nullptr
    } rows[] = {
        {{"Korund"}, "", false, false, nullptr},
        {{"Korund", "lib.krc"}, "lib.krc", false, false, nullptr},
        {{"Korund", "--", "-odd.krf"}, "-odd.krf", false, false, nullptr},
        {{"Korund", "--version"}, "", false, true, nullptr},
        {{"Korund", "-h", "x.krc"}, "x.krc", true, false, nullptr},
        {{"Korund", "a.krc", "b.krf"}, "a.krc", false, false, "only one library file"},
        {{"Korund", "--frob"}, "", false, false, "unknown option '--frob'"},
        {{"Korund", ""}, "", false, false, "empty file name"},
    };
    for (const tRow& row : rows) {
        const tKorundArguments a = ParseKorundArguments(row.args);
        const std::string what = row.args.join(' ').toStdString();
        EXPECT_EQ(a.startFile, row.file) << what;
        EXPECT_EQ(a.help, row.help) << what;
        EXPECT_EQ(a.version, row.version) << what;
        if (row.error)
            EXPECT_TRUE(a.error.contains(row.error)) << what << ": " << a.error.toStdString();
        else
            EXPECT_TRUE(a.error.isEmpty()) << what << ": " << a.error.toStdString();
    }
    // Before the window system has taken its own options out, only --help and --version count.
    const tKorundArguments early = ParseKorundArguments({"Korund", "-platform", "offscreen", "--version"}, true);
    EXPECT_TRUE(early.version);
    EXPECT_TRUE(early.error.isEmpty());
}

} // namespace
