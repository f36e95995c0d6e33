#include "CWinApp.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "HtmlHelp.h"

namespace {
CWinApp* g_app = nullptr;
} // namespace

CWinApp* AfxGetApp() {
    return g_app;
}

HINSTANCE AfxGetInstanceHandle() {
    if (g_app != nullptr && g_app->m_hInstance != nullptr)
        return g_app->m_hInstance;
    return GetModuleHandleW(nullptr);
}

CWinApp::CWinApp() {
    g_app = this;
}

CWinApp::~CWinApp() {
    free(const_cast<wchar_t*>(m_pszProfileName));
    m_pszProfileName = nullptr;
    if (g_app == this)
        g_app = nullptr;
}

const AFX_MSGMAP* CWinApp::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CWinApp::GetMessageMap() const {
    return GetThisMessageMap();
}

void CWinApp::SetUpNames(HINSTANCE instance) {
    m_hInstance = instance;
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        path[0] = L'\0';
    wchar_t name[_MAX_FNAME] = {};
    if (_wsplitpath_s(path, nullptr, 0, nullptr, 0, name, _MAX_FNAME, nullptr, 0) != 0)
        name[0] = L'\0';
    m_appName = name;
    m_pszAppName = m_appName.c_str();
    // The framework's default profile name, which applications replace with a full path.
    std::wstring ini = m_appName + L".INI";
    free(const_cast<wchar_t*>(m_pszProfileName));
    m_pszProfileName = _wcsdup(ini.c_str());
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::Run() {
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1)
            break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        // Temporary wrappers are only valid while one message is handled.
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
            CWnd::DeleteTempMap();
    }
    CWnd::DeleteTempMap();
    const int code = ExitInstance();
    return code != 0 ? code : static_cast<int>(msg.wParam);
}

int CWinApp::ExitInstance() {
    return 0;
}

std::wstring CWinApp::GetProfileString(const wchar_t* section, const wchar_t* entry,
                                       const wchar_t* defaultValue) const {
    wchar_t buffer[4096];
    buffer[0] = L'\0';
    GetPrivateProfileStringW(section, entry, defaultValue != nullptr ? defaultValue : L"", buffer,
                             4096, m_pszProfileName);
    return buffer;
}

UINT CWinApp::GetProfileInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const {
    return GetPrivateProfileIntW(section, entry, defaultValue, m_pszProfileName);
}

BOOL CWinApp::WriteProfileString(const wchar_t* section, const wchar_t* entry,
                                 const wchar_t* value) {
    return WritePrivateProfileStringW(section, entry, value, m_pszProfileName);
}

BOOL CWinApp::WriteProfileInt(const wchar_t* section, const wchar_t* entry, int value) {
    wchar_t buffer[16];
    swprintf(buffer, 16, L"%d", value);
    return WriteProfileString(section, entry, buffer);
}

void CWinApp::OnHelp() {}

void CWinApp::ServeHelpWindows() {
    while (AfxHelpWindowShown()) {
        // A help window on a thread of its own closes without a message here, so look
        // again now and then.
        (void)MsgWaitForMultipleObjectsEx(0, nullptr, 200, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // The main window's end posted the quit message: it must not end help too
            // (nor a modal loop that help opens).
            if (msg.message == WM_QUIT)
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

int AfxMessageBox(const wchar_t* text, UINT type, UINT /*helpId*/) {
    if ((type & MB_ICONMASK) == 0 && (type & MB_TYPEMASK) == MB_OK)
        type |= MB_ICONEXCLAMATION;
    CWinApp* app = AfxGetApp();
    HWND owner = GetActiveWindow();
    if (owner == nullptr && app != nullptr && app->m_pMainWnd != nullptr)
        owner = app->m_pMainWnd->GetSafeHwnd();
    const wchar_t* caption = app != nullptr ? app->m_pszAppName : nullptr;
    return MessageBoxW(owner, text, caption, type);
}

int AfxWinMain(HINSTANCE instance, int /*showCommand*/) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return -1;
    app->SetUpNames(instance);
    int code = 0;
    if (app->InitInstance()) {
        code = app->Run();
    } else {
        if (app->m_pMainWnd != nullptr && app->m_pMainWnd->GetSafeHwnd() != nullptr)
            app->m_pMainWnd->DestroyWindow();
        code = app->ExitInstance();
    }
    return code;
}
