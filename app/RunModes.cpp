// The three run modes, each handing over to the windows of its subsystem.
#include "OrsettaApp.h"

BOOL COrsettaApp::RunConfiguration(HWND /*owner*/) {
    return FALSE;
}

BOOL COrsettaApp::StartPreview(HWND /*host*/) {
    return FALSE;
}

BOOL COrsettaApp::StartSaver() {
    return FALSE;
}
