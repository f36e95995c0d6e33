#pragma once
#include <windows.h>
#include <d3d9.h>

// Direct3DCreate9 of the system folder's d3d9.dll (see LoadSystemLibrary): a new Direct3D
// object with one reference, or null when there is none. It is alone in its file so that a
// test program can link its own in its place.
IDirect3D9* SystemDirect3DCreate9(UINT sdkVersion);
