#include "OrsettaApp.h"

#include <objbase.h>
#include <dshow.h>
#include <d3d9.h>
#include <vmr9.h>

#include <clocale>
#include <cstdlib>
#include <ctime>

BEGIN_MESSAGE_MAP(COrsettaApp, CWinApp)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

COrsettaApp::COrsettaApp() = default;

COrsettaApp::~COrsettaApp() = default;

COrsettaApp* GetOrsettaApp() {
    return static_cast<COrsettaApp*>(AfxGetApp());
}

HWND HandleFromValue(uint32_t value) {
    // Window handles carry 32 significant bits and are sign-extended on 64-bit Windows.
    return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(value)));
}

std::wstring ModuleSiblingPath(const wchar_t* extension) {
    wchar_t module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    wchar_t longPath[MAX_PATH] = {};
    const DWORD longLength = GetLongPathNameW(module, longPath, MAX_PATH);
    // Without a long form the path as the system gave it will do.
    const wchar_t* source = (longLength > 0 && longLength < MAX_PATH) ? longPath : module;
    wchar_t drive[3], dir[256], name[256], ext[256];
    if (_wsplitpath_s(source, drive, 3, dir, 256, name, 256, ext, 256) != 0)
        return {};
    wchar_t joined[MAX_PATH];
    if (_wmakepath_s(joined, MAX_PATH, drive, dir, name, extension) != 0)
        return {};
    return joined;
}

BOOL COrsettaApp::InitInstance() {
    CWinApp::InitInstance();

    // Result ignored: without COM the probe below fails and says so.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    IBaseFilter* probe = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_VideoMixingRenderer9, nullptr,
                                   CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER, IID_IBaseFilter,
                                   reinterpret_cast<void**>(&probe)))) {
        probe->Release();
        Vmr9Available = true;
    } else {
        Vmr9Available = false;
    }

    _wsetlocale(LC_ALL, L"Japanese");

    free(const_cast<wchar_t*>(m_pszProfileName));
    m_pszProfileName = nullptr;
    const std::wstring profile = ModuleSiblingPath(L"ini");
    m_pszProfileName = profile.empty() ? nullptr : _wcsdup(profile.c_str());
    if (m_pszProfileName == nullptr) {
        AfxMessageBox(L"メモリ不足エラー", MB_OK, 0);
        return FALSE;
    }

    LoadSettings();

    CommandArgs args(GetCommandLineW());
    const ModeChoice choice = ChooseRunMode(args);
    switch (choice.mode) {
    case RunModeId::Config: {
        RunMode = RunModeId::Config;
        // An owner that is not a window gives a dialog without owner.
        HWND owner = HandleFromValue(choice.handle);
        if (owner != nullptr && !IsWindow(owner))
            owner = nullptr;
        return RunConfiguration(owner);
    }
    case RunModeId::Preview: {
        // A missing or dead host ends like an unrecognised switch.
        HWND host = HandleFromValue(choice.handle);
        if (!choice.hasHandle || host == nullptr || !IsWindow(host))
            return FALSE;
        RunMode = RunModeId::Preview;
        return StartPreview(host);
    }
    case RunModeId::Saver:
        RunMode = RunModeId::Saver;
        return StartSaver();
    case RunModeId::None:
        break;
    }
    return FALSE;
}

int COrsettaApp::ExitInstance() {
    const int code = CWinApp::ExitInstance();
    // Every resume entry is written and every window is gone by now. What is left is the
    // unloading of the platform's media libraries, which after a long run under Wine took
    // seconds (the platform's own player doing the same work was measured never to end): the
    // saver ends here instead, as fast as the user asked it to.
    if (RunMode == RunModeId::Saver)
        (void)TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code)); // does not return
    return code;
}

void COrsettaApp::BuildPlayOrder() {
    FillIdentityOrder(PlayOrder, MovieList.size());
    if (Shuffle != 0) {
        srand(static_cast<unsigned>(time(nullptr)));
        if (!PlayOrder.empty())
            ShuffleIndices(PlayOrder, &rand);
    }
    PlayPosition = 0;
    NoPlayableMovies = false;
}

void COrsettaApp::ReshufflePlayOrder() {
    if (Shuffle == 0)
        return;
    srand(static_cast<unsigned>(time(nullptr)));
    if (!PlayOrder.empty())
        ShuffleIndices(PlayOrder, &rand);
}
