// The program's entry point and its one application object.
#include "OrsettaApp.h"

COrsettaApp theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    return AfxWinMain(instance, showCommand);
}
