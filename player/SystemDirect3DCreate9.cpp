// Alone in its file so that a test program can link its own in its place.
#include "SystemDirect3D.h"

#include "SystemLibrary.h"

IDirect3D9* SystemDirect3DCreate9(UINT sdkVersion) {
    static const auto create =
        SystemFunction<decltype(&Direct3DCreate9)>(L"d3d9.dll", "Direct3DCreate9");
    return create != nullptr ? create(sdkVersion) : nullptr;
}
