#include "CWnd.h"

#include <cwchar>
#include <memory>
#include <unordered_map>

#include "CWinApp.h"

namespace {

// Windows belong to the thread that made them; so do their maps.
struct ThreadState {
    std::unordered_map<HWND, CWnd*> permanent;
    std::unordered_map<HWND, std::unique_ptr<CWnd>> temporary;
    CWnd* wndInit = nullptr; // being created by CreateEx on this thread
    HHOOK cbtHook = nullptr; // hooks that creation
    MSG current = {};        // the message being dispatched, for Default()
};

ThreadState& State() {
    thread_local ThreadState state;
    return state;
}

// Attaches the window being created to its object before its first message, so that
// WM_NCCREATE and WM_CREATE already go through the message map.
LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    ThreadState& s = State();
    if (code == HCBT_CREATEWND && s.wndInit != nullptr) {
        CWnd* wnd = s.wndInit;
        s.wndInit = nullptr;
        wnd->Attach(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(s.cbtHook, code, wParam, lParam);
}

} // namespace

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const {
    return GetThisMessageMap();
}

CWnd::~CWnd() {
    // An object going away while its window lives must not leave a dangling route.
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    auto& map = State().permanent;
    auto it = map.find(hWnd);
    return it == map.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (hWnd == nullptr)
        return nullptr;
    if (CWnd* wnd = FromHandlePermanent(hWnd))
        return wnd;
    auto& temp = State().temporary;
    auto& slot = temp[hWnd];
    if (!slot) {
        slot = std::make_unique<CWnd>();
        slot->m_hWnd = hWnd;
    }
    return slot.get();
}

void CWnd::DeleteTempMap() {
    auto& temp = State().temporary;
    for (auto& entry : temp)
        entry.second->m_hWnd = nullptr;
    temp.clear();
}

bool CWnd::Attach(HWND hWnd) {
    if (hWnd == nullptr || m_hWnd != nullptr || FromHandlePermanent(hWnd) != nullptr)
        return false;
    auto& s = State();
    s.permanent[hWnd] = this;
    // A stale temporary wrapper must not shadow the permanent object.
    if (auto it = s.temporary.find(hWnd); it != s.temporary.end()) {
        it->second->m_hWnd = nullptr;
        s.temporary.erase(it);
    }
    m_hWnd = hWnd;
    const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
    if (current == &CWnd::AfxWndProc) {
        m_pfnSuper = &::DefWindowProcW;
    } else {
        m_pfnSuper = current;
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc));
    }
    return true;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd == nullptr)
        return nullptr;
    State().permanent.erase(hWnd);
    // Give a subclassed window its own procedure back (the framework's classes keep ours,
    // which then passes the remaining messages to DefWindowProcW).
    if (m_pfnSuper != nullptr && m_pfnSuper != &::DefWindowProcW && IsWindow(hWnd) &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_WNDPROC)) == &CWnd::AfxWndProc) {
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
    m_pfnSuper = nullptr;
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id, void* param) {
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top,
                    parent != nullptr ? parent->GetSafeHwnd() : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), param);
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU idOrMenu, void* param) {
    if (m_hWnd != nullptr)
        return FALSE;
    ThreadState& s = State();
    s.wndInit = this;
    s.cbtHook = SetWindowsHookExW(WH_CBT, &CbtHook, nullptr, GetCurrentThreadId());
    if (s.cbtHook == nullptr) {
        s.wndInit = nullptr;
        return FALSE;
    }
    HWND hWnd = CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent,
                                idOrMenu, AfxGetInstanceHandle(), param);
    UnhookWindowsHookEx(s.cbtHook);
    s.cbtHook = nullptr;
    s.wndInit = nullptr;
    if (hWnd == nullptr) {
        // A window that failed during WM_NCCREATE/WM_CREATE was already destroyed; its
        // WM_NCDESTROY detached it. A creation refused by a CBT hook sends no message at
        // all, so the handle attached by our hook is dead and must not stay routed.
        if (m_hWnd != nullptr)
            Detach();
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr)
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

std::wstring CWnd::GetWindowText() const {
    const int length = GetWindowTextLengthW(m_hWnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr)
        return CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const MSG& m = State().current;
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (DispatchMessageMap(message, wParam, lParam, result))
        return true;
    // Commands that no window handles may still be the application's (ID_HELP).
    if (message == WM_COMMAND && lParam == 0) {
        if (CWinApp* app = AfxGetApp()) {
            if (app->OnCmdMsg(LOWORD(wParam), HIWORD(wParam), wParam, lParam)) {
                *result = 0;
                return true;
            }
        }
    }
    return false;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

void CWnd::OnNcDestroyed() {
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd == this) {
        // The main window is gone: the application's message loop ends.
        app->m_pMainWnd = nullptr;
        PostQuitMessage(0);
    }
    Detach();
    PostNcDestroy();
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = FromHandlePermanent(hWnd);
    if (wnd == nullptr)
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    ThreadState& s = State();
    const MSG saved = s.current;
    s.current = MSG{hWnd, message, wParam, lParam, 0, {}};
    LRESULT result = 0;
    // No exception may cross into the system's code.
    try {
        result = wnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        result = 0;
    }
    s.current = saved;
    if (message == WM_NCDESTROY) {
        wnd->OnNcDestroyed();
    }
    return result;
}

const wchar_t* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    // Names must outlive the registration; keep one per distinct argument set.
    thread_local std::unordered_map<std::wstring, std::unique_ptr<wchar_t[]>> names;
    wchar_t name[96];
    swprintf(name, 96, L"Afx:%p:%x:%p:%p:%p", static_cast<void*>(AfxGetInstanceHandle()),
             classStyle, static_cast<void*>(cursor), static_cast<void*>(background),
             static_cast<void*>(icon));
    auto it = names.find(name);
    if (it != names.end())
        return it->second.get();
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = classStyle;
    wc.lpfnWndProc = &CWnd::AfxWndProc;
    wc.hInstance = AfxGetInstanceHandle();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    const size_t length = wcslen(name) + 1;
    auto copy = std::make_unique<wchar_t[]>(length);
    wmemcpy(copy.get(), name, length);
    return names.emplace(name, std::move(copy)).first->second.get();
}
