#include "SystemDirect3D.h"

namespace {

IDirect3D9* MakeDirect3D() {
    return SystemDirect3DCreate9(D3D_SDK_VERSION);
}

// The Direct3D object the allocators share once Share has been called: made at once on a
// thread of its own (or by the first allocator, should it come first), kept for the rest of
// the process.
struct SharedDirect3D {
    SRWLOCK Lock = SRWLOCK_INIT;
    bool On = false;
    IDirect3D9* Object = nullptr; // one reference, never released: the process ends with it
    HANDLE Maker = nullptr;       // the thread that makes it
};
SharedDirect3D g_shared;

DWORD WINAPI MakeSharedDirect3D(void*) {
    AcquireSRWLockExclusive(&g_shared.Lock); // an allocator waits here while it is made
    if (!g_shared.Object) {
        g_shared.Object = MakeDirect3D();
    }
    ReleaseSRWLockExclusive(&g_shared.Lock);
    return 0;
}

// At the end of the process the maker is let finish: ended by the exit inside Direct3D, it
// leaves Wine's process to be killed, later and with a failure status.
struct SharedDirect3DEnd {
    SharedDirect3DEnd() = default;
    SharedDirect3DEnd(const SharedDirect3DEnd&) = delete;
    SharedDirect3DEnd& operator=(const SharedDirect3DEnd&) = delete;
    ~SharedDirect3DEnd() {
        if (g_shared.Maker) {
            (void)WaitForSingleObject(g_shared.Maker, 2000); // it takes 0.1 to 0.2 s
            (void)CloseHandle(g_shared.Maker);
        }
    }
} g_sharedEnd;

} // namespace

void SystemDirect3D::Share() {
    AcquireSRWLockExclusive(&g_shared.Lock);
    const bool first = !g_shared.On;
    g_shared.On = true;
    ReleaseSRWLockExclusive(&g_shared.Lock);
    if (first) {
        // Without a thread the first allocator makes it, as it would have anyway.
        g_shared.Maker = CreateThread(nullptr, 0, &MakeSharedDirect3D, nullptr, 0, nullptr);
    }
}

IDirect3D9* SystemDirect3D::ForAllocator() {
    AcquireSRWLockExclusive(&g_shared.Lock);
    if (g_shared.On && !g_shared.Object) {
        g_shared.Object = MakeDirect3D(); // none: the next allocator tries again
    }
    IDirect3D9* object = g_shared.Object;
    if (object) {
        object->AddRef();
    }
    ReleaseSRWLockExclusive(&g_shared.Lock);
    return object ? object : MakeDirect3D();
}
