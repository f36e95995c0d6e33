#pragma once
#include <windows.h>
#include <d3d9.h>

// The Direct3D objects of the allocator-presenters: one each, or one for the whole process
// once shared.
class SystemDirect3D {
public:
    // From now on the allocators of this process share one Direct3D object, made at once on
    // a thread of its own, instead of making one each: making one takes about a tenth of a
    // second of CPU under Wine (twice that the first time), which a saver host opening its
    // tiles one after another (and every tile each movie after that) would pay again and
    // again. Devices stay one per allocator. Once set, for the rest of the process.
    static void Share();
    // The Direct3D object for a new allocator, with one reference of its own, or null: the
    // shared one once shared, else a new one.
    static IDirect3D9* ForAllocator();
};

// Direct3DCreate9 of the system folder's d3d9.dll (see LoadSystemLibrary): a new Direct3D
// object with one reference, or null when there is none. The one place a Direct3D object is
// made; a test program links its own in its place (it has a file of its own).
IDirect3D9* SystemDirect3DCreate9(UINT sdkVersion);
