// Writes the font replacement that the dialogs measured in ui_tests need. Wine reads the
// replacements only when a process starts, so ui_tests cannot write it for itself: ctest runs
// this first.
#include "DialogDriver.h"

int wmain() {
    return uitest::UseJapaneseFontOfWindowsWidths() ? 0 : 1;
}
