#pragma once
// DLLs that the program loads while it runs, taken from the system folder only.
#include <windows.h>

// The system folder's DLL of that name, or null. Never the program's own folder, the current
// folder or the PATH: a screen saver is often run from wherever it was unpacked, and a DLL of
// the same name lying there would run inside it. The DLL stays loaded for the life of the
// process (objects made from it may outlive their maker).
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
    return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// A function of a system DLL as a pointer of its own type; null when the DLL or the function
// is missing.
template <class Function> Function SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = LoadSystemLibrary(library);
    if (module == nullptr)
        return nullptr;
    // GetProcAddress gives a generic function pointer; the caller names the real type.
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
