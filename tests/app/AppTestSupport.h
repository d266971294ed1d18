// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the window tests: a private Korund.ini, the fake dialog seam and
// the program's windows built the way the program builds them.
#pragma once

#include "FakeDialogs.h"
#include "Formula_recall.h"
#include "Info_window_unit.h"
#include "KorundSettings.h"
#include "Korund_main_unit.h"
#include "Palettes_unit.h"
#include "Plot_unit.h"

#include <QFile>
#include <QTemporaryDir>

#include <initializer_list>
#include <utility>

#include <gtest/gtest.h>

#include <memory>
#include <string>

// Points KorundIniPath() at a file in a fresh temporary directory for the
// lifetime of the object; the file exists only when Write() was called. The
// formula history lives in the same directory.
class cTestIni {
public:
    cTestIni() {
        SetKorundIniPath(Path().toStdString());
        SetFormulaHistoryPath(HistoryPath().toStdString());
    }
    ~cTestIni() {
        SetKorundIniPath("");
        ResetFormulaHistoryPath();
    }
    QString Path() const { return aDir.filePath("Korund.ini"); }
    QString HistoryPath() const { return aDir.filePath("history"); }
    void Write(const std::string& text) const {
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.data(), static_cast<qint64>(text.size()));
    }

private:
    QTemporaryDir aDir;
};

// The whole program without its message loop; torn down after each test, so
// the engine is released and the next test can start it again.
class cProgramTest : public ::testing::Test {
protected:
    cTestIni ini;
    cFakeDialogs dialogs;
    std::unique_ptr<cKorundProgram> program;

    void Start() { program = std::make_unique<cKorundProgram>(); }
    TFMain& Main() { return *program->W.Main; }
    void SetUp() override { Start(); }
    void TearDown() override {
        program.reset();
        SetProgressClock({});
    }
};

// The main window, the palettes and the info window over the real engine,
// built directly (no start-up sequence), for the tests of the library windows.
class cLibraryWindowsTest : public ::testing::Test {
protected:
    cFakeDialogs dialogs;
    QTemporaryDir dir; // holds Korund.ini (never written) and the test's files
    cKorundWindows W;
    std::unique_ptr<TFMain> main;
    std::unique_ptr<TFPalettes> palettes;
    std::unique_ptr<TFInfoText> info;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        SetKorundIniPath(Path("Korund.ini").toStdString());
        SetFormulaHistoryPath(""); // in memory
        main = std::make_unique<TFMain>(W);
        W.Main = main.get();
        palettes = std::make_unique<TFPalettes>(W);
        W.Palettes = palettes.get();
        info = std::make_unique<TFInfoText>(W);
        W.InfoText = info.get();
    }
    void TearDown() override {
        W = {};
        info.reset();
        palettes.reset();
        main.reset();
        SetKorundIniPath("");
        ResetFormulaHistoryPath();
    }
    QString Path(const QString& name) const { return dir.filePath(name); }

    // Commits entries (definition, description) to a library through edit mode.
    static void Commit(bool constants, std::initializer_list<std::pair<const char*, const char*>> entries) {
        constants ? cFormulaEngine::StartConstantEdit() : cFormulaEngine::StartFunctionEdit();
        for (const auto& [def, desc] : entries)
            ASSERT_TRUE(constants ? cFormulaEngine::AddConstant(def, desc) : cFormulaEngine::AddFunction(def, desc));
        ASSERT_EQ(constants ? cFormulaEngine::StopConstantEdit() : cFormulaEngine::StopFunctionEdit(), -1);
    }
    static void Commit(bool constants, std::initializer_list<const char*> definitions) {
        constants ? cFormulaEngine::StartConstantEdit() : cFormulaEngine::StartFunctionEdit();
        for (const char* def : definitions)
            ASSERT_TRUE(constants ? cFormulaEngine::AddConstant(def, "") : cFormulaEngine::AddFunction(def, ""));
        ASSERT_EQ(constants ? cFormulaEngine::StopConstantEdit() : cFormulaEngine::StopFunctionEdit(), -1);
    }
};
