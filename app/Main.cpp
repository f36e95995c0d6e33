// The program's entry point and its one application object.
#include "OrsettaApp.h"

COrsettaApp theApp;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // A screen saver is often run from wherever it was unpacked: from here on, a DLL loaded by
    // name (by us or by the system's own DLLs) comes from the system folder, never from the
    // program's folder, where a file of the same name may have been planted. The program
    // imports only DLLs that the system always takes from its own folder. A DLL loaded by its
    // full path with LOAD_WITH_ALTERED_SEARCH_PATH, as COM loads a codec pack's filter, still
    // finds the DLLs it ships beside it: its own folder is searched for its imports, then the
    // system folder. Should the search path not be narrowed, the program does not run at all
    // rather than run exposed.
    if (!SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return 1;
    return AfxWinMain(instance, showCommand);
}
