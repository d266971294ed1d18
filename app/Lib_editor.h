// TFEdit: the library editor (constants or user functions).
#pragma once

#include "Korund_windows.h"

#include <QDialog>

class TFEdit : public QDialog {
    Q_OBJECT
public:
    explicit TFEdit(cKorundWindows& windows, QWidget* parent = nullptr);
    bool ConstantsMode = true; // true: constants, false: user functions

private:
    cKorundWindows& W;
};
