#include "Palettes_unit.h"

#include <QTabWidget>

TFPalettes::TFPalettes(cKorundWindows& windows, QWidget* parent)
    : QWidget(parent, Qt::Tool), W(windows) {
    setWindowTitle("Palettes");
    PageControl = new QTabWidget(this);
    for (const char* caption : {"Variables", "Constants", "F(x) user", "F(x) built-in"})
        PageControl->addTab(new QWidget, caption);
}
void TFPalettes::SVariablesShow() {}
void TFPalettes::SConstantsShow() {}
void TFPalettes::SUserFuncShow() {}
void TFPalettes::SBuiltinFuncShow() {}
