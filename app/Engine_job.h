// SPDX-License-Identifier: GPL-3.0-or-later
// One engine job at a time, whichever window starts it. While a job runs,
// its progress reports let the window system in, so a click in any window
// (Plot, Edit > Constants, File > Open) could start a second job inside the
// first: the nested job's closing report would unlock the main window in
// the middle of the outer job, and a library could be committed under a
// running evaluation. So every handler that calls into the engine asks
// cEngineJob::Running() first and does nothing while it is true, and holds
// a cEngineJob for as long as its engine calls run.
#pragma once

class cEngineJob {
public:
    cEngineJob();
    ~cEngineJob();
    cEngineJob(const cEngineJob&) = delete;
    cEngineJob& operator=(const cEngineJob&) = delete;

    static bool Running();
};
