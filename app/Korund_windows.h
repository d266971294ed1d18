// SPDX-License-Identifier: GPL-3.0-or-later
// The program's windows, created once at start-up and known to each other
// through this record (filled in creation order).
#pragma once

class TFMain;
class TFEdit;
class TFProgress;
class TFConfig;
class TFPalettes;
class TFInfoText;
class TFCredits;
class TFPlot;

struct cKorundWindows {
    TFMain* Main = nullptr;
    TFEdit* Edit = nullptr;
    TFProgress* Progress = nullptr;
    TFConfig* Config = nullptr;
    TFPalettes* Palettes = nullptr;
    TFInfoText* InfoText = nullptr;
    TFCredits* Credits = nullptr;
    TFPlot* Plot = nullptr;
};
