#include "MediaFoundationRuntime.h"

#include <mfapi.h>

#include "TileWorker.h"
#include "SystemLibrary.h"

namespace {

using StartupFunction = HRESULT(WINAPI*)(ULONG, DWORD);
using ShutdownFunction = HRESULT(WINAPI*)();
using CreateAttributesFunction = HRESULT(WINAPI*)(IMFAttributes**, UINT32);
using CreateMediaTypeFunction = HRESULT(WINAPI*)(IMFMediaType**);
using CreateReaderFunction = HRESULT(WINAPI*)(LPCWSTR, IMFAttributes*, IMFSourceReader**);

struct Functions {
    ShutdownFunction Shutdown = nullptr;
    CreateAttributesFunction CreateAttributes = nullptr;
    CreateMediaTypeFunction CreateMediaType = nullptr;
    CreateReaderFunction CreateReader = nullptr;
};

INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;
Functions g_functions; // written once inside g_once, read only after it
bool g_started = false;

BOOL CALLBACK StartOnce(INIT_ONCE*, void*, void**) {
    const auto startup = SystemFunction<StartupFunction>(L"mfplat.dll", "MFStartup");
    Functions found;
    found.Shutdown = SystemFunction<ShutdownFunction>(L"mfplat.dll", "MFShutdown");
    found.CreateAttributes =
        SystemFunction<CreateAttributesFunction>(L"mfplat.dll", "MFCreateAttributes");
    found.CreateMediaType =
        SystemFunction<CreateMediaTypeFunction>(L"mfplat.dll", "MFCreateMediaType");
    found.CreateReader =
        SystemFunction<CreateReaderFunction>(L"mfreadwrite.dll", "MFCreateSourceReaderFromURL");
    if (startup == nullptr || found.Shutdown == nullptr || found.CreateAttributes == nullptr ||
        found.CreateMediaType == nullptr || found.CreateReader == nullptr)
        return TRUE; // not started: no Media Foundation on this system
    // Without sockets: only local files are read.
    if (FAILED(startup(MF_VERSION, MFSTARTUP_NOSOCKET)))
        return TRUE;
    g_functions = found;
    g_started = true;
    return TRUE;
}

// Shuts Media Foundation down when the process ends in order. Not after a tile was given up:
// its threads may still be inside Media Foundation, and the shutdown could wait for them.
struct ShutdownAtExit {
    ShutdownAtExit() = default;
    ShutdownAtExit(const ShutdownAtExit&) = delete;
    ShutdownAtExit& operator=(const ShutdownAtExit&) = delete;
    ~ShutdownAtExit() {
        if (g_started && !TileWorker::AnyGivenUp())
            (void)g_functions.Shutdown(); // nothing is left to report a failure to
    }
} g_shutdownAtExit;

} // namespace

bool MediaFoundationRuntime::Start() {
    // StartOnce always succeeds: whether Media Foundation runs is g_started.
    (void)InitOnceExecuteOnce(&g_once, &StartOnce, nullptr, nullptr);
    return g_started;
}

HRESULT MediaFoundationRuntime::CreateAttributes(IMFAttributes** attributes, UINT32 size) {
    return Start() ? g_functions.CreateAttributes(attributes, size) : E_NOTIMPL;
}

HRESULT MediaFoundationRuntime::CreateMediaType(IMFMediaType** type) {
    return Start() ? g_functions.CreateMediaType(type) : E_NOTIMPL;
}

HRESULT MediaFoundationRuntime::CreateSourceReaderFromURL(const wchar_t* url,
                                                          IMFAttributes* attributes,
                                                          IMFSourceReader** reader) {
    return Start() ? g_functions.CreateReader(url, attributes, reader) : E_NOTIMPL;
}
