// SPDX-License-Identifier: GPL-3.0-or-later
// The palettes window against the real main window and engine.
#include "AppTestSupport.h"
#include "Info_window_unit.h"
#include "KorundSettings.h"
#include "Korund_main_unit.h"
#include "Palettes_unit.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Engine = cFormulaEngine;

QStringList Labels(const QListWidget* list) {
    QStringList labels;
    for (int i = 0; i < list->count(); ++i)
        labels << list->item(i)->text();
    return labels;
}

class PalettesTest : public cLibraryWindowsTest {
protected:
    void SetUp() override {
        cLibraryWindowsTest::SetUp();
        main->EFormel->clear();
    }
    void ShowPage(int page) {
        palettes->show();
        palettes->PageControl->setCurrentIndex(page);
    }
    QString Formula() const { return main->EFormel->text(); }
};

TEST_F(PalettesTest, EmptyConstantPageListsAndPastesNothing) {
    main->EFormel->setText("1+");
    ShowPage(1);
    EXPECT_EQ(palettes->LConst->count(), 0);
    palettes->BConstPasteClick();
    EXPECT_EQ(Formula(), "1+");
}

TEST_F(PalettesTest, ConstantListedAndPastedByName) {
    Commit(true, {{"g = 9.80665", "gravity"}, {"longconstantname=1", ""}});
    main->EFormel->setText("2*");
    ShowPage(1);
    EXPECT_EQ(Labels(palettes->LConst), QStringList({"g", "longconsta[...]"}));
    palettes->LConst->setCurrentRow(0);
    palettes->BConstPasteClick();
    EXPECT_EQ(Formula(), "2*g");
}

TEST_F(PalettesTest, FunctionsListedShortenedButPastedWhole) {
    Commit(false, {{"area(r) = pi()*r^2", ""}, {"cylindervol(r,h) = pi()*r^2*h", ""}});
    ShowPage(2);
    EXPECT_EQ(Labels(palettes->LUserFunc), QStringList({"area(r)", "cylindervo[...]"}));
    palettes->LUserFunc->setCurrentRow(1);
    palettes->BUserFuncPasteClick();
    palettes->LUserFunc->setCurrentRow(0);
    palettes->BUserFuncPasteClick();
    EXPECT_EQ(Formula(), "cylindervol(r,h)area(r)");
}

TEST_F(PalettesTest, BuiltinPageListsThirtyOneEntries) {
    ShowPage(3);
    palettes->hide();
    palettes->show(); // showing with the page selected refreshes it
    ASSERT_EQ(palettes->LBuiltinFunc->count(), 31);
    EXPECT_EQ(palettes->LBuiltinFunc->item(0)->text(), "abs(x)");
    EXPECT_EQ(palettes->LBuiltinFunc->item(20)->text(), "invnormloc(x)");
    EXPECT_EQ(palettes->LBuiltinFunc->item(29)->text(), "sum(<var i[...]");
    EXPECT_EQ(palettes->LBuiltinFunc->item(30)->text(), "mul(<var i[...]");
    // The first 29 follow the engine's built-in table.
    ASSERT_EQ(Engine::aBasicFunctionCount, 29u);
    for (uint32_t i = 0; i < 29; ++i)
        EXPECT_TRUE(palettes->LBuiltinFunc->item(int(i))->text().startsWith(
            QString::fromStdString(Engine::aBasicFunctionArray[i].aName) + "("))
            << i;

    palettes->BBuiltinFuncPasteClick(); // nothing selected
    EXPECT_EQ(Formula(), "");
    palettes->LBuiltinFunc->setCurrentRow(29);
    palettes->BBuiltinFuncPasteClick();
    EXPECT_EQ(Formula(), "sum(<var index>,<from>,<to>,<expression>)");
}

TEST_F(PalettesTest, BuiltinHelpShowsNote) {
    palettes->BBuiltinFuncDescClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].type, tMsgType::Information);
    EXPECT_EQ(dialogs.messages[0].buttons, tMsgButtons::Ok);
    EXPECT_EQ(dialogs.messages[0].text, "Note: This feature is not implemented yet. It will be aviable in the final "
                                        "release of version 1.0 when beta testing is finished.");
}

TEST_F(PalettesTest, VariablesPageShowsAllLetters) {
    main->Engine->SetVar('b', cLongReal(5));
    ShowPage(0);
    const QStringList lines = palettes->MVarState->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 26);
    const cLongReal five(5);
    EXPECT_EQ(lines[1], QString("b = ") + static_cast<const char*>(five));
    EXPECT_TRUE(lines[25].startsWith("z = "));

    // The page does not follow changes by itself; Refresh does.
    main->Engine->SetVar('z', cLongReal(5));
    EXPECT_FALSE(palettes->MVarState->toPlainText().endsWith(static_cast<const char*>(five)));
    palettes->BRefresh->click();
    EXPECT_TRUE(palettes->MVarState->toPlainText().endsWith(QString("z = ") + static_cast<const char*>(five)));
}

TEST_F(PalettesTest, DefinitionAndDescriptionGoToInfoWindow) {
    Commit(true, {{"g = 9.80665", "standard\r\ngravity\r\n"}});
    Commit(false, {{"sq(x)=x^2", "square"}});
    ShowPage(1);
    struct cCase {
        QListWidget* list;
        void (TFPalettes::*click)();
        const char* caption;
        const char* text;
    };
    const cCase cases[] = {
        {palettes->LConst, &TFPalettes::BConstDefClick, "Constant definition", "g = 9.80665"},
        {palettes->LConst, &TFPalettes::BConstDescClick, "Constant description", "standard\ngravity"},
        {palettes->LUserFunc, &TFPalettes::BUserFuncDefClick, "Function definition", "sq(x)=x^2"},
        {palettes->LUserFunc, &TFPalettes::BUserFuncDescClick, "Function description", "square"},
    };
    palettes->SUserFuncShow();
    for (const auto& c : cases) {
        c.list->setCurrentRow(0);
        (palettes.get()->*c.click)();
        EXPECT_EQ(info->windowTitle(), c.caption);
        EXPECT_EQ(info->MInfoText->toPlainText(), c.text);
        c.list->clearSelection();
        (palettes.get()->*c.click)();
        EXPECT_EQ(info->windowTitle(), c.caption);
        EXPECT_EQ(info->MInfoText->toPlainText(), "") << c.caption;
    }
    EXPECT_EQ(dialogs.modalShown.size(), 8u);
}

TEST_F(PalettesTest, SwitchingPagesRefreshesThem) {
    ShowPage(1);
    EXPECT_EQ(palettes->LConst->count(), 0);
    Commit(true, {{"cc=3", ""}});
    ShowPage(2);
    ShowPage(1);
    EXPECT_EQ(Labels(palettes->LConst), QStringList{"cc"});
}

} // namespace
