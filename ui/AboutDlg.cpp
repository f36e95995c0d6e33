#include "AboutDlg.h"

#include <new>
#include <vector>

#include "SystemLibrary.h"
#include "VersionText.h"

namespace {

// The version functions of the system folder's version.dll (see LoadSystemLibrary).
struct VersionFunctions {
    decltype(&GetFileVersionInfoSizeW) sizeOf =
        SystemFunction<decltype(sizeOf)>(L"version.dll", "GetFileVersionInfoSizeW");
    decltype(&GetFileVersionInfoW) read =
        SystemFunction<decltype(read)>(L"version.dll", "GetFileVersionInfoW");
    decltype(&VerQueryValueW) query =
        SystemFunction<decltype(query)>(L"version.dll", "VerQueryValueW");
    bool Loaded() const { return sizeOf != nullptr && read != nullptr && query != nullptr; }
};

} // namespace

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
    static const VersionFunctions version;
    if (!version.Loaded())
        return text;
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return text;
    DWORD ignored = 0;
    const DWORD size = version.sizeOf(path, &ignored);
    if (size == 0)
        return text;
    std::vector<BYTE> buffer;
    try {
        buffer.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return text;
    }
    if (!version.read(path, 0, size, buffer.data()))
        return text;
    void* block = nullptr;
    UINT blockSize = 0;
    if (version.query(buffer.data(), L"\\", &block, &blockSize) && block != nullptr &&
        blockSize >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* info = static_cast<const VS_FIXEDFILEINFO*>(block);
        text = FormatVersionText(info->dwFileVersionMS, info->dwFileVersionLS);
    }
    return text;
}
