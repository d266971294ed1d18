// SPDX-License-Identifier: GPL-3.0-or-later
// The splash, About and info windows.
#include "FakeDialogs.h"

#include "Credits_unit.h"
#include "Info_window_unit.h"
#include "KorundSettings.h"
#include "Splash_unit.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct SmallWindows : ::testing::Test {
    cKorundWindows W;
    cFakeDialogs dialogs;
};

TEST_F(SmallWindows, ShowInfoReplacesCaptionAndTextEachTime) {
    TFInfoText info(W);
    EXPECT_EQ(info.windowTitle(), "Info");
    EXPECT_EQ(info.MInfoText->toPlainText(), "<Info>");
    struct tRow {
        const char* caption;
        const char* text;
        const char* shown;
    } rows[] = {
        {"sin", "sin(x)\r\nthe sine of x", "sin(x)\nthe sine of x"},
        {"g", "", ""},
        {"hyp", "line 1\nline 2\rline 3", "line 1\nline 2\nline 3"},
    };
    for (const tRow& row : rows) {
        info.ShowInfo(row.caption, row.text);
        EXPECT_EQ(info.windowTitle(), row.caption);
        EXPECT_EQ(info.MInfoText->toPlainText(), row.shown);
        EXPECT_EQ(dialogs.modalShown.back(), &info);
        EXPECT_EQ(info.size(), QSize(264, 110));
    }
    EXPECT_EQ(dialogs.modalShown.size(), 3u);
    info.BOk->click();
    EXPECT_FALSE(info.isVisible());
}

TEST_F(SmallWindows, AboutShowsLogoAuthorLinesAndClosesWithOk) {
    TFCredits credits(W);
    EXPECT_FALSE(credits.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(credits.LogoImage->pixmap().size(), QSize(200, 50));
    // The project, its version and its licence, each clear of the group's edge.
    EXPECT_EQ(credits.Label2->text(), "");
    EXPECT_EQ(credits.Label1->text(), "The Korund project");
    EXPECT_EQ(credits.Label3->text(), QString("Version ") + KorundVersion());
    EXPECT_TRUE(credits.Label4->text().contains("GPL 3 or later"));
    for (QLabel* label : {credits.Label1, credits.Label3, credits.Label4})
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->text().toStdString();
    credits.show();
    credits.BOk->click();
    EXPECT_FALSE(credits.isVisible());
}

TEST_F(SmallWindows, MissingOrBrokenPictureMakesConstructionFail) {
    QTemporaryDir dir;
    const QString path = dir.path() + '/';
    EXPECT_THROW(TFSplash{path}, std::runtime_error);
    EXPECT_THROW(TFCredits(W, nullptr, path), std::runtime_error);

    for (const char* name : {"krsplash.dat", "krlogo.dat"}) {
        QFile file(path + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("BM this is not a bitmap");
    }
    try {
        TFCredits credits(W, nullptr, path);
        ADD_FAILURE() << "a broken logo was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("krlogo.dat"), std::string::npos) << e.what();
    }
    EXPECT_THROW(TFSplash{path}, std::runtime_error);
}

} // namespace

namespace {

// Beside the program first, then the installed data folder; each picture on its own.
TEST(Pictures, FirstFolderHoldingThePictureWins) {
    QTemporaryDir beside, data;
    const QString b = beside.path() + '/', d = data.path() + '/';
    for (const QString& path : {b + "krlogo.dat", d + "krlogo.dat", d + "krsplash.dat"}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(b).mkdir("krsplash.dat")) << "a folder of that name is no picture";
    EXPECT_EQ(FindPicture({b, d}, "krlogo.dat"), b + "krlogo.dat");
    EXPECT_EQ(FindPicture({b, d}, "krsplash.dat"), d + "krsplash.dat");
    EXPECT_EQ(FindPicture({b, d}, "other.dat"), "");
    EXPECT_EQ(PictureDirs().first(), ProgramDir());
    EXPECT_TRUE(PictureDirs().last().endsWith("/share/korund/")) << PictureDirs().last().toStdString();
}

} // namespace
