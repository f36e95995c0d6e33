#include "DialogDriver.h"

#include <shlobj.h>

#include <cstdint>

#include "TestFiles.h"

namespace uitest {

namespace {

struct Search {
    DWORD processId;
    std::function<bool(HWND)> match;
    HWND found = nullptr;
};

BOOL CALLBACK SearchWindows(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == s->processId && IsWindowVisible(window) && s->match(window)) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitFor(DWORD processId, const std::function<bool(HWND)>& match, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    do {
        Search s{processId, match};
        EnumWindows(&SearchWindows, reinterpret_cast<LPARAM>(&s));
        if (s.found != nullptr)
            return s.found;
        Sleep(20);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

std::wstring ClassName(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

} // namespace

HWND WaitForDialog(DWORD processId, const wchar_t* caption, DWORD timeoutMs) {
    return WaitFor(
        processId,
        [caption](HWND w) {
            return ClassName(w) == L"#32770" && (caption == nullptr || Text(w) == caption);
        },
        timeoutMs);
}

HWND WaitForMessageBox(DWORD processId, const wchar_t* text, DWORD timeoutMs) {
    return WaitFor(
        processId,
        [text](HWND w) {
            HWND label = GetDlgItem(w, 0xFFFF); // a message box's text
            return ClassName(w) == L"#32770" && label != nullptr && Text(label) == text;
        },
        timeoutMs);
}

HWND WaitForClass(DWORD processId, const wchar_t* className, DWORD timeoutMs) {
    return WaitFor(
        processId, [className](HWND w) { return ClassName(w) == className; }, timeoutMs);
}

bool WaitGone(HWND window, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}

std::wstring Text(HWND window) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 5000,
                        nullptr);
    return text;
}

std::vector<std::wstring> ListItems(HWND list) {
    std::vector<std::wstring> items;
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const auto length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        items.push_back(text);
    }
    return items;
}

std::vector<int> ListSelection(HWND list) {
    std::vector<int> selected;
    const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (SendMessageW(list, LB_GETSEL, i, 0) > 0)
            selected.push_back(i);
    }
    return selected;
}

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

bool UseJapaneseFontOfWindowsWidths() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Fonts\\Replacements", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    static const wchar_t face[] = L"IPAGothic";
    const bool written =
        RegSetValueExW(key, L"MS UI Gothic", 0, REG_SZ, reinterpret_cast<const BYTE*>(face),
                       sizeof(face)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

std::wstring FontFullName(HWND window) {
    HDC dc = GetDC(window);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
    std::wstring name;
    const UINT size = GetOutlineTextMetricsW(dc, 0, nullptr);
    std::vector<char> metrics(size);
    if (size > 0 && GetOutlineTextMetricsW(
                        dc, size, reinterpret_cast<OUTLINETEXTMETRICW*>(metrics.data())) > 0) {
        const auto* otm = reinterpret_cast<const OUTLINETEXTMETRICW*>(metrics.data());
        name = reinterpret_cast<const wchar_t*>(metrics.data() +
                                                reinterpret_cast<uintptr_t>(otm->otmpFullName));
    }
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return name;
}

std::vector<TextFit> MeasureTexts(HWND dialog) {
    std::vector<TextFit> fits;
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongW(c, GWL_STYLE);
        const LONG button =
            lstrcmpiW(ClassName(c).c_str(), L"Button") == 0 ? style & BS_TYPEMASK : -1;
        const bool boxed = button == BS_CHECKBOX || button == BS_AUTOCHECKBOX ||
                           button == BS_RADIOBUTTON || button == BS_AUTORADIOBUTTON;
        // Static texts (not icons or frames), push buttons, check boxes, radio buttons.
        const bool label =
            lstrcmpiW(ClassName(c).c_str(), L"Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT;
        const std::wstring text = Text(c);
        if (text.empty() ||
            !(label || boxed || button == BS_PUSHBUTTON || button == BS_DEFPUSHBUTTON))
            continue;
        HDC dc = GetDC(c);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(c, WM_GETFONT, 0, 0)));
        SIZE extent = {};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        TEXTMETRICW metrics = {};
        GetTextMetricsW(dc, &metrics);
        // The box (13 pixels at 96 DPI, as Windows and Wine draw it), then a gap of at most
        // one average character before the text.
        const int box =
            boxed ? MulDiv(13, GetDeviceCaps(dc, LOGPIXELSX), 96) + metrics.tmAveCharWidth : 0;
        SelectObject(dc, old);
        ReleaseDC(c, dc);
        RECT client = {};
        GetClientRect(c, &client);
        fits.push_back(
            TextFit{GetDlgCtrlID(c), text, static_cast<int>(extent.cx), client.right - box});
    }
    return fits;
}

void Click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void PostClick(HWND dialog, int id) {
    PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

HDROP MakeDrop(const std::vector<std::wstring>& names) {
    size_t chars = 1; // the closing empty name
    for (const std::wstring& n : names)
        chars += n.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    if (memory == nullptr)
        return nullptr;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* p = reinterpret_cast<wchar_t*>(drop + 1);
    for (const std::wstring& n : names) {
        wmemcpy(p, n.c_str(), n.size());
        p += n.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

bool SaveWindowBitmap(HWND window, const std::wstring& path) {
    RECT r = {};
    if (!GetWindowRect(window, &r))
        return false;
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY) != 0;
    SelectObject(memory, old);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::string pixels(static_cast<size_t>(stride) * static_cast<size_t>(height), '\0');
    const bool got = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                               reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied || !got)
        return false;

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
    bytes += pixels;
    return testing_support::WriteBytes(path, bytes);
}

std::wstring ArtifactsFolder() {
    std::wstring product = testing_support::ProductPath();
    std::wstring folder = product.substr(0, product.find_last_of(L'\\') + 1) + L"artifacts\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(full) : path;
}

std::string Ansi(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

} // namespace uitest
