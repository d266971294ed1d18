// Korund: the desktop calculator.
#include "Korund_main_unit.h"

int main(int argc, char** argv) {
    TKorundApplication app(argc, argv);
    return RunKorund();
}
