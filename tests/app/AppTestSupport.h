// Helpers of the window tests: a private Korund.ini, the fake dialog seam and
// the program's windows built the way the program builds them.
#pragma once

#include "FakeDialogs.h"
#include "Korund_main_unit.h"
#include "KorundSettings.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>

// Points KorundIniPath() at a file in a fresh temporary directory for the
// lifetime of the object; the file exists only when Write() was called.
class cTestIni {
public:
    cTestIni() { SetKorundIniPath(Path().toStdString()); }
    ~cTestIni() { SetKorundIniPath(""); }
    QString Path() const { return aDir.filePath("Korund.ini"); }
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
