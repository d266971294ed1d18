// File menu of the main window: opening and saving library files.
#include "Korund_main_unit.h"

void TFMain::File_OpenClick() {}

void TFMain::File_SaveClick() {}
