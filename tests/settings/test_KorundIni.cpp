// SPDX-License-Identifier: GPL-3.0-or-later
#include "AtomicFile.h"
#include "IniText.h"
#include "KorundSettings.h"
#include "SpecialFiles.h"
#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct WholeNumberCase {
    const char* text;
    std::optional<int32_t> expected;
};

TEST(IniText, WholeNumbersAdmitSignDigitsAndBlanksWithin32Bits) {
    const WholeNumberCase cases[] = {
        {"0", 0},
        {"12", 12},
        {"  7\t", 7},
        {"+5", 5},
        {"-5", -5},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"1.5", std::nullopt},
        {"12abc", std::nullopt},
        {"0x10", std::nullopt},
        {"1 2", std::nullopt},
        {"--1", std::nullopt},
        {"+-1", std::nullopt},
        {"1e3", std::nullopt},
        {"5 ; comment", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseWholeNumber(c.text), c.expected) << '"' << c.text << '"';
}

cKorundSettings Defaults() { return cKorundSettings{}; }

bool operator==(const cKorundSettings& a, const cKorundSettings& b) {
    for (const cSettingKey& key : SettingKeys())
        if (a.*key.aField != b.*key.aField)
            return false;
    return true;
}

TEST(SettingKeys, TwelveKeysInFileOrderWithTheirDefaults) {
    const char* names[] = {"DigitsUse", "DigitsDrop", "InputSys",  "OutputSys", "MaxExp",  "MinExp",
                           "NativeEps", "EngMode",    "AngleMode", "MaxConst",  "MaxFunc", "RefAlloc"};
    const int32_t defaults[] = {6, 2, 10, 10, 5, 5, 2, 0, 1, 100, 30, 10};
    const cKorundSettings fresh;
    for (size_t i = 0; i < 12; ++i) {
        const cSettingKey& key = SettingKeys()[i];
        EXPECT_STREQ(key.aKey, names[i]);
        EXPECT_STREQ(key.aSection, i < 9 ? "Calculation" : "Parser");
        EXPECT_EQ(key.aDefault, defaults[i]);
        EXPECT_EQ(fresh.*key.aField, defaults[i]) << names[i];
    }
}

TEST(ReadKorundIni, MissingFileGivesDefaults) {
    cTempDir dir;
    EXPECT_TRUE(ReadKorundIni(dir.File("nothing.ini")) == Defaults());
}

struct ReadCase {
    const char* name;
    const char* text;
    int32_t digitsUse; // expected DigitsUse
    int32_t maxConst;  // expected MaxConst
};

TEST(ReadKorundIni, ParsesSectionsKeysAndValuesLeniently) {
    const ReadCase cases[] = {
        {"plain", "[Calculation]\nDigitsUse=12\n[Parser]\nMaxConst=7\n", 12, 7},
        {"blanks around everything", "  [ Calculation ]  \n  DigitsUse  =  12  \n[Parser]\n\tMaxConst\t=\t7\t\n", 12,
         7},
        {"byte order mark", "\xEF\xBB\xBF[Calculation]\nDigitsUse=12\n", 12, 100},
        {"CR LF line ends", "[Calculation]\r\nDigitsUse=12\r\n[Parser]\r\nMaxConst=7\r\n", 12, 7},
        {"no final line end", "[Parser]\nMaxConst=7", 6, 7},
        {"names ignore case", "[calculation]\ndigitsuse=12\n[PARSER]\nMAXCONST=7\n", 12, 7},
        {"comments skipped", "; c\n[Calculation]\n# DigitsUse=1\n;DigitsUse=2\nDigitsUse=12\n", 12, 100},
        {"first of duplicate keys wins", "[Calculation]\nDigitsUse=12\nDigitsUse=13\n", 12, 100},
        {"key in wrong section ignored", "[Parser]\nDigitsUse=12\n[Calculation]\nMaxConst=7\n", 6, 100},
        {"key before any section ignored", "DigitsUse=12\n", 6, 100},
        {"missing section", "[Other]\nDigitsUse=12\n", 6, 100},
        {"garbage value gives the default", "[Calculation]\nDigitsUse=twelve\n[Parser]\nMaxConst=7x\n", 6, 100},
        {"empty value gives the default", "[Calculation]\nDigitsUse=\n", 6, 100},
        {"value beyond 32 bits gives the default", "[Parser]\nMaxConst=4294967296\n", 6, 100},
        {"negative value kept as read", "[Calculation]\nDigitsUse=-3\n", -3, 100},
        {"line without '=' ignored", "[Calculation]\nDigitsUse\nDigitsUse=12\n", 12, 100},
        {"binary garbage", "\x01\xff[\x80\n=\n==\n[", 6, 100},
        {"sections may repeat", "[Calculation]\n[Parser]\n[Calculation]\nDigitsUse=12\n", 12, 100},
    };
    cTempDir dir;
    for (const auto& c : cases) {
        const std::string path = dir.File("Korund.ini");
        WriteText(path, c.text);
        const cKorundSettings read = ReadKorundIni(path);
        EXPECT_EQ(read.DigitsUse, c.digitsUse) << c.name;
        EXPECT_EQ(read.MaxConst, c.maxConst) << c.name;
        EXPECT_EQ(read.RefAlloc, 10) << c.name;
    }
}

cKorundSettings Sample() {
    cKorundSettings s;
    int32_t value = 1;
    for (const cSettingKey& key : SettingKeys())
        s.*key.aField = value++ * 11;
    s.MaxExp = -4;
    return s;
}

TEST(WriteKorundIni, CreatesTheFileWithBothSectionsInKeyOrder) {
    cTempDir dir;
    const std::string path = dir.File("Korund.ini");
    ASSERT_TRUE(WriteKorundIni(path, Defaults()));
    EXPECT_EQ(ReadText(path),
              "[Calculation]\nDigitsUse=6\nDigitsDrop=2\nInputSys=10\nOutputSys=10\nMaxExp=5\nMinExp=5\n"
              "NativeEps=2\nEngMode=0\nAngleMode=1\n\n[Parser]\nMaxConst=100\nMaxFunc=30\nRefAlloc=10\n");
}

TEST(WriteKorundIni, RoundTripsEveryValue) {
    cTempDir dir;
    const std::string path = dir.File("Korund.ini");
    ASSERT_TRUE(WriteKorundIni(path, Sample()));
    EXPECT_TRUE(ReadKorundIni(path) == Sample());
    ASSERT_TRUE(WriteKorundIni(path, Defaults()));
    EXPECT_TRUE(ReadKorundIni(path) == Defaults());
}

TEST(WriteKorundIni, KeepsForeignLinesAndReplacesKeysInPlace) {
    cTempDir dir;
    const std::string path = dir.File("Korund.ini");
    WriteText(path, "; my settings\n"
                    "[Window]\nLeft=3\n\n"
                    "[Calculation]\n  digitsuse = 99 \nColour=red\n\n"
                    "[Other]\nDigitsUse=5\n");
    cKorundSettings s;
    s.DigitsUse = 12;
    ASSERT_TRUE(WriteKorundIni(path, s));
    EXPECT_EQ(ReadText(path),
              "; my settings\n"
              "[Window]\nLeft=3\n\n"
              "[Calculation]\nDigitsUse=12\nColour=red\nDigitsDrop=2\nInputSys=10\nOutputSys=10\nMaxExp=5\n"
              "MinExp=5\nNativeEps=2\nEngMode=0\nAngleMode=1\n\n"
              "[Other]\nDigitsUse=5\n\n"
              "[Parser]\nMaxConst=100\nMaxFunc=30\nRefAlloc=10\n");
}

TEST(WriteKorundIni, KeepsCrLfLineEnds) {
    cTempDir dir;
    const std::string path = dir.File("Korund.ini");
    WriteText(path, "[Parser]\r\nMaxFunc=1\r\n");
    ASSERT_TRUE(WriteKorundIni(path, Defaults()));
    const std::string text = ReadText(path);
    EXPECT_EQ(text.substr(0, 44), "[Parser]\r\nMaxFunc=30\r\nMaxConst=100\r\nRefAlloc");
    size_t bareLf = 0;
    for (size_t i = 0; i < text.size(); ++i)
        bareLf += text[i] == '\n' && (i == 0 || text[i - 1] != '\r');
    EXPECT_EQ(bareLf, 0u);
    EXPECT_TRUE(ReadKorundIni(path) == Defaults());
}

TEST(WriteKorundIni, FailureLeavesTheOldFileAndNoTemporaryFile) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    cTempDir dir;
    const std::string path = dir.File("Korund.ini");
    WriteText(path, "[Calculation]\nDigitsUse=3\n");
    chmod(dir.Path().c_str(), 0500);
    EXPECT_FALSE(WriteKorundIni(path, Sample()));
    chmod(dir.Path().c_str(), 0700);
    EXPECT_EQ(ReadText(path), "[Calculation]\nDigitsUse=3\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(WriteKorundIni, UnwritablePlacesFailWithoutLeftovers) {
    cTempDir dir;
    std::filesystem::create_directory(dir.File("Korund.ini"));
    WriteText(dir.File("plain"), "x");
    EXPECT_FALSE(WriteKorundIni(dir.File("no/such/Korund.ini"), Defaults()));
    EXPECT_FALSE(WriteKorundIni(dir.File("plain/Korund.ini"), Defaults()));
    EXPECT_FALSE(WriteKorundIni(dir.File("Korund.ini"), Defaults()));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("Korund.ini")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

TEST(AtomicFile, TargetChangesOnlyOnCommit) {
    cTempDir dir;
    const std::string path = dir.File("lib.krc");
    WriteText(path, "old");
    {
        cAtomicFile file(path);
        ASSERT_TRUE(file.IsOpen());
        std::fputs("new", file.Stream());
        EXPECT_EQ(ReadText(path), "old");
    } // abandoned
    EXPECT_EQ(ReadText(path), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);

    cAtomicFile file(path);
    std::fputs("new", file.Stream());
    ASSERT_TRUE(file.Commit()) << file.Error();
    EXPECT_EQ(ReadText(path), "new");
    EXPECT_FALSE(file.Commit());
}

TEST(AtomicFile, KeepsPermissionsAndSymbolicLinks) {
    cTempDir dir;
    const std::string target = dir.File("real.ini");
    const std::string link = dir.File("link.ini");
    WriteText(target, "old");
    chmod(target.c_str(), 0640);
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    cAtomicFile file(link);
    std::fputs("new", file.Stream());
    ASSERT_TRUE(file.Commit());
    struct stat info {};
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadText(target), "new");
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);

    const mode_t oldMask = umask(027);
    cAtomicFile fresh(dir.File("new.ini"));
    ASSERT_TRUE(fresh.Commit());
    umask(oldMask);
    ASSERT_EQ(stat(dir.File("new.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u) << "a new file gets what the umask allows";
}

// ---- files that are no settings files

struct cRefusedCase {
    std::string path;
    const char* reason; // part of the refusal
};

TEST(ReadKorundIni, RefusesWhatIsNoRegularFileOrTooLargeWithoutBlocking) {
    cTempDir dir;
    std::filesystem::create_directory(dir.File("dir.ini"));
    ASSERT_TRUE(MakeFifo(dir.File("fifo.ini")));
    ASSERT_TRUE(MakeSocket(dir.File("socket.ini")));
    const std::string large = std::string(kMaxIniBytes - 19, '\n') + "[Parser]\nMaxFunc=7\n";
    ASSERT_EQ(large.size(), kMaxIniBytes);
    WriteText(dir.File("largest.ini"), large);
    WriteText(dir.File("larger.ini"), large + "\n");
    const cRefusedCase cases[] = {
        {dir.File("dir.ini"), "directory"},      {dir.File("fifo.ini"), "not a regular file"}, // would block a reader
        {dir.File("socket.ini"), "cannot open"}, {"/dev/zero", "not a regular file"},
        {"/proc/self/mem", "cannot read"},       {dir.File("larger.ini"), "larger than 1 MiB"},
    };
    for (const cRefusedCase& c : cases) {
        std::string refusal;
        EXPECT_TRUE(ReadKorundIni(c.path, &refusal) == Defaults()) << c.path;
        EXPECT_THAT(refusal, ::testing::HasSubstr(c.reason)) << c.path;
    }
    std::string refusal;
    EXPECT_EQ(ReadKorundIni(dir.File("largest.ini"), &refusal).MaxFunc, 7);
    EXPECT_EQ(refusal, "");
    EXPECT_EQ(ReadKorundIni(dir.File("missing.ini"), &refusal).MaxFunc, 30);
    EXPECT_EQ(refusal, "") << "a missing file is no refusal";
}

TEST(WriteKorundIni, RefusesSpecialFilesAndLeavesThemAlone) {
    cTempDir dir;
    ASSERT_TRUE(MakeFifo(dir.File("fifo.ini")));
    WriteText(dir.File("larger.ini"), std::string(kMaxIniBytes + 1, '\n'));
    for (const char* name : {"fifo.ini", "larger.ini"}) {
        std::string error;
        EXPECT_FALSE(WriteKorundIni(dir.File(name), Sample(), &error)) << name;
        EXPECT_NE(error, "") << name;
    }
    EXPECT_EQ(TypeOf(dir.File("fifo.ini")), static_cast<mode_t>(S_IFIFO));
    EXPECT_EQ(std::filesystem::file_size(dir.File("larger.ini")), kMaxIniBytes + 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);
}

TEST(ClampCapacities, HandEditedCapacitiesComeIntoRangeWithANote) {
    cKorundSettings settings = Defaults();
    EXPECT_TRUE(ClampCapacities(settings).empty());
    settings.MaxConst = 10000000;
    settings.MaxFunc = -1;
    settings.RefAlloc = 70000;
    const std::vector<std::string> notes = ClampCapacities(settings);
    EXPECT_THAT(notes, ::testing::ElementsAre("MaxConst=10000000 is above the maximum of 100000; 100000 is used",
                                              "MaxFunc=-1 is below 0; 0 is used",
                                              "RefAlloc=70000 is above the maximum of 65535; 65535 is used"));
    EXPECT_EQ(settings.MaxConst, kMaxCapacity);
    EXPECT_EQ(settings.MaxFunc, 0);
    EXPECT_EQ(settings.RefAlloc, kMaxRefAlloc);
    settings.MaxConst = kMaxCapacity; // the largest stays
    EXPECT_TRUE(ClampCapacities(settings).empty());
}

// ---- replacing files

TEST(AtomicFile, ReplacesOnlyRegularFilesAndLeavesEverythingElseUntouched) {
    cTempDir dir;
    WriteText(dir.File("real"), "old");
    std::filesystem::create_directory(dir.File("dir"));
    ASSERT_TRUE(MakeFifo(dir.File("fifo")));
    ASSERT_TRUE(MakeSocket(dir.File("socket")));
    const bool device = MakeDevice(dir.File("device"));
    ASSERT_EQ(symlink("nothing", dir.File("dangling").c_str()), 0);
    ASSERT_EQ(symlink("loop2", dir.File("loop1").c_str()), 0);
    ASSERT_EQ(symlink("loop1", dir.File("loop2").c_str()), 0);
    ASSERT_EQ(symlink("fifo", dir.File("to-fifo").c_str()), 0);
    ASSERT_EQ(symlink("to-real", dir.File("to-to-real").c_str()), 0);
    ASSERT_EQ(symlink("real", dir.File("to-real").c_str()), 0);

    const cRefusedCase cases[] = {
        {"dir", "a directory"},
        {"fifo", "a FIFO"},
        {"socket", "a socket"},
        {"device", "a device"},
        {"dangling", "leads to nothing"},
        {"loop1", "cannot be followed"},
        {"to-fifo", "a FIFO"},
    };
    const auto entries = std::distance(std::filesystem::directory_iterator(dir.Path()), {});
    for (const cRefusedCase& c : cases) {
        if (c.path == "device" && !device)
            continue;
        const std::string path = dir.File(c.path);
        const mode_t type = TypeOf(path);
        cAtomicFile file(path);
        EXPECT_FALSE(file.IsOpen()) << c.path;
        EXPECT_THAT(file.Error(), ::testing::HasSubstr(c.reason)) << c.path;
        EXPECT_FALSE(file.Commit()) << c.path;
        EXPECT_EQ(TypeOf(path), type) << c.path;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), entries);

    cAtomicFile file(dir.File("to-to-real")); // a chain of links to a regular file
    ASSERT_TRUE(file.IsOpen()) << file.Error();
    std::fputs("new", file.Stream());
    ASSERT_TRUE(file.Commit()) << file.Error();
    EXPECT_EQ(ReadText(dir.File("real")), "new");
    EXPECT_EQ(TypeOf(dir.File("to-to-real")), static_cast<mode_t>(S_IFLNK));
    EXPECT_EQ(TypeOf(dir.File("to-real")), static_cast<mode_t>(S_IFLNK));
}

TEST(AtomicFile, KeepsOwnerAndGroupButNeverSetIdBits) {
    cTempDir dir;
    const std::string path = dir.File("tool.krf");
    WriteText(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 06755), 0);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(path.c_str(), 4321, 8765), 0);
    }
    cAtomicFile file(path);
    ASSERT_TRUE(file.IsOpen()) << file.Error();
    ASSERT_TRUE(file.Commit()) << file.Error();
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0755u);
    if (root) {
        EXPECT_EQ(info.st_uid, 4321u);
        EXPECT_EQ(info.st_gid, 8765u);
    } else {
        EXPECT_EQ(info.st_uid, geteuid());
    }
}

TEST(KorundIniPath, PerUserWithoutAFileBesideTheExecutableUnlessOverridden) {
    const std::string dir = ExecutableDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    ASSERT_NE(access((dir + "Korund.ini").c_str(), F_OK), 0) << "the test folder holds a Korund.ini";
    const cIniLocation user{UserKorundIniPath(), UserKorundIniPath()};
    EXPECT_EQ(LocateKorundIni(), user);
    SetKorundIniPath("/tmp/elsewhere.ini");
    EXPECT_EQ(LocateKorundIni(), (cIniLocation{"/tmp/elsewhere.ini", "/tmp/elsewhere.ini"}));
    EXPECT_EQ(KorundIniPath(), "/tmp/elsewhere.ini");
    SetKorundIniPath("");
    EXPECT_EQ(LocateKorundIni(), user);
}

} // namespace
