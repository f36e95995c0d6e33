#include "CFileDialog.h"

#include <cwchar>

#include "CWinApp.h"

CFileDialog::CFileDialog(BOOL openFileDialog, const wchar_t* defaultExt, const wchar_t* fileName,
                         DWORD flags, const wchar_t* filter, CWnd* parent)
    : m_ofn{}, m_bOpenFileDialog(openFileDialog), m_pParent(parent) {
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.Flags = flags | OFN_EXPLORER;
    m_ofn.lpstrDefExt = defaultExt;
    if (fileName != nullptr)
        wcsncpy_s(m_fileBuffer, MAX_PATH, fileName, _TRUNCATE);
    m_ofn.lpstrFile = m_fileBuffer;
    m_ofn.nMaxFile = MAX_PATH;
    if (filter != nullptr) {
        // "name|pattern|...|" becomes the NUL-separated, double-NUL-terminated form.
        m_filter = filter;
        for (wchar_t& c : m_filter) {
            if (c == L'|')
                c = L'\0';
        }
        m_filter.push_back(L'\0');
        m_ofn.lpstrFilter = m_filter.c_str();
    }
}

INT_PTR CFileDialog::DoModal() {
    HWND owner = m_pParent != nullptr ? m_pParent->GetSafeHwnd() : nullptr;
    if (owner == nullptr) {
        if (CWinApp* app = AfxGetApp(); app != nullptr && app->m_pMainWnd != nullptr)
            owner = app->m_pMainWnd->GetSafeHwnd();
    }
    m_ofn.hwndOwner = owner;
    m_ofn.hInstance = AfxGetInstanceHandle();
    const BOOL ok = m_bOpenFileDialog ? GetOpenFileNameW(&m_ofn) : GetSaveFileNameW(&m_ofn);
    return ok ? IDOK : IDCANCEL;
}

POSITION CFileDialog::GetStartPosition() const {
    if (m_ofn.lpstrFile == nullptr || m_ofn.lpstrFile[0] == L'\0')
        return nullptr;
    return reinterpret_cast<POSITION>(m_ofn.lpstrFile);
}

std::wstring CFileDialog::GetNextPathName(POSITION& pos) const {
    const wchar_t* buffer = m_ofn.lpstrFile;
    const auto* p = reinterpret_cast<const wchar_t*>(pos);
    if (buffer == nullptr || p == nullptr) {
        pos = nullptr;
        return {};
    }
    const size_t dirLength = wcslen(buffer);
    const bool multi = (m_ofn.Flags & OFN_ALLOWMULTISELECT) != 0;
    if (p == buffer) {
        // One file: the whole path, followed by an empty string. Several: the folder,
        // then one name per string, then an empty string.
        if (!multi || buffer[dirLength + 1] == L'\0') {
            pos = nullptr;
            return std::wstring(buffer, dirLength);
        }
        p = buffer + dirLength + 1;
    }
    const size_t nameLength = wcslen(p);
    std::wstring path(buffer, dirLength);
    if (path.empty() || path.back() != L'\\')
        path.push_back(L'\\');
    path.append(p, nameLength);
    const wchar_t* next = p + nameLength + 1;
    pos = *next != L'\0' ? reinterpret_cast<POSITION>(const_cast<wchar_t*>(next)) : nullptr;
    return path;
}
