#include "Lib_editor.h"

TFEdit::TFEdit(cKorundWindows& windows, QWidget* parent) : QDialog(parent), W(windows) {
    setWindowTitle("Editor");
}
