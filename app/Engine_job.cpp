// SPDX-License-Identifier: GPL-3.0-or-later
#include "Engine_job.h"

namespace {

int gJobs = 0; // everything runs on the GUI thread

} // namespace

cEngineJob::cEngineJob() { ++gJobs; }

cEngineJob::~cEngineJob() { --gJobs; }

bool cEngineJob::Running() { return gJobs > 0; }
