// The helper DLL of the stand-in codec pack, beside its filter DLL, which imports it. Built
// with PlantedDll.cpp, it leaves "<its own path>.loaded" behind once loaded into a process.
#include <windows.h>
#include <dshow.h>

#include "CodecPack.h"

// The pack's splitter does what the system's does: it is that splitter. What is tested is how
// the pack's DLLs are found, not how AVI is read.
extern "C" __declspec(dllexport) HRESULT CodecPackMakeFilter(REFIID riid, void** object) {
    return CoCreateInstance(CLSID_AviSplitter, nullptr, CLSCTX_INPROC_SERVER, riid, object);
}
