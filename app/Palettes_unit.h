// TFPalettes: variables, constants and functions to look at and paste.
#pragma once

#include "Korund_windows.h"

#include <QWidget>

class QTabWidget;

class TFPalettes : public QWidget {
    Q_OBJECT
public:
    explicit TFPalettes(cKorundWindows& windows, QWidget* parent = nullptr);
    QTabWidget* PageControl = nullptr; // pages 0..3
    void SVariablesShow();
    void SConstantsShow();
    void SUserFuncShow();
    void SBuiltinFuncShow();

private:
    cKorundWindows& W;
};
