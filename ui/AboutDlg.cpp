#include "AboutDlg.h"

#include <new>
#include <vector>

#include "VersionText.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_VERSION, versionText);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    versionText = MakeVersionString();
    UpdateData(FALSE);
    return TRUE;
}

std::wstring CAboutDlg::MakeVersionString() {
    std::wstring text = FormatVersionText(0, 0);
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return text;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0)
        return text;
    std::vector<BYTE> buffer;
    try {
        buffer.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return text;
    }
    if (!GetFileVersionInfoW(path, 0, size, buffer.data()))
        return text;
    void* block = nullptr;
    UINT blockSize = 0;
    if (VerQueryValueW(buffer.data(), L"\\", &block, &blockSize) && block != nullptr &&
        blockSize >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* info = static_cast<const VS_FIXEDFILEINFO*>(block);
        text = FormatVersionText(info->dwFileVersionMS, info->dwFileVersionLS);
    }
    return text;
}
