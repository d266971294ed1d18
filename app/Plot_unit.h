// SPDX-License-Identifier: GPL-3.0-or-later
// TFPlot: up to four formulas drawn over a running variable. Samples come
// from engine instances of the window's own, with a copy of the main
// window's variables taken at each Plot; the main window's engine is only read.
#pragma once

#include "Korund_windows.h"
#include "Plot_canvas.h"
#include "cLongReal.h"

#include <QWidget>

#include <array>
#include <memory>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimer;
class QToolButton;
class cPlotParseError;

class TFPlot : public QWidget {
    Q_OBJECT
public:
    static constexpr size_t kRows = TPlotCanvas::kCurves;
    explicit TFPlot(cKorundWindows& windows, QWidget* parent = nullptr);
    ~TFPlot() override;

    // ---- controls
    std::array<QCheckBox*, kRows> CShow{};
    std::array<QToolButton*, kRows> BColour{};
    std::array<QLineEdit*, kRows> EFormula{};
    QLineEdit* EVariable = nullptr;
    QLineEdit* EFrom = nullptr;
    QLineEdit* ETo = nullptr;
    QSpinBox* ESamples = nullptr;
    QPushButton* BPlot = nullptr;
    QPushButton* BReset = nullptr;
    QPushButton* BExport = nullptr;
    QLabel* LStatus = nullptr;  // the last plot's outcome or failure
    QLabel* LPointer = nullptr; // x and y under the pointer
    TPlotCanvas* Canvas = nullptr;

    // True while samples are computed (zoom, pan and Plot wait meanwhile).
    bool Busy() const { return aBusy; }
    // The colour of a row; a click on its button takes the next of the palette.
    QColor RowColour(size_t row) const;

public slots:
    void BPlotClick(); // also F2
    void BResetClick();
    void BExportClick();
    // New samples of the shown formulas for the visible x range.
    void Resample();

public:
    // Writes the picture, PNG or SVG by the file name's extension; false
    // (with a message) when it cannot.
    bool Export(const QString& fileName);

private:
    cKorundWindows& W;
    // What the last Plot took: the formulas (empty: none), the running
    // letter and the main window's variables.
    std::array<std::string, kRows> aFormulas;
    char aLetter = 'x';
    cLongReal aVariables[26];
    std::array<size_t, kRows> aColour{};
    double aHomeX0 = -10, aHomeX1 = 10; // the range typed, for Reset
    bool aBusy = false;
    QTimer* aResampleTimer = nullptr;

    void CreateControls();
    void ShowStatus(const QString& text, bool error);
    void ShowParseError(QLineEdit* field, const QString& name, const cPlotParseError& error);
    // Samples and draws; fitY: the y range is chosen from the new samples.
    bool Draw(bool fitY);
    void SetColour(size_t row, size_t colour);
};
