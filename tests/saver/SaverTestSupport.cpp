#include "SaverTestSupport.h"

#include "TestFiles.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>

namespace saver_test {

std::wstring WinePath(const char* unixPath) {
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p != '\0'; ++p)
        path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    return path;
}

std::wstring Clip(const wchar_t* name) {
    return WinePath(SAVER_CLIP_DIR) + L"\\" + name;
}

std::wstring ArtifactDir() {
    const std::wstring dir = WinePath(SAVER_ARTIFACT_DIR);
    CreateDirectoryW(dir.c_str(), nullptr); // already there is fine
    return dir;
}

RECT VirtualScreen() {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

bool Screenshot::Capture() {
    return Capture(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

bool Screenshot::Capture(const RECT& area) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    if (screen == nullptr)
        return false;
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = testing_support::CreateTopDownDib(screen, w, h, &bits);
    bool ok = memory != nullptr && bitmap != nullptr;
    if (ok) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, w, h, screen, area.left, area.top, SRCCOPY | CAPTUREBLT) != 0;
        GdiFlush();
        if (ok) {
            m_width = w;
            m_height = h;
            const auto* p = static_cast<const uint32_t*>(bits);
            m_pixels.assign(p, p + static_cast<size_t>(w) * h);
            for (auto& px : m_pixels)
                px &= 0xFFFFFF;
        }
        SelectObject(memory, old);
    }
    if (bitmap != nullptr)
        DeleteObject(bitmap);
    if (memory != nullptr)
        DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

Rgb Screenshot::At(int x, int y) const {
    const uint32_t p = m_pixels[static_cast<size_t>(y) * m_width + x];
    return Rgb{static_cast<int>(p >> 16 & 255), static_cast<int>(p >> 8 & 255),
               static_cast<int>(p & 255)};
}

Rgb Screenshot::Mean(const RECT& r) const {
    long long sr = 0, sg = 0, sb = 0, n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const Rgb c = At(x, y);
            sr += c.r;
            sg += c.g;
            sb += c.b;
            ++n;
        }
    if (n == 0)
        return {};
    return Rgb{static_cast<int>(sr / n), static_cast<int>(sg / n), static_cast<int>(sb / n)};
}

double Screenshot::BrightShare(const RECT& r, int threshold) const {
    long long bright = 0, n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const Rgb c = At(x, y);
            bright += c.r > threshold && c.g > threshold && c.b > threshold;
            ++n;
        }
    return n == 0 ? 0.0 : static_cast<double>(bright) / static_cast<double>(n);
}

size_t Screenshot::Differences(const Screenshot& other, const RECT& r, int tolerance) const {
    size_t count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const Rgb a = At(x, y), b = other.At(x, y);
            if (std::abs(a.r - b.r) > tolerance || std::abs(a.g - b.g) > tolerance ||
                std::abs(a.b - b.b) > tolerance)
                ++count;
        }
    return count;
}

bool Screenshot::SaveBmp(const std::wstring& path) const {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f == nullptr)
        return false;
    const int rowBytes = (m_width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(rowBytes) * m_height;
    info.biSize = sizeof(info);
    info.biWidth = m_width;
    info.biHeight = m_height; // bottom-up
    info.biPlanes = 1;
    info.biBitCount = 24;
    bool ok = fwrite(&file, sizeof(file), 1, f) == 1 && fwrite(&info, sizeof(info), 1, f) == 1;
    std::vector<unsigned char> row(static_cast<size_t>(rowBytes), 0);
    for (int y = m_height - 1; ok && y >= 0; --y) {
        for (int x = 0; x < m_width; ++x) {
            const Rgb c = At(x, y);
            row[static_cast<size_t>(x) * 3] = static_cast<unsigned char>(c.b);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<unsigned char>(c.g);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<unsigned char>(c.r);
        }
        ok = fwrite(row.data(), 1, row.size(), f) == row.size();
    }
    return fclose(f) == 0 && ok;
}

bool Near(Rgb c, Rgb e, int tolerance) {
    return std::abs(c.r - e.r) <= tolerance && std::abs(c.g - e.g) <= tolerance &&
           std::abs(c.b - e.b) <= tolerance;
}

void Screenshot::Assign(int width, int height, std::vector<uint32_t> pixels) {
    m_width = width;
    m_height = height;
    m_pixels = std::move(pixels);
    for (auto& px : m_pixels)
        px &= 0xFFFFFF;
}

Screenshot RenderStatusText(const wchar_t* text, int width, int height) {
    // A window's paint context starts with the system font, as a fresh memory context does.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = testing_support::CreateTopDownDib(screen, width, height, &bits);
    Screenshot picture;
    if (memory != nullptr && bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        RECT r = {0, 0, width, height};
        FillRect(memory, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        SetBkColor(memory, RGB(0, 0, 0));
        SetTextColor(memory, RGB(255, 255, 255));
        DrawTextW(memory, text, -1, &r, DT_CENTER | DT_WORDBREAK);
        GdiFlush();
        const auto* p = static_cast<const uint32_t*>(bits);
        picture.Assign(width, height,
                       std::vector<uint32_t>(p, p + static_cast<size_t>(width) * height));
        SelectObject(memory, old);
    }
    if (bitmap != nullptr)
        DeleteObject(bitmap);
    if (memory != nullptr)
        DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return picture;
}

namespace {
bool Lit(Rgb c) {
    return c.r + c.g + c.b > 384;
}
RECT LitBox(const Screenshot& picture, int rows, int width) {
    RECT box = {width, rows, -1, -1};
    for (int y = 0; y < rows && y < picture.Height(); ++y)
        for (int x = 0; x < width && x < picture.Width(); ++x)
            if (Lit(picture.At(x, y))) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}
} // namespace

bool TextMatches(const Screenshot& screen, const Screenshot& text, int rows) {
    const RECT a = LitBox(screen, rows, text.Width()), b = LitBox(text, rows, text.Width());
    if (b.right < 0 || a.right < 0)
        return false;
    if (std::abs(a.left - b.left) > 2 || std::abs(a.top - b.top) > 2 ||
        std::abs(a.right - b.right) > 2 || std::abs(a.bottom - b.bottom) > 2)
        return false;
    long long differ = 0, lit = 0;
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x) {
            differ += Lit(screen.At(x, y)) != Lit(text.At(x, y));
            lit += Lit(text.At(x, y));
        }
    return differ * 2 < lit; // edge pixels of the glyphs may be smoothed differently
}

namespace {
struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};
BOOL CALLBACK CollectTopLevel(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid == search->processId && IsWindowVisible(wnd))
        search->found.push_back(wnd);
    return TRUE;
}
BOOL CALLBACK CollectChild(HWND wnd, LPARAM param) {
    auto* found = reinterpret_cast<std::vector<HWND>*>(param);
    found->push_back(wnd);
    return TRUE;
}
} // namespace

std::vector<HWND> ProcessWindows(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(parent, &CollectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool PressKey(WORD key) {
    INPUT events[2] = {};
    events[0].type = events[1].type = INPUT_KEYBOARD;
    events[0].ki.wVk = events[1].ki.wVk = key;
    events[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return SendInput(2, events, sizeof(INPUT)) == 2;
}

void PumpFor(DWORD milliseconds) {
    testing_support::PumpMessagesFor(milliseconds);
}

std::wstring IniString(const std::wstring& ini, const std::wstring& key) {
    wchar_t buffer[4096] = {};
    GetPrivateProfileStringW(L"Ver1", key.c_str(), L"", buffer, 4096, ini.c_str());
    return buffer;
}

HWND FindSaverHost(DWORD processId) {
    for (HWND w : ProcessWindows(processId)) {
        const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
        const LONG_PTR exStyle = GetWindowLongPtrW(w, GWL_EXSTYLE);
        // The black windows over other monitors are owned by the host.
        if ((style & WS_POPUP) != 0 && (exStyle & WS_EX_TOPMOST) != 0 &&
            GetWindow(w, GW_OWNER) == nullptr)
            return w;
    }
    return nullptr;
}

std::string AnsiBytes(const std::wstring& path) {
    if (path.empty())
        return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, path.c_str(), static_cast<int>(path.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, path.c_str(), static_cast<int>(path.size()), bytes.data(),
                            size, nullptr, nullptr);
    return bytes;
}

Stage::Stage(const std::wstring& source) {
    program = dir.File(L"Orsetta.scr");
    ini = dir.File(L"Orsetta.ini");
    list = dir.File(L"Orsetta.mflst");
    copied = CopyFileW(source.c_str(), program.c_str(), FALSE) != 0;
}

void Stage::SetOptions(const Options& o) {
    const std::pair<const wchar_t*, int> keys[] = {{L"Continue", o.continueOn},
                                                   {L"Mute", o.mute},
                                                   {L"Shuffle", o.shuffle},
                                                   {L"ScreenCountMode", o.screenCountMode}};
    for (const auto& [key, value] : keys)
        WritePrivateProfileStringW(L"Ver1", key, std::to_wstring(value).c_str(), ini.c_str());
}

void Stage::SetList(const std::vector<std::wstring>& paths) {
    std::string bytes = "#Movie File List\n";
    for (const auto& p : paths)
        bytes += AnsiBytes(p) + "\n";
    SetListBytes(bytes);
}

void Stage::SetListBytes(const std::string& bytes) {
    testing_support::WriteBytes(list, bytes);
}

std::string Stage::ListBytes() const {
    return testing_support::ReadBytes(list);
}

} // namespace saver_test
