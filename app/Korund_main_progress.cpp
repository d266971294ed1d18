// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's progress hook: the progress window, pumping the
// window system's messages from inside an engine call, and Cancel.
#include "Korund_main_unit.h"

#include "Progress_unit.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>

#include <chrono>
#include <ctime>

namespace {

// Depth of the progress callback's message pumps; while it is above 0 an
// engine call is running further down the stack.
int gPumpDepth = 0;

std::function<int32_t()> gClock;

int32_t CalendarSeconds() { return gClock ? gClock() : static_cast<int32_t>(std::time(nullptr)); }

// Lets the window system process its pending messages from inside an engine call.
std::chrono::steady_clock::time_point gLastPump;

void PumpMessages() {
    struct tPump {
        tPump() { ++gPumpDepth; }
        ~tPump() { --gPumpDepth; }
    } pump;
    QCoreApplication::processEvents();
    gLastPump = std::chrono::steady_clock::now();
}

// While an evaluation can be cancelled, messages are also processed between
// the once-per-second repaints, about every 100 ms, so that a click on Cancel
// is seen soon. The clock is read only every 64th report.
constexpr uint32_t kCancelPollReports = 64;
constexpr auto kCancelPollInterval = std::chrono::milliseconds(100);
uint32_t gReportsSincePoll = 0;

bool CancelPollDue() {
    if (++gReportsSincePoll < kCancelPollReports)
        return false;
    gReportsSincePoll = 0;
    return std::chrono::steady_clock::now() - gLastPump >= kCancelPollInterval;
}

// Only evaluating reports end a job, and only an evaluation's; an engine
// call made by a handler inside a message pump is not the job being cancelled.
void ThrowIfCancelled(const TFProgress& progress, uint8_t activity) {
    if (activity == faCalculating && progress.Cancellable() && progress.CancelRequested && gPumpDepth == 0)
        throw cCancelled("calculation cancelled");
}

} // namespace

bool TFMain::Busy() const { return aCalculating || gPumpDepth > 0; }

void TFMain::LockForJob() {
    aFocusBeforeLock = focusWidget();
    setEnabled(false);
}

void TFMain::UnlockAfterJob() {
    setEnabled(true);
    QWidget* focus = aFocusBeforeLock ? aFocusBeforeLock.data() : EFormel;
    aFocusBeforeLock = nullptr;
    if (focus->isVisible() && focus->isEnabled())
        focus->setFocus(Qt::OtherFocusReason);
}

void SetProgressClock(std::function<int32_t()> clock) { gClock = std::move(clock); }

void ProgressCallback(uint16_t level, uint8_t activity, uint32_t total, uint32_t done) {
    TFMain* main = gMainForm;
    if (!main || !main->W.Progress)
        return;
    TFProgress& progress = *main->W.Progress;

    if (level > 3) {
        // Not shown, but an evaluation this deep can still be cancelled.
        if (activity == faCalculating && progress.Cancellable()) {
            if (CancelPollDue())
                PumpMessages();
            ThrowIfCancelled(progress, activity);
        }
        return;
    }
    if (level == 0 && activity == faIdle) {
        if (progress.isVisible()) {
            progress.SetCancellable(false);
            main->UnlockAfterJob();
            progress.EndJob();
        }
        main->RetryPendingClose();
        return;
    }
    if (!progress.isVisible()) {
        main->LastProgressRefresh = 0;
        progress.ResetRows();
        progress.CancelRequested = false; // a click meant for an earlier job
        progress.BeginJob(main);
        main->LockForJob();
    }
    if (level == 0 && activity == faCalculating && !progress.Cancellable()) {
        progress.SetCancellable(true);
        // Started from the main window: Esc reaches the progress window at once.
        if (QApplication::activeWindow() == main)
            progress.TakeKeyboard();
    } else if (level == 0 && activity != faCalculating) {
        progress.SetCancellable(false);
    }
    ThrowIfCancelled(progress, activity);

    progress.StoreRow(level, activity, total, done);

    if (CalendarSeconds() != main->LastProgressRefresh) {
        progress.ShowRows();
        PumpMessages();
        main->LastProgressRefresh = CalendarSeconds();
    } else if (progress.Cancellable() && CancelPollDue()) {
        PumpMessages(); // rows stay as drawn; only input is let through
    } else {
        return;
    }
    ThrowIfCancelled(progress, activity);
}
