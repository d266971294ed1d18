// SPDX-License-Identifier: GPL-3.0-or-later
// The library editor driven through its buttons against the real engine.
#include "FakeDialogs.h"
#include "Lib_editor.h"
#include "Palettes_unit.h"
#include "cFormulaEngine.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const QString kMsgFull = "Warning: It is not possible to add anything more. The memory area which is reserved for "
                         "this purpose is full. You can avoid this by setting a larger value in the preferences.";
const QString kMsgSelect = "Warning: To perform this action, it is required that you select something before.";
const QString kMsgInUse = "Warning: It is not possible to manipulate/delete this constant declaration in any way. It "
                          "is used by one ore more user-defined functions. If you really want to manipulate/delete "
                          "this declaration, you have to remove all functions which make use of it first. You may "
                          "want to save all user-defined functions to a file before removing any of them. "
                          "(Annotation: This dependency check should avoid some fatal side-effects)";
const QString kMsgInterpret = "Error: While interpreting your declarations, Korund encountered an error. It is "
                              "recommented that you re-edit the declaration capable for the error. Do you want to "
                              "re-edit or cancel editing?";

using Engine = cFormulaEngine;

std::string Text(const tOwnedText& text) { return text ? text.get() : "<none>"; }

std::vector<std::string> LiveConstants() {
    std::vector<std::string> defs;
    for (uint32_t i = 0; i < Engine::GetConstantCount(); ++i)
        defs.push_back(Text(Engine::GetConstantDef(i)));
    return defs;
}

std::vector<std::string> LiveFunctions() {
    std::vector<std::string> defs;
    for (uint32_t i = 0; i < Engine::GetFunctionCount(); ++i)
        defs.push_back(Text(Engine::GetFunctionDef(i)));
    return defs;
}

QStringList Labels(const QListWidget* list) {
    QStringList labels;
    for (int i = 0; i < list->count(); ++i)
        labels << list->item(i)->text();
    return labels;
}

class EditorTest : public ::testing::Test {
protected:
    cFakeDialogs dialogs;
    cKorundWindows W;
    TFEdit edit{W};
    TFPalettes palettes{W};

    void SetUp() override {
        Engine::aConstantMax = 100;
        Engine::aUserFunctionMax = 30;
        Engine::aConstRefAlloc = 10;
        Engine::Init();
        W.Edit = &edit;
        W.Palettes = &palettes;
    }
    void TearDown() override {
        Engine::CancelConstantEdit();
        Engine::CancelFunctionEdit();
        Engine::FreeStatics();
        Engine::aConstantCount = 0;
        Engine::aUserFunctionCount = 0;
    }

    static void CommitConstants(std::initializer_list<const char*> defs) {
        Engine::StartConstantEdit();
        for (const char* d : defs)
            ASSERT_TRUE(Engine::AddConstant(d, ""));
        ASSERT_EQ(Engine::StopConstantEdit(), -1);
    }
    static void CommitFunctions(std::initializer_list<const char*> defs) {
        Engine::StartFunctionEdit();
        for (const char* d : defs)
            ASSERT_TRUE(Engine::AddFunction(d, ""));
        ASSERT_EQ(Engine::StopFunctionEdit(), -1);
    }

    void Open(bool constants) {
        edit.ConstantsMode = constants;
        Dialogs().ShowModal(&edit);
    }
    void Select(int row) { edit.Liste->setCurrentRow(row); }
    void Type(const char* def, const char* desc = "") {
        edit.MDef->setPlainText(def);
        edit.MDesc->setPlainText(desc);
    }
    QStringList MessageTexts() const {
        QStringList texts;
        for (const auto& m : dialogs.messages)
            texts << m.text;
        return texts;
    }
};

TEST_F(EditorTest, ShowingStartsEditModeAndListsLabels) {
    CommitFunctions({"x(t)=t^2+1", "hyp(x,y)=sqrt(x^2+y^2)", "cylindervol(r,h)=pi()*r^2*h"});
    Open(false);
    EXPECT_TRUE(edit.isVisible());
    EXPECT_TRUE(Engine::aFunctionEditMode);
    EXPECT_EQ(edit.windowTitle(), "Edit functions");
    EXPECT_EQ(Labels(edit.Liste), QStringList({"x(t)", "hyp(x,y)", "cylindervo[...]"}));
    EXPECT_EQ(edit.MDef->toPlainText(), "<definition>");
    EXPECT_EQ(edit.MDesc->toPlainText(), "<description>");
}

TEST_F(EditorTest, CancelDiscardsAddModifyAndDelete) {
    CommitFunctions({"f(x)=x", "g(x)=2*x", "h(x)=3*x"});
    Open(false);
    Type("k(x)=4*x");
    edit.BAddClick();
    Select(0);
    Type("f(x)=x+1");
    edit.BModifyClick();
    Select(2);
    edit.BDeleteClick();
    EXPECT_EQ(Labels(edit.Liste), QStringList({"f(x)", "g(x)", "k(x)"}));

    edit.BCancelClick();
    EXPECT_FALSE(edit.isVisible());
    EXPECT_FALSE(Engine::aFunctionEditMode);
    EXPECT_EQ(edit.Liste->count(), 0);
    EXPECT_EQ(LiveFunctions(), (std::vector<std::string>{"f(x)=x", "g(x)=2*x", "h(x)=3*x"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(EditorTest, ClosingOtherwiseBehavesAsCancel) {
    CommitConstants({"c=1"});
    Open(true);
    Type("d=2");
    edit.BAddClick();
    QTest::keyClick(&edit, Qt::Key_Escape);
    EXPECT_FALSE(edit.isVisible());
    EXPECT_FALSE(Engine::aConstantEditMode);

    Open(true);
    edit.close();
    EXPECT_FALSE(edit.isVisible());
    EXPECT_FALSE(Engine::aConstantEditMode);
    EXPECT_EQ(LiveConstants(), std::vector<std::string>{"c=1"});
}

TEST_F(EditorTest, ListeClickShowsEntryAndMemosReachEngineWithCrLf) {
    Open(true);
    Type("g = 9.80665\nsecond line", "gravity");
    edit.BAddClick();
    EXPECT_EQ(Labels(edit.Liste), QStringList{"g"});
    EXPECT_EQ(Text(Engine::GetConstantDef(0)), "g = 9.80665\r\nsecond line\r\n");
    EXPECT_EQ(Text(Engine::GetConstantDesc(0)), "gravity\r\n");
    EXPECT_EQ(edit.MDef->toPlainText(), "g = 9.80665\nsecond line"); // memos keep their text

    Type("", "");
    Select(0);
    EXPECT_EQ(edit.MDef->toPlainText(), "g = 9.80665\nsecond line");
    EXPECT_EQ(edit.MDesc->toPlainText(), "gravity");
}

TEST_F(EditorTest, AddBeyondCapacityWarnsAndListsNothingNew) {
    Engine::StartFunctionEdit();
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(Engine::AddFunction(("f" + std::to_string(i) + "(x)=x").c_str(), ""));
    ASSERT_EQ(Engine::StopFunctionEdit(), -1);
    Open(false);
    Type("extra(x)=x");
    edit.BAddClick();
    EXPECT_EQ(MessageTexts(), QStringList{kMsgFull});
    EXPECT_EQ(dialogs.messages[0].type, tMsgType::Warning);
    EXPECT_EQ(edit.Liste->count(), 30);
    EXPECT_EQ(Engine::GetFunctionCount(), 30u);
}

TEST_F(EditorTest, ConstantInUseCannotBeDeletedOrModified) {
    CommitConstants({"ca=1", "cb=2", "cc=3"});
    CommitFunctions({"f(x)=x*cb"});
    Open(true);

    Select(1);
    edit.BDeleteClick();
    Type("cb=5");
    edit.BModifyClick();
    EXPECT_EQ(MessageTexts(), QStringList({kMsgInUse, kMsgInUse}));
    EXPECT_EQ(Labels(edit.Liste), QStringList({"ca", "cb", "cc"}));

    Select(0);
    edit.BDeleteClick();
    EXPECT_EQ(Labels(edit.Liste), QStringList({"cb", "cc"}));
    EXPECT_EQ(edit.Liste->currentRow(), -1);
    edit.BDoneClick();
    EXPECT_FALSE(edit.isVisible());
    EXPECT_EQ(LiveConstants(), (std::vector<std::string>{"cb=2", "cc=3"}));
    // The moved constant is still found by the function that uses it.
    cFormulaEngine calc;
    calc.Parse("f(3)");
    EXPECT_STREQ(static_cast<const char*>(calc.Evaluate()), static_cast<const char*>(cLongReal(6)));
}

TEST_F(EditorTest, DeleteOrModifyWithoutSelectionWarns) {
    CommitConstants({"c=1"});
    Open(true);
    Type("c=2");
    edit.BModifyClick();
    edit.BDeleteClick();
    EXPECT_EQ(MessageTexts(), QStringList({kMsgSelect, kMsgSelect}));
    EXPECT_EQ(Text(Engine::GetConstantDef(0)), "c=1");
    EXPECT_EQ(edit.Liste->count(), 1);
}

TEST_F(EditorTest, ModifyRelabelsEntry) {
    CommitFunctions({"f(x)=x", "g(x)=2*x"});
    Open(false);
    Select(1);
    Type("twice(y) = 2*y", "doubles");
    edit.BModifyClick();
    EXPECT_EQ(Labels(edit.Liste), QStringList({"f(x)", "twice(y)"}));
    EXPECT_EQ(Text(Engine::GetFunctionDesc(1)), "doubles\r\n");
}

TEST_F(EditorTest, TextsNoLibraryFileCanHoldAreRefusedOnAddAndModify) {
    CommitFunctions({"f(x)=x"});
    Open(false);
    // the memo's text reaches the engine with a CR LF after its last line
    const std::string largest = "g(x)=" + std::string(65528, '1');
    Type(largest.c_str());
    edit.BAddClick();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Text(Engine::GetFunctionDef(1)).size(), 65535u);

    const std::string larger = "h(x)=" + std::string(65529, '1');
    Type(larger.c_str());
    edit.BAddClick();
    Select(0);
    Type("f(x)=2*x", std::string(70000, 'd').c_str());
    edit.BModifyClick();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    for (const auto& m : dialogs.messages) {
        EXPECT_EQ(m.type, tMsgType::Error);
        EXPECT_TRUE(m.text.contains("at most 65535")) << m.text.toStdString();
    }
    EXPECT_EQ(Labels(edit.Liste), QStringList({"f(x)", "g(x)"}));
    EXPECT_EQ(Engine::GetFunctionCount(), 2u);
    EXPECT_EQ(Text(Engine::GetFunctionDef(0)), "f(x)=x");
}

TEST_F(EditorTest, DoneWithBadDeclarationOffersReEdit) {
    CommitConstants({"a1=1"});
    Open(true);
    Type("this has no equals sign");
    edit.BAddClick();
    EXPECT_EQ(Labels(edit.Liste), QStringList({"a1", "thishasnoe[...]"}));

    dialogs.messageAnswers = {tMsgResult::Ok};
    edit.BDoneClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, kMsgInterpret);
    EXPECT_EQ(dialogs.messages[0].type, tMsgType::Error);
    EXPECT_EQ(dialogs.messages[0].buttons, tMsgButtons::OkCancel);
    EXPECT_TRUE(edit.isVisible());
    EXPECT_TRUE(Engine::aConstantEditMode);
    EXPECT_EQ(edit.Liste->currentRow(), 1);
    EXPECT_TRUE(edit.Liste->item(1)->isSelected());
    EXPECT_EQ(edit.MDef->toPlainText(), "this has no equals sign");

    // Corrected in place, Done commits.
    Type("b2=2");
    edit.BModifyClick();
    edit.BDoneClick();
    EXPECT_FALSE(edit.isVisible());
    EXPECT_EQ(LiveConstants(), (std::vector<std::string>{"a1=1", "b2=2\r\n"}));
    EXPECT_EQ(Labels(palettes.LConst), QStringList({"a1", "b2"}));
}

TEST_F(EditorTest, CancelInErrorBoxDiscardsEdit) {
    CommitFunctions({"f(x)=x"});
    Open(false);
    Type("broken(x)=x+");
    edit.BAddClick();
    dialogs.messageAnswers = {tMsgResult::Cancel};
    edit.BDoneClick();
    EXPECT_FALSE(edit.isVisible());
    EXPECT_FALSE(Engine::aFunctionEditMode);
    EXPECT_EQ(edit.Liste->count(), 0);
    EXPECT_EQ(LiveFunctions(), std::vector<std::string>{"f(x)=x"});
}

TEST_F(EditorTest, DoneAfterDeletingEverythingCommitsEmptyLibrary) {
    CommitFunctions({"f(x)=x", "g(x)=2*x"});
    palettes.SUserFuncShow();
    Open(false);
    for (int i = 0; i < 2; ++i) {
        Select(0);
        edit.BDeleteClick();
    }
    edit.BDoneClick();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(edit.isVisible());
    EXPECT_EQ(Engine::GetFunctionCount(), 0u);
    EXPECT_EQ(palettes.LUserFunc->count(), 0);
}

} // namespace

namespace {

TEST_F(EditorTest, NamesNoFormulaCanReachAreAcceptedWithAWarning) {
    struct tRow {
        bool constants;
        const char* definition;
        const char* reason; // in the warning; null: no warning
    } rows[] = {
        {true, "q=1", "a name of one letter is always a variable"},
        {true, "Rgas=8.314", "a digit or capital letter in the name"},
        {true, "c2=3", "a digit or capital letter in the name"},
        {true, "gee=9.81", "an earlier entry has the same name"},
        {true, "gravity=9.81", nullptr},
        {false, "F(x)=x", "a digit or capital letter in the name"},
        {false, "sin(x)=x", "a built-in function has this name"},
        {false, "twice(x)=2*x", "an earlier entry has the same name"},
        {false, "q(x)=x", nullptr}, // one letter is fine for a function
    };
    CommitConstants({"gee=9.80665"});
    CommitFunctions({"twice(x)=x+x"});
    for (const tRow& row : rows) {
        SCOPED_TRACE(row.definition);
        Open(row.constants);
        dialogs.messages.clear();
        const int before = edit.Liste->count();
        Type(row.definition);
        edit.BAddClick();
        EXPECT_EQ(edit.Liste->count(), before + 1) << "the entry is added all the same";
        if (!row.reason) {
            EXPECT_TRUE(dialogs.messages.empty()) << MessageTexts().join('\n').toStdString();
        } else {
            ASSERT_EQ(dialogs.messages.size(), 1u);
            EXPECT_EQ(dialogs.messages[0].type, tMsgType::Warning);
            EXPECT_EQ(dialogs.messages[0].buttons, tMsgButtons::Ok);
            EXPECT_TRUE(dialogs.messages[0].text.contains(row.reason)) << dialogs.messages[0].text.toStdString();
        }
        edit.BCancelClick();
    }
}

TEST_F(EditorTest, ModifyWarnsOfTheNameItGivesAndOfTheEntryItHides) {
    CommitConstants({"alpha=1", "beta=2"});
    Open(true);
    Select(1);
    Type("A=2");
    edit.BModifyClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains("\"A\": a digit or capital letter"));
    EXPECT_EQ(Labels(edit.Liste), QStringList({"alpha", "A"}));

    dialogs.messages.clear();
    Select(0);
    Type("gamma=1");
    edit.BModifyClick();
    EXPECT_TRUE(dialogs.messages.empty());

    // Renamed to a later entry's name: that one is hidden from now on.
    Type("alpha=1");
    edit.BModifyClick();
    Select(1);
    Type("alpha=2");
    edit.BModifyClick();
    dialogs.messages.clear();
    Select(0);
    Type("alpha=0");
    edit.BModifyClick();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains("The later entry \"alpha\": an earlier entry"))
        << dialogs.messages[0].text.toStdString();
    edit.BDoneClick();
    EXPECT_EQ(LiveConstants(), (std::vector<std::string>{"alpha=0\r\n", "alpha=2\r\n"}));
}

} // namespace
