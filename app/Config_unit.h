// TFConfig: the preferences window; edits Korund.ini for the next start.
#pragma once

#include "Korund_windows.h"

#include <QDialog>
#include <QString>

class TFConfig : public QDialog {
    Q_OBJECT
public:
    explicit TFConfig(cKorundWindows& windows, QWidget* parent = nullptr);
    QString IniPath; // Korund.ini beside the executable; tests point it elsewhere

private:
    cKorundWindows& W;
};
