// TFProgress: one text and one bar per nesting level of a running engine operation.
#pragma once

#include "Korund_windows.h"

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>

class QGroupBox;
class QLabel;
class QProgressBar;

class TFProgress : public QDialog {
    Q_OBJECT
public:
    explicit TFProgress(cKorundWindows& windows, QWidget* parent = nullptr);

    QGroupBox* GroupBox1 = nullptr;
    QLabel* LStat1 = nullptr;
    QLabel* LStat2 = nullptr;
    QLabel* LStat3 = nullptr;
    QLabel* LStat4 = nullptr;
    QProgressBar* PStat1 = nullptr;
    QProgressBar* PStat2 = nullptr;
    QProgressBar* PStat3 = nullptr;
    QProgressBar* PStat4 = nullptr;

    // Stored on every report, drawn by ShowRows.
    std::array<QString, 4> RowText;
    std::array<int32_t, 4> RowPercent{};

    void ResetRows();
    void ShowRows();

public slots:
    // Nothing the user does closes the window; the operation's end hides it.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    [[maybe_unused]] cKorundWindows& W; // the program's windows
};

// "calculating (12/40)": the row text of one progress report.
QString ProgressRowText(uint8_t activity, uint32_t total, uint32_t done);
// done * 100 / total, truncated, computed in 64 bits; 0 when total is 0.
int32_t ProgressPercent(uint32_t total, uint32_t done);
