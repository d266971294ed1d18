#include "Config_unit.h"

#include "KorundSettings.h"

TFConfig::TFConfig(cKorundWindows& windows, QWidget* parent)
    : QDialog(parent), IniPath(QString::fromStdString(KorundIniPath())), W(windows) {
    setWindowTitle("Preferences");
}
