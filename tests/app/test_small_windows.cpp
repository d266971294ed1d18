// The splash, About and info windows.
#include "FakeDialogs.h"

#include "Credits_unit.h"
#include "Info_window_unit.h"
#include "Splash_unit.h"

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
    EXPECT_EQ(credits.Label1->text(), "Korund developers");
    EXPECT_FALSE(credits.Label3->text().isEmpty());
    EXPECT_FALSE(credits.Label4->text().isEmpty());
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
