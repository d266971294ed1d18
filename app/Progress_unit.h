// SPDX-License-Identifier: GPL-3.0-or-later
// TFProgress: one text and one bar per nesting level of a running engine operation.
#pragma once

#include "Cancelled.h"
#include "Korund_windows.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

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
    QPushButton* BCancel = nullptr;

    // What the last report of a level said; stored on every report, turned
    // into text and bar only by ShowRows.
    struct tRow {
        uint8_t activity = 0;
        uint32_t total = 0;
        uint32_t done = 0;
    };
    std::array<tRow, 4> Rows{};

    void StoreRow(uint16_t level, uint8_t activity, uint32_t total, uint32_t done) {
        Rows[level] = {activity, total, done};
    }
    QString RowText(size_t level) const;
    int32_t RowPercent(size_t level) const;

    void ResetRows();
    void ShowRows();

    // Set by Cancel (or Esc) while an evaluation runs; the progress callback
    // turns it into cCancelled and clears it when a job starts.
    bool CancelRequested = false;
    // Whether the running job is an evaluation; enables BCancel.
    bool Cancellable() const { return aCancellable; }
    void SetCancellable(bool cancellable);

    // A job begins: shows the window, which leaves the keyboard where it is
    // (fallback: where it goes back when no window had it).
    void BeginJob(QWidget* fallback);
    // An evaluation activates the window, so that Esc cancels.
    void TakeKeyboard();
    // The job ends: hides the window and gives the keyboard back to the
    // window that had it, also when the window manager's activation of the
    // progress window arrives after the hide.
    void EndJob();

public slots:
    void BCancelClick();
    // Esc: Cancel while an evaluation runs, otherwise nothing. Nothing the
    // user does closes the window; the operation's end hides it.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    [[maybe_unused]] cKorundWindows& W; // the program's windows
    bool aCancellable = false;
    QPointer<QWidget> aKeyboardOwner; // active when the job began
    bool aTookKeyboard = false;
};

// "calculating (12/40)": the row text of one progress report.
QString ProgressRowText(uint8_t activity, uint32_t total, uint32_t done);
// done * 100 / total, truncated, computed in 64 bits; 0 when total is 0.
int32_t ProgressPercent(uint32_t total, uint32_t done);
